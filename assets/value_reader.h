// Reading whitespace-delimited values from one line of a text content file,
// with the rules of formatted stream input and none of its cost: leading
// white space is skipped, a number is read as far as it goes, and once a
// read has failed every later read on the line fails too, so missing or
// unreadable values leave the rest of the line unread.
#pragma once

#include <charconv>
#include <cstddef>
#include <iterator>
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
    if (const char* next = shortDecimal(start, value)) {
      position_ = next;
      return true;
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
    if (*start != '-') {
      // Plain digits, the common case: read here, with from_chars' result
      // (the longest run of digits; a value beyond the int range fails).
      std::int64_t number = 0;
      const char* next = start;
      while (next != end_ && static_cast<unsigned char>(*next - '0') <= 9) {
        number = number * 10 + (*next - '0');
        if (number > std::numeric_limits<std::int32_t>::max()) {
          return fail();
        }
        ++next;
      }
      if (next == start) {
        return fail();  // a point where a digit should be
      }
      value = static_cast<std::int32_t>(number);
      position_ = next;
      return true;
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

  // A number written as digits with at most one point and no exponent,
  // whose digits (without the zeros that end the fraction) make an integer
  // of at most 2^24 with at most 10 of them after the point ("0.955336",
  // "-12.5", "150.000000"): then the digits and the power
  // of ten are exact floats and one IEEE division rounds their quotient
  // exactly as from_chars rounds the text. Returns where the number ends,
  // or null for anything else (from_chars reads it then).
  const char* shortDecimal(const char* start, float& value) const {
    static constexpr float powersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                            1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    constexpr std::uint64_t largestExact = std::uint64_t{1} << 24;
    const char* p = start;
    const bool negative = *p == '-';
    if (negative) {
      ++p;
    }
    std::uint64_t digits = 0;
    std::size_t digitCount = 0;
    std::size_t fractionCount = 0;
    while (p != end_ && static_cast<unsigned char>(*p - '0') <= 9) {
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
      ++digitCount;
      ++p;
      if (digits > largestExact) {
        return nullptr;
      }
    }
    if (p != end_ && *p == '.') {
      ++p;
      // Zeros after the point count only once a later digit needs them,
      // so that "150.000000" is 150 and "0.250000" is 25 hundredths.
      std::size_t zeros = 0;
      while (p != end_ && static_cast<unsigned char>(*p - '0') <= 9) {
        if (*p == '0') {
          ++zeros;
        } else {
          for (; zeros > 0; --zeros) {
            digits *= 10;
            ++fractionCount;
            if (digits > largestExact) {
              return nullptr;
            }
          }
          digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
          ++fractionCount;
          if (digits > largestExact) {
            return nullptr;
          }
        }
        ++p;
      }
      // Trailing zeros still say there were digits ("0.000").
      digitCount += zeros;
    }
    if (digitCount + fractionCount == 0 || fractionCount >= std::size(powersOfTen) ||
        (p != end_ && (*p == 'e' || *p == 'E'))) {
      return nullptr;
    }
    const float magnitude = static_cast<float>(digits) / powersOfTen[fractionCount];
    value = negative ? -magnitude : magnitude;
    return p;
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
