// The file checks of `tessaly-inspect check`: everything that needs no GL.
// Each content file is read once, with the player's own readers, and what
// the player would silently make of it is put into words.
#include "tools/check/production_check.h"

#include "app/show.h"
#include "assets/asset_registry.h"
#include "assets/image_decoder.h"
#include "assets/maya_reader.h"
#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"
#include "demo/demo_shaders.h"
#include "demo/frame_inputs.h"
#include "demo/show_files.h"
#include "platform/mp3_decoder.h"
#include "render/post_filter.h"
#include "render/shader_program.h"
#include "sync/sync_track.h"
#include "sync/track_text.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace tessaly::check {

namespace {

namespace fs = std::filesystem;

std::string fileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Text content ends with a line break; a file that ends inside a line was
// most likely cut short (a copy or a save that stopped).
bool endsInsideALine(std::string_view bytes) {
  return !bytes.empty() && bytes.back() != '\n';
}

const char* const cutShortProblem =
    "ends inside a line (no line break at its end): it was most likely cut short, and what "
    "the cut line held is lost";

// Whether GLSL text defines "void main(": each of the show's shader files
// is a whole stage, so each needs its own.
bool definesMain(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  for (std::size_t at = text.find("main"); at != std::string_view::npos; at = text.find("main", at + 4)) {
    std::size_t before = at;
    while (before > 0 && blank(text[before - 1])) {
      --before;
    }
    std::size_t after = at + 4;
    while (after < text.size() && blank(text[after])) {
      ++after;
    }
    if (before < at && before >= 4 && text.substr(before - 4, 4) == "void" && after < text.size() &&
        text[after] == '(') {
      return true;
    }
  }
  return false;
}

enum class FileState { missing, notAFile, empty, present };

FileState stateOf(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) {
    return FileState::missing;
  }
  if (!fs::is_regular_file(status)) {
    return FileState::notAFile;
  }
  return fs::file_size(path, error) == 0 && !error ? FileState::empty : FileState::present;
}

// Collects the findings in the order the checks run.
class Checker {
 public:
  Checker(CheckReport& report, Decoders& decoders) : report_(report), decoders_(decoders) {}

  void run();

 private:
  void add(std::string kind, std::string file, std::string problem, std::string action,
           std::vector<std::string> details = {}) {
    report_.findings.push_back(
        {std::move(kind), std::move(file), std::move(problem), std::move(action), std::move(details)});
  }

  // A named file that must be there and hold something: a finding when it
  // is missing, not a file, or empty. True when it is there with content.
  bool requirePresent(const std::string& path, const std::string& what,
                      const std::string& consequence);

  void listContent();
  void checkShaderFiles();
  void checkPictures();
  void checkModels();
  void checkModel(const std::string& path);
  void checkMayaFiles();
  void checkNamedMaya();
  void checkTracks();
  void checkSoundtrack();
  void checkNamedModelsAndPictures();
  void reportMissingPictures();

  CheckReport& report_;
  Decoders& decoders_;
  assets::AssetList assets_;
  std::vector<std::string> rootPictures_;  // paths of the top level's pictures
  std::set<std::string> picturesListed_;   // names of every picture the preload reads
  // Pictures named but not listed: the expected path, and who names it.
  std::map<std::string, std::vector<std::string>> missingPictures_;
  std::vector<assets::MayaData> maya_;
  std::set<std::string> librariesChecked_;  // each library's findings once, whoever names it
};

bool Checker::requirePresent(const std::string& path, const std::string& what,
                             const std::string& consequence) {
  switch (stateOf(path)) {
    case FileState::missing:
      add("missing", path, "missing: " + consequence, "add " + what + " under this name");
      return false;
    case FileState::notAFile:
      add("not-a-file", path, "is not a file: " + consequence,
          "put " + what + " in its place");
      return false;
    case FileState::empty:
      add("empty", path, "is empty: " + consequence, "write " + what + " into it");
      return false;
    case FileState::present:
      return true;
  }
  return false;
}

