#include "tests/content/picture_file.h"

#include <IL/il.h>

namespace tessaly::test {

DecodedPicture decodePicture(const std::filesystem::path& path) {
  static const bool initialised = [] {
    ilInit();
    return true;
  }();
  (void)initialised;
  DecodedPicture result;
  ILuint image = 0;
  ilGenImages(1, &image);
  ilBindImage(image);
  if (ilLoadImage(path.string().c_str()) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE)) {
    result.ok = true;
    result.width = ilGetInteger(IL_IMAGE_WIDTH);
    result.height = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILubyte* data = ilGetData();
    result.rgba.assign(data, data + static_cast<std::size_t>(result.width) * result.height * 4);
  }
  ilDeleteImages(1, &image);
  return result;
}

}  // namespace tessaly::test
