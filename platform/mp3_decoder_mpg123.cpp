// MP3 decoding with libmpg123: the reference decoder, gapless and exact in
// length when the file carries a LAME/Xing header.
#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <memory>

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

}  // namespace

std::optional<PcmSound> decodeMp3File(const std::string& fileName) {
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
  const off_t expected = mpg123_length(handle.get());
  if (expected > 0 && expected < (off_t{1} << 31)) {
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
    const int result = mpg123_read(handle.get(),
                                   reinterpret_cast<unsigned char*>(sound.samples.data() + used),
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

}  // namespace tessaly::platform
