// The track editor's model: edits as row ranges replaced, kept for undo.
#include "tools/studio/track_editor.h"

#include "platform/atomic_file.h"
#include "sync/track_text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <system_error>
#include <thread>

namespace tessaly::studio {

namespace {

using sync::KeyType;
using sync::SyncKey;

bool sameKey(const SyncKey& a, const SyncKey& b) {
  // Bit for bit, so a NaN equals itself and -0 differs from 0.
  return a.row == b.row && a.type == b.type && std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
}

bool sameKeys(const std::vector<SyncKey>& a, const std::vector<SyncKey>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameKey);
}

bool strictlyAscending(const std::vector<SyncKey>& keys) {
  for (std::size_t i = 1; i < keys.size(); ++i) {
    if (keys[i].row <= keys[i - 1].row) return false;
  }
  return true;
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

auto firstAtOrAfter(const std::vector<SyncKey>& keys, std::int32_t row) {
  return std::lower_bound(keys.begin(), keys.end(), row,
                          [](const SyncKey& key, std::int32_t r) { return key.row < r; });
}

KeyType nextType(KeyType type) {
  switch (type) {
    case KeyType::step: return KeyType::linear;
    case KeyType::linear: return KeyType::smooth;
    case KeyType::smooth: return KeyType::ramp;
    default: return KeyType::step;
  }
}

// Rows that stay inside an int32 after adding `delta`.
std::int32_t shifted(std::int32_t row, std::int64_t delta) {
  const std::int64_t moved =
      std::clamp<std::int64_t>(row + delta, 0, std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(moved);
}

}  // namespace

TrackEditor::TrackEditor(std::vector<sync::SyncTrack*> tracks, std::string base) {
  for (sync::SyncTrack* track : tracks) {
    Column column;
    column.track = track;
    column.path = base + "_" + track->name + ".track";
    column.saved = track->keys();
    column.savedBytes = readBytes(column.path);
    tracks_.push_back(std::move(column));
  }
}

int TrackEditor::columnOf(std::string_view name) const {
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    if (tracks_[i].track->name == name) return static_cast<int>(i);
  }
  return -1;
}

int TrackEditor::keyAt(int column, std::int32_t row) const {
  const std::vector<SyncKey>& keys = tracks_[column].track->keys();
  const auto found = firstAtOrAfter(keys, row);
  return found != keys.end() && found->row == row ? static_cast<int>(found - keys.begin()) : -1;
}

std::vector<SyncKey> TrackEditor::keysIn(int column, std::int32_t first, std::int32_t last) const {
  const std::vector<SyncKey>& keys = tracks_[column].track->keys();
  std::vector<SyncKey> inside;
  for (auto it = firstAtOrAfter(keys, first); it != keys.end() && it->row <= last; ++it) {
    inside.push_back(*it);
  }
  return inside;
}

Block TrackEditor::clamp(const Block& block) const {
  Block out = block;
  if (out.firstRow > out.lastRow) std::swap(out.firstRow, out.lastRow);
  if (out.firstColumn > out.lastColumn) std::swap(out.firstColumn, out.lastColumn);
  out.firstColumn = std::max(out.firstColumn, 0);
  out.lastColumn = std::min(out.lastColumn, columns() - 1);
  return out;
}

TrackEditor::Change TrackEditor::replace(int column, std::int32_t first, std::int32_t last,
                                         std::vector<SyncKey> inside) {
  sync::SyncTrack& track = *tracks_[column].track;
  Change change;
  change.column = column;
  change.firstRow = first;
  change.lastRow = last;
  std::vector<SyncKey> keys = track.keys();
  if (!strictlyAscending(keys)) {
    // A file out of row order: the edit puts the whole track in order (the
    // last key of a row wins, as the tracker plays it) and is undone whole.
    change.whole = true;
    change.before = keys;
    std::stable_sort(keys.begin(), keys.end(),
                     [](const SyncKey& a, const SyncKey& b) { return a.row < b.row; });
    std::vector<SyncKey> unique;
    for (const SyncKey& key : keys) {
      if (!unique.empty() && unique.back().row == key.row)
        unique.back() = key;
      else
        unique.push_back(key);
    }
    keys = std::move(unique);
  } else {
    change.before = keysIn(column, first, last);
  }
  const auto from = firstAtOrAfter(keys, first);
  auto to = from;
  while (to != keys.end() && to->row <= last)
    ++to;
  const auto at = keys.erase(from, to);
  keys.insert(at, inside.begin(), inside.end());
  if (change.whole) {
    change.after = keys;
  } else {
    change.after = std::move(inside);
  }
  track.setKeys(std::move(keys));
  return change;
}

void TrackEditor::applyKeys(const Change& change, bool forward) {
  const std::vector<SyncKey>& keys = forward ? change.after : change.before;
  sync::SyncTrack& track = *tracks_[change.column].track;
  if (change.whole) {
    track.setKeys(keys);
  } else {
    std::vector<SyncKey> all = track.keys();
    const auto from = firstAtOrAfter(all, change.firstRow);
    auto to = from;
    while (to != all.end() && to->row <= change.lastRow)
      ++to;
    all.insert(all.erase(from, to), keys.begin(), keys.end());
    track.setKeys(std::move(all));
  }
  refreshDirty(change.column);
}

void TrackEditor::commit(Step step) {
  std::erase_if(step, [](const Change& change) {
    return !change.whole && sameKeys(change.before, change.after);
  });
  for (const Change& change : step)
    refreshDirty(change.column);
  if (step.empty()) return;
  undo_.push_back(std::move(step));
  while (undo_.size() > maxUndoSteps)
    undo_.pop_front();
  redo_.clear();
}

void TrackEditor::refreshDirty(int column) {
  Column& c = tracks_[column];
  c.dirty = !sameKeys(c.track->keys(), c.saved);
}

bool TrackEditor::anyDirty() const {
  return std::any_of(tracks_.begin(), tracks_.end(), [](const Column& c) { return c.dirty; });
}

void TrackEditor::setKey(int column, std::int32_t row, float value) {
  if (column < 0 || column >= columns() || row < 0) return;
  const std::vector<SyncKey>& keys = tracks_[column].track->keys();
  SyncKey key{row, value, KeyType::step};
  if (strictlyAscending(keys)) {
    const auto it = firstAtOrAfter(keys, row);
    if (it != keys.end() && it->row == row) {
      key.type = it->type;
    } else if (it != keys.begin()) {
      key.type = std::prev(it)->type;
    }
  } else {
    // Out of row order: the last key at or before the row, as played.
    std::int32_t best = -1;
    for (const SyncKey& k : keys) {
      if (k.row <= row && k.row >= best) {
        best = k.row;
        key.type = k.type;
      }
    }
  }
  commit({replace(column, row, row, {key})});
}

void TrackEditor::setType(const Block& block, KeyType type) {
  const Block b = clamp(block);
  Step step;
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    std::vector<SyncKey> keys = keysIn(c, b.firstRow, b.lastRow);
    for (SyncKey& key : keys)
      key.type = type;
    step.push_back(replace(c, b.firstRow, b.lastRow, std::move(keys)));
  }
  commit(std::move(step));
}

