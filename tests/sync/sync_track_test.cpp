#include "sync/sync_track.h"
#include "sync/sync_track_detail.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::sync {
namespace {

const std::string fixtures = std::string(TESSALY_SOURCE_DIR) + "/tests/sync/data";

// A key with its type as the number the file stores, so that tables can
// hold any byte, not only the four known types.
struct Key {
  std::int32_t row;
  float value;
  std::int32_t type;
};

std::vector<SyncKey> keysOf(const std::vector<Key>& keys) {
  std::vector<SyncKey> result;
  for (const Key& key : keys) {
    result.push_back({key.row, key.value, static_cast<KeyType>(key.type)});
  }
  return result;
}

// The bytes of a track file, built in the file's byte order whatever the
// host's: little-endian count, then per key row, value bits and type byte.
std::string trackBytes(const std::vector<Key>& keys, std::int32_t count = -1) {
  std::string bytes;
  auto put32 = [&](std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
      bytes.push_back(static_cast<char>((word >> shift) & 0xFFu));
    }
  };
  const std::int32_t n = count >= 0 ? count : static_cast<std::int32_t>(keys.size());
  put32(static_cast<std::uint32_t>(n));
  for (const Key& key : keys) {
    put32(static_cast<std::uint32_t>(key.row));
    std::uint32_t valueBits = 0;
    std::memcpy(&valueBits, &key.value, sizeof valueBits);
    put32(valueBits);
    bytes.push_back(static_cast<char>(static_cast<std::int8_t>(key.type)));
  }
  return bytes;
}


SyncTrack trackOf(const std::vector<Key>& keys) {
  return SyncTrack("test", keysOf(keys));
}

struct DeviceDeleter {
  void operator()(SyncDevice* device) const { SyncDevice::destroy(device); }
};
using DevicePtr = std::unique_ptr<SyncDevice, DeviceDeleter>;

DevicePtr fixtureDevice() {
  return DevicePtr(SyncDevice::create((fixtures + "/sync").c_str()));
}

// --- Sampling ---------------------------------------------------------------

TEST(SyncTrackValue, NoKeysIsZeroAndOneKeyHoldsEverywhere) {
  const SyncTrack empty;
  for (const double row : {-5.0, 0.0, 0.5, 1e6}) {
    EXPECT_EQ(empty.valueAt(row), 0.0);
  }
  const SyncTrack one = trackOf({{40, 3.5f, 1}});
  for (const double row : {-1.0, 0.0, 39.99, 40.0, 40.5, 1e6}) {
    EXPECT_EQ(one.valueAt(row), 3.5) << row;
  }
}

TEST(SyncTrackValue, BeforeTheFirstKeyTheFirstValueHoldsWhateverItsType) {
  for (const std::int32_t type : {0, 1, 2, 3, 4, -1}) {
    const SyncTrack track = trackOf({{10, 7.0f, type}, {20, 9.0f, 1}});
    EXPECT_EQ(track.valueAt(9.999), 7.0) << type;
    EXPECT_EQ(track.valueAt(0.0), 7.0) << type;
    // Music before its start: negative rows.
    EXPECT_EQ(track.valueAt(-0.5), 7.0) << type;
    EXPECT_EQ(track.valueAt(-1e9), 7.0) << type;
  }
}

TEST(SyncTrackValue, ExactlyOnAKeyGivesItsValueForEveryType) {
  for (const std::int32_t type : {0, 1, 2, 3}) {
    const SyncTrack track = trackOf({{0, 1.0f, type}, {4, 2.0f, type}, {8, 5.0f, type}});
    EXPECT_EQ(track.valueAt(0.0), 1.0) << type;
    EXPECT_EQ(track.valueAt(4.0), 2.0) << type;
    EXPECT_EQ(track.valueAt(8.0), 5.0) << type;
  }
}

TEST(SyncTrackValue, MidpointsOfEachInterpolation) {
  // From 1 to 5 over one row, sampled at k0 + 0.5.
  auto at = [](std::int32_t type) { return trackOf({{3, 1.0f, type}, {4, 5.0f, 0}}).valueAt(3.5); };
  EXPECT_EQ(at(0), 1.0);  // step holds
  EXPECT_EQ(at(1), 3.0);  // linear midpoint
  EXPECT_EQ(at(2), 3.0);  // smooth: t^2 (3 - 2t) = 0.5
  EXPECT_EQ(at(3), 2.0);  // ramp: k0 + d / 4
}

