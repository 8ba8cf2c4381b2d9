// What a changed file under "Data/" means for a running show, and the queue
// of reloads waiting for their files to be written out. Plain logic: no GL,
// no files, time given by the caller.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaly::app {

enum class ReloadKind {
  shaderPair,       // a program built from "Shaders/<key>.vert" and ".frag"
  picture,          // a picture of "Textures/", key its path below "Data/"
  rootPicture,      // a picture at the top of "Data/" ("Loading.jpg")
  model,            // an OBJ model of "Models/"
  materialLibrary,  // an MTL library of "Models/": the models that name it
  mayaScene,        // any ".ma" of "Maya/": the one scene is read again
  track,            // "Rocket/sync_<key>.track", key the track's name
  soundtrack,       // the soundtrack
};

struct ReloadTarget {
  ReloadKind kind = ReloadKind::shaderPair;
  // Tells targets of one kind apart; changes with equal kind and key are one
  // reload.
  std::string key;

  bool operator==(const ReloadTarget&) const = default;
};

// The target a change to `path` (below "Data/", with '/' separators, as the
// data watcher reports it) calls for; nullopt for anything the show does
// not read. Picture and model extensions compare case-insensitively, as the
// listing of the asset folders does.
std::optional<ReloadTarget> reloadTargetOf(std::string_view path);

// The file of a target, relative to the working directory ("Data/..."); for
// a shader pair its fragment file, for the Maya scene its folder.
std::string reloadFileOf(const ReloadTarget& target);

// How long a file that is being written (no close seen yet) must stay quiet
// before it is read.
inline constexpr std::chrono::milliseconds settleTime{150};

// Reloads waiting, one per target, each with the time it becomes due: at
// once for a finished write (closed, or moved in by an editor's rename),
// after settleTime of quiet otherwise. A new change to a waiting target
// moves its time; its place in the arrival order stays.
class ReloadQueue {
 public:
  using Clock = std::chrono::steady_clock;

  void note(const ReloadTarget& target, bool finished, Clock::time_point now);

  // Up to `limit` targets due at `now`, in arrival order; they leave the
  // queue.
  std::vector<ReloadTarget> takeDue(Clock::time_point now, std::size_t limit);

  std::size_t size() const { return waiting_.size(); }
  bool empty() const { return waiting_.empty(); }

 private:
  struct Waiting {
    ReloadTarget target;
    Clock::time_point due;
  };
  static std::string indexKey(const ReloadTarget& target);

  // By arrival; the index finds a target's place, so a flood of changes
  // costs a lookup each.
  std::map<std::uint64_t, Waiting> waiting_;
  std::unordered_map<std::string, std::uint64_t> index_;
  std::uint64_t arrivals_ = 0;
};

}  // namespace tessaly::app
