// The setup dialog's logic on the model of its controls.
#include "app/setup_dialog.h"

#include <cstdio>

namespace tessaly::app {

namespace {

// The groups in the order a selection change tests them.
constexpr std::array<std::string_view, 4> selectionOrder = {"16:10", "16:9", "4:3", "Others"};

// 64-bit products, so no width can overflow the test.
bool is16By9(std::int64_t w, std::int64_t h) { return h == (w * 9) / 16; }
bool is16By10(std::int64_t w, std::int64_t h) { return h == (w * 10) / 16; }
bool is4By3(std::int64_t w, std::int64_t h) { return h == (w * 3) / 4; }

}  // namespace

bool passesAspectTest(std::string_view group, std::int32_t width, std::int32_t height) {
  if (group == "16:9") {
    return is16By9(width, height);
  }
  if (group == "16:10") {
    return is16By10(width, height);
  }
  if (group == "4:3") {
    return is4By3(width, height);
  }
  if (group == "Others") {
    return !is16By9(width, height) && !is16By10(width, height) && !is4By3(width, height);
  }
  return false;
}

std::string_view aspectGroupOf(std::int32_t width, std::int32_t height) {
  for (std::string_view group : aspectGroups) {
    if (passesAspectTest(group, width, height)) {
      return group;
    }
  }
  return "Others";
}

SetupDialog::SetupDialog(DemoConfig& config, DisplayModeSource& modes)
    : config_(config), modes_(modes) {}

void SetupDialog::listModes(platform::DialogControls& controls, std::string_view group) {
  platform::DisplayMode mode;
  for (int index = 0; modeCount_ < maxModes && modes_.mode(index, mode); ++index) {
    if (mode.bitsPerPixel != config_.bitsPerPixel ||
        !passesAspectTest(group, mode.width, mode.height)) {
      continue;
    }
    const ModeEntry entry{mode.width, mode.height};
    // The same resolution at its other refresh rates follows directly.
    if (modeCount_ > 0 && modeTable_[modeCount_ - 1] == entry) {
      continue;
    }
    modeTable_[modeCount_++] = entry;
    char text[500];
    std::snprintf(text, sizeof text, "%d X %d", entry.width, entry.height);
    controls.resolutionItems.emplace_back(text);
  }
}

void SetupDialog::initialise(platform::DialogControls& controls) {
  if (config_.width == 0 || config_.height == 0) {
    modes_.desktopSize(config_.width, config_.height);
  }
  initialGroup_ = aspectGroupOf(config_.width, config_.height);

  listModes(controls, initialGroup_);

  for (std::string_view group : aspectGroups) {
    controls.addAspectItem(group);
  }

  // Every matching entry is selected in turn, so the last one stays.
  const ModeEntry configured{config_.width, config_.height};
  for (int i = 0; i < modeCount_; ++i) {
    if (modeTable_[i] == configured) {
      controls.selectResolution(i);
    }
  }
  resolutionIndex_ = controls.resolutionSelection;

  using Check = platform::DialogControls::Check;
  controls.checks[Check::fullscreen] = config_.fullscreen != 0;
  controls.checks[Check::verticalSync] = config_.verticalSync != 0;
  controls.checks[Check::multisampling] = config_.multisampling != 0;
  controls.checks[Check::loopDemo] = config_.loopDemo != 0;

  controls.selectAspectItem(initialGroup_);
}

void SetupDialog::selectionChanged(platform::DialogControls& controls) {
  for (std::string_view group : selectionOrder) {
    const std::string aspect = controls.selectedAspectText();
    const int resolution = controls.resolutionSelection;
    if (aspect != group) {
      continue;
    }
    if (resolution == resolutionIndex_ && listedGroup_ != group) {
      // The aspect list changed: list the group's modes afresh.
      listedGroup_ = group;
      controls.resolutionItems.clear();
      controls.resolutionSelection = -1;
      modeTable_.fill(ModeEntry{});
      modeCount_ = 0;
      listModes(controls, group);
      controls.selectResolution(modeCount_ - 1);
      resolutionIndex_ = controls.resolutionSelection;
    } else if (resolution != resolutionIndex_) {
      resolutionIndex_ = resolution;
    }
  }
}

void SetupDialog::start(const platform::DialogControls& controls) {
  const int selected = controls.resolutionSelection;
  // With nothing listed the configuration keeps its size (the desktop's, or
  // what it held before), so the player always gets a usable one.
  if (selected >= 0 && selected < modeCount_) {
    config_.width = modeTable_[selected].width;
    config_.height = modeTable_[selected].height;
  }
  using Check = platform::DialogControls::Check;
  config_.fullscreen = controls.checks[Check::fullscreen] ? 1 : 0;
  config_.verticalSync = controls.checks[Check::verticalSync] ? 1 : 0;
  config_.multisampling = controls.checks[Check::multisampling] ? 1 : 0;
  config_.loopDemo = controls.checks[Check::loopDemo] ? 1 : 0;
}

}  // namespace tessaly::app
