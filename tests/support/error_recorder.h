// Records every message shown through the message funnel while it lives, so
// tests assert on exact texts instead of seeing boxes.
#pragma once

#include "platform/error_box.h"

#include <mutex>
#include <string>
#include <vector>

namespace tessaly::test {

class ErrorRecorder {
 public:
  ErrorRecorder() {
    previous_ = platform::setErrorSink([this](std::string_view text) {
      std::lock_guard<std::mutex> lock(mutex_);
      messages_.emplace_back(text);
    });
  }
  ~ErrorRecorder() { platform::setErrorSink(std::move(previous_)); }
  ErrorRecorder(const ErrorRecorder&) = delete;
  ErrorRecorder& operator=(const ErrorRecorder&) = delete;

  std::vector<std::string> messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
  platform::ErrorSink previous_;
};

}  // namespace tessaly::test
