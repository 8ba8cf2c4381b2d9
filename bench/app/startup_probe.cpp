// The player's own start-up, run by the start-up benchmark in a fresh
// process: runProgram with fixed settings in place of the setup dialog, the
// time of every start-up step printed as it ends, and the process ended
// right after the first demo frame is presented. Built for the benchmarks
// only; the player itself has no such switch.
//
//   startup_probe [--no-prefetch] [--size WxH] [--no-multisampling] [--memory]
//                 [--picture-budget MIB|none] [--dialog-ms MS]
//   startup_probe --parts
//
// Prints, on stdout, one line per step: "step <name> <nanoseconds spent>
// <steady clock at its end, nanoseconds>", and "main <steady clock>" for the
// entry of main. With --memory it then renders one frame of each scene and
// prints "part\t<name>\t<value>" lines: the peak resident memory and what
// the render targets take, in MiB. Exit status 0 after the first frame, 1
// when start-up failed.
//
// --parts runs no start-up: it times, one after the other and in
// milliseconds, the work no overlap can remove: building the nine programs,
// a first draw with each (llvmpipe compiles the machine code then), decoding
// every picture start-up decodes, decoding the soundtrack; one
// "part\t<name>\t<ms>" line each.
#include "app/show.h"
#include "app/startup.h"
#include "app/window.h"
#include "app/startup_steps.h"
#include "assets/image_decoder.h"
#include "assets/picture_prefetch.h"
#include "bench/app/target_memory.h"
#include "demo/demo_shaders.h"
#include "demo/frame.h"
#include "platform/error_box.h"
#include "platform/mp3_decoder.h"
#include "render/gl.h"
#include "render/post_filter.h"
#include "render/shader_program.h"
#include "sync/music_player.h"

#include <GLFW/glfw3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <thread>

namespace {

namespace app = tessaly::app;
using Clock = std::chrono::steady_clock;

int width = 1920;
int height = 1080;
int multisampling = 1;
bool memoryRun = false;
int dialogMilliseconds = 0;

long long steadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The dialog's place: windowed, no vertical sync (so the swap does not wait
// for the display), the size and multisampling asked for.
int fixedSettings(app::DemoConfig* config) {
  if (dialogMilliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(dialogMilliseconds));
  }
  config->width = width;
  config->height = height;
  config->fullscreen = 0;
  config->verticalSync = 0;
  config->multisampling = multisampling;
  config->loopDemo = 0;
  return 1;
}

// A "Vm...:" figure of this process (VmHWM, VmRSS), in KiB; -1 when it
// cannot be read.
long statusKib(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) {
      return std::stol(line.substr(field.size()));
    }
  }
  return -1;
}

long peakResidentKib() { return statusKib("VmHWM:"); }

// One frame of each scene (moments of the show), through the player's
// frame driver, so every render target and program has been used.
void renderEachScene(app::Show& show) {
  for (const double seconds : {5.0, 25.0, 45.0, 65.0}) {
    show.inputs.currentRow = seconds * tessaly::sync::rowsPerSecond;
    show.inputs.spectrum.fill(0.0f);
    app::drawShowFrame(show, static_cast<float>(seconds));
    app::presentFrame();
  }
}

void printPart(const char* name, double value) {
  std::printf("part\t%s\t%.3f\n", name, value);
}

void printStep(app::StartupStep step, std::chrono::nanoseconds spent) {
  std::printf("step %s %lld %lld\n", app::startupStepName(step),
              static_cast<long long>(spent.count()), steadyNanoseconds());
  // Right before the preload: the pictures decoded ahead are all held and
  // none is a texture yet.
  if (memoryRun && step == app::StartupStep::shaderSet) {
    printPart("rss_before_preload_MiB", static_cast<double>(statusKib("VmRSS:")) / 1024.0);
  }
}

