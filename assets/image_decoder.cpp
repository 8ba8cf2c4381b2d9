// DevIL decoding: load, convert to RGBA8, copy upside down, free.
#include "assets/image_decoder.h"
#include "assets/image_decoder_internal.h"

#include "platform/error_box.h"
#include "platform/files.h"

#include <IL/il.h>

#include <cstring>
#include <iterator>
#include <mutex>

namespace tessaly::assets {

namespace {

constexpr ILint minimumDevilVersion = 178;

// DevIL works on one bound image per process; every use goes through this.
std::mutex& devilMutex() {
  static std::mutex mutex;
  return mutex;
}

bool& devilInitialised() {
  static bool initialised = false;
  return initialised;
}

// Frees the DevIL image on every way out of decodeImage.
class ScopedDevilImage {
 public:
  ScopedDevilImage() {
    ilGenImages(1, &name_);
    ilBindImage(name_);
  }
  ~ScopedDevilImage() { ilDeleteImages(1, &name_); }
  ScopedDevilImage(const ScopedDevilImage&) = delete;
  ScopedDevilImage& operator=(const ScopedDevilImage&) = delete;

 private:
  ILuint name_ = 0;
};

// ilInit, once per process.
void initialiseOnce() {
  std::lock_guard<std::mutex> lock(devilMutex());
  if (!devilInitialised()) {
    ilInit();
    devilInitialised() = true;
  }
}

ILint devilVersion() {
  std::lock_guard<std::mutex> lock(devilMutex());
  return ilGetInteger(IL_VERSION_NUM);
}

class DirectDecoding final : public ImageSource {
 public:
  DecodeStatus decode(const std::string& path, DecodedImage& image) override {
    return decodeImage(path, image);
  }
};

}  // namespace

bool initializeDevilQuietly() {
  if (devilVersion() < minimumDevilVersion) {
    return false;
  }
  initialiseOnce();
  return true;
}

std::vector<std::string> pictureNames(const std::string& directory) {
  std::vector<std::string> names = platform::listFiles(directory, "jpg");
  std::vector<std::string> pngs = platform::listFiles(directory, "png");
  names.insert(names.end(), std::make_move_iterator(pngs.begin()),
               std::make_move_iterator(pngs.end()));
  return names;
}

ImageSource& directDecoding() {
  static DirectDecoding source;
  return source;
}

bool initializeDevil() {
  return internal::initializeDevilAs(devilVersion());
}

bool internal::initializeDevilAs(std::int32_t versionNumber) {
  if (versionNumber < minimumDevilVersion) {
    platform::showErrorBox("Initialization of DevIL failed!");
    return false;
  }
  initialiseOnce();
  return true;
}

DecodeStatus decodeImage(const std::string& path, DecodedImage& image) {
  image = DecodedImage{};
  if (path.size() > maxPathLength) {
    return DecodeStatus::loadFailed;
  }
  std::lock_guard<std::mutex> lock(devilMutex());
  if (!devilInitialised()) {
    return DecodeStatus::loadFailed;
  }
  ScopedDevilImage devilImage;
  if (ilLoadImage(path.c_str()) != IL_TRUE) {
    return DecodeStatus::loadFailed;
  }
  if (ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) != IL_TRUE) {
    return DecodeStatus::conversionFailed;
  }
  const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
  const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
  if (width <= 0 || height <= 0) {
    return DecodeStatus::loadFailed;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  const std::size_t bytes = rowBytes * static_cast<std::size_t>(height);
  const ILubyte* source = ilGetData();
  if (source == nullptr || static_cast<std::size_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA)) < bytes) {
    return DecodeStatus::conversionFailed;
  }

  image.width = width;
  image.height = height;
  image.pixels.resize(bytes);
  for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
    const std::size_t sourceRow = static_cast<std::size_t>(height) - 1 - row;
    std::memcpy(image.pixels.data() + row * rowBytes, source + sourceRow * rowBytes, rowBytes);
  }
  return DecodeStatus::decoded;
}

}  // namespace tessaly::assets
