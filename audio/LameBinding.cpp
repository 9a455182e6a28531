#include "audio/LameBinding.h"

#include "audio/AudioError.h"

namespace {

template <typename Fn>
Fn Lookup(ISharedLibrary& library, const char* name) {
  return reinterpret_cast<Fn>(library.Symbol(name));
}

}  // namespace

LameBinding::LameBinding(LibraryOpener opener, std::string libraryName)
    : opener_(std::move(opener)), libraryName_(std::move(libraryName)) {}

void LameBinding::Load() {
  std::lock_guard<std::mutex> guard(lock_);
  if (loaded_.load(std::memory_order_relaxed)) return;

  std::unique_ptr<ISharedLibrary> library = opener_ ? opener_(libraryName_) : nullptr;
  if (!library) throw AudioError(audio_messages::kErrorLoadingLame);

  LameEntryPoints entries;
  entries.beInitStream = Lookup<BEINITSTREAM>(*library, "beInitStream");
  entries.beEncodeChunk = Lookup<BEENCODECHUNK>(*library, "beEncodeChunk");
  entries.beDeinitStream = Lookup<BEDEINITSTREAM>(*library, "beDeinitStream");
  entries.beCloseStream = Lookup<BECLOSESTREAM>(*library, "beCloseStream");
  entries.beVersion = Lookup<BEVERSION>(*library, "beVersion");
  entries.beWriteVBRHeader = Lookup<BEWRITEVBRHEADER>(*library, "beWriteVBRHeader");
  entries.beWriteInfoTag = Lookup<BEWRITEINFOTAG>(*library, "beWriteInfoTag");
  // beVersion and beWriteVBRHeader are never called, but a library without them is not a
  // lame_enc.dll we know how to drive.
  if (!entries.beInitStream || !entries.beEncodeChunk || !entries.beDeinitStream ||
      !entries.beCloseStream || !entries.beVersion || !entries.beWriteVBRHeader)
    throw AudioError(audio_messages::kNoLameInterfaces);  // `library` unloads on the way out

  entries_ = entries;
  library_ = std::move(library);
  loaded_.store(true, std::memory_order_release);
}

LameBinding& LameBinding::Process() {
  // Never destroyed: encoder streams may still be closed while the process exits.
  static LameBinding* binding = new LameBinding(OpenPlatformLibrary);
  return *binding;
}

void LoadLameEncoder() { LameBinding::Process().Load(); }
