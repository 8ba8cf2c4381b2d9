// MP3 decoding with libmpg123: the reference decoder, gapless and exact in
// length when the file carries a LAME/Xing header. The decoder is fed the
// bytes a piece at a time (mpg123's feed interface), so files and bytes in
// memory decode through the same path and mpg123 itself opens nothing.
#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Bytes handed to the decoder at a time.
constexpr std::size_t feedSize = 64 * 1024;

// Fills a buffer of at most `size` bytes with the next input; 0 at the end.
using ReadInput = std::function<std::size_t(unsigned char* buffer, std::size_t size)>;

// A decoder in feed mode that yields 16-bit stereo at whatever rate the file
// has, without printing anything for broken input.
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
  if (mpg123_open_feed(handle.get()) != MPG123_OK) {
    handle.reset();
  }
  return handle;
}

// The length from the file's header (or an estimate from its size) saves
// re-allocating while decoding; the decoded frames decide the real length.
// A header cannot claim more than the lowest bitrate allows (8 kbit/s at
// 8 kHz: 8 frames a byte), so a broken one cannot reserve gigabytes.
void reserveExpectedLength(mpg123_handle* handle, std::uint64_t inputBytes, PcmSound& sound) {
  const off_t expected = mpg123_length(handle);
  if (expected > 0 && static_cast<std::uint64_t>(expected) <= inputBytes * 8) {
    sound.samples.reserve(static_cast<std::size_t>(expected) * 2 + 4608);
  }
}

// Decodes the input `read` gives, of `inputBytes` bytes in all.
std::optional<PcmSound> decode(const ReadInput& read, std::uint64_t inputBytes) {
  Handle handle = newDecoder();
  if (!handle) {
    return std::nullopt;
  }
  // Lets mpg123 estimate the length of files without a header.
  mpg123_set_filesize(handle.get(), static_cast<off_t>(inputBytes));
  std::unique_ptr<unsigned char[]> input(new unsigned char[feedSize]);

  PcmSound sound;
  long rate = 0;  // none until the first frame's format is known
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
    if (result == MPG123_NEED_MORE) {
      const std::size_t got = read(input.get(), feedSize);
      if (got == 0 || mpg123_feed(handle.get(), input.get(), got) != MPG123_OK) {
        break;  // the end of the input: a cut last frame is left out
      }
      continue;
    }
    if (result == MPG123_NEW_FORMAT) {
      long newRate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(handle.get(), &newRate, &channels, &encoding);
      if (rate == 0) {
        rate = newRate;
        reserveExpectedLength(handle.get(), inputBytes, sound);
      } else if (newRate != rate) {
        break;
      }
      continue;
    }
    if (result != MPG123_OK) {
      break;  // MPG123_DONE at the end; an error keeps what decoded so far
    }
  }
  if (rate <= 0 || sound.frames() == 0) {
    return std::nullopt;
  }
  sound.rate = static_cast<std::uint32_t>(rate);
  if (sound.samples.capacity() > sound.samples.size() + sound.samples.size() / 4) {
    sound.samples.shrink_to_fit();
  }
  return sound;
}

}  // namespace

std::optional<PcmSound> decodeMp3File(const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_directory(fileName, error)) {
    return std::nullopt;
  }
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
  if (!file) {
    return std::nullopt;
  }
  const std::uintmax_t size = std::filesystem::file_size(fileName, error);
  const ReadInput read = [&](unsigned char* buffer, std::size_t bytes) {
    return std::fread(buffer, 1, bytes, file.get());
  };
  try {
    return decode(read, error ? 0 : static_cast<std::uint64_t>(size));
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // more sound than memory: as if undecodable
  }
}

std::optional<PcmSound> decodeMp3(std::span<const std::uint8_t> bytes) {
  std::size_t offset = 0;
  const ReadInput read = [&](unsigned char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, bytes.size() - offset);
    std::copy_n(bytes.data() + offset, count, buffer);
    offset += count;
    return count;
  };
  try {
    return decode(read, bytes.size());
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tessaly::platform
