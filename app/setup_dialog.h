// The setup dialog: the user picks a resolution (filtered by aspect ratio),
// full screen, vertical sync, multisampling and looping before anything else
// is created. SetupDialog is the dialog's logic on a model of its controls,
// free of any window, so it runs in tests on any list of display modes;
// showSetupDialog puts it in the real window.
#pragma once

#include "app/demo_config.h"
#include "platform/display_modes.h"
#include "platform/setup_window.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly::app {

// The aspect groups by their shown names, in the order a resolution is
// tested against them; "Others" takes what passes none of the tests.
inline constexpr std::array<std::string_view, 4> aspectGroups = {"16:9", "16:10", "4:3",
                                                                 "Others"};

// The integer test of one group: h = (w x 9) / 16, h = (w x 10) / 16 or
// h = (w x 3) / 4, truncated; "Others" passes when none of them does. An
// unknown name passes nothing.
bool passesAspectTest(std::string_view group, std::int32_t width, std::int32_t height);

// The first group, in the order of aspectGroups, whose test the size passes.
std::string_view aspectGroupOf(std::int32_t width, std::int32_t height);

// Where the dialog reads the display modes and the desktop size from.
class DisplayModeSource {
 public:
  virtual ~DisplayModeSource() = default;
  // Mode number `index` (0, 1, 2, ...); false once there are no more.
  virtual bool mode(int index, platform::DisplayMode& mode) = 0;
  // The desktop's size in pixels.
  virtual void desktopSize(std::int32_t& width, std::int32_t& height) = 0;
};

class SetupDialog final : public platform::SetupWindowHandler {
 public:
  static constexpr int maxModes = 4096;

  struct ModeEntry {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const ModeEntry&) const = default;
  };

  // Reads and writes `config`; both references must outlive the dialog.
  SetupDialog(DemoConfig& config, DisplayModeSource& modes);

  // Fills the controls from the configuration: desktop size when none is
  // set, the modes of the configuration's aspect group, the aspect names,
  // the selected resolution, the check boxes and the selected group.
  void initialise(platform::DialogControls& controls) override;

  // A pick in either list. A new aspect group (or the first pick in the
  // aspect list) lists that group's modes and selects the last; a pick in
  // the resolution list only records it.
  void selectionChanged(platform::DialogControls& controls) override;

  // Writes the selected resolution (kept as it is when none is selected)
  // and the four check states (1 or 0) into the configuration.
  void start(const platform::DialogControls& controls) override;

  // The dialog's tables: entry i is the resolution at index i of the list.
  const std::array<ModeEntry, maxModes>& modeTable() const { return modeTable_; }
  int modeCount() const { return modeCount_; }
  const std::string& initialGroup() const { return initialGroup_; }
  const std::string& listedGroup() const { return listedGroup_; }
  int resolutionIndex() const { return resolutionIndex_; }

 private:
  // Appends the modes of the configured colour depth that pass `group`'s
  // test, skipping one equal to the last entry, to the table and the list.
  void listModes(platform::DialogControls& controls, std::string_view group);

  DemoConfig& config_;
  DisplayModeSource& modes_;
  std::array<ModeEntry, maxModes> modeTable_{};
  int modeCount_ = 0;
  std::string initialGroup_;
  std::string listedGroup_;
  int resolutionIndex_ = -1;
};

// Runs the dialog in its window on the display modes of the primary
// monitor. Returns 1 after Start (the choices are in *config), 0 after Quit
// and -1 when the dialog could not be shown (no display).
int showSetupDialog(DemoConfig* config);

}  // namespace tessaly::app