void Checker::listContent() {
  for (const char* directory : assets::assetDirectories) {
    assets::listAssets(assets_, shownPath(report_, directory));
  }
  for (std::size_t i = 0; i < assets_.names.size(); ++i) {
    if (assets_.kinds[i] == assets::AssetKind::image) {
      picturesListed_.insert(assets_.names[i]);
    }
  }
  const std::string root = shownPath(report_, "Data/");
  for (const std::string& name : assets::pictureNames(root)) {
    rootPictures_.push_back(root + name);
  }
}

void Checker::checkShaderFiles() {
  for (const ShaderPair& pair : report_.shaderPairs) {
    const std::string consequence =
        "the show stops at start-up with \"Error compiling " + pair.programName + "\"";
    for (const auto& [path, what] : {std::pair{&pair.vertexPath, "a GLSL vertex shader"},
                                     std::pair{&pair.fragmentPath, "a GLSL fragment shader"}}) {
      if (!requirePresent(*path, what, consequence)) {
        continue;
      }
      const std::optional<std::string> bytes = render::readTextFile(path->c_str());
      if (!bytes) {
        continue;
      }
      if (endsInsideALine(*bytes)) {
        add("cut-short", *path, cutShortProblem, "write the shader again, whole");
      }
      if (!definesMain(*bytes)) {
        add("no-main", *path, "defines no main function: the pair cannot link, " + consequence,
            "give the shader its void main()");
      }
    }
  }
}

void Checker::checkPictures() {
  std::vector<std::string> paths = rootPictures_;
  for (std::size_t i = 0; i < assets_.names.size(); ++i) {
    if (assets_.kinds[i] == assets::AssetKind::image) {
      paths.push_back(assets_.paths[i]);
    }
  }
  for (const std::string& path : paths) {
    const std::string message = "the player says \"DevIL failed to load: " + fileName(path) +
                                "\" and leaves it out";
    if (stateOf(path) == FileState::empty) {
      add("empty", path, "is empty: " + message, "save the picture again as PNG or JPEG");
      continue;
    }
    const std::optional<std::string> failure = decoders_.pictureFailure(path);
    if (!failure) {
      continue;
    }
    if (*failure == "undecodable") {
      {
        std::string problem = "does not decode as a PNG or JPEG picture";
        if (const auto size = assets::readPictureSize(path); size && !assets::pictureSizeAllowed(*size)) {
          problem = "states a size of " + std::to_string(size->width) + "x" +
                    std::to_string(size->height) + ", too large to decode";
        }
        add("undecodable", path, problem + ": " + message,
            "save the picture again as PNG or JPEG (sides up to " +
                std::to_string(assets::maxPictureSide()) + ")");
      }
    } else {
      add("undecodable", path,
          "cannot be converted to RGBA: the player says \"Conversion to RGBA failed on image: " +
              fileName(path) + "\" and leaves it out",
          "save it again as an 8-bit RGB or RGBA picture");
    }
  }
}

// The names after "usemtl" in OBJ text, once each, in order.
std::vector<std::string> usedMaterials(const std::string& text) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string keyword;
    std::string name;
    if (words >> keyword && keyword == "usemtl" && words >> name &&
        std::find(names.begin(), names.end(), name) == names.end()) {
      names.push_back(name);
    }
  }
  return names;
}

