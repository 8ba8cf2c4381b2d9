// Shared part of the message funnel: the sink, its lock and the formatting.
// The box itself is drawn by the backend in error_box_sdl.cpp.
#include "platform/error_box.h"

#include "platform/termination.h"

#include <cstdio>
#include <mutex>

namespace tessaly::platform {

void showDesktopErrorBox(std::string_view text);  // error_box_sdl.cpp

namespace {

std::mutex& sinkMutex() {
  static std::mutex mutex;
  return mutex;
}

ErrorSink& installedSink() {
  static ErrorSink sink;
  return sink;
}

}  // namespace

void printErrorOnly(std::string_view text) {
  std::string line = "ERROR: ";
  line.append(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void printStderrLine(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') {
    line.push_back('\n');
  }
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void showErrorBox(std::string_view text) {
  if (text.size() > maxMessageLength) {
    text = text.substr(0, maxMessageLength);
  }
  std::lock_guard<std::mutex> lock(sinkMutex());
  if (installedSink()) {
    installedSink()(text);
    return;
  }
  printErrorOnly(text);
  // A program on its way out shows no new box for anyone to press.
  if (terminationSignal() == 0) {
    showDesktopErrorBox(text);
  }
}

ErrorSink setErrorSink(ErrorSink sink) {
  std::lock_guard<std::mutex> lock(sinkMutex());
  ErrorSink previous = std::move(installedSink());
  installedSink() = std::move(sink);
  return previous;
}

std::string formatMessage(std::string_view pattern, std::string_view argument) {
  std::string result;
  std::size_t at = pattern.find("%s");
  if (at == std::string_view::npos) {
    result.assign(pattern);
  } else {
    result.assign(pattern.substr(0, at));
    result.append(argument);
    result.append(pattern.substr(at + 2));
  }
  if (result.size() > maxMessageLength) {
    result.resize(maxMessageLength);
  }
  return result;
}

}  // namespace tessaly::platform