TEST(SyncTrackValue, InterpolatesFromTheFractionalRowInDoubleWithAFloatDifference) {
  // t comes from the fractional row, not from the floored one, and is a double.
  const SyncTrack linear = trackOf({{0, 0.0f, 1}, {3, 1.0f, 0}});
  EXPECT_EQ(linear.valueAt(1.0), 1.0 / 3.0);
  EXPECT_EQ(linear.valueAt(2.25), 0.75);
  // The difference of the two values is a float; the sum is a double.
  const float a = 0.1f;
  const float b = 0.7f;
  const SyncTrack track = trackOf({{0, a, 1}, {1, b, 0}});
  const float d = b - a;
  const double expected = static_cast<double>(a) + static_cast<double>(d) * 0.3;
  const double allDouble =
      static_cast<double>(a) + (static_cast<double>(b) - static_cast<double>(a)) * 0.3;
  ASSERT_NE(expected, allDouble);  // the two choices differ for these values
  EXPECT_EQ(track.valueAt(0.3), expected);
  // Smooth and ramp transform t, then k0 + d * t.
  const double t = 0.3;
  EXPECT_EQ(trackOf({{0, a, 2}, {1, b, 0}}).valueAt(0.3), a + d * (t * t * (3.0 - 2.0 * t)));
  EXPECT_EQ(trackOf({{0, a, 3}, {1, b, 0}}).valueAt(0.3), a + d * (t * t));
}

TEST(SyncTrackValue, AtAndAfterTheLastKeyTheLastValueHolds) {
  const SyncTrack track = trackOf({{0, 1.0f, 1}, {10, 4.0f, 1}});
  EXPECT_EQ(track.valueAt(10.0), 4.0);
  EXPECT_EQ(track.valueAt(10.75), 4.0);
  EXPECT_EQ(track.valueAt(1e12), 4.0);
  EXPECT_EQ(track.valueAt(std::numeric_limits<double>::infinity()), 4.0);
  EXPECT_EQ(track.valueAt(-std::numeric_limits<double>::infinity()), 1.0);
}

TEST(SyncTrackValue, UnknownTypesZeroTheirSpanOnly) {
  // Types 4 and 0xFF (-1) start spans worth 0; the last key's type is unused.
  const SyncTrack track = trackOf({{0, 1.0f, 4}, {10, 2.0f, -1}, {20, 3.0f, 1}, {30, 4.0f, 77}});
  EXPECT_EQ(track.valueAt(0.0), 0.0);
  EXPECT_EQ(track.valueAt(5.0), 0.0);
  EXPECT_EQ(track.valueAt(10.0), 0.0);
  EXPECT_EQ(track.valueAt(19.5), 0.0);
  EXPECT_EQ(track.valueAt(25.0), 3.5);
  EXPECT_EQ(track.valueAt(30.0), 4.0);
}

TEST(SyncTrackValue, BinarySearchFindsTheSpanInALongTrack) {
  std::vector<Key> keys;
  for (std::int32_t i = 0; i < 1000; ++i) {
    keys.push_back({i * 3, static_cast<float>(i), 1});
  }
  const SyncTrack track = trackOf(keys);
  for (std::int32_t i = 0; i < 999; ++i) {
    EXPECT_EQ(track.valueAt(i * 3 + 1.5), i + 0.5) << i;
  }
}

TEST(SyncTrackValue, KeysOnTheSameRowFollowTheBinarySearchAndStayFinite) {
  // A damaged file with four keys on row 5. The search probes index 3 first
  // and stops there; its span to key 4 has no width and holds key 3's value
  // instead of dividing by zero.
  const SyncTrack track = trackOf({{1, 0.0f, 1}, {5, 1.0f, 1}, {5, 2.0f, 1}, {5, 3.0f, 1},
                                   {5, 4.0f, 1}, {9, 5.0f, 1}});
  EXPECT_EQ(track.valueAt(5.0), 3.0);
  EXPECT_EQ(track.valueAt(5.5), 3.0);
  EXPECT_EQ(track.valueAt(3.0), 0.5);
  // Keys out of order are searched as they are, not sorted.
  const SyncTrack unsorted = trackOf({{0, 0.0f, 1}, {50, 1.0f, 1}, {10, 2.0f, 1}, {20, 4.0f, 1}});
  EXPECT_EQ(unsorted.valueAt(15.0), 3.0);
}

