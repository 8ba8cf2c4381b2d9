// PNG and JPEG output through stb_image_write, compiled here and nowhere
// else in the capture tool.
#include "tools/capture/image.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace tessaly::capture {

namespace {

struct PngSink {
  std::FILE* file = nullptr;
  int error = 0;  // errno of the first failed write
};

void writeToFile(void* context, void* data, int size) {
  auto& sink = *static_cast<PngSink*>(context);
  if (sink.error != 0 || size <= 0) {
    return;
  }
  errno = 0;
  if (std::fwrite(data, 1, static_cast<std::size_t>(size), sink.file) !=
      static_cast<std::size_t>(size)) {
    sink.error = errno != 0 ? errno : EIO;
  }
}

}  // namespace

std::optional<std::string> pngSizeProblem(long long width, long long height) {
  // The encoder filters and compresses the whole picture in memory with int
  // sizes whose growth doubles: past about 1 GB it overflows.
  const long long bytes = (width * 4 + 1) * height;
  if (width < 1 || height < 1 || bytes > maxPngPixelBytes) {
    return std::to_string(width) + "x" + std::to_string(height) + " pixels, more than a PNG here can hold (" +
           std::to_string(maxPngPixelBytes >> 20) + " MiB of pixels at most)";
  }
  return std::nullopt;
}

std::optional<std::string> jpegSizeProblem(long long width, long long height) {
  // A JPEG header holds each side in 16 bits.
  if (width < 1 || height < 1 || width > maxJpegSide || height > maxJpegSide) {
    return std::to_string(width) + "x" + std::to_string(height) +
           " pixels, more than a JPEG can hold (" + std::to_string(maxJpegSide) +
           " pixels a side at most)";
  }
  return std::nullopt;
}

namespace {

// Writes what `encode` produces through the sink to `path`, every write and
// the close checked; on failure no regular file is left behind.
template <typename Encode>
std::string writeEncoded(const std::string& path, Encode encode) {
  PngSink sink;
  sink.file = std::fopen(path.c_str(), "wb");
  if (sink.file == nullptr) {
    return std::strerror(errno);
  }
  // Only a regular file is removed after a failure, never a device such as
  // /dev/full or a pipe that was named as the output.
  struct stat status {};
  const bool regular = fstat(fileno(sink.file), &status) == 0 && S_ISREG(status.st_mode);
  std::string reason;
  if (encode(sink) == 0) {
    reason = "out of memory while encoding";
  } else if (sink.error == 0 && std::fflush(sink.file) != 0) {
    sink.error = errno != 0 ? errno : EIO;
  }
  // Buffered data may only fail to reach the disk at close (a full disk).
  if (std::fclose(sink.file) != 0 && sink.error == 0) {
    sink.error = errno != 0 ? errno : EIO;
  }
  if (reason.empty() && sink.error != 0) {
    reason = std::strerror(sink.error);
  }
  if (!reason.empty() && regular) {
    std::remove(path.c_str());  // no partial picture left behind
  }
  return reason;
}

}  // namespace

std::string writePng(const std::string& path, const Image& image) {
  if (const auto problem = pngSizeProblem(image.width, image.height)) {
    return *problem;
  }
  return writeEncoded(path, [&](PngSink& sink) {
    return stbi_write_png_to_func(writeToFile, &sink, image.width, image.height, 4,
                                  image.rgba.data(), image.width * 4);
  });
}

std::string writeJpeg(const std::string& path, const Image& image) {
  if (const auto problem = jpegSizeProblem(image.width, image.height)) {
    return *problem;
  }
  // The alpha channel is left out: JPEG holds colour only.
  return writeEncoded(path, [&](PngSink& sink) {
    return stbi_write_jpg_to_func(writeToFile, &sink, image.width, image.height, 4,
                                  image.rgba.data(), jpegQuality);
  });
}

}  // namespace tessaly::capture
