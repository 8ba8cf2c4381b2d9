// The Maya ASCII line reader.
//
// A file is read line by line; each line's first word and the rest of it go
// through eight checks in a fixed order, one per reading state, and a line can
// take part in several of them (the line after a curve's last control point
// completes the curve and can also start the next node). Each check reads the
// line's words from the second word on by itself, so a line that finishes a
// light is still read in full as a transform attribute. Values are read as a
// stream: a value that is missing or not a number reads 0, and so does every
// value after it on the line.
#include "assets/maya_reader.h"

#include <optional>

#include "assets/line_reader.h"
#include "assets/value_reader.h"

namespace tessaly::assets {

namespace {

glm::vec3 readPoint(ValueReader& values) {
  glm::vec3 point(0.0f);
  values.number(point.x);
  values.number(point.y);
  values.number(point.z);
  return point;
}

// The number a word starts with ("2;" reads 2); 0 when it does not start
// with one.
float numberOf(std::string_view word) {
  float value = 0.0f;
  ValueReader(word).number(value);
  return value;
}

// The integer a word starts with ("12.5" reads 12); 0 when it does not start
// with one or the integer does not fit.
std::int32_t integerOf(std::string_view word) {
  std::int32_t value = 0;
  ValueReader(word).integer(value);
  return value;
}

// The file name of a path: what follows its last '/'.
std::string_view fileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// One file's reading: its states and the records under construction.
class MayaParser {
 public:
  MayaParser(MayaData& file, LineReader& lines) : file_(file), lines_(lines) {}

  void read() {
    std::string_view line;
    if (!lines_.next(line) || ValueReader(line).word() != "//Maya") {
      return;
    }
    while (lines_.next(line)) {
      // A copy, because the knot check may read further lines.
      line_.assign(line);
      ValueReader words(line_);
      const std::string_view first = words.word();
      const std::string_view rest =
          first.empty() ? std::string_view()
                        : std::string_view(line_).substr(
                              static_cast<std::size_t>(first.data() - line_.data()) + first.size());
      readControlPoints(first, rest);
      readPointLightAttribute(first, rest);
      readAmbientLightAttribute(first, rest);
      readCurveHeader(first, rest);
      if (pointLightPending_) {
        pointLightPending_ = false;
        pointLightAttributes_ = true;
      }
      if (ambientLightPending_) {
        ambientLightPending_ = false;
        ambientLightAttributes_ = true;
      }
      readTransformAttribute(first, rest);
      readCreateNode(first, rest);
    }
  }

 private:
  // 1: the count line, one line per point, then the line that completes.
  void readControlPoints(std::string_view first, std::string_view rest) {
    if (!readingControlPoints_ || !curve_) {
      return;
    }
    if (!countKnown_) {
      controlPointCount_ = integerOf(first);
      countKnown_ = true;
    } else if (static_cast<long long>(curve_->controlPoints.size()) < controlPointCount_) {
      ValueReader values(rest);
      glm::vec3& point = curve_->controlPoints.emplace_back(numberOf(first), 0.0f, 0.0f);
      values.number(point.y);
      values.number(point.z);
    } else {
      curve_->scale = scale_;
      curve_->rotation = rotation_;
      curve_->translation = translation_;
      file_.curves.push_back(std::move(*curve_));
      curve_.reset();
      readingControlPoints_ = false;
    }
  }

  // 2: a point light's ".cl" and ".in"; any other attribute finishes it,
  // at the translation of the transform read last.
  void readPointLightAttribute(std::string_view first, std::string_view rest) {
    if (pointLightAttributes_ && first == "setAttr" && pointLight_ &&
        !readLightAttribute(*pointLight_, rest)) {
      pointLight_->position = translation_;
      file_.pointLights.push_back(std::move(*pointLight_));
      pointLight_.reset();
      pointLightAttributes_ = false;
    }
  }

  // 3: the same for an ambient light, which takes no position.
  void readAmbientLightAttribute(std::string_view first, std::string_view rest) {
    if (ambientLightAttributes_ && first == "setAttr" && ambientLight_ &&
        !readLightAttribute(*ambientLight_, rest)) {
      file_.ambientLights.push_back(std::move(*ambientLight_));
      ambientLight_.reset();
      ambientLightAttributes_ = false;
    }
  }

