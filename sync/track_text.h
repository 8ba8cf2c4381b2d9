// Track files written as well as read, and their plain text form for people,
// git and scripts: one key a line ("row value interpolation"), with the
// interpolation by name. The text holds everything the binary file holds,
// odd files included (a key count that does not match the keys, bytes after
// the last key, a file too short for a count), so a file exported and
// imported again is the same file, byte for byte.
#pragma once

#include "sync/sync_track.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::sync {

// A track file taken apart exactly.
struct TrackFile {
  // The key count the file states; nullopt when the file is shorter than a
  // count (then `rest` is the whole file and there are no keys).
  std::optional<std::int32_t> count;
  std::vector<SyncKey> keys;  // every whole key the file holds, in file order
  std::string rest;           // the bytes after the last whole key (or the count)

  // The file a tracker writes: the count is the number of keys and nothing
  // follows them.
  static TrackFile of(std::vector<SyncKey> keys);
  bool operator==(const TrackFile&) const = default;
};

// The file's bytes taken apart; joinTrackBytes(splitTrackBytes(b)) == b.
// The keys are those the file holds whole, up to the count it states (a
// negative count: none).
TrackFile splitTrackBytes(std::string_view bytes);
std::string joinTrackBytes(const TrackFile& file);

// The bytes of a track file holding `keys`.
std::string trackFileBytes(const std::vector<SyncKey>& keys);

// The interpolation's name ("step", "linear", "smooth", "ramp"); nullptr for
// any other type.
const char* keyTypeName(KeyType type);

// The text form. Values are written with nine significant digits (every
// float reads back exactly); a NaN as "nan:" and its eight hex digits of bits.
std::string trackText(const TrackFile& file);

// How the text trackText writes begins, so a tool can tell it apart from
// the binary file.
inline constexpr std::string_view trackTextHeading = "# Tessaly sync track";

// Where reading a text form stopped.
struct TrackTextError {
  int line = 0;  // 1-based
  std::string message;
};

// Reads a text form back. Nothing is partly read: on the first bad line the
// result is nullopt and `error` says which line and why. Keys out of row
// order are taken as written (the file format allows them); `outOfOrder`,
// when given, gets the number of keys whose row is not above the one before.
std::optional<TrackFile> parseTrackText(std::string_view text, TrackTextError& error,
                                        int* outOfOrder = nullptr);

}  // namespace tessaly::sync