void Checker::checkModel(const std::string& path) {
  const std::optional<std::string> text = render::readTextFile(path.c_str());
  if (!text) {
    add("unreadable", path, "cannot be read: the model draws nothing", "make the file readable");
    return;
  }
  if (text->empty()) {
    add("empty", path, "is empty: the model draws nothing", "export the model again");
    return;
  }
  struct Library {
    std::string path;
    assets::MtlData data;
    bool empty = false;
    bool cutShort = false;
  };
  std::vector<Library> libraries;
  // Each library is read once: its materials for the model, its bytes for
  // the checks below.
  const assets::LibraryReader readLibrary = [&](const std::string& libraryPath) {
    Library library;
    library.path = libraryPath;
    if (const std::optional<std::string> bytes = render::readTextFile(libraryPath.c_str())) {
      library.data = assets::readMtlText(*bytes);
      library.empty = bytes->empty();
      library.cutShort = endsInsideALine(*bytes);
    }
    libraries.push_back(library);
    return library.data.materials;
  };
  const assets::ObjData model = assets::readObjText(*text, directoryOf(path), readLibrary);
  if (endsInsideALine(*text)) {
    add("cut-short", path, cutShortProblem, "copy or export the model again, whole");
  }

  std::size_t faces = 0;
  for (const assets::MeshGroup& group : model.groups) {
    faces += group.faces.size();
  }
  if (model.droppedFaces > 0) {
    add("dropped-faces", path,
        plural(static_cast<std::size_t>(model.droppedFaces), "face is", "faces are") +
            " left out (fewer than three corners, or an index that is 0 or beyond the " +
            plural(model.positions.size(), "position", "positions") + ", " +
            plural(model.texCoords.size(), "texture coordinate", "texture coordinates") + " and " +
            plural(model.normals.size(), "normal", "normals") + " read before it); " +
            plural(faces, "face is", "faces are") + " kept",
        "export the model again; if it was cut short, copy it whole");
  } else if (faces == 0 && !model.isPointCloud) {
    add("no-faces", path, "holds no face: the model draws nothing",
        "export the model again with its faces (f lines)");
  } else if (model.isPointCloud && model.positions.empty()) {
    add("no-faces", path, "holds no position: the model draws nothing",
        "export the model again");
  }

  for (const Library& library : libraries) {
    if (!librariesChecked_.insert(library.path).second) {
      continue;
    }
    const std::string consequence = "its materials are left out and " + fileName(path) +
                                    " is drawn with the default material";
    if (library.cutShort) {
      add("cut-short", library.path, cutShortProblem, "copy or export the material library again, whole");
    }
    if (!library.data.opened) {
      add("missing", library.path, "missing (named by mtllib in " + path + "): " + consequence,
          "add the material library, or change the mtllib line");
    } else if (library.empty) {
      add("empty", library.path, "is empty (named by mtllib in " + path + "): " + consequence,
          "export the material library again");
    } else if (library.data.materials.empty()) {
      add("no-materials", library.path,
          "defines no material (no newmtl line, named by " + path + "): " + consequence,
          "export the material library again");
    }
  }
  // Materials the model uses that no library defines.
  std::vector<std::string> undefined;
  for (const std::string& name : usedMaterials(*text)) {
    const bool defined = std::any_of(model.materials.begin(), model.materials.end(),
                                     [&](const assets::MaterialData& m) { return m.name == name; });
    if (!defined) {
      undefined.push_back(name);
    }
  }
  const bool librariesReported = std::any_of(libraries.begin(), libraries.end(), [](const Library& l) {
    return !l.data.opened || l.empty || l.data.materials.empty();
  });
  if (!undefined.empty() && !librariesReported) {
    std::string names;
    for (const std::string& name : undefined) {
      names += (names.empty() ? "" : ", ") + quoted(name);
    }
    const std::string where = libraries.empty() ? path : libraries.back().path;
    add("undefined-material", where,
        "does not define " + plural(undefined.size(), "material", "materials") + " that " + path +
            " uses (" + names + "): those faces keep the material in force before them",
        libraries.empty() ? "add an mtllib line naming the material library"
                          : "add the materials to the library, or export it again whole");
  }

  // The pictures the materials name, found by file name among every picture
  // the preload reads.
  for (const Library& library : libraries) {
    for (const assets::MaterialData& material : library.data.materials) {
      const std::pair<const char*, const std::string*> maps[] = {
          {"map_Ka", &material.ambientMap},   {"map_Kd", &material.diffuseMap},
          {"map_Ks", &material.specularMap},  {"map_Ke", &material.emissiveMap},
          {"map_Ns", &material.shininessMap}, {"map_d", &material.opacityMap},
          {"map_Bump", &material.bumpMap}};
      for (const auto& [keyword, name] : maps) {
        if (!name->empty() && picturesListed_.count(*name) == 0) {
          missingPictures_[shownPath(report_, "Data/Textures/" + *name)].push_back(
              "material " + quoted(material.name) + " in " + library.path + ", " + keyword);
        }
      }
    }
  }
}

