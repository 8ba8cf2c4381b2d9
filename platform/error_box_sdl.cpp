// The desktop message box, drawn by SDL2: it needs no window of ours and no
// SDL_Init, and it works from any thread.
//
// On X11, SDL draws each box in a forked copy of the program and waits for
// it. Left alone, that copy (the whole program's memory, and the box on
// screen) stays behind when the program ends while a box is open. So every
// fork made while a box is being shown is caught in the child (pthread_atfork):
// the child asks to be killed when the thread waiting for it goes
// (PR_SET_PDEATHSIG, which also covers the program being killed) and notes
// its process id in memory shared with the program, where
// closeOpenErrorBoxes finds it.
#include "platform/error_box.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

namespace tessaly::platform {

namespace {

bool displayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Boxes open at once that closeOpenErrorBoxes can close; more still end
// with the program.
constexpr int trackedBoxes = 16;

// Shared between the program and its box processes (a MAP_SHARED mapping
// survives fork as the same memory).
struct SharedBoxState {
  std::atomic<int> closing;                       // 1 once closeOpenErrorBoxes ran
  std::array<std::atomic<pid_t>, trackedBoxes> pids;  // a box's process, or 0
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free);

SharedBoxState* sharedState = nullptr;          // set once, before the first box
std::array<std::atomic<bool>, trackedBoxes> slotTaken{};
std::atomic<pid_t> programPid{0};

// The slot of the box this thread is showing: -1 none, trackedBoxes for a
// box beyond the tracked ones.
thread_local int showingSlot = -1;

// Runs in the child of every fork. Only async-signal-safe calls.
void afterForkInChild() {
  if (showingSlot < 0) {
    return;  // not a box: some other child process
  }
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigaction(SIGTERM, &standard, nullptr);
  sigaction(SIGINT, &standard, nullptr);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The program may have gone before the request was made.
  if (getppid() != programPid.load()) {
    _exit(1);
  }
  if (sharedState != nullptr && showingSlot < trackedBoxes) {
    sharedState->pids[static_cast<std::size_t>(showingSlot)].store(getpid());
    if (sharedState->closing.load() != 0) {
      _exit(1);
    }
  }
}

void prepareOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    void* memory = mmap(nullptr, sizeof(SharedBoxState), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory != MAP_FAILED) {
      sharedState = new (memory) SharedBoxState{};
    }
    pthread_atfork(nullptr, nullptr, afterForkInChild);
  });
}

int takeSlot() {
  for (int i = 0; i < trackedBoxes; ++i) {
    bool expected = false;
    if (slotTaken[static_cast<std::size_t>(i)].compare_exchange_strong(expected, true)) {
      return i;
    }
  }
  return trackedBoxes;
}

void releaseSlot(int slot) {
  if (slot < trackedBoxes) {
    if (sharedState != nullptr) {
      sharedState->pids[static_cast<std::size_t>(slot)].store(0);
    }
    slotTaken[static_cast<std::size_t>(slot)].store(false);
  }
}

}  // namespace

void showDesktopErrorBox(std::string_view text) {
  if (!displayAvailable()) {
    return;
  }
  prepareOnce();
  programPid.store(getpid());
  std::string message(text);
  showingSlot = takeSlot();
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "ERROR", message.c_str(), nullptr);
  releaseSlot(showingSlot);
  showingSlot = -1;
}

void closeOpenErrorBoxes() {
  SharedBoxState* state = sharedState;
  if (state == nullptr) {
    return;
  }
  state->closing.store(1);
  for (std::atomic<pid_t>& pid : state->pids) {
    const pid_t box = pid.load();
    if (box > 0) {
      kill(box, SIGKILL);
    }
  }
}

}  // namespace tessaly::platform
