// The tracker window and the editor's keys.
#include "tools/studio/editor_view.h"

#include "sync/track_text.h"

#include <GLFW/glfw3.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tessaly::studio {

namespace {

constexpr float rowNumberWidth = 56.0f;
constexpr float columnWidth = 96.0f;
constexpr float curveHeight = 70.0f;

const ImU32 keyColours[] = {
    IM_COL32(235, 235, 235, 255),  // step
    IM_COL32(120, 220, 255, 255),  // linear
    IM_COL32(140, 255, 140, 255),  // smooth
    IM_COL32(255, 190, 90, 255),   // ramp
};
const ImU32 faintColour = IM_COL32(150, 150, 150, 110);
const ImU32 cursorRowColour = IM_COL32(80, 80, 160, 120);
const ImU32 selectionColour = IM_COL32(200, 160, 40, 70);
const ImU32 beatColour = IM_COL32(255, 255, 255, 14);

const char* typeLetter(sync::KeyType type) {
  switch (type) {
    case sync::KeyType::step: return "S";
    case sync::KeyType::linear: return "L";
    case sync::KeyType::smooth: return "M";
    case sync::KeyType::ramp: return "R";
  }
  return "?";
}

// The typed text as a finite float, or nothing.
std::optional<float> typedValue(const std::string& typed) {
  if (typed.empty()) return std::nullopt;
  char* end = nullptr;
  const float value = std::strtof(typed.c_str(), &end);
  if (end != typed.c_str() + typed.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The character a key types into a value, or 0.
char typedChar(int key) {
  if (key >= GLFW_KEY_0 && key <= GLFW_KEY_9) return static_cast<char>('0' + key - GLFW_KEY_0);
  if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) {
    return static_cast<char>('0' + key - GLFW_KEY_KP_0);
  }
  if (key == GLFW_KEY_PERIOD || key == GLFW_KEY_KP_DECIMAL) return '.';
  if (key == GLFW_KEY_MINUS || key == GLFW_KEY_KP_SUBTRACT) return '-';
  return 0;
}

void drawTracks(TrackEditor& editor, EditorUi& ui, std::int32_t cursorRow, double row) {
  ImDrawList* draw = ImGui::GetWindowDrawList();
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  const ImVec2 avail = ImGui::GetContentRegionAvail();
  const float lineHeight = ImGui::GetTextLineHeightWithSpacing();
  const float tableHeight = std::max(avail.y - curveHeight - 2 * lineHeight, 3 * lineHeight);
  const int visibleRows = std::max(1, static_cast<int>(tableHeight / lineHeight) - 1);
  const int visibleColumns =
      std::max(1, static_cast<int>((avail.x - rowNumberWidth) / columnWidth));
  // Keep the cursor's track in view.
  ui.firstColumn = std::clamp(ui.firstColumn, ui.column - visibleColumns + 1, ui.column);
  ui.firstColumn = std::clamp(ui.firstColumn, 0, std::max(0, editor.columns() - 1));
  const int lastColumn = std::min(editor.columns() - 1, ui.firstColumn + visibleColumns - 1);
  const std::int32_t firstRow = cursorRow - visibleRows / 2;
  const Block block = ui.block(cursorRow);

  // Header: the track names, a star when unsaved.
  for (int c = ui.firstColumn; c <= lastColumn; ++c) {
    const float x =
        origin.x + rowNumberWidth + static_cast<float>(c - ui.firstColumn) * columnWidth;
    std::string name = editor.track(c).name;
    if (name.size() > 11) name = name.substr(0, 11);
    if (editor.dirty(c)) name += "*";
    draw->AddText(ImVec2(x + 2, origin.y),
                  c == ui.column ? IM_COL32(255, 255, 120, 255) : IM_COL32(220, 220, 220, 255),
                  name.c_str());
  }
  const float top = origin.y + lineHeight;
  const float width =
      rowNumberWidth + static_cast<float>(lastColumn - ui.firstColumn + 1) * columnWidth;
  char text[64];
  for (int i = 0; i < visibleRows; ++i) {
    const std::int32_t r = firstRow + i;
    if (r < 0) continue;
    const float y = top + static_cast<float>(i) * lineHeight;
    if (r == cursorRow) {
      draw->AddRectFilled(ImVec2(origin.x, y), ImVec2(origin.x + width, y + lineHeight),
                          cursorRowColour);
    } else if (r % 8 == 0) {
      draw->AddRectFilled(ImVec2(origin.x, y), ImVec2(origin.x + width, y + lineHeight),
                          beatColour);
    }
    std::snprintf(text, sizeof text, "%6d", r);
    draw->AddText(ImVec2(origin.x, y), IM_COL32(160, 160, 160, 255), text);
    for (int c = ui.firstColumn; c <= lastColumn; ++c) {
      const float x =
          origin.x + rowNumberWidth + static_cast<float>(c - ui.firstColumn) * columnWidth;
      if (r >= block.firstRow && r <= block.lastRow && c >= block.firstColumn &&
          c <= block.lastColumn && ui.anchor) {
        draw->AddRectFilled(ImVec2(x, y), ImVec2(x + columnWidth - 2, y + lineHeight),
                            selectionColour);
      }
      if (r == cursorRow && c == ui.column) {
        draw->AddRect(ImVec2(x, y), ImVec2(x + columnWidth - 2, y + lineHeight),
                      IM_COL32(255, 255, 120, 255));
        if (!ui.typed.empty()) {
          draw->AddText(ImVec2(x + 2, y), IM_COL32(255, 255, 120, 255), (ui.typed + "_").c_str());
          continue;
        }
      }
      const int index = editor.keyAt(c, r);
      if (index >= 0) {
        const sync::SyncKey& key = editor.track(c).keys()[static_cast<std::size_t>(index)];
        const auto type = static_cast<int>(key.type);
        std::snprintf(text, sizeof text, "%9.3f %s", static_cast<double>(key.value),
                      typeLetter(key.type));
        draw->AddText(ImVec2(x + 2, y), type >= 0 && type < 4 ? keyColours[type] : faintColour,
                      text);
      } else {
        std::snprintf(text, sizeof text, "%9.3f", editor.track(c).valueAt(r));
        draw->AddText(ImVec2(x + 2, y), faintColour, text);
      }
    }
  }
  // The curve of the cursor's track over the rows shown, the playing row marked.
  const float curveTop = top + static_cast<float>(visibleRows) * lineHeight + 4;
  const sync::SyncTrack& track = editor.track(ui.column);
  constexpr int samples = 160;
  std::vector<double> values(samples);
  double low = 0.0;
  double high = 0.0;
  for (int i = 0; i < samples; ++i) {
    const double at = firstRow + static_cast<double>(visibleRows) * i / (samples - 1);
    values[static_cast<std::size_t>(i)] = track.valueAt(at);
    low = i == 0 ? values[0] : std::min(low, values[static_cast<std::size_t>(i)]);
    high = i == 0 ? values[0] : std::max(high, values[static_cast<std::size_t>(i)]);
  }
  const double span = high > low ? high - low : 1.0;
  const float curveWidth = std::max(avail.x - 8, 40.0f);
  draw->AddRectFilled(ImVec2(origin.x, curveTop),
                      ImVec2(origin.x + curveWidth, curveTop + curveHeight),
                      IM_COL32(0, 0, 0, 120));
  std::vector<ImVec2> points;
  for (int i = 0; i < samples; ++i) {
    const double v = (values[static_cast<std::size_t>(i)] - low) / span;
    points.emplace_back(origin.x + curveWidth * static_cast<float>(i) / (samples - 1),
                        curveTop + curveHeight - 4 - static_cast<float>(v) * (curveHeight - 8));
  }
  draw->AddPolyline(points.data(), samples, IM_COL32(120, 220, 255, 255), 0, 1.5f);
  const float now = origin.x + curveWidth * static_cast<float>((row - firstRow) / visibleRows);
  draw->AddLine(ImVec2(now, curveTop), ImVec2(now, curveTop + curveHeight),
                IM_COL32(255, 255, 120, 200));
  std::snprintf(text, sizeof text, "%s  %.3f .. %.3f", track.name.c_str(), low, high);
  draw->AddText(ImVec2(origin.x + 4, curveTop + 2), IM_COL32(220, 220, 220, 200), text);
  ImGui::Dummy(ImVec2(width, curveTop + curveHeight - origin.y + 2));
}

}  // namespace

Block EditorUi::block(std::int32_t row) const {
  Block block{row, row, column, column};
  if (anchor) {
    block.firstRow = std::min(row, anchor->first);
    block.lastRow = std::max(row, anchor->first);
    block.firstColumn = std::min(column, anchor->second);
    block.lastColumn = std::max(column, anchor->second);
  }
  return block;
}

QuitChoice drawTrackEditor(TrackEditor& editor, EditorUi& ui, double row) {
  QuitChoice choice = QuitChoice::none;
  if (ui.quitPrompt) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always,
                            ImVec2(0.5f, 0.5f));
    ImGui::Begin("Unsaved tracks", nullptr,
                 ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoCollapse);
    ImGui::TextUnformatted("Some tracks have unsaved edits. Quit anyway?");
    if (ImGui::Button("Save and quit (Y)")) choice = QuitChoice::saveAndQuit;
    ImGui::SameLine();
    if (ImGui::Button("Quit without saving (N)")) choice = QuitChoice::quit;
    ImGui::SameLine();
    if (ImGui::Button("Cancel (Escape)")) choice = QuitChoice::cancel;
    ImGui::End();
  }
  if (!ui.open || editor.columns() == 0) return choice;
  ui.column = std::clamp(ui.column, 0, editor.columns() - 1);
  const std::int32_t cursorRow = cursorRowOf(row);
  ImGui::SetNextWindowPos(ImVec2(360, 10), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowSize(ImVec2(760, 520), ImGuiCond_FirstUseEver);
  ImGui::SetNextWindowBgAlpha(0.85f);
  const std::string title =
      std::string("Tracks (F3)") + (editor.anyDirty() ? " - unsaved" : "") + "###tracks";
  if (!ImGui::Begin(title.c_str(), &ui.open)) {
    ImGui::End();
    return choice;
  }
  for (const TrackConflict& conflict : std::vector<TrackConflict>(editor.conflicts())) {
    ImGui::PushID(conflict.column);
    ImGui::TextColored(ImVec4(1, 0.6f, 0.3f, 1),
                       "%s changed on the disk:", editor.track(conflict.column).name.c_str());
    ImGui::SameLine();
    if (ImGui::SmallButton("keep mine")) ui.status = editor.resolve(conflict.column, true);
    ImGui::SameLine();
    if (ImGui::SmallButton("take theirs")) ui.status = editor.resolve(conflict.column, false);
    ImGui::PopID();
  }
  drawTracks(editor, ui, cursorRow, row);
  ImGui::TextDisabled("%s", ui.status.c_str());
  ImGui::End();
  return choice;
}

