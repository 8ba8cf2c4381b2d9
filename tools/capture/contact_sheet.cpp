// Contact sheet layout and labels.
#include "tools/capture/contact_sheet.h"

#include <algorithm>
#include <cstdio>

namespace tessaly::capture {

namespace {

constexpr std::uint8_t background[4] = {24, 24, 28, 255};
constexpr std::uint8_t labelColor[4] = {235, 235, 235, 255};

}  // namespace

int sheetShrinkFactor(int width) {
  return std::max(1, (width + sheetThumbnailWidth - 1) / sheetThumbnailWidth);
}

std::string timeLabel(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::pair<long long, long long> ContactSheet::size(int count, int columns, int thumbWidth,
                                                   int thumbHeight) {
  const long long usedColumns = std::max(1, std::min(columns, count));
  const long long rows = (std::max(count, 1) + usedColumns - 1) / usedColumns;
  return {margin + usedColumns * (static_cast<long long>(thumbWidth) + margin),
          margin + rows * (static_cast<long long>(thumbHeight) + labelHeight + margin)};
}

ContactSheet::ContactSheet(int count, int columns, int thumbWidth, int thumbHeight)
    : columns_(std::max(1, std::min(columns, count))),
      thumbWidth_(thumbWidth),
      thumbHeight_(thumbHeight) {
  const auto [width, height] = size(count, columns, thumbWidth, thumbHeight);
  sheet_ = Image(static_cast<int>(width), static_cast<int>(height));
  fillRect(sheet_, 0, 0, sheet_.width, sheet_.height, background);
}

void ContactSheet::place(int index, const Image& thumbnail, const std::string& label) {
  const int x = margin + (index % columns_) * (thumbWidth_ + margin);
  const int y = margin + (index / columns_) * (thumbHeight_ + labelHeight + margin);
  paste(sheet_, thumbnail, x, y);
  // The label centred under the picture, opaque whatever the frame's alpha.
  const int labelX = x + std::max(0, (thumbWidth_ - textWidth(label, labelScale)) / 2);
  drawText(sheet_, label, labelX, y + thumbHeight_ + 4, labelScale, labelColor);
}

}  // namespace tessaly::capture
