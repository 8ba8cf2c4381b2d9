// The track editor on the screen: the tracker window drawn with Dear ImGui
// over the frame (only the rows and tracks that fit), the quit prompt, and
// the editor's keys. The edits themselves are TrackEditor's.
#pragma once

#include "tools/studio/track_editor.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaly::studio {

// The whole row the editor's cursor is on while the music is at `row`: a
// row reached by whole steps in seconds may come back a hair below it.
inline std::int32_t cursorRowOf(double row) {
  return row <= 0.0 ? 0 : static_cast<std::int32_t>(row + 1e-6);
}

// What the tracker window shows besides the model: where the cursor is, the
// block being selected, the value being typed.
struct EditorUi {
  bool open = false;
  int column = 0;
  int firstColumn = 0;  // the leftmost track shown
  // The other corner of the selected block (row, column); none: the cursor
  // cell alone.
  std::optional<std::pair<std::int32_t, int>> anchor;
  std::string typed;  // a value being typed at the cursor
  bool quitPrompt = false;
  std::string status;  // the last thing done, shown under the tracks

  // The selected block, or the cursor's cell, at `row`.
  Block block(std::int32_t row) const;
};

// The quit prompt's answer this frame.
enum class QuitChoice { none, saveAndQuit, quit, cancel };

// Draws the tracker window (when open) with the cursor row `row` centred,
// and the quit prompt (when asked). Inside an ImGui frame.
QuitChoice drawTrackEditor(TrackEditor& editor, EditorUi& ui, double row);

// What an editor key asks of the studio besides the edit.
struct EditorKeyResult {
  bool handled = false;
  std::optional<std::int32_t> seekRows;  // move the music this many rows
  bool save = false;
};

// Handles a GLFW key (pressed or repeated) while the editor is open, at the
// current row. Not handled: the studio's own meaning applies.
EditorKeyResult handleEditorKey(TrackEditor& editor, EditorUi& ui, int key, int mods,
                                std::int32_t row);

}  // namespace tessaly::studio
