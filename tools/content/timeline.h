// The show's clock in sync rows: 836 rows a minute, 8 rows a beat, 4 beats
// a bar, so the soundtrack runs at 104.5 beats a minute and every bar is 32
// rows. The music, the tracks and the camera plan all count in these units.
#pragma once

namespace tessaly::content::timeline {

inline constexpr int rowsPerBeat = 8;
inline constexpr int beatsPerBar = 4;
inline constexpr int rowsPerBar = rowsPerBeat * beatsPerBar;
inline constexpr double rowsPerSecond = 836.0 / 60.0;
inline constexpr double secondsPerRow = 60.0 / 836.0;
inline constexpr double secondsPerBeat = secondsPerRow * rowsPerBeat;  // 60 / 104.5

// The player stops at 81.6 s, row 1136.96.
inline constexpr double showSeconds = 81.6;
inline constexpr int lastRow = 1137;

// First row of each scene; scene 4 runs to the end.
inline constexpr int sceneStartRow[4] = {0, 8 * rowsPerBar, 16 * rowsPerBar, 24 * rowsPerBar};
inline constexpr int sceneEndRow[4] = {8 * rowsPerBar, 16 * rowsPerBar, 24 * rowsPerBar, 1120};

// Scene 4 cuts from inside the box's tunnel to the far side of the box on
// this beat (62.6 s), half a bar before the title "SUCCESS".
inline constexpr int boxCutRow = 872;

// The final fade: scene and titles reach black at blackRow (80.4 s).
inline constexpr int finalFadeRow = 34 * rowsPerBar;
inline constexpr int blackRow = 35 * rowsPerBar;

}  // namespace tessaly::content::timeline
