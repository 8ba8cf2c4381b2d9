// Captured pictures in memory, the small operations the capture tool needs
// on them (shrinking, copying into a larger picture, labels) and PNG and
// JPEG output.
// Plain data, no GL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::capture {

// 8-bit RGBA, rows top first, width * height * 4 bytes.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* pixel(int x, int y) {
    return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
  }
  const std::uint8_t* pixel(int x, int y) const {
    return rgba.data() + (static_cast<std::size_t>(y) * width + x) * 4;
  }
};

// Reverses the order of the rows (GL reads bottom row first).
void flipRows(Image& image);

// The picture shrunk by a whole factor in both directions, each pixel the
// mean of a factor x factor block (edge pixels that do not fill a block are
// dropped). A factor of 1 copies.
Image shrink(const Image& image, int factor);

// Copies `source` into `target` with its top-left corner at (x, y), clipped.
void paste(Image& target, const Image& source, int x, int y);

// Fills a rectangle with one colour, clipped.
void fillRect(Image& image, int x, int y, int width, int height, const std::uint8_t color[4]);

// The most bytes of filtered pixel rows ((width * 4 + 1) * height) a PNG
// written here may hold: the encoder works in memory with int sizes.
inline constexpr long long maxPngPixelBytes = 900LL << 20;

// Why a PNG of width x height cannot be written ("... pixels is more than a
// PNG here can hold ..."), or nothing when it can.
std::optional<std::string> pngSizeProblem(long long width, long long height);

// Writes the picture as an RGBA PNG, every write and the close checked.
// Returns an empty string, or the reason it failed ("No space left on
// device"), in which case no file is left at `path`.
std::string writePng(const std::string& path, const Image& image);

// The largest side of a JPEG, and the quality pictures are written at
// (1 to 100; 95 keeps the show's gradients free of visible blocks).
inline constexpr int maxJpegSide = 65535;
inline constexpr int jpegQuality = 95;

// Why a JPEG of width x height cannot be written, or nothing when it can.
std::optional<std::string> jpegSizeProblem(long long width, long long height);

// Writes the picture's colour as a baseline JPEG, checked like writePng.
std::string writeJpeg(const std::string& path, const Image& image);

// --- Labels -------------------------------------------------------------------

// The built-in bitmap font: 5 x 7 pixel glyphs on a 6 x 8 cell, for the
// digits, '.', ':', '-', '+', ' ' and the letters of time labels ("s",
// "t", "=", "f", "r", "a", "m", "e"). Other characters draw as a blank cell.
inline constexpr int glyphWidth = 5;
inline constexpr int glyphHeight = 7;
inline constexpr int cellWidth = 6;
inline constexpr int cellHeight = 8;

// The width in pixels of `text` drawn at `scale`.
int textWidth(std::string_view text, int scale);

// Draws `text` with its top-left corner at (x, y), each font pixel a
// scale x scale block of `color`, clipped to the picture.
void drawText(Image& image, std::string_view text, int x, int y, int scale,
              const std::uint8_t color[4]);

}  // namespace tessaly::capture