void Checker::checkModels() {
  for (std::size_t i = 0; i < assets_.names.size(); ++i) {
    if (assets_.kinds[i] == assets::AssetKind::model) {
      checkModel(assets_.paths[i]);
    }
  }
}

void Checker::checkNamedModelsAndPictures() {
  for (const char* name : demo::shownModels) {
    const bool listed = std::find(assets_.names.begin(), assets_.names.end(), name) != assets_.names.end();
    if (!listed) {
      add("missing", shownPath(report_, std::string("Data/Models/") + name),
          "missing: the show draws this model by name and draws nothing in its place",
          "add the model (Wavefront OBJ) under this name");
    }
  }
  for (const char* name : demo::shownPictures) {
    if (picturesListed_.count(name) == 0) {
      missingPictures_[shownPath(report_, std::string("Data/Textures/") + name)].push_back(
          "the frame driver");
    }
  }
  const bool loadingListed =
      std::any_of(rootPictures_.begin(), rootPictures_.end(),
                  [](const std::string& path) { return fileName(path) == assets::loadingPictureName; });
  if (!loadingListed) {
    add("missing", shownPath(report_, std::string("Data/") + assets::loadingPictureName),
        "missing: the loading screen stays black", "add the loading picture (JPEG) under this name");
  }
}

void Checker::reportMissingPictures() {
  for (const auto& [path, namers] : missingPictures_) {
    std::string by;
    for (const std::string& namer : namers) {
      by += (by.empty() ? "" : "; ") + namer;
    }
    add("missing", path,
        "missing, named by " + by + ": what it would cover is drawn with no texture (black)",
        "add the picture (PNG or JPEG) under this name, or change what names it");
  }
}

void Checker::checkMayaFiles() {
  for (std::size_t i = 0; i < assets_.names.size(); ++i) {
    if (assets_.kinds[i] != assets::AssetKind::maya) {
      continue;
    }
    const std::string& path = assets_.paths[i];
    if (stateOf(path) == FileState::empty) {
      add("empty", path, "is empty: its curves and lights are left out",
          "export the Maya ASCII scene again");
      assets::MayaData nothing;
      nothing.path = path;
      nothing.name = fileName(path);
      maya_.push_back(std::move(nothing));
      continue;
    }
    // Read once: the records from the bytes the checks below look at too.
    const std::optional<std::string> bytes = render::readTextFile(path.c_str());
    maya_.push_back(bytes ? assets::readMayaText(*bytes, path) : assets::readMayaFile(path));
    const assets::MayaData& data = maya_.back();
    if (bytes && endsInsideALine(*bytes)) {
      add("cut-short", path, cutShortProblem, "export the Maya ASCII scene again, whole");
    }
    const bool anything =
        !data.curves.empty() || !data.pointLights.empty() || !data.ambientLights.empty();
    if (!anything) {
      const bool maya = bytes && bytes->rfind("//Maya", 0) == 0;
      add("no-records", path,
          maya ? "defines no complete curve or light (cut short?): it adds nothing"
               : "is not a Maya ASCII file (its first word is not //Maya): it adds nothing",
          "export the scene again as Maya ASCII");
    }
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
      const std::size_t points = data.curves[c].controlPoints.size();
      if (points < 4) {
        add("no-segment", path,
            "curve " + std::to_string(c + 1) + " has " + plural(points, "control point", "control points") +
                ", no whole segment (a segment takes 4, each next one 3 more): every point on it "
                "is (1, 1, 1)",
            "export the curve again with its control points");
      }
    }
  }
}

