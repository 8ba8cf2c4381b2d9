// A contact sheet: frames in a grid, each with its music time written under
// it. Plain data, no GL.
#pragma once

#include "tools/capture/image.h"

#include <string>
#include <utility>
#include <vector>

namespace tessaly::capture {

// Widest thumbnail a sheet uses: frames are shrunk by the smallest whole
// factor that brings them to this width or less.
inline constexpr int sheetThumbnailWidth = 480;

// The whole factor by which a frame of `width` is shrunk on a sheet.
int sheetShrinkFactor(int width);

// "12.35 s": the label of a frame at `seconds`.
std::string timeLabel(double seconds);

class ContactSheet {
 public:
  // A sheet for `count` thumbnails of thumbWidth x thumbHeight in `columns`
  // columns (fewer when there are fewer thumbnails), on a dark background.
  ContactSheet(int count, int columns, int thumbWidth, int thumbHeight);

  // The width and height in pixels of such a sheet, computed without
  // overflow for any count and size.
  static std::pair<long long, long long> size(int count, int columns, int thumbWidth,
                                              int thumbHeight);

  // Places thumbnail `index` (row by row) with `label` under it.
  void place(int index, const Image& thumbnail, const std::string& label);

  const Image& image() const { return sheet_; }

  // Layout, in pixels.
  static constexpr int margin = 8;
  static constexpr int labelScale = 2;
  static constexpr int labelHeight = cellHeight * labelScale + 6;

 private:
  int columns_;
  int thumbWidth_;
  int thumbHeight_;
  Image sheet_;
};

}  // namespace tessaly::capture
