// Reading whitespace-delimited values from one line of a text content file,
// with the rules of formatted stream input and none of its cost: leading
// white space is skipped, a number is read as far as it goes, and once a
// read has failed every later read on the line fails too, so missing or
// unreadable values leave the rest of the line unread.
#pragma once

#include <charconv>
#include <cstdint>
#include <limits>
#include <string_view>
#include <system_error>

namespace tessaly::assets {

// White space as the "C" locale knows it: ' ', '\t', '\n', '\v', '\f', '\r'.
constexpr bool isBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code <= ' ' && ((0x100003E00ull >> code) & 1u) != 0;
}

class ValueReader {
 public:
  explicit ValueReader(std::string_view line)
      : position_(line.data()), end_(line.data() + line.size()) {}

  // The next word, or an empty view (and the reader failed) when none is left.
  std::string_view word() {
    if (!skipBlanks()) {
      return {};
    }
    const char* start = position_;
    while (position_ != end_ && !isBlank(*position_)) {
      ++position_;
    }
    return std::string_view(start, static_cast<std::size_t>(position_ - start));
  }

  // The next decimal number ("1", "-.5", "+2.5e3"), with std::from_chars. On
  // failure `value` is 0 and the reader has failed. Values too small for a
  // float read as 0; values too large, "inf" and "nan" are not numbers here.
  bool number(float& value) {
    value = 0.0f;
    const char* start = numberStart();
    if (start == nullptr) {
      return false;
    }
    auto [next, error] = std::from_chars(start, end_, value);
    if (error == std::errc::result_out_of_range) {
      // Tiny values round to 0 as a stream reads them; huge ones fail.
      double wide = 0.0;
      auto wideResult = std::from_chars(start, end_, wide);
      next = wideResult.ptr;
      if (wideResult.ec != std::errc() || wide > std::numeric_limits<float>::max() ||
          wide < -std::numeric_limits<float>::max()) {
        return fail();
      }
      value = static_cast<float>(wide);
    } else if (error != std::errc()) {
      return fail();
    }
    position_ = next;
    return true;
  }

  // The next decimal integer. On failure (no digits, out of the int range)
  // `value` is 0 and the reader has failed.
  bool integer(std::int32_t& value) {
    value = 0;
    // Indices mostly start right at a digit: no blanks or sign to look at.
    const char* start = position_;
    if (failed_ || start == end_ || static_cast<unsigned char>(*start - '0') > 9) {
      start = numberStart();
      if (start == nullptr) {
        return false;
      }
    }
    const auto [next, error] = std::from_chars(start, end_, value);
    if (error != std::errc()) {
      value = 0;
      return fail();
    }
    position_ = next;
    return true;
  }

  // Skips characters up to and including the next '/' or ' ', or to the end.
  void skipPastSlashOrSpace() {
    while (position_ != end_) {
      const char c = *position_++;
      if (c == '/' || c == ' ') {
        return;
      }
    }
  }

  // Consumes the next character if it is `c`.
  bool take(char c) {
    if (position_ != end_ && *position_ == c) {
      ++position_;
      return true;
    }
    return false;
  }

  // True when only white space is left (or a read has failed).
  bool atEnd() {
    if (failed_) {
      return true;
    }
    skipWhiteSpace();
    return position_ == end_;
  }

  bool failed() const { return failed_; }

 private:
  bool fail() {
    failed_ = true;
    return false;
  }

  // Skips white space; false (and failed) when nothing is left.
  bool skipBlanks() {
    if (failed_) {
      return false;
    }
    skipWhiteSpace();
    return position_ != end_ || fail();
  }

  void skipWhiteSpace() {
    while (position_ != end_ && isBlank(*position_)) {
      ++position_;
    }
  }

  // Where the digits of a number start after blanks and an optional sign
  // ("+" is skipped, "-" kept for from_chars), or null (and failed) when no
  // digit or point follows.
  const char* numberStart() {
    if (!skipBlanks()) {
      return nullptr;
    }
    const char* start = position_;
    const char* digits = start;
    if (*digits == '+') {
      start = ++digits;
    } else if (*digits == '-') {
      ++digits;
    }
    if (digits == end_ || !((*digits >= '0' && *digits <= '9') || *digits == '.')) {
      fail();
      return nullptr;
    }
    return start;
  }

  const char* position_;
  const char* end_;
  bool failed_ = false;
};

}  // namespace tessaly::assets