  // A light's "setAttr" line: ".cl" (after its type flag and type) sets the
  // colour, ".in" the intensity. False for any other attribute.
  template <typename Light>
  static bool readLightAttribute(Light& light, std::string_view rest) {
    ValueReader values(rest);
    const std::string_view attribute = values.word();
    if (attribute == "\".cl\"") {
      values.word();
      values.word();
      light.color = readPoint(values);
      return true;
    }
    if (attribute == "\".in\"") {
      light.intensity = 0.0f;
      values.number(light.intensity);
      return true;
    }
    return false;
  }

  // 4: the fourth line after a curve's "createNode" holds the knot count and
  // the knots, which may run on over the following lines; they are skipped.
  // A knot count larger than the file stops at the end of the file.
  void readCurveHeader(std::string_view first, std::string_view rest) {
    if (!curveHeader_) {
      return;
    }
    if (headerLine_ != 3) {
      ++headerLine_;
      return;
    }
    const std::int32_t knots = integerOf(first);
    ValueReader words(rest);
    std::string_view more;
    for (std::int32_t skipped = 0; skipped < knots;) {
      if (!words.word().empty()) {
        ++skipped;
      } else if (lines_.next(more)) {
        words = ValueReader(more);
      } else {
        break;
      }
    }
    curveHeader_ = false;
    readingControlPoints_ = true;
    countKnown_ = false;
  }

  // 7: ".t", ".r" and ".s" of a transform; any line but "setAttr" ends it.
  void readTransformAttribute(std::string_view first, std::string_view rest) {
    if (!inTransform_) {
      return;
    }
    if (first != "setAttr") {
      inTransform_ = false;
      return;
    }
    ValueReader values(rest);
    const std::string_view attribute = values.word();
    glm::vec3* target = nullptr;
    if (attribute == "\".t\"") {
      target = &translation_;
    } else if (attribute == "\".r\"") {
      target = &rotation_;
    } else if (attribute == "\".s\"") {
      target = &scale_;
    } else {
      return;
    }
    values.word();
    values.word();
    *target = readPoint(values);
  }

  // 8: a new node. A node of the same kind as one still being read replaces
  // it; the unfinished one is dropped.
  void readCreateNode(std::string_view first, std::string_view rest) {
    if (first != "createNode") {
      return;
    }
    const std::string_view type = ValueReader(rest).word();
    if (type == "transform") {
      inTransform_ = true;
    } else if (type == "bezierCurve") {
      curve_.emplace();
      curveHeader_ = true;
      headerLine_ = 0;
      readingControlPoints_ = false;
      countKnown_ = false;
    } else if (type == "pointLight") {
      pointLight_.emplace();
      pointLight_->name = file_.name;
      pointLight_->path = file_.path;
      pointLightPending_ = true;
      pointLightAttributes_ = false;
    } else if (type == "ambientLight") {
      ambientLight_.emplace();
      ambientLight_->name = file_.name;
      ambientLight_->path = file_.path;
      ambientLightPending_ = true;
      ambientLightAttributes_ = false;
    }
  }

  MayaData& file_;
  LineReader& lines_;
  std::string line_;

  // The last ".s", ".r" and ".t" values seen under a transform node.
  glm::vec3 scale_{0.0f};
  glm::vec3 rotation_{0.0f};
  glm::vec3 translation_{0.0f};

  std::optional<MayaCurve> curve_;
  std::optional<PointLight> pointLight_;
  std::optional<AmbientLight> ambientLight_;

  bool readingControlPoints_ = false;
  bool countKnown_ = false;
  std::int32_t controlPointCount_ = 0;
  bool pointLightAttributes_ = false;
  bool ambientLightAttributes_ = false;
  bool curveHeader_ = false;
  int headerLine_ = 0;
  bool pointLightPending_ = false;
  bool ambientLightPending_ = false;
  bool inTransform_ = false;
};

MayaData readMaya(LineReader& lines, std::string_view path) {
  MayaData file;
  file.path = path;
  file.name = fileName(path);
  file.opened = lines.isOpen();
  if (file.opened) {
    MayaParser(file, lines).read();
  }
  return file;
}

}  // namespace

MayaData readMayaFile(const std::string& path) {
  if (path.empty()) {
    return {};
  }
  LineReader lines =
      LineReader::ofFile(path, mayaLineBufferSize, LineReader::defaultChunkSize, LongLines::split);
  return readMaya(lines, path);
}

MayaData readMayaText(std::string_view text, std::string_view path) {
  if (path.empty()) {
    return {};
  }
  LineReader lines = LineReader::ofText(text, mayaLineBufferSize, LongLines::split);
  return readMaya(lines, path);
}

}  // namespace tessaly::assets