EditorKeyResult handleEditorKey(TrackEditor& editor, EditorUi& ui, int key, int mods,
                                std::int32_t row) {
  EditorKeyResult result;
  result.handled = true;
  const bool ctrl = (mods & GLFW_MOD_CONTROL) != 0;
  const bool shift = (mods & GLFW_MOD_SHIFT) != 0;
  if (editor.columns() == 0) {
    result.handled = false;
    return result;
  }
  const auto select = [&] {
    if (shift && !ui.anchor) ui.anchor = std::make_pair(row, ui.column);
    if (!shift) ui.anchor.reset();
  };
  const Block block = ui.block(row);
  if (ctrl) {
    switch (key) {
      case GLFW_KEY_C:
        editor.copy(block);
        ui.status = "copied";
        break;
      case GLFW_KEY_X:
        editor.cut(block);
        ui.status = "cut";
        break;
      case GLFW_KEY_V:
        editor.paste(block.firstColumn, block.firstRow);
        ui.status = "pasted";
        break;
      case GLFW_KEY_Z:
        ui.status = (shift ? editor.redo() : editor.undo()) ? (shift ? "redone" : "undone")
                                                            : "nothing to undo or redo";
        break;
      case GLFW_KEY_Y: ui.status = editor.redo() ? "redone" : "nothing to redo"; break;
      case GLFW_KEY_UP:
      case GLFW_KEY_DOWN: {
        const std::int32_t delta = key == GLFW_KEY_UP ? -1 : 1;
        if (block.firstRow + delta < 0) break;
        editor.move(block, delta);
        if (ui.anchor) ui.anchor->first += delta;
        result.seekRows = delta;
        ui.status = "moved";
        break;
      }
      case GLFW_KEY_K:
      case GLFW_KEY_T:
        if (!editor.conflicts().empty()) {
          ui.status = editor.resolve(editor.conflicts().front().column, key == GLFW_KEY_K);
        }
        break;
      default: result.handled = false; break;
    }
    return result;
  }
  if (const char c = typedChar(key)) {
    ui.typed += c;
    return result;
  }
  switch (key) {
    case GLFW_KEY_UP:
    case GLFW_KEY_DOWN:
      select();
      result.seekRows = key == GLFW_KEY_UP ? -1 : 1;
      break;
    case GLFW_KEY_LEFT:
    case GLFW_KEY_RIGHT:
      select();
      ui.column = std::clamp(ui.column + (key == GLFW_KEY_LEFT ? -1 : 1), 0, editor.columns() - 1);
      break;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER:
      if (const auto value = typedValue(ui.typed)) {
        editor.setKey(ui.column, row, *value);
        ui.status = "key set";
      } else if (!ui.typed.empty()) {
        ui.status = "\"" + ui.typed + "\" is not a number";
      }
      ui.typed.clear();
      break;
    case GLFW_KEY_S:
      if (const auto value = typedValue(ui.typed)) {
        editor.scale(block, *value);
        ui.status = "scaled by " + ui.typed;
      }
      ui.typed.clear();
      break;
    case GLFW_KEY_BACKSPACE:
      if (ui.typed.empty())
        result.handled = false;
      else
        ui.typed.pop_back();
      break;
    case GLFW_KEY_ESCAPE:
      if (!ui.typed.empty())
        ui.typed.clear();
      else if (ui.anchor)
        ui.anchor.reset();
      else
        result.handled = false;
      break;
    case GLFW_KEY_DELETE:
      editor.erase(block);
      ui.status = "deleted";
      break;
    case GLFW_KEY_T:
      ui.status = editor.cycleType(block) ? "interpolation changed" : "no key here";
      break;
    default: result.handled = false; break;
  }
  return result;
}

}  // namespace tessaly::studio
