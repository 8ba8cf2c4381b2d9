// PNG output through stb_image_write, compiled here and nowhere else in the
// capture tool.
#include "tools/capture/image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace tessaly::capture {

bool writePng(const std::string& path, const Image& image) {
  if (image.width < 1 || image.height < 1) {
    return false;
  }
  return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                        image.width * 4) != 0;
}

}  // namespace tessaly::capture
