#pragma once
// What the tray makes of the program's notifications. The shell holds 63 bytes of title and 255
// of text and shows one balloon at a time, a new one replacing the last: texts are cut at a whole
// line, or at a whole character of the ANSI code page when one line is too long, never emptied;
// a notification that comes while the last may still be unread is joined to it; and those that
// come before the icon is there wait for it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/AnsiText.h"

constexpr size_t kNoticeTitleBytes = 63;
constexpr size_t kNoticeTextBytes = 255;

// `text` in at most `maxBytes` bytes: whole lines while they fit; a first line that does not
// fit alone is cut at a whole character and ends in "...". Empty only when `text` is.
std::string FitNotification(const std::string& text, size_t maxBytes, const ICodePage& codePage = AnsiCodePage());

struct TrayNotice {
  std::string title;
  std::string text;
};

class TrayNotices {
 public:
  // How long a balloon stays up, unread, before the next may replace it.
  static constexpr uint64_t kUnreadMs = 10000;

  explicit TrayNotices(const ICodePage& codePage = AnsiCodePage()) : codePage_(codePage) {}

  // A notification at monotonic `nowMs`: what to show now (joined to one still unread), or
  // nothing while the icon is not there (it waits, joined with others, for IconAdded).
  std::optional<TrayNotice> Add(const std::string& title, const std::string& text, uint64_t nowMs);
  // The icon is there (added, or put back after the shell restarted): what waited, if anything.
  std::optional<TrayNotice> IconAdded(uint64_t nowMs);
  void IconLost() { iconThere_ = false; }
  // The user clicked the balloon or it closed: the next one starts afresh.
  void Read() { shownAt_.reset(); }

 private:
  TrayNotice Fit(const TrayNotice& notice) const;

  const ICodePage& codePage_;
  bool iconThere_ = false;
  std::optional<TrayNotice> waiting_;  // before the icon was there
  TrayNotice shown_;
  std::optional<uint64_t> shownAt_;
};