// After the first frame: the memory figures when asked, then the end.
void afterFirstFrame(app::Show& show) {
  if (memoryRun) {
    renderEachScene(show);
    constexpr double mebibyte = 1024.0 * 1024.0;
    printPart("peak_rss_MiB", static_cast<double>(peakResidentKib()) / 1024.0);
    const tessaly::bench::TargetMemory targets =
        tessaly::bench::measureTargets(*show.filter);
    printPart("targets_MiB", static_cast<double>(targets.total()) / mebibyte);
    printPart("targets_in_use_MiB", static_cast<double>(targets.inUse) / mebibyte);
    printPart("targets_unused_MiB", static_cast<double>(targets.unused) / mebibyte);
  }
  std::fflush(stdout);
  // Nothing after the first frame is measured: leave without the show.
  _exit(0);
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The work no overlap removes, one part after the other.
int timeParts() {
  if (glfwInit() == GLFW_FALSE) {
    return 1;
  }
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  GLFWwindow* window = glfwCreateWindow(64, 64, "startup parts", nullptr, nullptr);
  if (window == nullptr) {
    return 1;
  }
  glfwMakeContextCurrent(window);
  glewExperimental = GL_TRUE;
  if (glewInit() != GLEW_OK) {
    return 1;
  }
  GLuint vertexArray = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);

  namespace render = tessaly::render;
  auto start = Clock::now();
  render::ShaderProgram filter(render::filterVertexPath, render::filterFragmentPath);
  render::ShaderProgram bokeh(render::bokehVertexPath, render::bokehFragmentPath);
  tessaly::demo::DemoShaders demo;
  const bool built = filter.isCompiled() && bokeh.isCompiled() &&
                     tessaly::demo::loadDemoShaders(demo, width, height);
  printPart("shader builds", millisecondsSince(start));
  if (!built) {
    return 1;
  }

  // A first draw with each program into a float target like the chain's,
  // with nothing bound but the vertex array: enough for llvmpipe to make
  // its code.
  const render::ShaderProgram* programs[] = {
      &filter, &bokeh, demo.normalMapShader.get(), demo.distortShader.get(),
      demo.sineShader.get(), demo.overlayShader.get(), demo.modelShader.get(),
      demo.lambertShader.get(), demo.particleShader.get()};
  render::RenderTarget target(0, 16, 16);
  start = Clock::now();
  target.bind();
  for (const render::ShaderProgram* program : programs) {
    program->use();
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glFinish();
  }
  target.unbind();
  printPart("shader first draws", millisecondsSince(start));

  tessaly::assets::initializeDevilQuietly();
  start = Clock::now();
  for (const std::string& path : tessaly::assets::startupPicturePaths()) {
    tessaly::assets::DecodedImage image;
    tessaly::assets::decodeImage(path, image);
  }
  printPart("picture decoding", millisecondsSince(start));

  start = Clock::now();
  tessaly::platform::decodeMp3File(app::musicFileName);
  printPart("soundtrack decoding", millisecondsSince(start));
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::printf("main %lld\n", steadyNanoseconds());
  if (argc == 2 && std::strcmp(argv[1], "--parts") == 0) {
    tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
    return timeParts();
  }
  app::RunOptions options;
  options.setupDialog = fixedSettings;
  options.afterFirstFrame = afterFirstFrame;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-prefetch") == 0) {
      options.prefetch = false;
    } else if (std::strcmp(argv[i], "--no-multisampling") == 0) {
      multisampling = 0;
    } else if (std::strcmp(argv[i], "--memory") == 0) {
      memoryRun = true;
    } else if (std::strcmp(argv[i], "--picture-budget") == 0 && i + 1 < argc) {
      const std::string budget = argv[++i];
      options.pictureBudget = budget == "none" ? std::numeric_limits<std::size_t>::max()
                                               : std::stoul(budget) << 20;
    } else if (std::strcmp(argv[i], "--dialog-ms") == 0 && i + 1 < argc) {
      dialogMilliseconds = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
               std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2) {
      ++i;
    } else {
      std::fprintf(stderr, "usage: startup_probe [--no-prefetch] [--size WxH] "
                           "[--no-multisampling] [--memory] "
                           "[--picture-budget MIB|none] [--dialog-ms MS]\n");
      return 2;
    }
  }
  // Messages go to stderr only: a box would wait for a click.
  tessaly::platform::setErrorSink(tessaly::platform::printErrorOnly);
  app::setStartupSink(printStep);
  app::runProgram(options);
  // Only reached when start-up failed (the first frame ends the process).
  std::fflush(stdout);
  return 1;
}
