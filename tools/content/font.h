// Title text: a TrueType font (DejaVu, from the system's fonts) rasterised
// with stb_truetype into coverage fields.
#pragma once

#include "tools/content/image.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tessaly::content {

class Font {
 public:
  // Reads the font file; ok() is false when it cannot be read or parsed.
  explicit Font(const std::filesystem::path& path);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool ok() const { return ok_; }

  // Width in pixels of `text` at a cap height of about `pixelHeight`, with
  // `tracking` extra pixels between letters.
  float measure(std::string_view text, float pixelHeight, float tracking = 0.0f) const;

  // Adds the coverage of `text` to `field`, its baseline at `baselineY`,
  // starting at `x`. ASCII only.
  void draw(Field& field, std::string_view text, float x, float baselineY, float pixelHeight,
            float tracking = 0.0f) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
  bool ok_ = false;
};

}  // namespace tessaly::content
