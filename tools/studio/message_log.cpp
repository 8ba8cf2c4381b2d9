// The message panel's store and the sink that fills it.
#include "tools/studio/message_log.h"

#include "platform/error_box.h"

#include <chrono>

namespace tessaly::studio {

namespace {

std::int64_t nowNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

MessageLog::MessageLog(std::size_t capacity)
    : capacity_(capacity > 0 ? capacity : 1), startNanos_(nowNanos()) {}

void MessageLog::add(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++total_;
  const double seconds = static_cast<double>(nowNanos() - startNanos_) * 1e-9;
  messages_.push_back(Message{total_, seconds, std::string(text)});
  while (messages_.size() > capacity_) {
    messages_.pop_front();
  }
}

std::vector<Message> MessageLog::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {messages_.begin(), messages_.end()};
}

std::uint64_t MessageLog::total() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return total_;
}

void sendMessagesTo(MessageLog& log) {
  platform::setErrorSink([&log](std::string_view text) {
    platform::printErrorOnly(text);
    log.add(text);
  });
}

}  // namespace tessaly::studio
