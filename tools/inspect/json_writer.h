// A small JSON writer for tessaly-inspect: objects, arrays, strings and
// numbers on one line, with ", " between items and ": " after keys. Floats
// print with %.9g and doubles with %.17g, so every value reads back to the
// same bits; values that JSON cannot hold (NaN, infinities) print as null.
#pragma once

#include <glm/vec3.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::tools {

class JsonWriter {
 public:
  // Appends to `out`, which must outlive the writer.
  explicit JsonWriter(std::string& out) : out_(out) {}

  void beginObject();
  void endObject();
  void beginArray();
  void endArray();

  // The key of the next value inside an object.
  void key(std::string_view name);

  void string(std::string_view text);
  void integer(std::int64_t value);
  void number(float value);
  void number(double value);
  void boolean(bool value);
  void null();
  // A point as [x, y, z].
  void point(const glm::vec3& value);

  // A key and its value, inside an object.
  void field(std::string_view name, std::string_view text);
  void field(std::string_view name, std::int64_t value);
  void field(std::string_view name, float value);
  void field(std::string_view name, double value);
  void field(std::string_view name, const glm::vec3& value);

 private:
  void open(char bracket);
  void close(char bracket);
  // Writes the separator the next value needs.
  void beginValue();

  std::string& out_;
  // One entry per open object or array: whether it has no item yet.
  std::vector<bool> empty_;
  bool afterKey_ = false;
};

}  // namespace tessaly::tools
