// The Maya ASCII line reader and the scene's lookups.
//
// A file is read line by line; each line's first word and the rest of it go
// through eight checks in a fixed order, one per reading state, and a line can
// take part in several of them (the line after a curve's last control point
// completes the curve and can also start the next node). Each check reads the
// line's words from the second word on by itself, so a line that finishes a
// light is still read in full as a transform attribute.
#include "assets/maya_scene.h"

#include "assets/maya_curve.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>

namespace tessaly::assets {

namespace {

// Lines are read into a 4096-character buffer: a line longer than 4095
// characters is cut there and its remainder is read as the next line, as a
// C line buffer does.
constexpr std::size_t lineBufferSize = 4096;

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line with its newline, at most lineBufferSize - 1 characters;
  // false at the end of the text.
  virtual bool next(std::string_view& line) = 0;
};

class TextLines final : public LineSource {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  bool next(std::string_view& line) override {
    if (text_.empty()) {
      return false;
    }
    std::size_t length = std::min(text_.size(), lineBufferSize - 1);
    const std::size_t newline = text_.substr(0, length).find('\n');
    if (newline != std::string_view::npos) {
      length = newline + 1;
    }
    line = text_.substr(0, length);
    text_.remove_prefix(length);
    return true;
  }

 private:
  std::string_view text_;
};

class FileLines final : public LineSource {
 public:
  explicit FileLines(std::FILE* file) : file_(file) {}
  bool next(std::string_view& line) override {
    std::size_t length = 0;
    while (length < lineBufferSize - 1) {
      const int c = getc_unlocked(file_);
      if (c == EOF) {
        break;
      }
      buffer_[length++] = static_cast<char>(c);
      if (c == '\n') {
        break;
      }
    }
    line = std::string_view(buffer_, length);
    return length > 0;
  }

 private:
  std::FILE* file_;
  char buffer_[lineBufferSize];
};

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The whitespace-delimited words of a line, one after another; an empty word
// once the line has run out.
class Words {
 public:
  explicit Words(std::string_view text) : rest_(text) {}
  std::string_view next() {
    std::size_t begin = 0;
    while (begin < rest_.size() && isSpace(rest_[begin])) {
      ++begin;
    }
    std::size_t end = begin;
    while (end < rest_.size() && !isSpace(rest_[end])) {
      ++end;
    }
    const std::string_view word = rest_.substr(begin, end - begin);
    rest_.remove_prefix(end);
    return word;
  }
  std::string_view rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// The number a word starts with, as a float ("2;" reads 2). A word that does
// not start with a number, or whose number does not fit a float, reads 0.
float toFloat(std::string_view word) {
  if (!word.empty() && word.front() == '+') {
    word.remove_prefix(1);
  }
  float value = 0.0f;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) {
    return 0.0f;
  }
  return value;
}

// The integer a word starts with ("12.5" reads 12), saturated to the int
// range; 0 when the word does not start with one.
int toInt(std::string_view word) {
  if (!word.empty() && word.front() == '+') {
    word.remove_prefix(1);
  }
  long long value = 0;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    return !word.empty() && word.front() == '-' ? INT_MIN : INT_MAX;
  }
  if (result.ec != std::errc()) {
    return 0;
  }
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

glm::vec3 readPoint(Words& words) {
  const float x = toFloat(words.next());
  const float y = toFloat(words.next());
  const float z = toFloat(words.next());
  return glm::vec3(x, y, z);
}

// The file name of a path: what follows its last '/'.
std::string_view fileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// One file's reading: its states, the objects under construction, and the
// scene it appends to.
class SceneReader {
 public:
  SceneReader(MayaScene& scene, LineSource& lines, std::string_view path, ArcSearch search)
      : scene_(scene), lines_(lines), path_(path), name_(fileName(path)), search_(search) {}

  void read() {
    std::string_view line;
    if (!lines_.next(line) || Words(line).next() != "//Maya") {
      return;
    }
    while (lines_.next(line)) {
      // A copy, because the knot check may read further lines into the buffer.
      line_.assign(line);
      Words words(line_);
      const std::string_view first = words.next();
      const std::string_view rest = words.rest();
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
      controlPointCount_ = toInt(first);
      countKnown_ = true;
    } else if (static_cast<long long>(curve_->controlPoints.size()) < controlPointCount_) {
      Words words(rest);
      const float x = toFloat(first);
      const float y = toFloat(words.next());
      const float z = toFloat(words.next());
      curve_->controlPoints.emplace_back(x, y, z);
    } else {
      completeCurve();
      readingControlPoints_ = false;
    }
  }

  // 2: a point light's ".cl" and ".in"; any other attribute finishes it,
  // at the translation of the transform read last.
  void readPointLightAttribute(std::string_view first, std::string_view rest) {
    if (pointLightAttributes_ && first == "setAttr" && pointLight_ &&
        !readLightAttribute(*pointLight_, rest)) {
      pointLight_->position = scene_.currentTranslation;
      scene_.pointLights.push_back(std::move(*pointLight_));
      pointLight_.reset();
      pointLightAttributes_ = false;
    }
  }

  // 3: the same for an ambient light, which takes no position.
  void readAmbientLightAttribute(std::string_view first, std::string_view rest) {
    if (ambientLightAttributes_ && first == "setAttr" && ambientLight_ &&
        !readLightAttribute(*ambientLight_, rest)) {
      scene_.ambientLights.push_back(std::move(*ambientLight_));
      ambientLight_.reset();
      ambientLightAttributes_ = false;
    }
  }

