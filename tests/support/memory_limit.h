// Runs a piece of a test in a forked child whose address space is limited,
// so that a file that would cost gigabytes shows as a failed child (an
// uncaught std::bad_alloc, a crash) instead of taking the machine's memory.
// Header-only.
#pragma once

#include "tests/support/process.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>

namespace tessaly::test {

// AddressSanitizer reserves terabytes of address space for its shadow
// memory, so under it no limit can be set; the body still runs.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool addressSpaceLimitWorks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool addressSpaceLimitWorks = false;
#else
inline constexpr bool addressSpaceLimitWorks = true;
#endif
#else
inline constexpr bool addressSpaceLimitWorks = true;
#endif

// The address space the calling process uses, in bytes.
inline std::size_t addressSpaceInUse() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  unsigned long pages = 0;
  if (statm != nullptr) {
    if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return static_cast<std::size_t>(pages) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// Runs `body` in a child that may take `bytes` of address space more than
// it holds when it starts (the test process's own libraries, threads and
// GL driver stay out of the count); its exit status
// (0-255; -signal when a signal ended it), or nothing when it did not end
// within `timeout`.
inline std::optional<int> runWithMemoryLimit(std::size_t bytes, const std::function<int()>& body,
                                             std::chrono::milliseconds timeout) {
  ChildProcess child(
      [&] {
        if (addressSpaceLimitWorks) {
          const rlim_t most = addressSpaceInUse() + bytes;
          const rlimit limit{most, most};
          if (setrlimit(RLIMIT_AS, &limit) != 0) return 101;
        }
        return body();
      },
      {});
  return child.wait(timeout);
}

}  // namespace tessaly::test
