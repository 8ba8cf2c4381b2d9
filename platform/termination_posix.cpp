// SIGTERM and SIGINT recorded for the program's loops to see.
#include "platform/termination.h"

#include "platform/error_box.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace tessaly::platform {

namespace {

std::atomic<int> receivedSignal{0};

// Async-signal-safe throughout: atomics, kill and _exit only.
void onTerminationSignal(int signal) {
  int expected = 0;
  if (!receivedSignal.compare_exchange_strong(expected, signal)) {
    // Asked twice: the shutdown is taking too long for the sender.
    _exit(128 + expected);
  }
  closeOpenErrorBoxes();
}

}  // namespace

void installTerminationHandlers() {
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaddset(&action.sa_mask, SIGINT);
  // Reads and writes elsewhere carry on; the loops look at the flag.
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

int terminationSignal() { return receivedSignal.load(); }

int terminationExitStatus(int otherwise) {
  const int signal = terminationSignal();
  return signal != 0 ? 128 + signal : otherwise;
}

void setTerminationSignalForTesting(int signal) { receivedSignal.store(signal); }

}  // namespace tessaly::platform
