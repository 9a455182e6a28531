#include "app/TrayNotices.h"

namespace {

constexpr const char* kEllipsis = "...";

// `later` after `earlier` on a line of its own; their titles are the same program's.
TrayNotice Joined(const TrayNotice& earlier, const TrayNotice& later) {
  if (earlier.text.empty()) return later;
  return {later.title, earlier.text + "\n" + later.text};
}

}  // namespace

std::string FitNotification(const std::string& text, size_t maxBytes, const ICodePage& codePage) {
  if (text.size() <= maxBytes) return text;
  std::string kept = text.substr(0, maxBytes + 1);
  const size_t lineEnd = kept.find_last_of('\n');
  if (lineEnd != std::string::npos && lineEnd > 0) return text.substr(0, lineEnd);
  // One line longer than the whole balloon: its start, cut between characters.
  const size_t room = maxBytes > 3 ? maxBytes - 3 : maxBytes;
  return CutToBytes(codePage, text, room) + (maxBytes > 3 ? kEllipsis : "");
}

TrayNotice TrayNotices::Fit(const TrayNotice& notice) const {
  return {FitNotification(notice.title, kNoticeTitleBytes, codePage_),
          FitNotification(notice.text, kNoticeTextBytes, codePage_)};
}

std::optional<TrayNotice> TrayNotices::Add(const std::string& title, const std::string& text, uint64_t nowMs) {
  const TrayNotice notice{title, text};
  if (!iconThere_) {
    waiting_ = waiting_ ? Joined(*waiting_, notice) : notice;
    return std::nullopt;
  }
  const bool unread = shownAt_ && nowMs - *shownAt_ < kUnreadMs;
  TrayNotice next = unread ? Joined(shown_, notice) : notice;
  // A joined text too long for the balloon keeps the newest whole: the earlier one is cut first.
  if (unread && next.text.size() > kNoticeTextBytes && notice.text.size() < kNoticeTextBytes) {
    const size_t room = kNoticeTextBytes - notice.text.size() - 1;
    const std::string earlier = FitNotification(shown_.text, room, codePage_);
    next.text = earlier.empty() ? notice.text : earlier + "\n" + notice.text;
  }
  shown_ = Fit(next);
  shownAt_ = nowMs;
  return shown_;
}

std::optional<TrayNotice> TrayNotices::IconAdded(uint64_t nowMs) {
  iconThere_ = true;
  if (!waiting_) return std::nullopt;
  const TrayNotice notice = *waiting_;
  waiting_.reset();
  return Add(notice.title, notice.text, nowMs);
}
