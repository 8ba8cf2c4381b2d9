// tessaly-inspect track FILE [ROW ...]: the keys of a sync track file as the
// player loads them, and the track's value at each row.
//   {"file": F, "keys": [{"row": i, "value": f, "type": i}, ...],
//    "values": [{"row": r, "value": d}, ...]}
#include "sync/sync_track.h"
#include "tools/inspect/inspect.h"
#include "tools/inspect/json_writer.h"

namespace tessaly::tools {

int runTrackCommand(const Invocation& invocation) {
  std::string file;
  std::vector<double> rows;
  if (const int status = takeFileAndNumbers(invocation, "ROW", file, rows); status != exitOk) {
    return status;
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
    json.endObject();
  }
  json.endArray();
  json.key("values");
  json.beginArray();
  for (const double row : rows) {
    json.beginObject();
    json.field("row", row);
    json.field("value", track.valueAt(row));
    json.endObject();
  }
  json.endArray();
  json.endObject();
  invocation.out += '\n';
  return exitOk;
}

}  // namespace tessaly::tools
