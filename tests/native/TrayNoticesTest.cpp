// The tray's notifications: cut to what the shell holds without losing them or splitting a
// character, joined while one is unread, and kept until the icon is there.
#include <gtest/gtest.h>

#include <vector>

#include "app/TrayIconAdd.h"
#include "app/TrayNotices.h"
#include "tests/native/SchedulerRig.h"

namespace {

// An add the shell timed out on but carried out is refused the next time as a duplicate: the
// modify that follows finds the icon. A modify is asked only after a refused add.
TEST(TrayIconAdd, ARefusedAddIsFollowedByAModifyWhoseSuccessMeansTheIconIsThere) {
  using R = TrayIconRequest;
  struct Case {
    bool addTaken;
    bool modifyTaken;
    bool there;
    std::vector<R> asked;
  };
  const Case cases[] = {
      {true, false, true, {R::Add}},
      {false, true, true, {R::Add, R::Modify}},
      {false, false, false, {R::Add, R::Modify}},
  };
  for (const Case& c : cases) {
    std::vector<R> asked;
    const bool there = AddTrayIconOrAdoptIt([&](R request) {
      asked.push_back(request);
      return request == R::Add ? c.addTaken : c.modifyTaken;
    });
    EXPECT_EQ(there, c.there) << c.addTaken << c.modifyTaken;
    EXPECT_EQ(asked, c.asked) << c.addTaken << c.modifyTaken;
  }
}

TEST(TrayNotices, TextsAreCutAtAWholeLineOrCharacterAndNeverEmptied) {
  const FakeCodePage932 cp932;
  const std::string kanji = "\x83\x5C";  // one character whose second byte is '\'
  struct Case {
    std::string text;
    size_t max;
    std::string fitted;
  };
  const Case cases[] = {
      {"short", 255, "short"},
      {"first line\nsecond line", 15, "first line"},
      {std::string(300, 'a'), 255, std::string(252, 'a') + "..."},
      {"a" + std::string(10, '\x83') + kanji, 10, "a" + std::string(6, '\x83') + "..."},
      {"x" + kanji + kanji + kanji + kanji, 8, "x" + kanji + kanji + "..."},
      {"", 255, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FitNotification(c.text, c.max, cp932), c.fitted) << c.text;
}

TEST(TrayNotices, ANoticeWaitsForTheIconAndDoesNotReplaceAnUnreadOne) {
  TrayNotices notices;
  EXPECT_FALSE(notices.Add("Kestrune", "Missed while Kestrune was not running: News, Mon 7 Dec 07:00", 0));
  EXPECT_FALSE(notices.Add("Kestrune", "Recording \"Jazz\" into 20261207_074000.mp3", 500));
  const auto first = notices.IconAdded(3000);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->text, "Missed while Kestrune was not running: News, Mon 7 Dec 07:00\n"
                         "Recording \"Jazz\" into 20261207_074000.mp3");
  // Still unread: joined, the newest kept whole when the two do not fit.
  const auto joined = notices.Add("Kestrune", std::string(200, 'n'), 5000);
  ASSERT_TRUE(joined);
  EXPECT_LE(joined->text.size(), kNoticeTextBytes);
  EXPECT_EQ(joined->text.substr(joined->text.size() - 200), std::string(200, 'n'));
  EXPECT_EQ(joined->text.rfind("Missed while", 0), 0u);
  // Read, or its time up: the next stands alone.
  notices.Read();
  EXPECT_EQ(notices.Add("Kestrune", "Recorded", 6000)->text, "Recorded");
  EXPECT_EQ(notices.Add("Kestrune", "Later", 6000 + TrayNotices::kUnreadMs)->text, "Later");
}

}  // namespace
