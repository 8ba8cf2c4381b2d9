// The studio's track editor without a window: the show's sync tracks as
// columns of a tracker, a cursor and a block selection, a clipboard, undo
// and redo of every edit, what is unsaved and the save itself, and what to
// do when a track file changes on the disk. Edits go straight into the
// show's SyncTrack objects, so the next frame already shows them.
#pragma once

#include "sync/sync_track.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::studio {

// Rows and tracks of a block, both ends included; `first` <= `last`.
struct Block {
  std::int32_t firstRow = 0;
  std::int32_t lastRow = 0;
  int firstColumn = 0;
  int lastColumn = 0;
};

// A track file that changed on the disk while the editor held unsaved edits
// of the same track: both sides are kept until the user chooses.
struct TrackConflict {
  int column = 0;
  std::string theirs;  // the file's bytes as found
};

// What the editor makes of a track file the data watcher saw change.
struct ExternalChange {
  bool apply = false;   // let the reloader put the file into the track
  std::string message;  // why not, for the message panel
};

class TrackEditor {
 public:
  // Edits `tracks` (owned by the show's sync device), each saved to
  // "<base>_<name>.track"; the files' present bytes are the saved state.
  TrackEditor(std::vector<sync::SyncTrack*> tracks, std::string base);

  int columns() const { return static_cast<int>(tracks_.size()); }
  const sync::SyncTrack& track(int column) const { return *tracks_[column].track; }
  const std::string& path(int column) const { return tracks_[column].path; }
  // The column of the track of that name, or -1.
  int columnOf(std::string_view name) const;

  // The index of the key at exactly `row` in the column, or -1.
  int keyAt(int column, std::int32_t row) const;

  // Edits, each one step of undo. A block is clamped to the columns there
  // are; an edit that changes nothing leaves no step.
  // Sets a key; an existing key keeps its interpolation, a new one takes the
  // one of the key before it (step when there is none).
  void setKey(int column, std::int32_t row, float value);
  // Sets the interpolation of the keys in the block.
  void setType(const Block& block, sync::KeyType type);
  // The next interpolation after the first key in the block (step, linear,
  // smooth, ramp, step...) given to every key in it. False: no key there.
  bool cycleType(const Block& block);
  void erase(const Block& block);
  void copy(const Block& block);
  void cut(const Block& block);
  // The clipboard's keys placed with their block's first row at `row` and
  // first track at `column`, replacing the keys in the rows it covers.
  void paste(int column, std::int32_t row);
  // The keys in the block moved `rows` down (negative: up), over the keys
  // where they land.
  void move(const Block& block, std::int32_t rows);
  // The values of the keys in the block multiplied by `factor`.
  void scale(const Block& block, float factor);

  bool undo();
  bool redo();
  std::size_t undoSteps() const { return undo_.size(); }
  std::size_t redoSteps() const { return redo_.size(); }
  static constexpr std::size_t maxUndoSteps = 4096;

  // Unsaved edits: in one track, in any.
  bool dirty(int column) const { return tracks_[column].dirty; }
  bool anyDirty() const;

  // Writes every changed track atomically. A track with an open conflict is
  // not written (the user chooses first). Returns one message per track
  // that could not be written; the others are saved.
  std::vector<std::string> save();

  // The watcher saw `file` change (whole, checked by the reloader) to
  // `bytes`. The editor's own save is skipped; a file changed while its
  // track has unsaved edits becomes a conflict; otherwise the file is taken
  // in (as an edit that can be undone).
  ExternalChange externalChange(std::string_view file, std::string_view bytes);
  const std::vector<TrackConflict>& conflicts() const { return conflicts_; }
  // Keep mine: the unsaved edits stay and the next save writes over the
  // file; theirs is kept as text in "<file>.theirs.txt". Take theirs: the
  // file's keys replace the track's (undoably). Returns what was done.
  std::string resolve(int column, bool keepMine);

 private:
  struct Column {
    sync::SyncTrack* track = nullptr;
    std::string path;
    std::vector<sync::SyncKey> saved;  // the keys as the file holds them
    std::string savedBytes;            // the file as last read or written
    bool dirty = false;
  };
  // The keys of one column in a range of rows, before and after an edit;
  // all rows when `whole`.
  struct Change {
    int column = 0;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = 0;
    bool whole = false;
    std::vector<sync::SyncKey> before;
    std::vector<sync::SyncKey> after;
  };
  using Step = std::vector<Change>;

  // Replaces the keys of `column` in rows [first, last] with `keys` and
  // returns the change; `keys` must lie in that range, ascending.
  Change replace(int column, std::int32_t first, std::int32_t last,
                 std::vector<sync::SyncKey> keys);
  void applyKeys(const Change& change, bool forward);
  void commit(Step step);
  void refreshDirty(int column);
  std::vector<sync::SyncKey> keysIn(int column, std::int32_t first, std::int32_t last) const;
  Block clamp(const Block& block) const;

  std::vector<Column> tracks_;
  std::deque<Step> undo_;
  std::vector<Step> redo_;
  struct Clip {
    int columns = 0;
    std::int32_t rows = 0;
    std::vector<std::vector<sync::SyncKey>> keys;  // rows relative to the block's first
  };
  std::optional<Clip> clip_;
  std::vector<TrackConflict> conflicts_;
};

}  // namespace tessaly::studio