bool TrackEditor::cycleType(const Block& block) {
  const Block b = clamp(block);
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    const std::vector<SyncKey> keys = keysIn(c, b.firstRow, b.lastRow);
    if (!keys.empty()) {
      setType(b, nextType(keys.front().type));
      return true;
    }
  }
  return false;
}

void TrackEditor::erase(const Block& block) {
  const Block b = clamp(block);
  Step step;
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    step.push_back(replace(c, b.firstRow, b.lastRow, {}));
  }
  commit(std::move(step));
}

void TrackEditor::copy(const Block& block) {
  const Block b = clamp(block);
  if (b.firstColumn > b.lastColumn) return;
  Clip clip;
  clip.columns = b.lastColumn - b.firstColumn + 1;
  clip.rows = b.lastRow - b.firstRow + 1;
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    std::vector<SyncKey> keys = keysIn(c, b.firstRow, b.lastRow);
    for (SyncKey& key : keys)
      key.row -= b.firstRow;
    clip.keys.push_back(std::move(keys));
  }
  clip_ = std::move(clip);
}

void TrackEditor::cut(const Block& block) {
  copy(block);
  erase(block);
}

void TrackEditor::paste(int column, std::int32_t row) {
  if (!clip_ || row < 0) return;
  Step step;
  const std::int32_t last = shifted(row, std::int64_t{clip_->rows} - 1);
  for (int i = 0; i < clip_->columns && column + i < columns(); ++i) {
    if (column + i < 0) continue;
    std::vector<SyncKey> keys;
    for (SyncKey key : clip_->keys[static_cast<std::size_t>(i)]) {
      key.row = shifted(key.row, row);
      if (key.row <= last && (keys.empty() || keys.back().row < key.row)) keys.push_back(key);
    }
    step.push_back(replace(column + i, row, last, std::move(keys)));
  }
  commit(std::move(step));
}

