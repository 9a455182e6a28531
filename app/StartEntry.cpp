#include "app/StartEntry.h"

bool StartCommandNames(std::wstring_view command, std::wstring_view exe) {
  if (exe.empty()) return false;
  const size_t start = command.find_first_not_of(L" \t");
  if (start == std::wstring_view::npos) return false;
  command.remove_prefix(start);
  if (command.front() == L'"') {
    // Whatever follows the closing quote is arguments, as CreateProcess reads the line.
    const size_t close = command.find(L'"', 1);
    return close != std::wstring_view::npos && SamePathText(command.substr(1, close - 1), exe);
  }
  // Unquoted, a folder with blanks in it is still read up to the program's name (CreateProcess
  // tries the longer names in turn), so the path is matched as a whole before the first argument.
  if (command.size() < exe.size() || !SamePathText(command.substr(0, exe.size()), exe)) return false;
  return command.size() == exe.size() || command[exe.size()] == L' ' || command[exe.size()] == L'\t';
}

bool StartupApprovedDisables(std::span<const uint8_t> record) { return !record.empty() && (record[0] & 1) != 0; }

std::array<uint8_t, 12> StartupApprovedEnabled(std::span<const uint8_t> record) {
  std::array<uint8_t, 12> enabled{};
  enabled[0] = record.empty() ? 0x02 : static_cast<uint8_t>(record[0] & ~1u);
  return enabled;
}
