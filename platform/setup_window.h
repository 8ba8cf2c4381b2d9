// The setup dialog's window: a fixed-size GLFW window whose controls (a picture, two drop-down lists, four check
// boxes, Start and Quit) are drawn with Dear ImGui at the places of the
// dialog's template. The window holds the state of its controls, as a
// dialog's controls do; what the choices mean is decided by a handler.
#pragma once

#include "platform/picture.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::platform {

// The contents and selections of the dialog's controls. Selections are
// indices into the item lists; -1 means nothing is selected.
struct DialogControls {
  enum Check { fullscreen, verticalSync, multisampling, loopDemo, checkCount };

  std::vector<std::string> resolutionItems;  // in the order added
  int resolutionSelection = -1;
  std::vector<std::string> aspectItems;  // kept sorted, as a sorted drop-down list is
  int aspectSelection = -1;
  std::array<bool, checkCount> checks{};

  // Adds an item to the aspect list at its sorted place (byte order) and
  // returns its index; a selected item stays selected.
  int addAspectItem(std::string_view text);
  // Selects the first aspect item equal to `text`; nothing when none is.
  void selectAspectItem(std::string_view text);
  // The text of the selected aspect item, or an empty text.
  std::string selectedAspectText() const;
  // Selects resolution item `index`; an index outside the list selects none.
  void selectResolution(int index);
};

// What the window asks of the dialog's logic. Called on the window's thread,
// from inside runSetupWindow.
class SetupWindowHandler {
 public:
  virtual ~SetupWindowHandler() = default;
  // Once, after the window exists and before it is first drawn: fill the
  // controls.
  virtual void initialise(DialogControls& controls) = 0;
  // After the user picked an item in either drop-down list (the aspect list
  // reports every pick, even of the item already selected; the resolution
  // list reports a pick that changes its selection).
  virtual void selectionChanged(DialogControls& controls) = 0;
  // Start was pressed (or Enter): take the choices. The window then closes.
  virtual void start(const DialogControls& controls) = 0;
};

// The window's size and the places of its controls, in pixels: the
// template's dialog units at the base units of an 8-point dialog font
// (6 x 13 pixels for 4 x 8 units), rounded as the dialog manager rounds.
struct DialogRect {
  int x, y, width, height;
};
int dialogUnitsToPixelsX(int units);
int dialogUnitsToPixelsY(int units);
DialogRect dialogRect(int x, int y, int width, int height);  // from dialog units

struct SetupWindowLayout {
  int clientWidth, clientHeight;
  DialogRect picture, resolutionLabel, aspectLabel, resolutionList, aspectList;
  std::array<DialogRect, DialogControls::checkCount> checks;
  DialogRect startButton, quitButton;
};
const SetupWindowLayout& setupWindowLayout();

// Where a window's client area of `size` pixels goes along one axis of a
// work area, given its frame's `frameBefore` (left or title bar) and
// `frameAfter` pixels: centred on the area, moved inside it where centring
// would leave part outside, and, when the window and frame are larger than
// the area, with the frame's start at the area's start, so the title bar
// and the first controls stay on screen. Returns the client area's start.
int placeInWorkArea(int areaStart, int areaLength, int size, int frameBefore, int frameAfter);

// Opens the window (not resizable, centred on the primary monitor's work
// area and kept inside it: see placeInWorkArea; with `icons` as its icon: see setWindowIcon), lets the handler fill
// it, shows `picture` at its place, and runs it until Start or Quit.
// Returns 1 after Start, 0 after Quit (or SIGTERM or SIGINT, see
// termination.h), -1 when the window cannot be made
// (with no display it says so on stderr). The close button and Escape do
// nothing; Enter presses Start (Quit when Quit has the keyboard focus, the
// focused item when a list is open). The keyboard works the dialog alone:
// Tab and Shift+Tab go round the controls, the arrows move between them
// and through an open list, Space presses the focused one. Initialises GLFW if needed and terminates
// it before returning, so a later window starts from a fresh glfwInit. Must
// run on the main thread.
int runSetupWindow(SetupWindowHandler& handler, const char* title, const Picture& picture,
                   std::span<const RgbaPicture> icons = {});

}  // namespace tessaly::platform
