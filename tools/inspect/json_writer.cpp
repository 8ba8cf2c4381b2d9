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

void JsonWriter::string(std::string_view text) {
  beginValue();
  out_ += '"';
  for (const char c : text) {
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
          out_ += c;  // bytes of 0x80 and above pass through (UTF-8 stays UTF-8)
        }
    }
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
