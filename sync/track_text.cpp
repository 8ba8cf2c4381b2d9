// Track files taken apart and put together byte for byte, and the text form.
#include "sync/track_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>

namespace tessaly::sync {

namespace {

constexpr std::size_t countBytes = 4;
constexpr std::size_t keyBytes = 9;

std::uint32_t littleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void putLittleEndian32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
  }
}

std::uint32_t floatBits(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float floatOfBits(std::uint32_t bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

constexpr const char* typeNames[] = {"step", "linear", "smooth", "ramp"};

std::string hexOf(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex.push_back(digits[byte >> 4]);
    hex.push_back(digits[byte & 15]);
  }
  return hex;
}

std::optional<std::string> bytesOfHex(std::string_view hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

std::optional<long long> integerOf(const std::string& word) {
  if (word.empty()) {
    return std::nullopt;
  }
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(word.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') {
    return std::nullopt;
  }
  return value;
}

std::string valueText(float value) {
  if (std::isnan(value)) {
    char text[24];
    std::snprintf(text, sizeof text, "nan:%08x", static_cast<unsigned>(floatBits(value)));
    return text;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

// A value as written by valueText, or any decimal a person types.
std::optional<float> valueOf(const std::string& word, std::string& why) {
  if (word.rfind("nan:", 0) == 0) {
    const std::optional<std::string> bits = bytesOfHex(word.substr(4));
    if (!bits || bits->size() != 4) {
      why = "\"" + word + "\": a NaN is written nan: and eight hex digits";
      return std::nullopt;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(bits->data());
    const float value = floatOfBits(static_cast<std::uint32_t>(b[0]) << 24 |
                                    static_cast<std::uint32_t>(b[1]) << 16 |
                                    static_cast<std::uint32_t>(b[2]) << 8 | b[3]);
    if (!std::isnan(value)) {
      why = "\"" + word + "\" is not the bits of a NaN";
      return std::nullopt;
    }
    return value;
  }
  errno = 0;
  char* end = nullptr;
  const float value = std::strtof(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0') {
    why = "\"" + word + "\" is not a number";
    return std::nullopt;
  }
  if (errno == ERANGE && std::isinf(value)) {
    why = "\"" + word + "\" is beyond the range of a float";
    return std::nullopt;
  }
  return value;
}

std::optional<KeyType> typeOf(const std::string& word) {
  for (int i = 0; i < 4; ++i) {
    if (word == typeNames[i]) {
      return static_cast<KeyType>(i);
    }
  }
  // Types the player does not know are kept as numbers: they are what the
  // file's signed byte held.
  const std::optional<long long> number = integerOf(word);
  if (number && *number >= std::numeric_limits<std::int8_t>::min() &&
      *number <= std::numeric_limits<std::int8_t>::max()) {
    return static_cast<KeyType>(*number);
  }
  return std::nullopt;
}

}  // namespace

TrackFile TrackFile::of(std::vector<SyncKey> keys) {
  TrackFile file;
  file.count = static_cast<std::int32_t>(keys.size());
  file.keys = std::move(keys);
  return file;
}

TrackFile splitTrackBytes(std::string_view bytes) {
  TrackFile file;
  if (bytes.size() < countBytes) {
    file.rest = std::string(bytes);
    return file;
  }
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  file.count = static_cast<std::int32_t>(littleEndian32(data));
  const std::size_t wanted = *file.count > 0 ? static_cast<std::size_t>(*file.count) : 0;
  const std::size_t whole = std::min(wanted, (bytes.size() - countBytes) / keyBytes);
  file.keys.reserve(whole);
  for (std::size_t i = 0; i < whole; ++i) {
    const unsigned char* key = data + countBytes + keyBytes * i;
    SyncKey read;
    read.row = static_cast<std::int32_t>(littleEndian32(key));
    read.value = floatOfBits(littleEndian32(key + 4));
    read.type = static_cast<KeyType>(static_cast<std::int8_t>(key[8]));
    file.keys.push_back(read);
  }
  file.rest = std::string(bytes.substr(countBytes + keyBytes * whole));
  return file;
}

std::string joinTrackBytes(const TrackFile& file) {
  std::string bytes;
  if (file.count) {
    bytes.reserve(countBytes + keyBytes * file.keys.size() + file.rest.size());
    putLittleEndian32(bytes, static_cast<std::uint32_t>(*file.count));
    for (const SyncKey& key : file.keys) {
      putLittleEndian32(bytes, static_cast<std::uint32_t>(key.row));
      putLittleEndian32(bytes, floatBits(key.value));
      bytes.push_back(static_cast<char>(static_cast<std::int8_t>(key.type)));
    }
  }
  bytes += file.rest;
  return bytes;
}

std::string trackFileBytes(const std::vector<SyncKey>& keys) {
  return joinTrackBytes(TrackFile::of(keys));
}

const char* keyTypeName(KeyType type) {
  const auto index = static_cast<std::int32_t>(type);
  return index >= 0 && index < 4 ? typeNames[index] : nullptr;
}

std::string trackText(const TrackFile& file) {
  std::string text(trackTextHeading);
  text += ": one key a line, row value interpolation (step, linear, smooth, ramp)\n";
  if (!file.count) {
    // Too short for a key count: the bytes as they are.
    text += "short " + hexOf(file.rest) + "\n";
    return text;
  }
  if (*file.count < 0 || static_cast<std::size_t>(*file.count) != file.keys.size()) {
    text += "count " + std::to_string(*file.count) + "\n";
  }
  for (const SyncKey& key : file.keys) {
    text += std::to_string(key.row);
    text += ' ';
    text += valueText(key.value);
    text += ' ';
    const char* name = keyTypeName(key.type);
    text += name != nullptr ? name : std::to_string(static_cast<std::int32_t>(key.type));
    text += '\n';
  }
  if (!file.rest.empty()) {
    text += "rest " + hexOf(file.rest) + "\n";
  }
  return text;
}

std::optional<TrackFile> parseTrackText(std::string_view text, TrackTextError& error,
                                        int* outOfOrder) {
  TrackFile file;
  std::optional<long long> count;
  bool haveRest = false;
  bool haveShort = false;
  int unordered = 0;
  int lineNumber = 0;
  auto fail = [&](std::string message) {
    error.line = lineNumber;
    error.message = std::move(message);
    return std::nullopt;
  };

  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    ++lineNumber;
    std::istringstream line{std::string(text.substr(start, end - start))};
    start = end + 1;
    std::vector<std::string> words;
    for (std::string word; line >> word;) {
      if (word[0] == '#') {
        break;
      }
      words.push_back(word);
    }
    if (words.empty()) {
      continue;
    }
    if (haveShort) {
      return fail("nothing may follow \"short\": the file is only those bytes");
    }
    if (words[0] == "count" || words[0] == "rest" || words[0] == "short") {
      if (words.size() > 2 || (words[0] == "count" && words.size() != 2)) {
        return fail("\"" + words[0] + "\" takes one value");
      }
      const std::string value = words.size() == 2 ? words[1] : "";
      if (words[0] == "count") {
        if (count) {
          return fail("a second \"count\"");
        }
        count = integerOf(value);
        if (!count || *count < std::numeric_limits<std::int32_t>::min() ||
            *count > std::numeric_limits<std::int32_t>::max()) {
          return fail("\"" + value + "\" is not a key count (a 32-bit integer)");
        }
        continue;
      }
      const std::optional<std::string> bytes = bytesOfHex(value);
      if (!bytes) {
        return fail("\"" + value + "\" is not bytes in hex (two digits each)");
      }
      if (words[0] == "short") {
        if (count || haveRest || !file.keys.empty()) {
          return fail("\"short\" stands for the whole file: no count, key or rest with it");
        }
        if (bytes->size() >= countBytes) {
          return fail("\"short\" is for files of fewer than 4 bytes");
        }
        haveShort = true;
      } else {
        if (haveRest) {
          return fail("a second \"rest\"");
        }
        haveRest = true;
      }
      file.rest = *bytes;
      continue;
    }
    if (haveRest) {
      return fail("a key after \"rest\": the rest comes after the last key");
    }
    if (words.size() != 3) {
      return fail("a key is three words: row value interpolation");
    }
    const std::optional<long long> row = integerOf(words[0]);
    if (!row || *row < std::numeric_limits<std::int32_t>::min() ||
        *row > std::numeric_limits<std::int32_t>::max()) {
      return fail("\"" + words[0] + "\" is not a row (a 32-bit integer)");
    }
    std::string why;
    const std::optional<float> value = valueOf(words[1], why);
    if (!value) {
      return fail(why);
    }
    const std::optional<KeyType> type = typeOf(words[2]);
    if (!type) {
      return fail("\"" + words[2] +
                  "\" is not an interpolation: step, linear, smooth, ramp (or -128 to 127)");
    }
    if (!file.keys.empty() && *row <= file.keys.back().row) {
      ++unordered;
    }
    file.keys.push_back({static_cast<std::int32_t>(*row), *value, *type});
  }
  lineNumber = 0;  // what follows is about the whole text
  if (haveShort) {
    return file;
  }
  file.count = count ? static_cast<std::int32_t>(*count)
                     : static_cast<std::int32_t>(file.keys.size());
  if (*file.count < 0 && !file.keys.empty()) {
    return fail("a negative count reads as no keys, but keys are listed");
  }
  if (*file.count >= 0 && static_cast<std::size_t>(*file.count) < file.keys.size()) {
    return fail("the count " + std::to_string(*file.count) + " is less than the " +
                std::to_string(file.keys.size()) + " keys listed");
  }
  if (static_cast<std::size_t>(std::max(*file.count, 0)) > file.keys.size() &&
      file.rest.size() >= keyBytes) {
    return fail("the rest holds a whole key, which a reader would take as one");
  }
  if (outOfOrder != nullptr) {
    *outOfOrder = unordered;
  }
  return file;
}

}  // namespace tessaly::sync