void TrackEditor::move(const Block& block, std::int32_t rows) {
  const Block b = clamp(block);
  if (rows == 0) return;
  // Not above row 0: the block stops there.
  const auto delta =
      static_cast<std::int32_t>(std::max<std::int64_t>(rows, -std::int64_t{b.firstRow}));
  if (delta == 0) return;
  const std::int32_t first = std::min(b.firstRow, shifted(b.firstRow, delta));
  const std::int32_t last = std::max(b.lastRow, shifted(b.lastRow, delta));
  Step step;
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    std::vector<SyncKey> span = keysIn(c, first, last);
    std::vector<SyncKey> moving;
    std::vector<SyncKey> staying;
    for (const SyncKey& key : span) {
      (key.row >= b.firstRow && key.row <= b.lastRow ? moving : staying).push_back(key);
    }
    const std::int32_t landFirst = shifted(b.firstRow, delta);
    const std::int32_t landLast = shifted(b.lastRow, delta);
    std::vector<SyncKey> result;
    for (const SyncKey& key : staying) {
      if (key.row < landFirst || key.row > landLast) result.push_back(key);
    }
    for (SyncKey key : moving) {
      key.row = shifted(key.row, delta);
      result.push_back(key);
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const SyncKey& a, const SyncKey& k) { return a.row < k.row; });
    step.push_back(replace(c, first, last, std::move(result)));
  }
  commit(std::move(step));
}

void TrackEditor::scale(const Block& block, float factor) {
  const Block b = clamp(block);
  Step step;
  for (int c = b.firstColumn; c <= b.lastColumn; ++c) {
    std::vector<SyncKey> keys = keysIn(c, b.firstRow, b.lastRow);
    for (SyncKey& key : keys)
      key.value *= factor;
    step.push_back(replace(c, b.firstRow, b.lastRow, std::move(keys)));
  }
  commit(std::move(step));
}

bool TrackEditor::undo() {
  if (undo_.empty()) return false;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  for (auto it = step.rbegin(); it != step.rend(); ++it)
    applyKeys(*it, false);
  redo_.push_back(std::move(step));
  return true;
}

bool TrackEditor::redo() {
  if (redo_.empty()) return false;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  for (const Change& change : step)
    applyKeys(change, true);
  undo_.push_back(std::move(step));
  return true;
}

