#include "platform/notify_records.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <cstring>
#include <string>

namespace tessaly::platform {
namespace {

// One record as the system lays it out: the header, then the name padded
// with NULs to `nameBytes`.
std::string record(int watch, std::uint32_t mask, const std::string& name, std::uint32_t nameBytes) {
  inotify_event header{};
  header.wd = watch;
  header.mask = mask;
  header.len = nameBytes;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  std::string padded = name;
  padded.resize(nameBytes, '\0');
  return bytes + padded;
}

TEST(NotifyRecords, DecodesEachRecordWithItsNameWithoutPadding) {
  const std::string bytes = record(1, IN_CREATE, "Foo.png", 16) + record(2, IN_IGNORED, "", 0) +
                            record(3, IN_CREATE | IN_ISDIR, "Ship", 4);
  const std::vector<NotifyRecord> records = decodeNotifyRecords(bytes);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].watch, 1);
  EXPECT_EQ(records[0].mask, static_cast<std::uint32_t>(IN_CREATE));
  EXPECT_EQ(records[0].name, "Foo.png");
  EXPECT_EQ(records[1].watch, 2);
  EXPECT_EQ(records[1].name, "");
  EXPECT_EQ(records[2].name, "Ship") << "a name that fills its room has no NUL";
}

TEST(NotifyRecords, ARecordCutShortOrClaimingMoreThanWasReadEndsTheDecoding) {
  const std::string whole = record(1, IN_MODIFY, "a.obj", 16);
  // The name claims more bytes than follow it (a damaged read).
  const std::string overlong = record(2, IN_MODIFY, "b.obj", 16).substr(0, sizeof(inotify_event) + 8);
  EXPECT_EQ(decodeNotifyRecords(whole + overlong).size(), 1u);
  // A header cut short.
  EXPECT_EQ(decodeNotifyRecords(whole + whole.substr(0, 7)).size(), 1u);
  // A length near the top of its range must not wrap the bounds check.
  std::string huge = record(4, IN_MODIFY, "", 0);
  const std::uint32_t most = 0xFFFFFFF0u;
  std::memcpy(huge.data() + offsetof(inotify_event, len), &most, sizeof most);
  EXPECT_EQ(decodeNotifyRecords(whole + huge + whole).size(), 1u);
  EXPECT_TRUE(decodeNotifyRecords("").empty());
}

TEST(NotifyRecords, RecordsAtAnyOffsetDecode) {
  // Records need not sit at aligned offsets in the bytes handed over.
  const std::string bytes = "x" + record(5, IN_CLOSE_WRITE, "c.ma", 8);
  const std::vector<NotifyRecord> records = decodeNotifyRecords(std::string_view(bytes).substr(1));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].watch, 5);
  EXPECT_EQ(records[0].name, "c.ma");
}

}  // namespace
}  // namespace tessaly::platform
