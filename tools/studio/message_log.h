// The studio's messages: every failure text of the show, kept for the
// on-screen panel instead of a blocking box. Filled from any thread (the
// data watcher reports from its own), read by the panel on the main thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::studio {

struct Message {
  std::uint64_t number = 0;  // 1 for the first message of the run
  double seconds = 0.0;      // wall-clock seconds since the log was made
  std::string text;
};

class MessageLog {
 public:
  // Keeps the newest `capacity` messages (at least 1).
  explicit MessageLog(std::size_t capacity = 200);

  // Appends one message. Safe from any thread.
  void add(std::string_view text);

  // The kept messages, oldest first.
  std::vector<Message> snapshot() const;
  // How many were ever added (kept or not).
  std::uint64_t total() const;

 private:
  mutable std::mutex mutex_;
  std::deque<Message> messages_;
  std::size_t capacity_;
  std::uint64_t total_ = 0;
  std::int64_t startNanos_;
};

// Makes `log` the destination of every failure text (platform::showErrorBox):
// each goes to stderr as "ERROR: <text>" and into the log; nothing blocks.
// The log must outlive the sink (restore the default before it goes).
void sendMessagesTo(MessageLog& log);

}  // namespace tessaly::studio
