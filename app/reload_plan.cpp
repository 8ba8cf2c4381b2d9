// Mapping changed paths to reloads, and the queue that lets a file finish
// being written before it is read.
#include "app/reload_plan.h"

#include <algorithm>
#include <cctype>

namespace tessaly::app {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) {
    return false;
  }
  return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

bool isPicture(std::string_view name) {
  return endsWithNoCase(name, ".jpg") || endsWithNoCase(name, ".png");
}

// The part of `path` after "<folder>/" when it names a file directly in that
// folder (the asset folders are listed without their subfolders); empty
// otherwise.
std::string_view fileIn(std::string_view path, std::string_view folder) {
  if (path.size() <= folder.size() + 1 || path.substr(0, folder.size()) != folder ||
      path[folder.size()] != '/') {
    return {};
  }
  const std::string_view name = path.substr(folder.size() + 1);
  return name.find('/') == std::string_view::npos ? name : std::string_view{};
}

}  // namespace

std::optional<ReloadTarget> reloadTargetOf(std::string_view path) {
  if (path.find('/') == std::string_view::npos) {
    if (isPicture(path)) {
      return ReloadTarget{ReloadKind::rootPicture, std::string(path)};
    }
    return std::nullopt;
  }
  if (const std::string_view name = fileIn(path, "Shaders"); !name.empty()) {
    for (const std::string_view extension : {".vert", ".frag"}) {
      if (name.size() > extension.size() && name.ends_with(extension)) {
        return ReloadTarget{ReloadKind::shaderPair,
                            std::string(name.substr(0, name.size() - extension.size()))};
      }
    }
    return std::nullopt;
  }
  if (const std::string_view name = fileIn(path, "Textures"); !name.empty()) {
    if (isPicture(name)) {
      return ReloadTarget{ReloadKind::picture, std::string(path)};
    }
    return std::nullopt;
  }
  if (const std::string_view name = fileIn(path, "Models"); !name.empty()) {
    if (endsWithNoCase(name, ".obj")) {
      return ReloadTarget{ReloadKind::model, std::string(path)};
    }
    if (name.ends_with(".mtl")) {
      return ReloadTarget{ReloadKind::materialLibrary, std::string(name)};
    }
    return std::nullopt;
  }
  if (const std::string_view name = fileIn(path, "Maya"); !name.empty()) {
    if (endsWithNoCase(name, ".ma")) {
      return ReloadTarget{ReloadKind::mayaScene, "Maya"};
    }
    return std::nullopt;
  }
  if (const std::string_view name = fileIn(path, "Rocket"); !name.empty()) {
    constexpr std::string_view prefix = "sync_";
    constexpr std::string_view extension = ".track";
    if (name.size() > prefix.size() + extension.size() && name.starts_with(prefix) &&
        name.ends_with(extension)) {
      return ReloadTarget{ReloadKind::track,
                          std::string(name.substr(prefix.size(), name.size() - prefix.size() -
                                                                     extension.size()))};
    }
    return std::nullopt;
  }
  if (path == "Sound/KestruneOriginalSoundtrack.mp3") {
    return ReloadTarget{ReloadKind::soundtrack, std::string(path)};
  }
  return std::nullopt;
}

std::string reloadFileOf(const ReloadTarget& target) {
  switch (target.kind) {
    case ReloadKind::shaderPair:
      return "Data/Shaders/" + target.key + ".frag";
    case ReloadKind::materialLibrary:
      return "Data/Models/" + target.key;
    case ReloadKind::mayaScene:
      return "Data/Maya/";
    case ReloadKind::track:
      return "Data/Rocket/sync_" + target.key + ".track";
    case ReloadKind::picture:
    case ReloadKind::rootPicture:
    case ReloadKind::model:
    case ReloadKind::soundtrack:
      break;
  }
  return "Data/" + target.key;
}

std::string ReloadQueue::indexKey(const ReloadTarget& target) {
  std::string key(1, static_cast<char>('a' + static_cast<int>(target.kind)));
  key += target.key;
  return key;
}

void ReloadQueue::note(const ReloadTarget& target, bool finished, Clock::time_point now) {
  const Clock::time_point due = finished ? now : now + settleTime;
  const auto [place, added] = index_.try_emplace(indexKey(target), arrivals_);
  if (added) {
    waiting_.emplace(arrivals_++, Waiting{target, due});
    return;
  }
  // A finished write makes the target due at once; a further write in
  // progress makes it wait for quiet again.
  waiting_.at(place->second).due = due;
}

std::vector<ReloadTarget> ReloadQueue::takeDue(Clock::time_point now, std::size_t limit) {
  std::vector<ReloadTarget> due;
  for (auto entry = waiting_.begin(); entry != waiting_.end() && due.size() < limit;) {
    if (entry->second.due > now) {
      ++entry;
      continue;
    }
    index_.erase(indexKey(entry->second.target));
    due.push_back(std::move(entry->second.target));
    entry = waiting_.erase(entry);
  }
  return due;
}

}  // namespace tessaly::app
