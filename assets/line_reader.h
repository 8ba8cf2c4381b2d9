// Line-by-line reading of text content files with a fixed line buffer, the
// way the OBJ (4096 characters) and MTL (256 characters) readers read.
//
// A line is everything up to an LF; with CR LF the CR is not part of it. A
// line fits a buffer of N characters when it has at most N - 1 characters
// (one is kept for the terminator); a longer line ends the reading at that
// line: neither it nor anything after it is returned. Files are read in large
// chunks, so neither the whole file is held nor a read made per line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

class LineReader {
 public:
  // Lines of a text held by the caller, who keeps it alive while reading.
  static LineReader ofText(std::string_view text, std::size_t bufferSize);

  // Lines of the file at `path`, read in chunks of `chunkSize` bytes (at
  // least twice the buffer size is used). isOpen() tells whether the file
  // could be opened; a directory cannot.
  static LineReader ofFile(const std::string& path, std::size_t bufferSize,
                           std::size_t chunkSize = defaultChunkSize);

  // Moving keeps the lines already returned valid (the chunk moves with its
  // storage).
  LineReader(LineReader&&) noexcept = default;
  LineReader& operator=(LineReader&&) noexcept = default;

  bool isOpen() const { return isOpen_; }

  // The size of the whole input in bytes: the text's, or the file's when it
  // can be told (0 otherwise).
  std::size_t inputSize() const { return inputSize_; }

  // The next line, without its line end; valid until the next call. False at
  // the end of the input, after a read error, and at a line of bufferSize or
  // more characters, which ends the reading for good.
  bool next(std::string_view& line);

  // True once a line too long for the buffer has ended the reading.
  bool stoppedAtLongLine() const { return stoppedAtLongLine_; }

  static constexpr std::size_t defaultChunkSize = 1 << 20;

 private:
  explicit LineReader(std::size_t bufferSize) : maxLength_(bufferSize - 1) {}

  // Moves the unread rest to the front of the chunk and appends file data.
  // False when nothing more could be read.
  bool refill();

  std::size_t maxLength_;
  std::size_t inputSize_ = 0;
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::vector<char> chunk_;
  std::string_view pending_;
  bool isOpen_ = false;
  bool atEnd_ = false;
  bool stoppedAtLongLine_ = false;
};

}  // namespace tessaly::assets
