#include "tools/content/noise.h"

#include <cmath>
#include <cstdint>

namespace tessaly::content {

namespace {

std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, unsigned seed) {
  std::uint32_t h = seed * 0x27D4EB2Du;
  h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
  h = (h << 11) | (h >> 21);
  h ^= static_cast<std::uint32_t>(z) * 0x165667B1u;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

// Dot product of one of twelve edge gradients with the offset.
float gradient3(std::uint32_t h, float x, float y, float z) {
  switch (h % 12u) {
    case 0: return x + y;
    case 1: return -x + y;
    case 2: return x - y;
    case 3: return -x - y;
    case 4: return x + z;
    case 5: return -x + z;
    case 6: return x - z;
    case 7: return -x - z;
    case 8: return y + z;
    case 9: return -y + z;
    case 10: return y - z;
    default: return -y - z;
  }
}

float gradient2(std::uint32_t h, float x, float y) {
  switch (h % 8u) {
    case 0: return x + y;
    case 1: return -x + y;
    case 2: return x - y;
    case 3: return -x - y;
    case 4: return 1.41421356f * x;
    case 5: return -1.41421356f * x;
    case 6: return 1.41421356f * y;
    default: return -1.41421356f * y;
  }
}

std::int32_t wrap(std::int32_t value, int period) {
  const std::int32_t m = value % period;
  return m < 0 ? m + period : m;
}

}  // namespace

float noise3(float x, float y, float z, unsigned seed) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const auto ix = static_cast<std::int32_t>(fx);
  const auto iy = static_cast<std::int32_t>(fy);
  const auto iz = static_cast<std::int32_t>(fz);
  const float dx = x - fx, dy = y - fy, dz = z - fz;
  const float u = fade(dx), v = fade(dy), w = fade(dz);
  auto corner = [&](int cx, int cy, int cz) {
    return gradient3(hash(ix + cx, iy + cy, iz + cz, seed), dx - cx, dy - cy, dz - cz);
  };
  const float x00 = lerp(corner(0, 0, 0), corner(1, 0, 0), u);
  const float x10 = lerp(corner(0, 1, 0), corner(1, 1, 0), u);
  const float x01 = lerp(corner(0, 0, 1), corner(1, 0, 1), u);
  const float x11 = lerp(corner(0, 1, 1), corner(1, 1, 1), u);
  return lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

float noise2Tiled(float x, float y, int periodX, int periodY, unsigned seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<std::int32_t>(fx);
  const auto iy = static_cast<std::int32_t>(fy);
  const float dx = x - fx, dy = y - fy;
  const float u = fade(dx), v = fade(dy);
  auto corner = [&](int cx, int cy) {
    return gradient2(hash(wrap(ix + cx, periodX), wrap(iy + cy, periodY), 0, seed), dx - cx,
                     dy - cy);
  };
  return lerp(lerp(corner(0, 0), corner(1, 0), u), lerp(corner(0, 1), corner(1, 1), u), v);
}

float fbm3(float x, float y, float z, int octaves, float gain, unsigned seed) {
  float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * noise3(x, y, z, seed + static_cast<unsigned>(i) * 101u);
    norm += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    z *= 2.0f;
  }
  return sum / norm;
}

float fbm2Tiled(float x, float y, int periodX, int periodY, int octaves, float gain,
                unsigned seed) {
  float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * noise2Tiled(x, y, periodX, periodY, seed + static_cast<unsigned>(i) * 101u);
    norm += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    periodX *= 2;
    periodY *= 2;
  }
  return sum / norm;
}

float ridged3(float x, float y, float z, int octaves, float gain, unsigned seed) {
  float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    const float r = 1.0f - std::fabs(noise3(x, y, z, seed + static_cast<unsigned>(i) * 131u));
    sum += amplitude * r * r;
    norm += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    z *= 2.0f;
  }
  return sum / norm;
}

CellDistances worley2Tiled(float x, float y, int period, unsigned seed) {
  const auto ix = static_cast<std::int32_t>(std::floor(x));
  const auto iy = static_cast<std::int32_t>(std::floor(y));
  CellDistances result{1e9f, 1e9f};
  for (int cy = -1; cy <= 1; ++cy) {
    for (int cx = -1; cx <= 1; ++cx) {
      const std::uint32_t h = hash(wrap(ix + cx, period), wrap(iy + cy, period), 7, seed);
      const float px = static_cast<float>(ix + cx) + static_cast<float>(h & 0xFFFFu) / 65536.0f;
      const float py = static_cast<float>(iy + cy) + static_cast<float>(h >> 16) / 65536.0f;
      const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
      if (d < result.nearest) {
        result.second = result.nearest;
        result.nearest = d;
      } else if (d < result.second) {
        result.second = d;
      }
    }
  }
  return result;
}

}  // namespace tessaly::content
