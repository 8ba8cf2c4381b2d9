// Texture registries: load, scan, find and re-point by name.
#include "assets/texture_registry.h"

#include "platform/error_box.h"

#include <algorithm>

namespace tessaly::assets {

namespace {

constexpr const char* loadFailedMessage = "DevIL failed to load: %s";
constexpr const char* conversionFailedMessage = "Conversion to RGBA failed on image: %s";

bool fitsTextureLimit(const DecodedImage& image) {
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  return image.width > 0 && image.height > 0 && image.width <= maxSide && image.height <= maxSide;
}

// Whether a decoded picture can become a texture; shows the message a
// failure calls for.
bool usable(const std::string& name, DecodeStatus status, const DecodedImage& image) {
  if (status == DecodeStatus::conversionFailed) {
    platform::showErrorBox(platform::formatMessage(conversionFailedMessage, name));
    return false;
  }
  if (status != DecodeStatus::decoded || !fitsTextureLimit(image)) {
    platform::showErrorBox(platform::formatMessage(loadFailedMessage, name));
    return false;
  }
  return true;
}

// Pictures decoded from now on (here or ahead of time) are refused before
// decoding when a side is beyond what this context's textures can take.
void learnTextureLimit() {
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  setMaxPictureSide(maxSide);
}

}  // namespace

bool TextureRegistry::load(const std::string& path, const std::string& name,
                           ImageSource& source) {
  initializeDevil();
  learnTextureLimit();
  DecodedImage image;
  const DecodeStatus status = source.decode(path, image);
  return add(path, name, status, image);
}

bool TextureRegistry::add(const std::string& path, const std::string& name, DecodeStatus status,
                          const DecodedImage& image) {
  if (!usable(name, status, image)) {
    return false;
  }
  entries_.emplace_back(name, path, uploadTexture(image));
  return true;
}

bool TextureRegistry::replace(const std::string& path, DecodeStatus status,
                              const DecodedImage& image) {
  const auto loaded = std::find_if(entries_.begin(), entries_.end(),
                                   [&](const TextureEntry& entry) { return entry.path() == path; });
  if (loaded == entries_.end() || !usable(loaded->name(), status, image)) {
    return false;
  }
  for (TextureEntry& entry : entries_) {
    if (entry.path_ != path) {
      continue;
    }
    const bool showsOwn = entry.glName_ == entry.texture_.name();
    entry.texture_ = uploadTexture(image);
    if (showsOwn) {
      entry.glName_ = entry.texture_.name();
    }
  }
  return true;
}

void TextureRegistry::scanDirectory(const std::string& directory, ImageSource& source) {
  // DevIL's check and its message belong to this step even when the
  // directory holds no picture.
  initializeDevil();
  for (const std::string& name : pictureNames(directory)) {
    load(directory + name, name, source);
  }
  // Stable, so entries of one name keep their load order and find stays
  // "first loaded wins".
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const TextureEntry& a, const TextureEntry& b) { return a.name_ < b.name_; });
}

GLuint TextureRegistry::find(std::string_view name) const {
  for (const TextureEntry& entry : entries_) {
    if (entry.name_ == name) {
      return entry.glName_;
    }
  }
  return 0;
}

void TextureRegistry::setTexture(std::string_view name, GLuint glName) {
  for (TextureEntry& entry : entries_) {
    if (entry.name_ == name) {
      entry.glName_ = glName;
    }
  }
}

render::TextureObject uploadTexture(const DecodedImage& image) {
  render::TextureObject texture = render::generateTexture();
  glBindTexture(GL_TEXTURE_2D, texture.name());
  // Tightly packed rows of 4-byte texels (GL's defaults, in case a caller
  // changed them).
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               image.pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glGenerateMipmap(GL_TEXTURE_2D);
  return texture;
}

}  // namespace tessaly::assets
