// Textures loaded from PNG and JPEG files, kept in load order and found by
// their bare file name. A show has two: its root textures (the top level of
// "Data/", scanned at start-up) and its textures (filled by the asset
// preload). A registry owns its textures. GL work happens on the thread that
// owns the context.
#pragma once

#include "assets/image_decoder.h"
#include "render/gl_object.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// One loaded picture: its name, where it came from, the texture it owns and
// the texture its name stands for now (its own, unless setTexture pointed
// the name elsewhere).
class TextureEntry {
 public:
  TextureEntry(std::string name, std::string path, render::TextureObject texture)
      : name_(std::move(name)), path_(std::move(path)), texture_(std::move(texture)),
        glName_(texture_.name()) {}

  // The key: file name without directory, e.g. "SkySphere2.jpg".
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }
  // The texture the name stands for; what find() returns.
  GLuint glName() const { return glName_; }
  // The texture this entry loaded and owns.
  GLuint ownTexture() const { return texture_.name(); }

 private:
  friend class TextureRegistry;
  std::string name_;
  std::string path_;
  render::TextureObject texture_;
  GLuint glName_ = 0;
};

class TextureRegistry {
 public:
  // An empty registry. DevIL is initialised (see initializeDevil) at the
  // first load, so a show can be made before anything else is.
  TextureRegistry() = default;
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

  // Gives every entry loaded from `path` a texture uploaded from `image`
  // (decoded as `status` says) in place of the one it owned, which is
  // deleted; entries pointed at their own texture show the new one. A failed
  // decode shows its message and changes nothing. False when nothing was
  // replaced (no such entry, or the picture failed).
  bool replace(const std::string& path, DecodeStatus status, const DecodedImage& image);

  const std::vector<TextureEntry>& entries() const { return entries_; }

 private:
  std::vector<TextureEntry> entries_;
};

// Uploads one decoded picture as a GL_RGBA8 2D texture with a full mipmap
// chain, repeat wrapping and trilinear filtering; it stays bound to the
// active unit. Returns the texture, owned by the caller.
render::TextureObject uploadTexture(const DecodedImage& image);

}  // namespace tessaly::assets
