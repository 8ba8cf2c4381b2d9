// Live reload: the queue of changed files, the picture decoder thread, and
// one apply step per kind of content. Every apply step reads the new content
// first and swaps it in only when it read cleanly, so a broken file never
// replaces a good object.
#include "app/show_reload.h"

#include "app/show.h"
#include "assets/image_decoder.h"
#include "assets/maya_reader.h"
#include "assets/mesh.h"
#include "demo/demo_shaders.h"
#include "platform/error_box.h"
#include "render/gl.h"
#include "render/post_filter.h"
#include "render/shader_program.h"
#include "sync/sync_track.h"
#include "sync/track_text.h"
#include "watch/data_watcher.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <new>
#include <sstream>
#include <thread>
#include <unordered_map>

namespace tessaly::app {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool isFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file name after the last '/'.
std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Collects the messages the loaders show while a reload runs, so they
// reach the user once, with the reload's report, instead of one by one.
class MessageCapture {
 public:
  MessageCapture()
      : previous_(platform::setErrorSink([this](std::string_view text) {
          if (!text_.empty()) {
            text_ += '\n';
          }
          text_ += text;
        })) {}
  ~MessageCapture() { platform::setErrorSink(std::move(previous_)); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::string& text() const { return text_; }

 private:
  std::string text_;
  platform::ErrorSink previous_;
};

// Keeps the GL state the frame driver relies on across a reload: uploads
// and new targets bind framebuffers, buffers, textures and programs, and
// set the viewport.
class GlStateKeeper {
 public:
  GlStateKeeper() {
    glGetIntegerv(GL_VIEWPORT, viewport_.data());
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer_);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture_);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture_);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor_.data());
  }
  ~GlStateKeeper() {
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
    glUseProgram(static_cast<GLuint>(program_));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer_));
    glActiveTexture(static_cast<GLenum>(activeTexture_));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture_));
    glClearColor(clearColor_[0], clearColor_[1], clearColor_[2], clearColor_[3]);
  }
  GlStateKeeper(const GlStateKeeper&) = delete;
  GlStateKeeper& operator=(const GlStateKeeper&) = delete;

 private:
  std::array<GLint, 4> viewport_{};
  GLint drawFramebuffer_ = 0;
  GLint readFramebuffer_ = 0;
  GLint program_ = 0;
  GLint arrayBuffer_ = 0;
  GLint activeTexture_ = GL_TEXTURE0;
  GLint texture_ = 0;
  std::array<GLfloat, 4> clearColor_{};
};

// A file's size and modification time, to find what changed while the
// watcher could not tell.
struct Stamp {
  std::int64_t size = -1;
  std::int64_t modified = 0;
  bool operator==(const Stamp&) const = default;
};

using Stamps = std::unordered_map<std::string, Stamp>;

// Every regular file below `root`, by its path below it.
Stamps stampTree(const std::string& root) {
  Stamps stamps;
  std::error_code error;
  std::filesystem::recursive_directory_iterator walk(root, error), end;
  for (; !error && walk != end; walk.increment(error)) {
    struct stat info {};
    const std::string path = walk->path().string();
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    stamps[path.substr(root.size() + 1)] =
        Stamp{static_cast<std::int64_t>(info.st_size),
              static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
  }
  return stamps;
}

// A picture decoded off the GL thread.
struct DecodedPicture {
  ReloadTarget target;
  assets::DecodeStatus status = assets::DecodeStatus::loadFailed;
  assets::DecodedImage image;
  double milliseconds = 0;
};

// One thread that decodes the pictures asked for, in order.
class PictureDecoder {
 public:
  PictureDecoder() : thread_([this] { run(); }) {}
  ~PictureDecoder() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  void request(const ReloadTarget& target) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(target);
      ++busy_;
    }
    wake_.notify_all();
  }

  std::vector<DecodedPicture> takeDone() {
    std::lock_guard<std::mutex> lock(mutex_);
    busy_ -= done_.size();
    return std::exchange(done_, {});
  }

  bool idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_ == 0;
  }

 private:
  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
      wake_.wait(lock, [this] { return stopping_ || !requests_.empty(); });
      if (stopping_) {
        return;
      }
      DecodedPicture picture;
      picture.target = requests_.front();
      requests_.pop_front();
      lock.unlock();
      const auto start = Clock::now();
      picture.status = assets::decodeImage(reloadFileOf(picture.target), picture.image);
      picture.milliseconds = millisecondsSince(start);
      lock.lock();
      done_.push_back(std::move(picture));
    }
  }

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<ReloadTarget> requests_;
  std::vector<DecodedPicture> done_;
  std::size_t busy_ = 0;  // requested and not yet taken
  bool stopping_ = false;
  std::thread thread_;
};

