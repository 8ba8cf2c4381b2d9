#include "tools/inspect/json_writer.h"

#include <cmath>
#include <cstdio>

namespace tessaly::tools {

namespace {

void appendFormatted(std::string& out, const char* format, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[40];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  out.append(buffer, static_cast<std::size_t>(length));
}

}  // namespace

void JsonWriter::beginValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!empty_.empty()) {
    if (!empty_.back()) {
      out_ += ", ";
    }
    empty_.back() = false;
  }
}

void JsonWriter::open(char bracket) {
  beginValue();
  out_ += bracket;
  empty_.push_back(true);
}

void JsonWriter::close(char bracket) {
  out_ += bracket;
  empty_.pop_back();
}

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(std::string_view name) {
  string(name);
  out_ += ": ";
  afterKey_ = true;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0
// when its first byte does not begin one (a stray continuation byte, an
// overlong form, a surrogate, a value past U+10FFFF or a cut sequence).
static std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;   // overlong below U+0800
    if (lead == 0xed) high = 0x9f;  // surrogates U+D800..U+DFFF
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;   // overlong below U+10000
    if (lead == 0xf4) high = 0x8f;  // past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xbf) {
      return 0;
    }
  }
  return length;
}

void JsonWriter::string(std::string_view text) {
  beginValue();
  out_ += '"';
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // Names come from file systems and files, which hold any bytes; JSON
      // must be UTF-8, so a byte that is not part of a well-formed sequence
      // becomes U+FFFD, and well-formed sequences pass through.
      const std::size_t length = utf8SequenceLength(text.substr(i));
      if (length == 0) {
        out_ += "\\ufffd";
        ++i;
      } else {
        out_.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': out_ += "\\\""; break;
      case '\\': out_ += "\\\\"; break;
      case '\n': out_ += "\\n"; break;
      case '\r': out_ += "\\r"; break;
      case '\t': out_ += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out_ += escaped;
        } else {
          out_ += c;
        }
    }
    ++i;
  }
  out_ += '"';
}

void JsonWriter::integer(std::int64_t value) {
  beginValue();
  out_ += std::to_string(value);
}

void JsonWriter::number(float value) {
  beginValue();
  appendFormatted(out_, "%.9g", value);
}

void JsonWriter::number(double value) {
  beginValue();
  appendFormatted(out_, "%.17g", value);
}

void JsonWriter::boolean(bool value) {
  beginValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::null() {
  beginValue();
  out_ += "null";
}

void JsonWriter::point(const glm::vec3& value) {
  beginArray();
  number(value.x);
  number(value.y);
  number(value.z);
  endArray();
}

void JsonWriter::field(std::string_view name, std::string_view text) {
  key(name);
  string(text);
}

void JsonWriter::field(std::string_view name, std::int64_t value) {
  key(name);
  integer(value);
}

void JsonWriter::field(std::string_view name, float value) {
  key(name);
  number(value);
}

void JsonWriter::field(std::string_view name, double value) {
  key(name);
  number(value);
}

void JsonWriter::field(std::string_view name, const glm::vec3& value) {
  key(name);
  point(value);
}

}  // namespace tessaly::tools
