#include "settings/MemoryKeyValueTree.h"

#include <algorithm>
#include <cstring>

struct MemoryKeyValueTree::Node {
  std::string name;
  bool deleted = false;
  std::vector<Value> values;
  std::vector<std::shared_ptr<Node>> children;
};

namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string JoinPath(const std::vector<std::string>& parts) {
  std::string joined;
  for (const auto& p : parts) {
    if (!joined.empty()) joined += '\\';
    joined += p;
  }
  return joined;
}

using NodePtr = std::shared_ptr<MemoryKeyValueTree::Node>;

NodePtr FindChild(const MemoryKeyValueTree::Node& node, const std::string& name) {
  for (const auto& child : node.children)
    if (SameName(child->name, name)) return child;
  return nullptr;
}

void MarkDeleted(MemoryKeyValueTree::Node& node) {
  node.deleted = true;
  for (auto& child : node.children) MarkDeleted(*child);
}

}  // namespace

std::optional<std::string> MemoryKeyValueTree::Value::Text() const {
  if (type != kValueString || data.empty() || data.back() != '\0') return std::nullopt;
  if (data.find('\0') != data.size() - 1) return std::nullopt;
  return data.substr(0, data.size() - 1);
}

// An open key keeps its node alive; once the node is deleted every operation fails, as a
// registry handle to a deleted key does.
class MemoryKeyValueTree::Handle final : public IOpenKey {
 public:
  Handle(MemoryKeyValueTree& tree, NodePtr node, std::string path)
      : tree_(tree), node_(std::move(node)), path_(std::move(path)), openCount_(tree.openCount_) {
    ++*openCount_;
  }
  ~Handle() override { --*openCount_; }

  QueryResult QueryValue(const std::string& name, void* buffer, size_t capacity) override {
    QueryResult result;
    if (node_->deleted || tree_.failReads) return result;
    for (const auto& value : node_->values) {
      if (!SameName(value.name, name)) continue;
      result.type = value.type;
      result.size = value.data.size();
      if (value.data.size() > capacity) {
        result.status = QueryStatus::TooLarge;
        return result;
      }
      if (!value.data.empty()) std::memcpy(buffer, value.data.data(), value.data.size());
      result.status = QueryStatus::Ok;
      return result;
    }
    result.status = QueryStatus::Missing;
    return result;
  }

  bool SetValue(const std::string& name, uint32_t type, const void* data, size_t size) override {
    if (node_->deleted || tree_.failWrites) return false;
    std::string bytes(static_cast<const char*>(data), size);
    auto it = std::find_if(node_->values.begin(), node_->values.end(),
                           [&](const Value& v) { return SameName(v.name, name); });
    if (it != node_->values.end()) {
      it->type = type;
      it->data = bytes;
    } else {
      node_->values.push_back(Value{name, type, bytes});
    }
    tree_.journal_.push_back(Change{Change::ValueSet, path_, name, type, bytes});
    return true;
  }

 private:
  MemoryKeyValueTree& tree_;
  NodePtr node_;
  std::string path_;
  std::shared_ptr<int> openCount_;
};

MemoryKeyValueTree::MemoryKeyValueTree() : root_(std::make_shared<Node>()), openCount_(std::make_shared<int>(0)) {}

MemoryKeyValueTree::~MemoryKeyValueTree() = default;

std::shared_ptr<MemoryKeyValueTree::Node> MemoryKeyValueTree::Find(const std::string& path) const {
  NodePtr node = root_;
  for (const auto& part : SplitPath(path)) {
    node = FindChild(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

std::shared_ptr<MemoryKeyValueTree::Node> MemoryKeyValueTree::FindOrCreate(const std::string& path,
                                                                           bool journal) {
  NodePtr node = root_;
  std::vector<std::string> walked;
  for (const auto& part : SplitPath(path)) {
    walked.push_back(part);
    NodePtr child = FindChild(*node, part);
    if (!child) {
      child = std::make_shared<Node>();
      child->name = part;
      node->children.push_back(child);
      if (journal) journal_.push_back(Change{Change::KeyCreated, JoinPath(walked), "", kValueNone, ""});
    }
    node = child;
  }
  return node;
}

OpenResult MemoryKeyValueTree::OpenKey(const std::string& path) {
  OpenResult result;
  if (failOpen || SplitPath(path).empty()) return result;
  NodePtr node = Find(path);
  if (!node) {
    result.status = OpenStatus::Missing;
    return result;
  }
  for (const auto& refused : refusedKeys)
    if (Find(refused) == node) return result;
  ++opensSoFar;
  result.key = std::make_unique<Handle>(*this, node, JoinPath(SplitPath(path)));
  result.status = OpenStatus::Ok;
  return result;
}

std::unique_ptr<IOpenKey> MemoryKeyValueTree::CreateKey(const std::string& path) {
  if (failCreate || SplitPath(path).empty()) return nullptr;
  ++opensSoFar;
  return std::make_unique<Handle>(*this, FindOrCreate(path, true), JoinPath(SplitPath(path)));
}

bool MemoryKeyValueTree::DeleteTree(const std::string& path) {
  if (failDelete) return false;
  if (!RemoveKey(path)) return false;
  journal_.push_back(Change{Change::TreeDeleted, JoinPath(SplitPath(path)), "", kValueNone, ""});
  return true;
}

bool MemoryKeyValueTree::HasKey(const std::string& path) const { return Find(path) != nullptr; }

std::vector<MemoryKeyValueTree::Value> MemoryKeyValueTree::Values(const std::string& path) const {
  NodePtr node = Find(path);
  return node ? node->values : std::vector<Value>{};
}

std::optional<MemoryKeyValueTree::Value> MemoryKeyValueTree::GetValue(const std::string& path,
                                                                      const std::string& name) const {
  if (NodePtr node = Find(path)) {
    for (const auto& value : node->values)
      if (SameName(value.name, name)) return value;
  }
  return std::nullopt;
}

std::vector<std::string> MemoryKeyValueTree::Subkeys(const std::string& path) const {
  std::vector<std::string> names;
  if (NodePtr node = Find(path)) {
    for (const auto& child : node->children) names.push_back(child->name);
  }
  return names;
}

void MemoryKeyValueTree::Plant(const std::string& path, const std::string& name, uint32_t type,
                               const std::string& bytes) {
  NodePtr node = FindOrCreate(path, false);
  for (auto& value : node->values) {
    if (SameName(value.name, name)) {
      value.type = type;
      value.data = bytes;
      return;
    }
  }
  node->values.push_back(Value{name, type, bytes});
}

void MemoryKeyValueTree::PlantString(const std::string& path, const std::string& name, const std::string& text) {
  Plant(path, name, kValueString, text + std::string(1, '\0'));
}

bool MemoryKeyValueTree::RemoveValue(const std::string& path, const std::string& name) {
  NodePtr node = Find(path);
  if (!node) return false;
  auto it = std::find_if(node->values.begin(), node->values.end(),
                         [&](const Value& v) { return SameName(v.name, name); });
  if (it == node->values.end()) return false;
  node->values.erase(it);
  return true;
}

bool MemoryKeyValueTree::RemoveKey(const std::string& path) {
  std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) return false;
  std::string last = parts.back();
  parts.pop_back();
  NodePtr parent = Find(JoinPath(parts));
  if (!parent) return false;
  auto it = std::find_if(parent->children.begin(), parent->children.end(),
                         [&](const NodePtr& c) { return SameName(c->name, last); });
  if (it == parent->children.end()) return false;
  MarkDeleted(**it);
  parent->children.erase(it);
  return true;
}
