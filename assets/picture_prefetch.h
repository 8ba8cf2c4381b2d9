// Pictures decoded ahead of start-up on a worker thread, so that decoding
// overlaps the setup dialog, the window and the shader builds instead of
// following them. The loaders still ask for each picture at their own step,
// in their own order, and show their own messages there: a decode done
// ahead is only ever a faster way to the same result.
//
// The worker holds at most a budget of decoded pixels that no loader has
// taken yet: a production of many large pictures would otherwise be held
// decoded all at once while the user sits at the setup dialog, on top of
// the textures the uploads make of them. When the next picture (its size
// read from its header) does not fit beside what is held, the worker waits
// until a loader takes one; a picture larger than the whole budget is
// decoded when nothing else is held, alone.
#pragma once

#include "assets/image_decoder.h"
#include "platform/files.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::assets {

// Decoded pixels the worker holds ahead at most by default: four pictures of
// 2048 x 2048, or a few dozen of the sizes a production usually has.
inline constexpr std::size_t defaultPrefetchBudget = std::size_t{64} << 20;

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
  // nothing. Only the first call starts anything. At most `budget` bytes of
  // decoded pixels are held at once (see above).
  void start(std::vector<std::string> paths, std::size_t budget = defaultPrefetchBudget);

  // Stops the worker after the picture it is on, waits for it, and frees
  // every decode no loader took. For the end of the preload: nothing asks
  // for pictures after it. Later decode() calls decode at the call.
  void finish();

  // The picture at `path` as decodeImage would give it now. A decode done
  // ahead is handed over (once) when the file still has the identity it
  // had before and after that decode; a picture the worker is on is waited
  // for; one it has not reached yet, or one that changed, is decoded here.
  DecodeStatus decode(const std::string& path, DecodedImage& image) override;

  // How many pictures decode() handed over from the worker so far.
  std::size_t handedOver() const;

  // Bytes of decoded pixels held for the loaders now, and the most held at
  // any one time so far.
  std::size_t heldBytes() const;
  std::size_t peakHeldBytes() const;

  // Waits until the worker has finished every picture it was given (or was
  // never started or was finished). For tests.
  void waitUntilDone() const;

  // Waits until the worker is idle: done, or waiting for room in the
  // budget. For tests.
  void waitUntilIdle() const;

 private:
  enum class State { queued, decoding, decoded, taken };
  struct Entry {
    std::string path;
    State state = State::queued;
    std::optional<platform::FileIdentity> identity;  // before and after the decode
    DecodeStatus status = DecodeStatus::loadFailed;
    DecodedImage image;
    std::size_t bytes = 0;  // of image's pixels, counted in held_
  };

  void run();
  Entry* find(const std::string& path);
  // Frees a decode held for the loaders and wakes the worker. Needs mutex_.
  void release(Entry& entry);
  void stopWorker();

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Entry> entries_;
  std::thread worker_;
  bool stopping_ = false;
  bool done_ = false;
  bool waitingForRoom_ = false;
  std::size_t budget_ = defaultPrefetchBudget;
  std::size_t held_ = 0;
  std::size_t peakHeld_ = 0;
  std::size_t handedOver_ = 0;
};

}  // namespace tessaly::assets