// --- Files ------------------------------------------------------------------

TEST(SyncTrackFile, ReadsKeysLittleEndianWithTheTypeSignExtended) {
  // The first key spelled out byte by byte: count 1, row -16, -2.5f, type 3.
  const std::string oneKey("\x01\x00\x00\x00"
                           "\xF0\xFF\xFF\xFF"
                           "\x00\x00\x20\xC0"
                           "\x03",
                           13);
  const TrackData spelled = readTrackBytes(oneKey);
  ASSERT_EQ(spelled.keys.size(), 1u);
  EXPECT_EQ(spelled.keys[0].row, -16);
  EXPECT_EQ(spelled.keys[0].value, -2.5f);
  EXPECT_EQ(spelled.keys[0].type, KeyType::ramp);

  const TrackData track = readTrackBytes(
      trackBytes({{-16, -2.5f, 1}, {16, 2.5f, -1}, {0x12345678, 1e-30f, 127}, {1, 0.0f, -128}}));
  EXPECT_TRUE(track.opened);
  const std::vector<SyncKey>& keys = track.keys;
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].row, -16);
  EXPECT_EQ(keys[0].value, -2.5f);
  EXPECT_EQ(keys[0].type, KeyType::linear);
  EXPECT_EQ(keys[1].type, static_cast<KeyType>(-1));
  EXPECT_EQ(keys[2].row, 0x12345678);
  EXPECT_EQ(keys[2].value, 1e-30f);
  EXPECT_EQ(keys[2].type, static_cast<KeyType>(127));
  EXPECT_EQ(keys[3].type, static_cast<KeyType>(-128));
}

TEST(SyncTrackFile, KeepsOnlyTheKeysTheFileHolds) {
  struct Case {
    const char* file;
    std::size_t keys;
  };
  for (const Case& c : {Case{"sync_truncated.track", 2}, Case{"sync_oversized-count.track", 2},
                        Case{"sync_negative-count.track", 0}, Case{"sync_no-count.track", 0},
                        Case{"sync_empty.track", 0}, Case{"sync_trailing-bytes.track", 2}}) {
    const TrackData fromFile = readTrackFile(fixtures + "/" + c.file);
    ASSERT_TRUE(fromFile.opened) << c.file;
    const std::vector<SyncKey>& keys = fromFile.keys;
    EXPECT_EQ(keys.size(), c.keys) << c.file;
    // The same bytes in memory read the same.
    const std::vector<SyncKey> fromBytes =
        readTrackBytes(test::readFile(fixtures + "/" + c.file)).keys;
    ASSERT_EQ(fromBytes.size(), keys.size()) << c.file;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      EXPECT_EQ(fromBytes[i].row, keys[i].row);
      EXPECT_EQ(fromBytes[i].value, keys[i].value);
      EXPECT_EQ(fromBytes[i].type, keys[i].type);
    }
  }
  const TrackData absent = readTrackFile(fixtures + "/absent.track");
  EXPECT_FALSE(absent.opened);
  EXPECT_TRUE(absent.keys.empty());
}

// --- Device -----------------------------------------------------------------

TEST(SyncDevice, ReadsEachTrackFromBaseUnderscoreNameDotTrack) {
  DevicePtr device = fixtureDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->base(), fixtures + "/sync");
  SyncTrack* path = device->getTrack("campath.pos");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->name, "campath.pos");
  ASSERT_EQ(path->keyCount(), 6);
  EXPECT_EQ(path->valueAt(32.0), 0.125);      // linear 0 -> 0.25
  EXPECT_EQ(path->valueAt(96.0), 0.375);      // smooth midpoint 0.25 -> 0.5
  EXPECT_EQ(path->valueAt(160.0), 0.625);     // ramp 0.5 -> 1 at t = 0.5
  EXPECT_EQ(path->valueAt(200.0), 1.0);       // step
  EXPECT_EQ(path->valueAt(400.5), 0.0);       // after the last key
  SyncTrack* missing = device->getTrack("no.such.track");
  ASSERT_NE(missing, nullptr);
  EXPECT_EQ(missing->keyCount(), 0);
  EXPECT_EQ(missing->valueAt(3.0), 0.0);
  EXPECT_EQ(device->tracks().size(), 2u);
}

