// Pictures decoded ahead of start-up on a worker thread, so that decoding
// overlaps the setup dialog, the window and the shader builds instead of
// following them. The loaders still ask for each picture at their own step,
// in their own order, and show their own messages there: a decode done
// ahead is only ever a faster way to the same result.
#pragma once

#include "assets/image_decoder.h"
#include "platform/files.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::assets {

// The pictures start-up decodes, in the order it decodes them: the top level
// of "Data/" ("jpg", then "png": the render state's scan), then the
// pictures of the asset directories in listing order (the preload).
std::vector<std::string> startupPicturePaths();

class PicturePrefetch final : public ImageSource {
 public:
  PicturePrefetch() = default;
  // Stops the worker after the picture it is on and waits for it.
  ~PicturePrefetch() override;
  PicturePrefetch(const PicturePrefetch&) = delete;
  PicturePrefetch& operator=(const PicturePrefetch&) = delete;

  // Starts one worker thread, at a lowered priority, that decodes `paths` in
  // this order (DevIL decodes one picture at a time, so one worker is all it
  // can use). Shows
  // nothing, whatever happens; with a DevIL too old to use it decodes
  // nothing. Only the first call starts anything.
  void start(std::vector<std::string> paths);

  // The picture at `path` as decodeImage would give it now. A decode done
  // ahead is handed over (once) when the file still has the identity it
  // had before and after that decode; a picture the worker is on is waited
  // for; one it has not reached yet, or one that changed, is decoded here.
  DecodeStatus decode(const std::string& path, DecodedImage& image) override;

  // How many pictures decode() handed over from the worker so far.
  std::size_t handedOver() const;

  // Waits until the worker has finished every picture it was given (or was
  // never started). For tests.
  void waitUntilDone() const;

 private:
  enum class State { queued, decoding, decoded, taken };
  struct Entry {
    std::string path;
    State state = State::queued;
    std::optional<platform::FileIdentity> identity;  // before and after the decode
    DecodeStatus status = DecodeStatus::loadFailed;
    DecodedImage image;
  };

  void run();
  Entry* find(const std::string& path);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Entry> entries_;
  std::thread worker_;
  bool stopping_ = false;
  bool done_ = false;
  std::size_t handedOver_ = 0;
};

}  // namespace tessaly::assets
