// The setup window's control model and its layout in pixels; no window here
// (the window itself is setup_window_imgui.cpp).
#include "platform/setup_window.h"

#include <algorithm>

namespace tessaly::platform {

int DialogControls::addAspectItem(std::string_view text) {
  const auto at = std::upper_bound(aspectItems.begin(), aspectItems.end(), text,
                                   [](std::string_view a, const std::string& b) { return a < b; });
  const int index = static_cast<int>(at - aspectItems.begin());
  aspectItems.insert(at, std::string(text));
  if (aspectSelection >= index) {
    ++aspectSelection;
  }
  return index;
}

void DialogControls::selectAspectItem(std::string_view text) {
  const auto found = std::find(aspectItems.begin(), aspectItems.end(), text);
  if (found != aspectItems.end()) {
    aspectSelection = static_cast<int>(found - aspectItems.begin());
  }
}

std::string DialogControls::selectedAspectText() const {
  if (aspectSelection < 0 || aspectSelection >= static_cast<int>(aspectItems.size())) {
    return {};
  }
  return aspectItems[static_cast<std::size_t>(aspectSelection)];
}

void DialogControls::selectResolution(int index) {
  const bool inside = index >= 0 && index < static_cast<int>(resolutionItems.size());
  resolutionSelection = inside ? index : -1;
}

namespace {

// The dialog font's base units: an 8-point dialog font averages 6 pixels a
// character and is 13 pixels high; a dialog unit is a quarter of the first
// and an eighth of the second.
constexpr int baseUnitX = 6;
constexpr int baseUnitY = 13;

// units x numerator / denominator, rounded half up as the dialog manager's
// MulDiv rounds.
int scaleRounded(int units, int numerator, int denominator) {
  const long long product = static_cast<long long>(units) * numerator;
  return static_cast<int>((product + denominator / 2) / denominator);
}

}  // namespace

int dialogUnitsToPixelsX(int units) { return scaleRounded(units, baseUnitX, 4); }
int dialogUnitsToPixelsY(int units) { return scaleRounded(units, baseUnitY, 8); }

DialogRect dialogRect(int x, int y, int width, int height) {
  return {dialogUnitsToPixelsX(x), dialogUnitsToPixelsY(y), dialogUnitsToPixelsX(width),
          dialogUnitsToPixelsY(height)};
}

int placeInWorkArea(int areaStart, int areaLength, int size, int frameBefore, int frameAfter) {
  const int outer = frameBefore + size + frameAfter;
  int outerStart = areaStart + (areaLength - outer) / 2;
  outerStart = std::min(outerStart, areaStart + areaLength - outer);
  outerStart = std::max(outerStart, areaStart);
  return outerStart + frameBefore;
}

const SetupWindowLayout& setupWindowLayout() {
  // The template: 365 x 247 units; the controls at their places in units.
  static const SetupWindowLayout layout = {
      dialogUnitsToPixelsX(365),
      dialogUnitsToPixelsY(247),
      dialogRect(16, 7, 333, 123),    // picture
      dialogRect(18, 133, 191, 8),    // "Resolution"
      dialogRect(253, 133, 94, 8),    // "Aspect ratio"
      dialogRect(17, 142, 192, 61),   // resolution list (height includes its drop-down)
      dialogRect(251, 142, 97, 61),   // aspect list
      {dialogRect(21, 187, 57, 10),   // "Fullscreen"
       dialogRect(85, 187, 63, 10),   // "Vertical sync"
       dialogRect(157, 187, 54, 10),  // "Multisampling"
       dialogRect(254, 187, 54, 10)}, // "Loop demo"
      dialogRect(19, 203, 192, 28),   // Start
      dialogRect(252, 203, 96, 28),   // Quit
  };
  return layout;
}

}  // namespace tessaly::platform