TEST(SyncDevice, NamesAreCaseSensitiveWithAFileEach) {
  DevicePtr device = fixtureDevice();
  SyncTrack* lower = device->getTrack("fov");
  SyncTrack* upper = device->getTrack("FOV");
  ASSERT_NE(lower, upper);
  EXPECT_EQ(lower->valueAt(0.0), 60.0);
  EXPECT_EQ(upper->valueAt(0.0), 10.0);
  EXPECT_EQ(device->getTrack("Fov")->keyCount(), 0);
}

// Counts the opens of the file functions a device was given.
int openCount = 0;
std::vector<std::string> openedPaths;
std::FILE* countingOpen(const char* path, const char* mode) {
  ++openCount;
  openedPaths.emplace_back(path);
  return std::fopen(path, mode);
}

TEST(SyncDevice, TheSameNameTwiceIsTheSameTrackReadOnce) {
  detail::TrackFiles files;
  files.open = countingOpen;
  DevicePtr device(detail::SyncDeviceAccess::create((fixtures + "/sync").c_str(), files));
  openCount = 0;
  openedPaths.clear();
  SyncTrack* first = device->getTrack("fov");
  SyncTrack* again = device->getTrack("fov");
  EXPECT_EQ(first, again);
  EXPECT_EQ(openCount, 1);
  ASSERT_EQ(openedPaths.size(), 1u);
  EXPECT_EQ(openedPaths[0], fixtures + "/sync_fov.track");
  EXPECT_EQ(device->tracks().size(), 1u);
}

TEST(SyncDevice, APathLongerThan259CharactersIsNotOpened) {
  test::TempDir dir;
  // base + "_" + name + ".track": make the whole path exactly 259, then 260.
  const std::string base = dir.file("sync");
  const std::size_t fixed = base.size() + 1 + std::strlen(".track");
  const std::string fits(259 - fixed, 'a');
  const std::string tooLong(260 - fixed, 'b');
  dir.write("sync_" + fits + ".track", trackBytes({{0, 1.0f, 0}}));
  dir.write("sync_" + tooLong + ".track", trackBytes({{0, 1.0f, 0}}));
  detail::TrackFiles files;
  files.open = countingOpen;
  DevicePtr device(detail::SyncDeviceAccess::create(base.c_str(), files));
  openCount = 0;
  EXPECT_EQ(device->getTrack(fits.c_str())->keyCount(), 1);
  EXPECT_EQ(device->getTrack(tooLong.c_str())->keyCount(), 0);
  EXPECT_EQ(openCount, 1);
}

// Reads that fail after `budget` successful items, as a file that breaks
// part-way would.
int readBudget = 0;
std::size_t failingRead(void* buffer, std::size_t size, std::size_t count, std::FILE* file) {
  if (readBudget-- <= 0) {
    return 0;
  }
  return std::fread(buffer, size, count, file);
}
int closeCount = 0;
int countingClose(std::FILE* file) {
  ++closeCount;
  return std::fclose(file);
}

TEST(SyncDevice, LoadsThroughItsFileFunctionsAndClosesWhatItOpened) {
  detail::TrackFiles files;
  files.read = failingRead;
  files.close = countingClose;
  DevicePtr device(detail::SyncDeviceAccess::create((fixtures + "/sync").c_str(), files));
  closeCount = 0;
  readBudget = 1 + 3 + 2;  // the count, one key, then half of the next
  SyncTrack* track = device->getTrack("campath.pos");
  EXPECT_EQ(track->keyCount(), 1);
  EXPECT_EQ(closeCount, 1);
  device->getTrack("not.there");
  EXPECT_EQ(closeCount, 1);
}

TEST(SyncDevice, DestroyAcceptsNull) {
  SyncDevice::destroy(nullptr);
  DevicePtr device(SyncDevice::create(nullptr));
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->base(), "");
}

}  // namespace
}  // namespace tessaly::sync
