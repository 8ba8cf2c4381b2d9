#include "app/setup_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly::app {
namespace {

using platform::DialogControls;
using platform::DisplayMode;
using Strings = std::vector<std::string>;

// A display that reports a fixed list of modes and counts how often the
// dialog starts listing them (a read of mode number 0).
class FakeDisplay final : public DisplayModeSource {
 public:
  FakeDisplay(std::vector<DisplayMode> modes, std::int32_t width, std::int32_t height)
      : modes_(std::move(modes)), width_(width), height_(height) {}

  bool mode(int index, DisplayMode& mode) override {
    ++reads;
    if (index == 0) {
      ++listings;
    }
    if (index < 0 || index >= static_cast<int>(modes_.size())) {
      return false;
    }
    mode = modes_[static_cast<std::size_t>(index)];
    return true;
  }
  void desktopSize(std::int32_t& width, std::int32_t& height) override {
    width = width_;
    height = height_;
  }

  int listings = 0;
  long reads = 0;

 private:
  std::vector<DisplayMode> modes_;
  std::int32_t width_;
  std::int32_t height_;
};

// A monitor as GLFW reports one: ascending sizes, each size's refresh rates
// next to each other, and some 16-bit modes among them.
std::vector<DisplayMode> typicalModes() {
  return {
      {640, 480, 32, 60},   {640, 480, 32, 75},   {800, 600, 32, 60},   {800, 600, 32, 75},
      {1024, 768, 16, 60},  {1024, 768, 32, 60},  {1152, 864, 32, 60},  {1280, 720, 16, 60},
      {1280, 720, 32, 50},  {1280, 720, 32, 60},  {1280, 800, 32, 60},  {1280, 1024, 32, 60},
      {1280, 1024, 32, 75}, {1360, 768, 32, 60},  {1366, 768, 32, 60},  {1440, 900, 32, 60},
      {1600, 900, 32, 60},  {1680, 1050, 32, 60}, {1920, 1080, 32, 30}, {1920, 1080, 32, 50},
      {1920, 1080, 32, 60}, {1920, 1080, 16, 60}, {1920, 1200, 32, 60},
  };
}

// The dialog, its display and its controls, initialised from `config`.
struct Dialog {
  Dialog(std::vector<DisplayMode> modes, std::int32_t desktopWidth, std::int32_t desktopHeight,
         DemoConfig startConfig = DemoConfig{})
      : config(startConfig), display(std::move(modes), desktopWidth, desktopHeight),
        dialog(config, display) {
    dialog.initialise(controls);
  }

  // The user picks an aspect group in the aspect list.
  void pickAspect(std::string_view group) {
    controls.selectAspectItem(group);
    dialog.selectionChanged(controls);
  }
  // The user picks resolution item `index`.
  void pickResolution(int index) {
    controls.selectResolution(index);
    dialog.selectionChanged(controls);
  }

