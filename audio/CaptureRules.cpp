#include "audio/CaptureRules.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

bool ProductNameMatches(std::string_view productName, std::string_view wanted) {
  return Lower(productName).find(Lower(wanted)) != std::string::npos;
}

bool FriendlyNameMatches(std::string_view friendlyName, std::string_view wanted) {
  return friendlyName.find(wanted) != std::string_view::npos;
}

bool SelectRecordingItem(MixerListControl& control, const std::string& lineName) {
  const size_t channels = std::max<uint32_t>(control.channels, 1);
  bool changed = false;
  auto set = [&](size_t index, int32_t value) {
    if (index < control.values.size() && control.values[index] != value) {
      control.values[index] = value;
      changed = true;
    }
  };
  // The values hold `channels` entries per item; the item's name is the list text at the
  // value index, as the mixer reports one list text per value.
  for (size_t i = 0; i < control.items && i < control.values.size(); i += channels) {
    const bool match = i < control.itemNames.size() && control.itemNames[i] == lineName;
    if (match) {
      set(i, 1);
      set(i + channels - 1, 1);
    } else if (control.singleSelect) {
      set(i, 0);
      set(i + channels - 1, 0);
    }
  }
  return changed;
}

bool WaitForReturn(const std::atomic<uint8_t>& outstanding, std::chrono::milliseconds timeout,
                   const std::function<void()>& sleepStep) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (outstanding.load(std::memory_order_acquire) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    sleepStep();
  }
  return true;
}
