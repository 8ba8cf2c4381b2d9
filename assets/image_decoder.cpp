// DevIL decoding: load, convert to RGBA8, copy upside down, free.
#include "assets/image_decoder.h"
#include "assets/image_decoder_internal.h"

#include "platform/error_box.h"
#include "platform/files.h"

#include <IL/il.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>

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

std::atomic<std::int32_t>& maxSide() {
  static std::atomic<std::int32_t> side{defaultMaxPictureSide};
  return side;
}

std::uint32_t bigEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    value = (value << 8) | bytes[i];
  }
  return value;
}

std::optional<PictureSize> pngSize(std::istream& in) {
  // Signature (8), IHDR length (4) and type (4), width (4), height (4).
  unsigned char header[24];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header) ||
      std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(header + 12, "IHDR", 4) != 0) {
    return std::nullopt;
  }
  return PictureSize{bigEndian(header + 16, 4), bigEndian(header + 20, 4)};
}

std::optional<PictureSize> jpegSize(std::istream& in) {
  unsigned char start[2];
  if (!in.read(reinterpret_cast<char*>(start), 2) || start[0] != 0xff || start[1] != 0xd8) {
    return std::nullopt;
  }
  // Segments up to the first start of frame: 0xFF, the marker, and (except
  // for the markers that stand alone) a two-byte length that counts itself.
  while (true) {
    int byte = in.get();
    if (byte != 0xff) {
      return std::nullopt;
    }
    while (byte == 0xff) {
      byte = in.get();  // fill bytes
    }
    if (byte == std::char_traits<char>::eof()) {
      return std::nullopt;
    }
    const int marker = byte;
    if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
      continue;
    }
    if (marker == 0xd9 || marker == 0xda) {
      return std::nullopt;  // the image data or the end, with no frame header
    }
    unsigned char length[2];
    if (!in.read(reinterpret_cast<char*>(length), 2)) {
      return std::nullopt;
    }
    const std::uint32_t size = bigEndian(length, 2);
    if (size < 2) {
      return std::nullopt;
    }
    const bool startOfFrame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 &&
                              marker != 0xc8 && marker != 0xcc;
    if (startOfFrame) {
      // Precision (1), height (2), width (2).
      unsigned char frame[5];
      if (size < 7 || !in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        return std::nullopt;
      }
      return PictureSize{bigEndian(frame + 3, 2), bigEndian(frame + 1, 2)};
    }
    if (!in.seekg(size - 2, std::ios::cur)) {
      return std::nullopt;
    }
  }
}

class DirectDecoding final : public ImageSource {
 public:
  DecodeStatus decode(const std::string& path, DecodedImage& image) override {
    return decodeImage(path, image);
  }
};

}  // namespace

std::optional<PictureSize> readPictureSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  if (auto size = pngSize(in)) {
    return size;
  }
  in.clear();
  in.seekg(0);
  return jpegSize(in);
}

void setMaxPictureSide(std::int32_t side) {
  maxSide().store(side > 0 ? side : defaultMaxPictureSide);
}

std::int32_t maxPictureSide() {
  return maxSide().load();
}

bool pictureSizeAllowed(const PictureSize& size) {
  const std::int64_t side = maxPictureSide();
  return size.width >= 1 && size.height >= 1 && size.width <= side && size.height <= side &&
         size.width * size.height * 4 <= maxPictureBytes;
}

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
  // The size the file states decides before any decoding: a few megabytes
  // of compressed data can claim a picture of gigabytes.
  const std::optional<PictureSize> stated = readPictureSize(path);
  if (!stated || !pictureSizeAllowed(*stated)) {
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

  if (!pictureSizeAllowed({width, height})) {
    return DecodeStatus::loadFailed;  // decoded larger than its header said
  }
  try {
    image.pixels.resize(bytes);
  } catch (const std::bad_alloc&) {
    image = DecodedImage{};
    return DecodeStatus::loadFailed;
  }
  image.width = width;
  image.height = height;
  for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
    const std::size_t sourceRow = static_cast<std::size_t>(height) - 1 - row;
    std::memcpy(image.pixels.data() + row * rowBytes, source + sourceRow * rowBytes, rowBytes);
  }
  return DecodeStatus::decoded;
}

}  // namespace tessaly::assets
