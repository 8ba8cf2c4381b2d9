// Decoding of PNG and JPEG files with DevIL into 8-bit RGBA pixels, rows
// flipped for upload. Plain data and no GL, so decoding can run away from
// the thread that owns the context; the upload is texture_registry's.
#pragma once

#include "assets/path_limit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::assets {

// One decoded picture: width x height RGBA8 texels, 4 bytes each, with the
// row order reversed (the first row the decoder delivered is the last row
// here), as glTexImage2D takes them.
struct DecodedImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> pixels;
};

enum class DecodeStatus {
  decoded,
  loadFailed,        // unreadable, undecodable, 0x0, or path too long
  conversionFailed,  // DevIL could not make 8-bit RGBA of it
};

// Initialises DevIL when its version number is at least 178, without any
// message; false (and DevIL untouched) otherwise. For work done ahead of
// start-up, which must not show anything: the registries' own
// initialisation shows the message at its place.
bool initializeDevilQuietly();

// The version check and DevIL's initialisation, done once per process.
// With a DevIL older than version number 178 it shows "Initialization of
// DevIL failed!" and leaves DevIL uninitialised (every load then fails);
// false then.
bool initializeDevil();

// The width and height a PNG or JPEG file states in its header (PNG: the
// IHDR chunk; JPEG: the first start-of-frame segment), read without
// decoding anything; nothing when the file is neither or its header is cut.
struct PictureSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};
std::optional<PictureSize> readPictureSize(const std::string& path);

// The largest picture decoded: 4 bytes a texel after conversion, and DevIL
// holds a picture more than once while it converts, so a small compressed
// file that claims a huge size could take gigabytes.
inline constexpr std::int64_t maxPictureBytes = std::int64_t{256} << 20;
// The longest side decoded, GL_MAX_TEXTURE_SIZE once a context has told it
// (setMaxPictureSide); 16384 before that. Safe from any thread.
inline constexpr std::int32_t defaultMaxPictureSide = 16384;
void setMaxPictureSide(std::int32_t side);
std::int32_t maxPictureSide();

// Whether a picture of this size is decoded: both sides from 1 to
// maxPictureSide() and at most maxPictureBytes as RGBA8.
bool pictureSizeAllowed(const PictureSize& size);

// Decodes one file. Its size is read from its header first: a file that is
// not a PNG or JPEG, or states a size that pictureSizeAllowed refuses, is a
// loadFailed without being decoded. On any failure `image` is left empty and DevIL holds
// nothing of it. Safe to call from any thread: DevIL's calls are serialised
// (it keeps one global current image). Needs initializeDevil first.
DecodeStatus decodeImage(const std::string& path, DecodedImage& image);

// The names of the pictures directly in `directory`: its "*.jpg" files,
// then its "*.png" files, each in byte order of names (platform::listFiles).
// The order in which a directory's pictures are loaded.
std::vector<std::string> pictureNames(const std::string& directory);

// Where the loaders take decoded pictures from: decodeImage on the calling
// thread, or pictures decoded ahead of time (PicturePrefetch). Either way
// the result is exactly what decodeImage gives for the file as it is now.
class ImageSource {
 public:
  virtual ~ImageSource() = default;
  virtual DecodeStatus decode(const std::string& path, DecodedImage& image) = 0;
};

// decodeImage on the calling thread.
ImageSource& directDecoding();

}  // namespace tessaly::assets
