// Line-by-line reading of text content files with a fixed line buffer, the
// way the OBJ (4096 characters) and MTL (256 characters) readers read.
//
// A line is everything up to an LF; with CR LF the CR is not part of it. A
// line fits a buffer of N characters when it has at most N - 1 characters
// (one is kept for the terminator). What happens to a longer line is the
// reader's choice (LongLines): it ends the reading at that line, or it is cut
// into pieces the way a C line buffer reads it. Files are read in large
// chunks, so neither the whole file is held nor a read made per line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::assets {

// What a line too long for the buffer does.
enum class LongLines {
  // It ends the reading: neither it nor anything after it is returned.
  end,
  // It is returned in pieces of N - 1 characters, as fgets with a buffer of
  // N characters reads: the line end counts toward the piece, so a line of
  // exactly N - 1 characters comes back whole, followed by an empty line.
  split,
};

class LineReader {
 public:
  // Lines of a text held by the caller, who keeps it alive while reading.
  static LineReader ofText(std::string_view text, std::size_t bufferSize,
                           LongLines longLines = LongLines::end);

  // Lines of the file at `path`, read in chunks of `chunkSize` bytes (at
  // least twice the buffer size is used). isOpen() tells whether the file
  // could be opened; a directory cannot.
  static LineReader ofFile(const std::string& path, std::size_t bufferSize,
                           std::size_t chunkSize = defaultChunkSize,
                           LongLines longLines = LongLines::end);

  // Moving keeps the lines already returned valid (the chunk moves with its
  // storage).
  LineReader(LineReader&&) noexcept = default;
  LineReader& operator=(LineReader&&) noexcept = default;

  bool isOpen() const { return isOpen_; }

  // The size of the whole input in bytes: the text's, or the file's when it
  // can be told (0 otherwise).
  std::size_t inputSize() const { return inputSize_; }

  // The next line (or piece of a long one), without its line end; valid
  // until the next call. False at the end of the input, after a read error,
  // and, with LongLines::end, at a line of bufferSize or more characters,
  // which ends the reading for good.
  bool next(std::string_view& line);

  // True once a line too long for the buffer has ended the reading.
  bool stoppedAtLongLine() const { return stoppedAtLongLine_; }

  static constexpr std::size_t defaultChunkSize = 1 << 20;

 private:
  LineReader(std::size_t bufferSize, LongLines longLines)
      : maxLength_(bufferSize - 1), splitLongLines_(longLines == LongLines::split) {}

  // Moves the unread rest to the front of the chunk and appends file data.
  // False when nothing more could be read.
  bool refill();

  // next() for LongLines::split.
  bool nextPiece(std::string_view& line);

  std::size_t maxLength_;
  bool splitLongLines_;
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