// The library names of an OBJ file's "mtllib" lines.
bool namesLibrary(const std::string& objPath, const std::string& library) {
  std::ifstream file(objPath);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind("mtllib", 0) != 0) {
      continue;
    }
    std::istringstream words(line.substr(6));
    std::string word;
    while (words >> word) {
      if (word == library) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

struct ShowReloader::State {
  explicit State(Show& s) : show(s) {}

  Show& show;
  ReloadQueue queue;
  PictureDecoder decoder;
  Stamps stamps;
  std::string dataDirectory;

  void note(const std::string& path, bool finished, Clock::time_point now) {
    if (const std::optional<ReloadTarget> target = reloadTargetOf(path)) {
      queue.note(*target, finished, now);
    }
  }

  void compareWithStamps() {
    Stamps now = stampTree(dataDirectory);
    const auto time = Clock::now();
    for (const auto& [path, stamp] : now) {
      const auto before = stamps.find(path);
      if (before == stamps.end() || !(before->second == stamp)) {
        note(path, true, time);
      }
    }
    stamps = std::move(now);
  }

  void restartWatcher() {
    show.watcher = std::make_unique<watch::DataWatcher>(dataDirectory);
    show.watcher->start();
    show.watcher->waitWhileStarting(std::chrono::milliseconds(2000));
  }

  ShowReloader::TrackGate gate;
  ReloadReport apply(const ReloadTarget& target);
  // One reload, timed: pictures through applyPicture, the rest through
  // applyFile.
  ReloadReport applyFile(const ReloadTarget& target);
  ReloadReport applyPicture(DecodedPicture& picture);
  ReloadReport applyShader(const ReloadTarget& target);
  ReloadReport applyModel(const std::string& path);
  ReloadReport applyLibrary(const ReloadTarget& target);
  ReloadReport applyMaya();
  ReloadReport applyTrack(const ReloadTarget& target);
  ReloadReport applySoundtrack(const ReloadTarget& target);
};

ShowReloader::ShowReloader(Show& show) : state_(std::make_unique<State>(show)) {
  if (show.watcher) {
    state_->dataDirectory = show.watcher->watchedDirectory();
  } else {
    std::error_code error;
    state_->dataDirectory = std::filesystem::current_path(error).string() + "/Data";
    state_->restartWatcher();
  }
  state_->stamps = stampTree(state_->dataDirectory);
}

ShowReloader::~ShowReloader() = default;

void ShowReloader::poll() {
  State& state = *state_;
  if (!state.show.watcher) {
    state.restartWatcher();
  }
  bool lost = false;
  const std::vector<platform::WatchedChange> changes = state.show.watcher->takeChanges(lost);
  const auto now = Clock::now();
  for (const platform::WatchedChange& change : changes) {
    state.note(change.path, change.finished, now);
  }
  if (lost) {
    // The system dropped changes and the watch has ended: start watching
    // again, then find by size and time what changed meanwhile.
    if (state.show.watcher->state() == watch::DataWatcher::State::stopped) {
      state.restartWatcher();
    }
    state.compareWithStamps();
  }
}

std::vector<ReloadReport> ShowReloader::applyReady(double budgetMs) {
  State& state = *state_;
  std::vector<ReloadReport> reports;
  const auto start = Clock::now();
  for (DecodedPicture& picture : state.decoder.takeDone()) {
    reports.push_back(state.applyPicture(picture));
  }
  while (reports.empty() || millisecondsSince(start) < budgetMs) {
    std::vector<ReloadTarget> due = state.queue.takeDue(Clock::now(), 1);
    if (due.empty()) {
      break;
    }
    const ReloadTarget& target = due.front();
    if (target.kind == ReloadKind::picture || target.kind == ReloadKind::rootPicture) {
      state.decoder.request(target);
      continue;
    }
    // A file that does not fit in memory fails like any bad file: the last
    // good object stays, and the show goes on.
    try {
      reports.push_back(state.apply(target));
    } catch (const std::bad_alloc&) {
      ReloadReport report;
      report.file = reloadFileOf(target);
      report.message = "not enough memory to read it";
      reports.push_back(std::move(report));
    }
  }
  return reports;
}

void ShowReloader::setTrackGate(TrackGate gate) { state_->gate = std::move(gate); }

bool ShowReloader::idle() const { return state_->queue.empty() && state_->decoder.idle(); }

ReloadReport ShowReloader::State::apply(const ReloadTarget& target) {
  if (target.kind == ReloadKind::picture || target.kind == ReloadKind::rootPicture) {
    // Decoded here rather than ahead; the report counts the decoding.
    DecodedPicture picture;
    picture.target = target;
    const auto start = Clock::now();
    picture.status = assets::decodeImage(reloadFileOf(target), picture.image);
    picture.milliseconds = millisecondsSince(start);
    return applyPicture(picture);
  }
  const auto start = Clock::now();
  ReloadReport report = applyFile(target);
  report.milliseconds = millisecondsSince(start);
  return report;
}

ReloadReport ShowReloader::State::applyFile(const ReloadTarget& target) {
  switch (target.kind) {
    case ReloadKind::shaderPair:
      return applyShader(target);
    case ReloadKind::model:
      return applyModel(reloadFileOf(target));
    case ReloadKind::materialLibrary:
      return applyLibrary(target);
    case ReloadKind::mayaScene:
      return applyMaya();
    case ReloadKind::track:
      return applyTrack(target);
    case ReloadKind::soundtrack:
      return applySoundtrack(target);
    case ReloadKind::picture:
    case ReloadKind::rootPicture:
      break;
  }
  return {};
}

ReloadReport ShowReloader::State::applyPicture(DecodedPicture& picture) {
  const auto start = Clock::now();
  ReloadReport report;
  report.file = reloadFileOf(picture.target);
  assets::TextureRegistry& registry =
      picture.target.kind == ReloadKind::rootPicture ? show.rootTextures : show.textures;
  const bool known = std::any_of(registry.entries().begin(), registry.entries().end(),
                                 [&](const assets::TextureEntry& entry) {
                                   return entry.path() == report.file;
                                 });
  MessageCapture messages;
  {
    GlStateKeeper keep;
    report.ok = known ? registry.replace(report.file, picture.status, picture.image)
                      : registry.add(report.file, baseName(report.file), picture.status,
                                     picture.image);
  }
  report.message = messages.text();
  if (!report.ok && report.message.empty()) {
    report.message = "cannot be read as a picture";
  }
  if (report.ok && !known) {
    report.message = "a new picture, now found by its name";
  }
  report.milliseconds = picture.milliseconds + millisecondsSince(start);
  return report;
}

ReloadReport ShowReloader::State::applyShader(const ReloadTarget& target) {
  ReloadReport report;
  report.file = "Data/Shaders/" + target.key + ".vert/.frag";
  const bool filterProgram = target.key == "Filters" || target.key == "Bokeh";
  if (!filterProgram && !demo::isDemoShader(target.key)) {
    report.message = "no program of the show is built from these files";
  } else if (const std::string vertex = "Data/Shaders/" + target.key + ".vert",
             fragment = "Data/Shaders/" + target.key + ".frag";
             !isFile(vertex) || !isFile(fragment)) {
    // Checked first: building would wait for a missing file to appear.
    report.message = (isFile(vertex) ? fragment : vertex) + ": shader file cannot be read";
  } else {
    GlStateKeeper keep;
    const render::ProgramRebuild rebuild =
        filterProgram ? show.filter->rebuildProgram(target.key)
                      : demo::rebuildDemoShader(show.shaders, target.key, show.config.width,
                                                show.config.height);
    report.ok = rebuild.compiled;
    report.message = describeShaderLog(rebuild.log);
    const bool drawn = target.key == "Filters" || demo::isDrawnDemoShader(target.key);
    if (report.ok && !drawn) {
      report.message = "built and checked, but no frame draws with this program";
    }
  }
  return report;
}

ReloadReport ShowReloader::State::applyModel(const std::string& path) {
  ReloadReport report;
  report.file = path;
  MessageCapture messages;
  std::unique_ptr<assets::Mesh> mesh;
  if (!isFile(path)) {
    report.message = "cannot be read";
  } else {
    GlStateKeeper keep;
    mesh = std::make_unique<assets::Mesh>(path);
    mesh->setTextureRegistry(show.textures);
    const assets::ObjData& data = mesh->data();
    const bool empty = data.isPointCloud ? data.pointData.empty() : data.vertexCount == 0;
    const auto& held = show.assets.models().meshes;
    const auto before = std::find_if(held.begin(), held.end(),
                                     [&](const auto& m) { return m->path() == path; });
    if (!mesh->isLoaded()) {
      report.message = "cannot be read";
    } else if (before != held.end() && !(*before)->isPointCloud() && data.isPointCloud) {
      // A model that loses every texture coordinate and normal would turn
      // into a point cloud: far more likely a file cut short.
      report.message = "has no texture coordinates or normals any more (cut short?)";
    } else if (empty) {
      report.message = "holds no face that can be drawn";
      if (data.droppedFaces > 0) {
        report.message += " (" + std::to_string(data.droppedFaces) + " faces left out)";
      }
    } else {
      report.ok = true;
      if (data.droppedFaces > 0) {
        report.message = std::to_string(data.droppedFaces) +
                         " faces left out: fewer than three corners or an index out of range";
      }
    }
  }
  if (!messages.text().empty()) {
    report.message = messages.text() + (report.message.empty() ? "" : "\n" + report.message);
  }
  if (report.ok) {
    assets::ModelRegistry& models = show.assets.models();
    bool replaced = false;
    for (std::unique_ptr<assets::Mesh>& held : models.meshes) {
      if (held->path() != path) {
        continue;
      }
      if (replaced) {
        // A model listed twice: each entry gets its own copy.
        auto copy = std::make_unique<assets::Mesh>(path);
        copy->setTextureRegistry(show.textures);
        held = std::move(copy);
      } else {
        held = std::move(mesh);
        replaced = true;
      }
    }
    if (!replaced) {
      models.meshes.push_back(std::move(mesh));
      models.modelNames.push_back(baseName(path));
      report.message = "a new model, now drawn by its name";
    }
  }
  return report;
}

ReloadReport ShowReloader::State::applyLibrary(const ReloadTarget& target) {
  ReloadReport report;
  report.file = reloadFileOf(target);
  std::vector<std::string> paths;
  for (const auto& mesh : show.assets.models().meshes) {
    const std::string& path = mesh->path();
    if (std::find(paths.begin(), paths.end(), path) == paths.end() &&
        path.rfind("Data/Models/", 0) == 0 && namesLibrary(path, target.key)) {
      paths.push_back(path);
    }
  }
  report.ok = true;
  for (const std::string& path : paths) {
    ReloadReport model = applyModel(path);
    if (!model.ok) {
      report.ok = false;
    }
    if (!model.message.empty()) {
      report.message += (report.message.empty() ? "" : "\n") + path + ": " + model.message;
    }
  }
  if (paths.empty()) {
    report.message = "no model of the show names this library";
  }
  return report;
}

ReloadReport ShowReloader::State::applyMaya() {
  ReloadReport report;
  report.file = "Data/Maya/";
  assets::AssetList list;
  assets::listAssets(list, "Data/Maya/");
  assets::MayaScene scene;
  std::string problems;
  for (std::size_t i = 0; i < list.paths.size(); ++i) {
    if (list.kinds[i] != assets::AssetKind::maya) {
      continue;
    }
    const std::optional<std::string> text = render::readTextFile(list.paths[i].c_str());
    if (!text || text->rfind("//Maya", 0) != 0) {
      problems += list.paths[i] + (text && text->empty() ? ": is empty\n"
                                                         : ": is not a Maya ASCII file\n");
      continue;
    }
    // Built from the text already read: each file is read once.
    scene.add(assets::readMayaText(*text, list.paths[i]));
  }
  const assets::MayaScene& old = show.assets.mayaScene();
  for (const assets::BezierCurve& curve : old.curves) {
    const bool kept = std::any_of(scene.curves.begin(), scene.curves.end(),
                                  [&](const assets::BezierCurve& c) { return c.name == curve.name; });
    if (!kept) {
      problems += "the curve \"" + curve.name + "\" is gone (a file cut short?)\n";
    }
  }
  if (problems.empty()) {
    show.assets.mayaScene() = std::move(scene);
    report.ok = true;
  } else {
    problems.pop_back();
    report.message = problems;
  }
  return report;
}

ReloadReport ShowReloader::State::applyTrack(const ReloadTarget& target) {
  ReloadReport report;
  report.file = reloadFileOf(target);
  sync::SyncTrack* track = nullptr;
  if (show.device) {
    for (sync::SyncTrack* candidate : show.device->tracks()) {
      if (candidate->name == target.key) {
        track = candidate;
      }
    }
  }
  const std::optional<std::string> bytes = render::readTextFile(report.file.c_str());
  constexpr std::size_t keyBytes = 9;
  if (track == nullptr) {
    report.message = "the show has no track of this name";
  } else if (!bytes) {
    report.message = "cannot be read";
  } else if (bytes->size() < 4) {
    report.message = bytes->empty() ? "is empty" : "is cut short";
  } else if (sync::TrackFile file = sync::splitTrackBytes(*bytes);
             *file.count < 0 || file.keys.size() != static_cast<std::size_t>(*file.count) ||
             !file.rest.empty()) {
    // The count stated and the keys held disagree: cut short, or not a track.
    const auto count = static_cast<std::uint32_t>(*file.count);
    report.message = "holds " + std::to_string(bytes->size()) + " bytes where its " +
                     std::to_string(count) + " keys take " +
                     std::to_string(4 + std::uint64_t{count} * keyBytes) +
                     " (cut short, or not a track)";
  } else if (std::optional<std::string> reason =
                 gate ? gate(report.file, *bytes) : std::nullopt) {
    report.ok = true;
    report.skipped = true;
    report.message = std::move(*reason);
  } else {
    track->setKeys(std::move(file.keys));
    report.ok = true;
  }
  return report;
}

ReloadReport ShowReloader::State::applySoundtrack(const ReloadTarget& target) {
  ReloadReport report;
  report.file = reloadFileOf(target);
  MessageCapture messages;
  report.ok = show.music.reopen();
  report.message = messages.text();
  if (!report.ok && report.message.empty()) {
    report.message = "cannot be decoded; the music plays on from the last good file";
  }
  return report;
}

namespace {

// The digits at `at`, moved past; empty when there are none.
std::string_view digitsAt(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    ++at;
  }
  return text.substr(start, at - start);
}

// "<source>:<line>(<column>): <text>", the driver's way of pointing at a
// place; the line, column and text, or nothing for any other line.
struct DriverPlace {
  std::string_view line, column, text;
};
std::optional<DriverPlace> driverPlaceOf(std::string_view text) {
  std::size_t at = 0;
  DriverPlace place;
  if (digitsAt(text, at).empty() || at >= text.size() || text[at++] != ':') return std::nullopt;
  place.line = digitsAt(text, at);
  if (place.line.empty() || at >= text.size() || text[at++] != '(') return std::nullopt;
  place.column = digitsAt(text, at);
  if (place.column.empty() || text.substr(at, 3) != "): ") return std::nullopt;
  place.text = text.substr(at + 3);
  return place;
}

}  // namespace

std::string describeShaderLog(std::string_view log) {
  constexpr std::string_view compileFailed = ": shader compile failed";
  std::string described;
  std::string file;
  std::istringstream lines{std::string(log)};
  std::string line;
  while (std::getline(lines, line)) {
    if (line.ends_with(compileFailed)) {
      file = line.substr(0, line.size() - compileFailed.size());
      continue;
    }
    if (line.ends_with(": program link failed")) {
      file.clear();  // link errors belong to the pair, not to one file
    }
    if (line.empty()) {
      continue;
    }
    if (!file.empty()) {
      if (const std::optional<DriverPlace> place = driverPlaceOf(line)) {
        line = file + ":" + std::string(place->line) + ":" + std::string(place->column) + ": " +
               std::string(place->text);
      }
    }
    described += line;
    described += '\n';
  }
  if (!described.empty()) {
    described.pop_back();
  }
  return described;
}

}  // namespace tessaly::app
