// tessaly-inspect track FILE [ROW ...]: the keys of a sync track file as the
// player loads them, and the track's value at each row.
//   {"file": F, "keys": [{"row": i, "value": f, "type": i, "seconds": d,
//                         "interpolation": s}, ...],
//    "values": [{"row": r, "value": d, "seconds": d}, ...]}
// "interpolation" names the type ("step", "linear", "smooth", "ramp"; null
// for any other number); "seconds" is the row's time in the music. A file
// that is recognisably of another kind (text, a picture, a soundtrack) is
// refused rather than read as keys.
#include "sync/sync_track.h"
#include "sync/track_text.h"
#include "tools/inspect/file_kind.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"

#include <filesystem>

namespace tessaly::tools {

namespace {

// Text shorter than a key count could be an odd track file; longer text
// states a count of more than 150 million keys.
std::uintmax_t trackFileSize(const std::string& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return error ? 0 : size;
}

}  // namespace

int runTrackCommand(const Invocation& invocation) {
  std::string file;
  std::vector<double> rows;
  if (const int status = takeFileAndNumbers(invocation, "ROW", file, rows); status != exitOk) {
    return status;
  }
  if (const FileKind kind = fileKindOfPath(file); kind != FileKind::binary && kind != FileKind::empty &&
                                                   (kind != FileKind::otherText || trackFileSize(file) >= 4)) {
    return invocation.wrongKind(file, "a sync track file", fileKindName(kind));
  }
  sync::TrackData read = sync::readTrackFile(file);
  if (!read.opened) {
    return invocation.unreadable(file, "cannot be opened");
  }
  const sync::SyncTrack track(file, std::move(read.keys));

  JsonWriter json(invocation.out);
  json.beginObject();
  json.field("file", file);
  json.key("keys");
  json.beginArray();
  for (const sync::SyncKey& key : track.keys()) {
    json.beginObject();
    json.field("row", std::int64_t{key.row});
    json.field("value", key.value);
    json.field("type", static_cast<std::int64_t>(key.type));
    json.field("seconds", key.row / sync::rowsPerSecond);
    json.key("interpolation");
    if (const char* name = sync::keyTypeName(key.type); name != nullptr) {
      json.string(name);
    } else {
      json.null();
    }
    json.endObject();
  }
  json.endArray();
  json.key("values");
  json.beginArray();
  for (const double row : rows) {
    json.beginObject();
    json.field("row", row);
    json.field("value", track.valueAt(row));
    json.field("seconds", row / sync::rowsPerSecond);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  invocation.out += '\n';
  return exitOk;
}

}  // namespace tessaly::tools
