#pragma once
// An in-memory key/value tree that behaves like the slice of the registry Kestrune uses:
// names without regard to ASCII case, values in creation order, any value type and any bytes,
// open keys that fail once their key has been deleted, and a recursive delete. Native tests
// use it instead of the registry; it also lets them plant values a user could have edited by
// hand, watch the order of every change, count keys left open and make operations fail.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/KeyValueTree.h"

class MemoryKeyValueTree final : public IKeyValueTree {
 public:
  struct Value {
    std::string name;
    uint32_t type = kValueNone;
    std::string data;  // raw bytes

    // The data as the text it holds when it is a well-formed REG_SZ, else nullopt.
    std::optional<std::string> Text() const;
  };

  // One successful change, in the order it happened.
  struct Change {
    enum Kind { KeyCreated, ValueSet, TreeDeleted } kind;
    std::string path;  // as normalised: components joined by '\'
    std::string name;  // ValueSet only
    uint32_t type = kValueNone;
    std::string data;
  };

  MemoryKeyValueTree();
  ~MemoryKeyValueTree() override;
  MemoryKeyValueTree(const MemoryKeyValueTree&) = delete;
  MemoryKeyValueTree& operator=(const MemoryKeyValueTree&) = delete;

  OpenResult OpenKey(const std::string& path) override;
  std::unique_ptr<IOpenKey> CreateKey(const std::string& path) override;
  bool DeleteTree(const std::string& path) override;

  // ---- For tests: inspect and plant, bypassing the journal and the injected failures ----
  bool HasKey(const std::string& path) const;
  // Values of the key in creation order; empty when the key is missing.
  std::vector<Value> Values(const std::string& path) const;
  std::optional<Value> GetValue(const std::string& path, const std::string& name) const;
  std::vector<std::string> Subkeys(const std::string& path) const;
  // Creates the key (and parents) when missing and sets the value to exactly these bytes.
  void Plant(const std::string& path, const std::string& name, uint32_t type, const std::string& bytes);
  void PlantString(const std::string& path, const std::string& name, const std::string& text);
  bool RemoveValue(const std::string& path, const std::string& name);
  bool RemoveKey(const std::string& path);

  const std::vector<Change>& Journal() const { return journal_; }
  void ClearJournal() { journal_.clear(); }
  // Keys opened or created and not yet closed.
  int OpenKeyCount() const { return *openCount_; }
  // Keys opened or created so far.
  int opensSoFar = 0;

  // Injected failures; each stays in force until cleared.
  bool failOpen = false;    // OpenKey fails (not as a missing key)
  bool failCreate = false;  // CreateKey returns null
  bool failDelete = false;  // DeleteTree returns false and deletes nothing
  bool failWrites = false;  // SetValue returns false and stores nothing
  bool failReads = false;   // QueryValue reports Failed
  // Existing keys that OpenKey refuses, as the registry refuses one whose access is denied;
  // CreateKey still opens them.
  std::vector<std::string> refusedKeys;

  struct Node;

 private:
  class Handle;

  std::shared_ptr<Node> Find(const std::string& path) const;
  std::shared_ptr<Node> FindOrCreate(const std::string& path, bool journal);

  std::shared_ptr<Node> root_;
  std::vector<Change> journal_;
  std::shared_ptr<int> openCount_;
};
