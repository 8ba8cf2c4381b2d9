// Decoding of PNG and JPEG files with DevIL into 8-bit RGBA pixels, rows
// flipped for upload. Plain data and no GL, so decoding can run away from
// the thread that owns the context; the upload is texture_registry's.
#pragma once

#include "assets/path_limit.h"

#include <cstdint>
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

// Decodes one file. On any failure `image` is left empty and DevIL holds
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