void Checker::checkNamedMaya() {
  const auto find = [&](const char* name) -> const assets::MayaData* {
    for (const assets::MayaData& data : maya_) {
      if (data.name == name) {
        return &data;
      }
    }
    return nullptr;
  };
  const auto expected = [&](const char* name) {
    return shownPath(report_, std::string("Data/Maya/") + name);
  };
  for (const char* name : demo::cameraCurveFiles) {
    const assets::MayaData* data = find(name);
    if (data == nullptr) {
      add("missing", expected(name),
          "missing: its scene's camera stays at (1, 1, 1)", "add the camera curve (Maya ASCII) under this name");
    } else if (data->opened && data->curves.empty() && (!data->pointLights.empty() || !data->ambientLights.empty())) {
      add("no-curve", data->path, "defines no curve: its scene's camera stays at (1, 1, 1)",
          "export the camera curve into this file");
    }
  }
  for (const char* name : demo::pointLightFiles) {
    const assets::MayaData* data = find(name);
    if (data == nullptr) {
      add("missing", expected(name), "missing: the light sits at (0, 0, 0) with colour (1, 1, 1)",
          "add the point light (Maya ASCII) under this name");
    } else if (data->pointLights.empty() && (!data->curves.empty() || !data->ambientLights.empty())) {
      add("no-light", data->path, "defines no point light: the light sits at (0, 0, 0) with colour (1, 1, 1)",
          "export the point light into this file");
    }
  }
  const char* ambient = demo::ambientLightFile;
  if (const assets::MayaData* data = find(ambient); data == nullptr) {
    add("missing", expected(ambient), "missing: the ambient colour is (1, 1, 1)",
        "add the ambient light (Maya ASCII) under this name");
  } else if (data->ambientLights.empty() && (!data->curves.empty() || !data->pointLights.empty())) {
    add("no-light", data->path, "defines no ambient light: the ambient colour is (1, 1, 1)",
        "export the ambient light into this file");
  }
}

void Checker::checkTracks() {
  for (const char* name : demo::trackNames) {
    const std::string path =
        shownPath(report_, std::string(app::trackBasePath) + "_" + name + ".track");
    std::string consequence = "the track " + quoted(name) + " reads 0 at every row";
    if (std::string_view(name) == demo::trackNames[demo::sceneNum]) {
      consequence += ", so no scene is chosen and every frame is black";
    }
    if (!requirePresent(path, "the sync track file", consequence)) {
      continue;
    }
    const std::optional<std::string> bytes = render::readTextFile(path.c_str());
    if (!bytes) {
      add("unreadable", path, "cannot be read: " + consequence, "make the file readable");
      continue;
    }
    const sync::TrackFile file = sync::splitTrackBytes(*bytes);
    const std::string fix = "save the track again (tessaly-track export and import, or the studio's editor)";
    if (!file.count || *file.count < 0 ||
        static_cast<std::size_t>(*file.count) != file.keys.size()) {
      const std::string stated = file.count ? std::to_string(*file.count) : "no";
      add("track-cut-short", path,
          "states " + stated + " keys but holds " + plural(file.keys.size(), "whole key", "whole keys") +
              " (cut short, or not a track file): the player keeps the keys it holds",
          fix);
    }
    if (file.keys.empty()) {
      add("no-keys", path, "holds no key: " + consequence, fix);
      continue;
    }
    std::size_t outOfOrder = 0;
    std::int32_t firstBad = 0;
    std::size_t unknownTypes = 0;
    for (std::size_t i = 0; i < file.keys.size(); ++i) {
      if (i > 0 && file.keys[i].row <= file.keys[i - 1].row) {
        if (outOfOrder++ == 0) {
          firstBad = file.keys[i].row;
        }
      }
      if (sync::keyTypeName(file.keys[i].type) == nullptr) {
        ++unknownTypes;
      }
    }
    if (outOfOrder > 0) {
      add("keys-out-of-order", path,
          plural(outOfOrder, "key is", "keys are") + " not after the key before (first at row " +
              std::to_string(firstBad) + "): the player's lookup expects ascending rows",
          "put the keys in ascending row order (tessaly-track export, sort, import)");
    }
    if (unknownTypes > 0) {
      add("unknown-interpolation", path,
          plural(unknownTypes, "key has", "keys have") +
              " an interpolation other than step, linear, smooth or ramp: their spans read 0",
          fix);
    }
  }
}