std::vector<std::string> TrackEditor::save() {
  struct Write {
    std::size_t column = 0;
    std::string bytes;
    std::string error;
    bool ok = false;
  };
  std::vector<std::string> problems;
  std::vector<Write> writes;
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    Column& c = tracks_[i];
    if (!c.dirty) continue;
    const bool conflicted = std::any_of(conflicts_.begin(), conflicts_.end(), [&](const auto& x) {
      return x.column == static_cast<int>(i);
    });
    if (conflicted) {
      problems.push_back("not saved: " + c.path +
                         " changed on the disk; choose keep mine or take theirs first");
      continue;
    }
    writes.push_back({i, sync::trackFileBytes(c.track->keys()), {}, false});
  }
  // Each file is flushed to the disk before its rename; written side by
  // side, those waits overlap instead of adding up. Only the files are
  // touched off this thread.
  std::vector<std::thread> threads;
  for (Write& write : writes) {
    const std::string& path = tracks_[write.column].path;
    const auto run = [&write, &path] {
      write.ok = platform::writeFileAtomically(path, write.bytes, write.error);
    };
    try {
      threads.emplace_back(run);
    } catch (const std::system_error&) {
      run();  // no thread to be had: written here
    }
  }
  for (std::thread& thread : threads)
    thread.join();
  for (Write& write : writes) {
    Column& c = tracks_[write.column];
    if (!write.ok) {
      problems.push_back(write.error);
      continue;
    }
    c.saved = c.track->keys();
    c.savedBytes = std::move(write.bytes);
    c.dirty = false;
  }
  return problems;
}

ExternalChange TrackEditor::externalChange(std::string_view file, std::string_view bytes) {
  ExternalChange result;
  int column = -1;
  for (std::size_t i = 0; i < tracks_.size(); ++i) {
    if (tracks_[i].path == file) column = static_cast<int>(i);
  }
  if (column < 0) {
    result.apply = true;
    return result;
  }
  Column& c = tracks_[static_cast<std::size_t>(column)];
  if (bytes == c.savedBytes) {
    result.message = "the studio's own save (not reloaded)";
    return result;
  }
  if (c.dirty) {
    std::erase_if(conflicts_, [&](const TrackConflict& x) { return x.column == column; });
    conflicts_.push_back({column, std::string(bytes)});
    result.message =
        "changed on the disk while the editor has unsaved edits of it: keep mine "
        "or take theirs (both kept until you choose)";
    return result;
  }
  // Taken in as an edit, so the editor's history stays whole.
  c.savedBytes = std::string(bytes);
  c.saved = sync::readTrackBytes(bytes).keys;
  Change change;
  change.column = column;
  change.whole = true;
  change.before = c.track->keys();
  change.after = c.saved;
  c.track->setKeys(c.saved);
  commit({std::move(change)});
  result.message = "reloaded into the track editor (undo takes it back)";
  return result;
}

std::string TrackEditor::resolve(int column, bool keepMine) {
  const auto it = std::find_if(conflicts_.begin(), conflicts_.end(),
                               [&](const TrackConflict& x) { return x.column == column; });
  if (it == conflicts_.end()) return {};
  const std::string theirs = std::move(it->theirs);
  conflicts_.erase(it);
  Column& c = tracks_[static_cast<std::size_t>(column)];
  // Either way the file's bytes are now the saved state; mine stay unsaved
  // until the next save, theirs become the track as one undoable edit.
  c.savedBytes = theirs;
  c.saved = sync::readTrackBytes(theirs).keys;
  if (keepMine) {
    refreshDirty(column);
    // Theirs stays readable beside the track, as text tessaly-track can
    // import again.
    const std::string backup = c.path + ".theirs.txt";
    std::string error;
    if (!platform::writeFileAtomically(backup, sync::trackText(sync::splitTrackBytes(theirs)),
                                       error)) {
      return error;
    }
    return "their version kept as " + backup;
  }
  Change change;
  change.column = column;
  change.whole = true;
  change.before = c.track->keys();
  change.after = c.saved;
  c.track->setKeys(c.saved);
  commit({std::move(change)});
  return "took their version of " + c.path;
}

}  // namespace tessaly::studio
