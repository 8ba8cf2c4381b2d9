// A tiny PNG encoder for test fixtures: 8-bit RGBA, no compression (stored
// deflate blocks), rows written in the order given (first = top of the
// picture, the first row a decoder delivers). Header-only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::test {

namespace png_detail {

inline std::uint32_t crc32(const std::string& bytes, std::size_t from) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < bytes.size(); ++i) {
    crc ^= static_cast<std::uint8_t>(bytes[i]);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

inline void putBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

inline void putChunk(std::string& out, const char* type, const std::string& data) {
  putBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.append(type, 4);
  out.append(data);
  putBigEndian(out, crc32(out, typeAt));
}

}  // namespace png_detail

// The bytes of a width x height RGBA8 PNG; `rgba` holds width*height*4 bytes.
inline std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
  using namespace png_detail;
  std::string raw;  // filter byte 0 before every row
  for (int y = 0; y < height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(rgba.data()) + static_cast<std::size_t>(y) * width * 4,
               static_cast<std::size_t>(width) * 4);
  }
  std::string zlib = {'\x78', '\x01'};
  std::size_t at = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + length == raw.size();
    zlib.push_back(last ? '\x01' : '\x00');
    zlib.push_back(static_cast<char>(length & 0xFF));
    zlib.push_back(static_cast<char>(length >> 8));
    zlib.push_back(static_cast<char>(~length & 0xFF));
    zlib.push_back(static_cast<char>((~length >> 8) & 0xFF));
    zlib.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  std::uint32_t a = 1, b = 0;  // Adler-32 of the uncompressed data
  for (char c : raw) {
    a = (a + static_cast<std::uint8_t>(c)) % 65521;
    b = (b + a) % 65521;
  }
  putBigEndian(zlib, (b << 16) | a);

  std::string header;
  putBigEndian(header, static_cast<std::uint32_t>(width));
  putBigEndian(header, static_cast<std::uint32_t>(height));
  header += {'\x08', '\x06', '\x00', '\x00', '\x00'};  // 8 bits, RGBA, deflate, no interlace

  std::string png = "\x89PNG\r\n\x1a\n";
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", "");
  return png;
}

// The bytes of a width x height 8-bit grey PNG of black pixels, compressed
// as deflate compresses long runs (one literal, then copies of 258 bytes at
// distance 1), so that a few megabytes claim a picture of gigabytes: a
// decompression bomb, for tests that must refuse it before decoding.
inline std::string encodeBlackGreyPngBomb(std::uint32_t width, std::uint32_t height) {
  using namespace png_detail;
  const std::uint64_t total = (std::uint64_t{width} + 1) * height;  // a filter byte per row
  std::string zlib = {'\x78', '\x01'};
  std::uint32_t bits = 0;
  int bitCount = 0;
  const auto putBits = [&](std::uint32_t value, int count) {  // least significant first
    bits |= value << bitCount;
    bitCount += count;
    while (bitCount >= 8) {
      zlib.push_back(static_cast<char>(bits & 0xFF));
      bits >>= 8;
      bitCount -= 8;
    }
  };
  const auto putCode = [&](std::uint32_t code, int length) {  // Huffman codes: most significant first
    for (int i = length - 1; i >= 0; --i) putBits((code >> i) & 1u, 1);
  };
  putBits(1, 1);  // the last block
  putBits(1, 2);  // fixed Huffman codes
  std::uint64_t written = 0;
  const auto literalZero = [&] {
    putCode(0x30, 8);
    ++written;
  };
  literalZero();
  while (total - written >= 258) {
    putCode(0xC5, 8);  // length 258 (code 285)
    putCode(0, 5);     // distance 1
    written += 258;
  }
  while (written < total) literalZero();
  putCode(0, 7);  // end of block
  if (bitCount > 0) putBits(0, 8 - bitCount);
  const std::uint32_t a = 1;
  const auto b = static_cast<std::uint32_t>(total % 65521);  // Adler-32 of zeros
  putBigEndian(zlib, (b << 16) | a);

  std::string header;
  putBigEndian(header, width);
  putBigEndian(header, height);
  header += {'\x08', '\x00', '\x00', '\x00', '\x00'};  // 8 bits, grey, deflate, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", "");
  return png;
}

}  // namespace tessaly::test