void Checker::checkSoundtrack() {
  const std::string path = shownPath(report_, app::musicFileName);
  const std::string consequence =
      "the player says \"Bass file loading failed!\" and the show plays in silence, with a still camera shake";
  if (!requirePresent(path, "the soundtrack (MP3)", consequence)) {
    return;
  }
  const std::optional<double> length = decoders_.soundSeconds(path);
  if (!length) {
    add("undecodable", path, "does not decode as MP3: " + consequence, "encode the soundtrack again as MP3");
    return;
  }
  const double seconds = *length;
  if (seconds < static_cast<double>(app::demoLength)) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "lasts %.2f s, shorter than the show's %.1f s: the rest plays in silence",
                  seconds, static_cast<double>(app::demoLength));
    add("short-soundtrack", path, text, "encode the whole soundtrack again");
  }
}

void Checker::run() {
  std::error_code error;
  if (!fs::is_directory(report_.dataDir, error)) {
    add(fs::exists(report_.dataDir, error) ? "not-a-folder" : "missing", report_.dataDir,
        "is not a folder: the player finds no content at all",
        "run where the production's Data/ is, or give its path");
    return;
  }
  if (fs::directory_iterator listing(report_.dataDir, error); error) {
    add("unreadable", report_.dataDir,
        "cannot be read (" + error.message() + "): the player finds no content at all",
        "give the folder read and search permission (chmod u+rx)");
    return;
  }
  listContent();
  checkShaderFiles();
  checkNamedModelsAndPictures();
  checkPictures();
  checkModels();
  reportMissingPictures();
  checkMayaFiles();
  checkNamedMaya();
  checkTracks();
  checkSoundtrack();
}

}  // namespace

std::string shownPath(const CheckReport& report, const std::string& designPath) {
  constexpr std::string_view data = "Data";
  if (designPath.rfind(data, 0) == 0) {
    return report.dataDir + designPath.substr(data.size());
  }
  return designPath;
}

CheckReport startReport(const std::string& dataDir) {
  CheckReport report;
  report.dataDir = dataDir;
  while (report.dataDir.size() > 1 && report.dataDir.back() == '/') {
    report.dataDir.pop_back();
  }
  const auto base = [](const char* path) {
    std::string name = fileName(path);
    return name.substr(0, name.rfind('.'));
  };
  for (const render::FilterProgramFiles& pair : render::filterProgramFiles) {
    report.shaderPairs.push_back({base(pair.vertexPath), pair.programName,
                                  shownPath(report, pair.vertexPath),
                                  shownPath(report, pair.fragmentPath), pair.drawn});
  }
  for (const demo::DemoShaderFiles& pair : demo::demoShaderFiles()) {
    report.shaderPairs.push_back({base(pair.vertexPath), pair.programName,
                                  shownPath(report, pair.vertexPath),
                                  shownPath(report, pair.fragmentPath), pair.drawn});
  }
  return report;
}

std::optional<std::string> Decoders::pictureFailure(const std::string& path) {
  assets::initializeDevilQuietly();
  assets::DecodedImage image;
  switch (assets::decodeImage(path, image)) {
    case assets::DecodeStatus::decoded: return std::nullopt;
    case assets::DecodeStatus::loadFailed: return "undecodable";
    case assets::DecodeStatus::conversionFailed: return "unconvertible";
  }
  return "undecodable";
}

std::optional<double> Decoders::soundSeconds(const std::string& path) {
  const std::optional<platform::PcmSound> sound = platform::decodeMp3File(path);
  if (!sound || sound->rate == 0) {
    return std::nullopt;
  }
  return static_cast<double>(sound->frames()) / sound->rate;
}

void checkFiles(CheckReport& report, Decoders& decoders) {
  Checker(report, decoders).run();
}

void checkFiles(CheckReport& report) {
  Decoders direct;
  checkFiles(report, direct);
}

}  // namespace tessaly::check
