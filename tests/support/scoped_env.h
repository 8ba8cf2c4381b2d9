// Sets or unsets an environment variable while it lives and restores the old
// value (or its absence) afterwards; e.g. SDL_AUDIODRIVER to force an audio
// driver that cannot open, or DISPLAY unset to run as on a machine without
// a display.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tessaly::test {

class ScopedEnvironmentVariable {
 public:
  // Sets `name` to `value`.
  ScopedEnvironmentVariable(std::string name, const std::string& value) : name_(std::move(name)) {
    remember();
    setenv(name_.c_str(), value.c_str(), 1);
  }
  // Unsets `name`.
  explicit ScopedEnvironmentVariable(std::string name) : name_(std::move(name)) {
    remember();
    unsetenv(name_.c_str());
  }
  ~ScopedEnvironmentVariable() {
    if (previous_) {
      setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

 private:
  void remember() {
    if (const char* old = std::getenv(name_.c_str())) {
      previous_ = old;
    }
  }

  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace tessaly::test