  DemoConfig config;
  FakeDisplay display;
  SetupDialog dialog;
  DialogControls controls;
};

TEST(AspectGroups, PutSizesInTheFirstGroupWhoseIntegerTestHolds) {
  EXPECT_EQ(aspectGroupOf(1920, 1080), "16:9");
  EXPECT_EQ(aspectGroupOf(1366, 768), "16:9");  // 768.375 truncates to 768
  EXPECT_EQ(aspectGroupOf(1600, 900), "16:9");
  EXPECT_EQ(aspectGroupOf(1920, 1200), "16:10");
  EXPECT_EQ(aspectGroupOf(1440, 900), "16:10");
  EXPECT_EQ(aspectGroupOf(1024, 768), "4:3");
  EXPECT_EQ(aspectGroupOf(1280, 1024), "Others");
  EXPECT_EQ(aspectGroupOf(1360, 768), "Others");  // 765 for 16:9
  // Tiny sizes pass several tests; the order 16:9, 16:10, 4:3 decides.
  EXPECT_EQ(aspectGroupOf(1, 0), "16:9");
  EXPECT_TRUE(passesAspectTest("16:10", 1, 0));
  EXPECT_FALSE(passesAspectTest("Others", 1, 0));
  EXPECT_FALSE(passesAspectTest("21:9", 2560, 1080));
  // Widths whose products overflow 32 bits are still tested exactly.
  EXPECT_TRUE(passesAspectTest("16:9", 2000000000, 1125000000));
}

TEST(SetupDialogStart, On1920By1080ListsThe32Bit16By9ModesWithTheDesktopSelected) {
  Dialog d(typicalModes(), 1920, 1080);
  EXPECT_EQ(d.config.width, 1920);
  EXPECT_EQ(d.config.height, 1080);
  EXPECT_EQ(d.controls.resolutionItems,
            (Strings{"1280 X 720", "1366 X 768", "1600 X 900", "1920 X 1080"}));
  EXPECT_EQ(d.controls.resolutionSelection, 3);
  EXPECT_EQ(d.dialog.resolutionIndex(), 3);
  ASSERT_EQ(d.dialog.modeCount(), 4);
  EXPECT_EQ(d.dialog.modeTable()[0], (SetupDialog::ModeEntry{1280, 720}));
  EXPECT_EQ(d.dialog.modeTable()[3], (SetupDialog::ModeEntry{1920, 1080}));
  EXPECT_EQ(d.dialog.modeTable()[4], (SetupDialog::ModeEntry{0, 0}));
  // The aspect list is sorted as its control sorts.
  EXPECT_EQ(d.controls.aspectItems, (Strings{"16:10", "16:9", "4:3", "Others"}));
  EXPECT_EQ(d.controls.selectedAspectText(), "16:9");
  EXPECT_EQ(d.dialog.initialGroup(), "16:9");
  EXPECT_EQ(d.dialog.listedGroup(), "");
  // The defaults check all but "Loop demo".
  EXPECT_EQ(d.controls.checks, (std::array<bool, 4>{true, true, true, false}));
}

TEST(SetupDialogStart, On1280By1024ShowsOthersWithOnlyTheModesOfNoOtherGroup) {
  Dialog d(typicalModes(), 1280, 1024);
  EXPECT_EQ(d.controls.selectedAspectText(), "Others");
  EXPECT_EQ(d.controls.resolutionItems, (Strings{"1280 X 1024", "1360 X 768"}));
  EXPECT_EQ(d.controls.resolutionSelection, 0);
}

TEST(SetupDialogStart, KeepsAConfiguredSizeAndSelectsItsLastEntry) {
  DemoConfig config;
  config.width = 1920;
  config.height = 1080;
  config.fullscreen = 0;
  config.loopDemo = 7;
  // 1920 x 1080 twice, apart: both are listed, the second stays selected.
  Dialog d({{1920, 1080, 32, 60}, {1600, 900, 32, 60}, {1920, 1080, 32, 60}}, 1366, 768, config);
  EXPECT_EQ(d.config.width, 1920);  // not replaced by the desktop size
  EXPECT_EQ(d.controls.resolutionItems, (Strings{"1920 X 1080", "1600 X 900", "1920 X 1080"}));
  EXPECT_EQ(d.controls.resolutionSelection, 2);
  EXPECT_EQ(d.controls.checks, (std::array<bool, 4>{false, true, true, true}));

  // A size no mode has selects nothing.
  config.width = 1000;
  config.height = 562;
  Dialog none({{1920, 1080, 32, 60}}, 1366, 768, config);
  EXPECT_EQ(none.controls.resolutionItems, (Strings{"1920 X 1080"}));
  EXPECT_EQ(none.controls.resolutionSelection, -1);
  EXPECT_EQ(none.dialog.resolutionIndex(), -1);
}

TEST(SetupDialogListing, TakesOnlyTheConfiguredColourDepth) {
  DemoConfig config;
  config.bitsPerPixel = 16;
  Dialog d(typicalModes(), 1920, 1080, config);
  EXPECT_EQ(d.controls.resolutionItems, (Strings{"1280 X 720", "1920 X 1080"}));
}

TEST(SetupDialogListing, ListsOneResolutionAtSeveralRefreshRatesInARowOnce) {
  // 30, 50 and 60 Hz in a row, with a 16-bit mode between two of them.
  Dialog d({{1920, 1080, 32, 30}, {1920, 1080, 32, 50}, {1920, 1080, 16, 60},
            {1920, 1080, 32, 60}, {1600, 900, 32, 60}, {1600, 900, 32, 75}},
           1920, 1080);
  EXPECT_EQ(d.controls.resolutionItems, (Strings{"1920 X 1080", "1600 X 900"}));
  EXPECT_EQ(d.dialog.modeCount(), 2);
}

TEST(SetupDialogListing, StopsAt4096Entries) {
  std::vector<DisplayMode> many;
  for (int i = 1; i <= 5000; ++i) {
    many.push_back({16 * i, 9 * i, 32, 60});
  }
  Dialog d(many, 1920, 1080);
  EXPECT_EQ(d.dialog.modeCount(), SetupDialog::maxModes);
  EXPECT_EQ(d.controls.resolutionItems.size(), 4096u);
  EXPECT_EQ(d.controls.resolutionItems.back(), "65536 X 36864");
  EXPECT_EQ(d.display.reads, 4096);  // no mode is read once the table is full
  EXPECT_EQ(d.controls.resolutionSelection, 119);  // 1920 x 1080 is entry 120
}

TEST(SetupDialogSelection, Choosing4By3ListsItsModesAndSelectsTheLast) {
  Dialog d(typicalModes(), 1920, 1080);
  d.pickAspect("4:3");
  EXPECT_EQ(d.controls.resolutionItems,
            (Strings{"640 X 480", "800 X 600", "1024 X 768", "1152 X 864"}));
  EXPECT_EQ(d.controls.resolutionSelection, 3);
  EXPECT_EQ(d.dialog.resolutionIndex(), 3);
  EXPECT_EQ(d.dialog.listedGroup(), "4:3");
  EXPECT_EQ(d.dialog.modeCount(), 4);
  // The table was cleared, not only overwritten.
  EXPECT_EQ(d.dialog.modeTable()[3], (SetupDialog::ModeEntry{1152, 864}));
  EXPECT_EQ(d.dialog.modeTable()[4], (SetupDialog::ModeEntry{0, 0}));

  d.pickAspect("16:10");
  EXPECT_EQ(d.controls.resolutionItems, (Strings{"1280 X 800", "1440 X 900", "1680 X 1050",
                                                 "1920 X 1200"}));
  EXPECT_EQ(d.controls.resolutionSelection, 3);
}

TEST(SetupDialogSelection, TheFirstChoiceOfTheListedGroupStillRebuilds) {
  DemoConfig config;
  config.width = 1280;
  config.height = 720;
  Dialog d(typicalModes(), 1920, 1080, config);
  ASSERT_EQ(d.controls.resolutionSelection, 0);
  ASSERT_EQ(d.display.listings, 1);

  d.pickAspect("16:9");  // the group already shown
  EXPECT_EQ(d.display.listings, 2);
  EXPECT_EQ(d.controls.resolutionItems.size(), 4u);
  EXPECT_EQ(d.controls.resolutionSelection, 3);
  EXPECT_EQ(d.dialog.listedGroup(), "16:9");

  // Picking it again changes nothing now.
  d.pickResolution(1);
  d.pickAspect("16:9");
  EXPECT_EQ(d.display.listings, 2);
  EXPECT_EQ(d.controls.resolutionSelection, 1);
  EXPECT_EQ(d.dialog.resolutionIndex(), 1);
}

TEST(SetupDialogSelection, ChangingOnlyTheResolutionNeverRebuilds) {
  Dialog d(typicalModes(), 1920, 1080);
  d.pickResolution(1);
  d.pickResolution(0);
  EXPECT_EQ(d.display.listings, 1);
  EXPECT_EQ(d.controls.resolutionSelection, 0);
  EXPECT_EQ(d.dialog.resolutionIndex(), 0);
  EXPECT_EQ(d.dialog.listedGroup(), "");

  d.pickAspect("4:3");
  d.pickResolution(0);
  d.pickResolution(2);
  EXPECT_EQ(d.display.listings, 2);
  EXPECT_EQ(d.controls.resolutionItems.size(), 4u);
  EXPECT_EQ(d.dialog.resolutionIndex(), 2);
}

TEST(SetupDialogSelection, AGroupWithoutModesLeavesTheListEmpty) {
  Dialog d({{1920, 1080, 32, 60}, {1280, 720, 32, 60}}, 1920, 1080);
  d.pickAspect("Others");
  EXPECT_TRUE(d.controls.resolutionItems.empty());
  EXPECT_EQ(d.controls.resolutionSelection, -1);
  EXPECT_EQ(d.dialog.resolutionIndex(), -1);
  EXPECT_EQ(d.dialog.modeCount(), 0);
}

TEST(SetupDialogButtons, StartWritesTheSelectedSizeAndTheFourFlags) {
  DemoConfig config;
  config.fullscreen = 5;  // any non-zero value is a checked box
  Dialog d(typicalModes(), 1920, 1080, config);
  d.pickResolution(1);
  d.controls.checks = {true, false, true, true};
  d.dialog.start(d.controls);
  EXPECT_EQ(d.config.width, 1366);
  EXPECT_EQ(d.config.height, 768);
  EXPECT_EQ(d.config.fullscreen, 1);
  EXPECT_EQ(d.config.verticalSync, 0);
  EXPECT_EQ(d.config.multisampling, 1);
  EXPECT_EQ(d.config.loopDemo, 1);
  EXPECT_EQ(d.config.bitsPerPixel, 32);

  d.controls.checks = {false, true, false, false};
  d.dialog.start(d.controls);
  EXPECT_EQ(d.config.fullscreen, 0);
  EXPECT_EQ(d.config.verticalSync, 1);
  EXPECT_EQ(d.config.multisampling, 0);
  EXPECT_EQ(d.config.loopDemo, 0);
}

TEST(SetupDialogButtons, StartWithNothingListedKeepsTheDesktopSize) {
  Dialog d({{1920, 1080, 32, 60}}, 1920, 1080);
  d.pickAspect("4:3");
  ASSERT_TRUE(d.controls.resolutionItems.empty());
  d.dialog.start(d.controls);
  EXPECT_EQ(d.config.width, 1920);
  EXPECT_EQ(d.config.height, 1080);
}

}  // namespace
}  // namespace tessaly::app
