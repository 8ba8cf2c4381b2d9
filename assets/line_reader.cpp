// Chunked line splitting for the text readers.
#include "assets/line_reader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tessaly::assets {

LineReader LineReader::ofText(std::string_view text, std::size_t bufferSize,
                              LongLines longLines) {
  LineReader reader(bufferSize, longLines);
  reader.inputSize_ = text.size();
  reader.pending_ = text;
  reader.isOpen_ = true;
  return reader;
}

LineReader LineReader::ofFile(const std::string& path, std::size_t bufferSize,
                              std::size_t chunkSize, LongLines longLines) {
  LineReader reader(bufferSize, longLines);
  // A directory opens for reading on some systems but is not a text file.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return reader;
  }
  reader.file_.reset(std::fopen(path.c_str(), "rb"));
  std::FILE* file = reader.file_.get();
  reader.isOpen_ = file != nullptr;
  if (reader.isOpen_) {
    if (std::fseek(file, 0, SEEK_END) == 0) {
      const long end = std::ftell(file);
      reader.inputSize_ = end > 0 ? static_cast<std::size_t>(end) : 0;
    }
    std::rewind(file);
    // Room for the longest line that fits plus a CR, whatever the chunk size.
    reader.chunk_.resize(std::max(chunkSize, 2 * bufferSize));
  }
  return reader;
}

bool LineReader::refill() {
  if (file_ == nullptr) {
    return false;
  }
  const std::size_t kept = pending_.size();
  if (kept > 0) {
    std::memmove(chunk_.data(), pending_.data(), kept);
  }
  const std::size_t got = std::fread(chunk_.data() + kept, 1, chunk_.size() - kept, file_.get());
  pending_ = std::string_view(chunk_.data(), kept + got);
  if (got == 0) {
    // End of file or a read error: whatever is pending is the last line.
    file_.reset();
    return false;
  }
  return true;
}

bool LineReader::next(std::string_view& line) {
  if (!isOpen_ || atEnd_) {
    return false;
  }
  if (splitLongLines_) {
    return nextPiece(line);
  }
  for (;;) {
    // An empty view may have no buffer at all, which memchr must not see.
    const auto* lf = pending_.empty() ? nullptr
                                      : static_cast<const char*>(
                                            std::memchr(pending_.data(), '\n', pending_.size()));
    if (lf != nullptr) {
      const std::size_t length = static_cast<std::size_t>(lf - pending_.data());
      std::size_t content = length;
      if (content > 0 && pending_[content - 1] == '\r') {
        --content;
      }
      if (content > maxLength_) {
        break;
      }
      line = pending_.substr(0, content);
      pending_.remove_prefix(length + 1);
      return true;
    }
    // No line end yet: more than a full line and a CR cannot fit any more.
    if (pending_.size() > maxLength_ + 1) {
      break;
    }
    if (refill()) {
      continue;
    }
    atEnd_ = true;
    if (pending_.empty()) {
      return false;
    }
    if (pending_.size() > maxLength_) {
      break;
    }
    // The last line, without a line end.
    line = pending_;
    pending_ = {};
    return true;
  }
  stoppedAtLongLine_ = true;
  atEnd_ = true;
  return false;
}

bool LineReader::nextPiece(std::string_view& line) {
  for (;;) {
    // A line end among the first maxLength_ characters ends a whole line;
    // without one, maxLength_ characters are a piece of a longer line.
    const std::size_t window = std::min(pending_.size(), maxLength_);
    const auto* lf = window == 0 ? nullptr
                                 : static_cast<const char*>(
                                       std::memchr(pending_.data(), '\n', window));
    if (lf != nullptr) {
      const std::size_t length = static_cast<std::size_t>(lf - pending_.data());
      const std::size_t content = length > 0 && pending_[length - 1] == '\r' ? length - 1 : length;
      line = pending_.substr(0, content);
      pending_.remove_prefix(length + 1);
      return true;
    }
    if (pending_.size() >= maxLength_) {
      line = pending_.substr(0, maxLength_);
      pending_.remove_prefix(maxLength_);
      return true;
    }
    if (refill()) {
      continue;
    }
    atEnd_ = true;
    if (pending_.empty()) {
      return false;
    }
    line = pending_;
    pending_ = {};
    return true;
  }
}

}  // namespace tessaly::assets
