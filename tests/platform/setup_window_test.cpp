#include "platform/setup_window.h"

#include <gtest/gtest.h>

namespace tessaly::platform {
namespace {

using Strings = std::vector<std::string>;

TEST(DialogControls, TheAspectListKeepsItsItemsSortedAndItsSelection) {
  DialogControls controls;
  for (const char* group : {"16:9", "16:10", "4:3", "Others"}) {
    controls.addAspectItem(group);
  }
  EXPECT_EQ(controls.aspectItems, (Strings{"16:10", "16:9", "4:3", "Others"}));
  EXPECT_EQ(controls.selectedAspectText(), "");

  controls.selectAspectItem("4:3");
  EXPECT_EQ(controls.aspectSelection, 2);
  EXPECT_EQ(controls.addAspectItem("10:1"), 0);  // sorts first: the selection moves along
  EXPECT_EQ(controls.aspectSelection, 3);
  EXPECT_EQ(controls.selectedAspectText(), "4:3");
  controls.selectAspectItem("21:9");  // not in the list: the selection stays
  EXPECT_EQ(controls.selectedAspectText(), "4:3");
}

TEST(DialogControls, SelectingAResolutionOutsideTheListSelectsNone) {
  DialogControls controls;
  controls.resolutionItems = {"800 X 600", "1024 X 768"};
  controls.selectResolution(1);
  EXPECT_EQ(controls.resolutionSelection, 1);
  controls.selectResolution(2);
  EXPECT_EQ(controls.resolutionSelection, -1);
  controls.selectResolution(-1);
  EXPECT_EQ(controls.resolutionSelection, -1);
}

TEST(SetupWindowLayout, PlacesTheTemplateAtAn8PointFontsBaseUnits) {
  const SetupWindowLayout& layout = setupWindowLayout();
  EXPECT_EQ(layout.clientWidth, 548);   // 365 units
  EXPECT_EQ(layout.clientHeight, 401);  // 247 units
  // The 333 x 123-unit picture is the 500 x 200 bitmap.
  EXPECT_EQ(layout.picture.x, 24);
  EXPECT_EQ(layout.picture.y, 11);
  EXPECT_EQ(layout.picture.width, 500);
  EXPECT_EQ(layout.picture.height, 200);
  EXPECT_EQ(layout.resolutionList.x, 26);
  EXPECT_EQ(layout.resolutionList.y, 231);
  EXPECT_EQ(layout.resolutionList.width, 288);
  EXPECT_EQ(layout.aspectList.x, 377);
  EXPECT_EQ(layout.checks[DialogControls::loopDemo].x, 381);
  EXPECT_EQ(layout.checks[DialogControls::loopDemo].y, 304);
  EXPECT_EQ(layout.checks[DialogControls::loopDemo].height, 16);
  EXPECT_EQ(layout.startButton.x, 29);
  EXPECT_EQ(layout.startButton.y, 330);
  EXPECT_EQ(layout.startButton.width, 288);
  EXPECT_EQ(layout.startButton.height, 46);
  EXPECT_EQ(layout.quitButton.x, 378);
  EXPECT_EQ(layout.quitButton.width, 144);
  // Halves round up, as the dialog manager rounds.
  EXPECT_EQ(dialogUnitsToPixelsX(1), 2);  // 1.5
  EXPECT_EQ(dialogUnitsToPixelsY(4), 7);  // 6.5
  EXPECT_EQ(dialogUnitsToPixelsY(0), 0);
}

TEST(PlaceInWorkArea, CentresWhatFitsAndKeepsTheTitleBarOfWhatDoesNotOnScreen) {
  struct Case {
    int areaStart, areaLength, size, frameBefore, frameAfter, expected;
  };
  const Case cases[] = {
      {0, 1080, 401, 0, 0, 339},   // centred
      {0, 1080, 401, 30, 5, 352},  // frame and window centred together: (1080-436)/2 + 30
      {0, 360, 401, 0, 0, 0},      // taller than the area: its top at the area's top
      {0, 360, 401, 30, 5, 30},    // ...with the title bar on screen
      {40, 360, 401, 0, 0, 40},    // a panel above the work area
      {0, 640, 548, 0, 0, 46},
      {100, 500, 548, 2, 2, 102},  // wider than an offset area
      {0, 401, 401, 0, 0, 0},      // exactly as large
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placeInWorkArea(c.areaStart, c.areaLength, c.size, c.frameBefore, c.frameAfter),
              c.expected)
        << c.areaStart << "+" << c.areaLength << " for " << c.size;
  }
}

}  // namespace
}  // namespace tessaly::platform
