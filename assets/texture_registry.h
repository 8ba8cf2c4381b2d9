// Textures loaded from PNG and JPEG files, kept in load order and found by
// their bare file name. Two registries exist for the whole run: rootTextures
// (the top level of "Data/", scanned at start-up) and textures (filled by the
// asset preload). GL work happens on the thread that owns the context.
#pragma once

#include "assets/image_decoder.h"
#include "render/gl.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

struct TextureEntry {
  std::string name;   // the key: file name without directory, e.g. "SkySphere2.jpg"
  std::string path;   // where it was loaded from
  GLuint glName = 0;  // can be re-pointed by setTexture
};

class TextureRegistry {
 public:
  // An empty registry; initialises DevIL (see initializeDevil).
  TextureRegistry();
  TextureRegistry(const TextureRegistry&) = delete;
  TextureRegistry& operator=(const TextureRegistry&) = delete;

  // Decodes and uploads one image and appends its entry; true on success.
  // Failures are shown ("DevIL failed to load: %s", "Conversion to RGBA
  // failed on image: %s", with `name`) and add no entry. A name loaded
  // twice gives two entries. The picture comes from `source` (decoded here
  // unless it was decoded ahead of time).
  bool load(const std::string& path, const std::string& name,
            ImageSource& source = directDecoding());

  // The second half of load, for images decoded elsewhere (decodeImage):
  // shows the message a failed decode calls for, refuses pictures larger
  // than GL_MAX_TEXTURE_SIZE with the load message, else uploads and appends.
  bool add(const std::string& path, const std::string& name, DecodeStatus status,
           const DecodedImage& image);

  // Loads every "jpg" file of `directory` and then every "png" file (each in
  // byte order of names; `directory` must end with a separator, as "Data/"
  // does), then sorts all entries by name. A missing directory adds nothing;
  // a file that fails is reported and the scan goes on.
  void scanDirectory(const std::string& directory, ImageSource& source = directDecoding());

  // The GL texture of the first entry whose name equals `name` exactly
  // (case-sensitive); 0 when there is none.
  GLuint find(std::string_view name) const;

  // Points every entry named `name` at `glName`; no entry, no change. The
  // texture that was there is not deleted.
  void setTexture(std::string_view name, GLuint glName);

  const std::vector<TextureEntry>& entries() const { return entries_; }

 private:
  std::vector<TextureEntry> entries_;
};

// Uploads one decoded picture as a GL_RGBA8 2D texture with a full mipmap
// chain, repeat wrapping and trilinear filtering; it stays bound to the
// active unit. Returns the texture name.
GLuint uploadTexture(const DecodedImage& image);

// The two process-wide registries. Each is made on first use, so DevIL is
// initialised (and any message about it shown) on the main thread after
// start-up has begun, not before main. Their GL textures are never deleted.
TextureRegistry& rootTextures();
TextureRegistry& textures();

}  // namespace tessaly::assets