  // A light's "setAttr" line: ".cl" (after its type flag and type) sets the
  // colour, ".in" the intensity. False for any other attribute.
  template <typename Light>
  static bool readLightAttribute(Light& light, std::string_view rest) {
    Words words(rest);
    const std::string_view attribute = words.next();
    if (attribute == "\".cl\"") {
      words.next();
      words.next();
      light.color = readPoint(words);
      return true;
    }
    if (attribute == "\".in\"") {
      light.intensity = toFloat(words.next());
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
    const int knots = toInt(first);
    Words words(rest);
    std::string_view more;
    for (int skipped = 0; skipped < knots;) {
      if (!words.next().empty()) {
        ++skipped;
      } else if (lines_.next(more)) {
        words = Words(more);
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
    Words words(rest);
    const std::string_view attribute = words.next();
    glm::vec3* target = nullptr;
    if (attribute == "\".t\"") {
      target = &scene_.currentTranslation;
    } else if (attribute == "\".r\"") {
      target = &scene_.currentRotation;
    } else if (attribute == "\".s\"") {
      target = &scene_.currentScale;
    } else {
      return;
    }
    words.next();
    words.next();
    *target = readPoint(words);
  }

  // 8: a new node. A node of the same kind as one still being read replaces
  // it; the unfinished one is dropped.
  void readCreateNode(std::string_view first, std::string_view rest) {
    if (first != "createNode") {
      return;
    }
    const std::string_view type = Words(rest).next();
    if (type == "transform") {
      inTransform_ = true;
    } else if (type == "bezierCurve") {
      curve_.emplace();
      curve_->name = name_;
      curve_->path = path_;
      curveHeader_ = true;
      headerLine_ = 0;
      readingControlPoints_ = false;
      countKnown_ = false;
    } else if (type == "pointLight") {
      pointLight_.emplace();
      pointLight_->name = name_;
      pointLight_->path = path_;
      pointLightPending_ = true;
      pointLightAttributes_ = false;
    } else if (type == "ambientLight") {
      ambientLight_.emplace();
      ambientLight_->name = name_;
      ambientLight_->path = path_;
      ambientLightPending_ = true;
      ambientLightAttributes_ = false;
    }
  }

  // Measures the curve on its points as read, then moves them by the file's
  // current transform, then precomputes its samples from the moved points.
  // Every curve gets the transform once and samples of its own, even when a
  // file holds several curves (lookups by name still find the first).
  void completeCurve() {
    BezierCurve& curve = *curve_;
    curve::measure(curve);
    curve::transform(curve, scene_.currentScale, scene_.currentRotation,
                     scene_.currentTranslation);
    curve::precomputeSamples(curve, search_);
    scene_.curves.push_back(std::move(curve));
    curve_.reset();
  }

  MayaScene& scene_;
  LineSource& lines_;
  std::string_view path_;
  std::string_view name_;
  ArcSearch search_;
  std::string line_;

  std::optional<BezierCurve> curve_;
  std::optional<PointLight> pointLight_;
  std::optional<AmbientLight> ambientLight_;

  bool readingControlPoints_ = false;
  bool countKnown_ = false;
  int controlPointCount_ = 0;
  bool pointLightAttributes_ = false;
  bool ambientLightAttributes_ = false;
  bool curveHeader_ = false;
  int headerLine_ = 0;
  bool pointLightPending_ = false;
  bool ambientLightPending_ = false;
  bool inTransform_ = false;
};

template <typename Record>
const Record* findByName(const std::vector<Record>& records, std::string_view name) {
  for (const Record& record : records) {
    if (record.name == name) {
      return &record;
    }
  }
  return nullptr;
}

const glm::vec3 neutralPoint(1.0f, 1.0f, 1.0f);

}  // namespace

void MayaScene::load(std::string_view path, ArcSearch search) {
  if (path.empty()) {
    return;
  }
  currentScale = currentRotation = currentTranslation = glm::vec3(0.0f);
  const std::string pathString(path);
  std::FILE* file = std::fopen(pathString.c_str(), "rb");
  if (file == nullptr) {
    return;
  }
  FileLines lines(file);
  SceneReader(*this, lines, path, search).read();
  std::fclose(file);
}

void MayaScene::loadText(std::string_view text, std::string_view path, ArcSearch search) {
  if (path.empty()) {
    return;
  }
  currentScale = currentRotation = currentTranslation = glm::vec3(0.0f);
  TextLines lines(text);
  SceneReader(*this, lines, path, search).read();
}

glm::vec3 MayaScene::evaluateCurve(std::string_view name, float u) const {
  for (const BezierCurve& curve : curves) {
    if (curve.name != name) {
      continue;
    }
    // A curve without segments has no point: the next curve of the name answers.
    if (const std::optional<glm::vec3> point = curve::evaluate(curve, u, firstEntryAbove)) {
      return *point;
    }
  }
  return neutralPoint;
}

glm::vec3 MayaScene::curvePoint(std::string_view name, float u) const {
  const BezierCurve* curve = findByName(curves, name);
  if (curve == nullptr || curve->samples.empty()) {
    return neutralPoint;
  }
  const std::size_t count = curve->samples.size();
  const float position = static_cast<float>(count) * curve::clampFraction(u);
  const auto i = std::min(static_cast<std::size_t>(position), count - 1);
  return curve->samples[i];
}

glm::vec3 MayaScene::lightPosition(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->position : glm::vec3(0.0f);
}

glm::vec3 MayaScene::lightColor(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->color : neutralPoint;
}

float MayaScene::lightIntensity(std::string_view name) const {
  const PointLight* light = findByName(pointLights, name);
  return light != nullptr ? light->intensity : 1.0f;
}

glm::vec3 MayaScene::ambientColor(std::string_view name) const {
  const AmbientLight* light = findByName(ambientLights, name);
  return light != nullptr ? light->color : neutralPoint;
}

}  // namespace tessaly::assets
