// MP3 decoding with libmpg123: the reference decoder, gapless and exact in
// length when the file carries a LAME/Xing header.
#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <filesystem>
#include <memory>
#include <new>

namespace tessaly::platform {

namespace {

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// A decoder that yields 16-bit stereo at whatever rate the file has, without
// printing anything for broken input.
Handle newDecoder() {
  int error = MPG123_OK;
  Handle handle(mpg123_new(nullptr, &error));
  if (!handle) {
    return handle;
  }
  mpg123_param(handle.get(), MPG123_FLAGS, MPG123_FORCE_STEREO | MPG123_GAPLESS | MPG123_QUIET,
               0.0);
  mpg123_format_none(handle.get());
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i) {
    mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  return handle;
}

std::optional<PcmSound> decode(const std::string& fileName) {
  Handle handle = newDecoder();
  if (!handle || mpg123_open(handle.get(), fileName.c_str()) != MPG123_OK) {
    return std::nullopt;
  }
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
    return std::nullopt;
  }

  PcmSound sound;
  sound.rate = static_cast<std::uint32_t>(rate);
  // The length from the file's header (or an estimate from its size) saves
  // re-allocating while decoding; the decoded frames decide the real length.
  // A header cannot claim more than the lowest bitrate allows (8 kbit/s at
  // 8 kHz: 8 frames a byte), so a broken one cannot reserve gigabytes.
  const off_t expected = mpg123_length(handle.get());
  std::error_code ignored;
  const std::uintmax_t fileBytes = std::filesystem::file_size(fileName, ignored);
  if (expected > 0 && fileBytes != static_cast<std::uintmax_t>(-1) &&
      static_cast<std::uintmax_t>(expected) <= fileBytes * 8) {
    sound.samples.reserve(static_cast<std::size_t>(expected) * 2 + 4608);
  }

  // Decode straight into the sound, filling the reserved room first. A change
  // of rate in the middle of the file would change the time base: stop there.
  constexpr std::size_t minimumBlockFrames = 32768;
  while (true) {
    const std::size_t used = sound.samples.size();
    const std::size_t room = (sound.samples.capacity() - used) / 2;
    const std::size_t blockFrames = room >= 4608 ? room : minimumBlockFrames;
    sound.samples.resize(used + blockFrames * 2);
    std::size_t bytes = 0;
    const int result =
        mpg123_read(handle.get(), reinterpret_cast<unsigned char*>(sound.samples.data() + used),
                    blockFrames * bytesPerFrame, &bytes);
    sound.samples.resize(used + bytes / bytesPerFrame * 2);
    if (result == MPG123_NEW_FORMAT) {
      long newRate = 0;
      mpg123_getformat(handle.get(), &newRate, &channels, &encoding);
      if (newRate != rate) {
        break;
      }
      continue;
    }
    if (result != MPG123_OK) {
      break;  // MPG123_DONE at the end; an error keeps what decoded so far
    }
  }
  if (sound.frames() == 0) {
    return std::nullopt;
  }
  if (sound.samples.capacity() > sound.samples.size() + sound.samples.size() / 4) {
    sound.samples.shrink_to_fit();
  }
  return sound;
}

}  // namespace

std::optional<PcmSound> decodeMp3File(const std::string& fileName) {
  try {
    return decode(fileName);
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // more sound than memory: as if undecodable
  }
}

}  // namespace tessaly::platform
