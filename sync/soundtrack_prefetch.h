// The soundtrack decoded ahead of start-up on a worker thread, so that the
// whole-file MP3 decode overlaps the setup dialog and the rest of start-up
// instead of holding up the music step. The music step still opens the
// stream and shows its messages at its own place.
#pragma once

#include "platform/pcm.h"
#include "platform/files.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace tessaly::sync {

class SoundtrackPrefetch {
 public:
  SoundtrackPrefetch() = default;
  // Waits for a decode still running (it cannot be cut short).
  ~SoundtrackPrefetch();
  SoundtrackPrefetch(const SoundtrackPrefetch&) = delete;
  SoundtrackPrefetch& operator=(const SoundtrackPrefetch&) = delete;

  // Starts decoding `path` (decodeMp3File) on a worker thread at a lowered
  // priority. Shows
  // nothing. Only the first call starts anything.
  void start(const std::string& path);

  // Waits for the decode and hands over its sound (once) when it is of
  // `path`, decoded successfully, and the file still has the identity it
  // had before and after the decode. Null otherwise: the caller then
  // decodes the file itself, with the outcome and messages of that.
  std::shared_ptr<const platform::PcmSound> take(const std::string& path);

  // Waits until the decode has ended (or returns at once without one). For
  // tests.
  void waitUntilDone();

 private:
  std::string path_;
  std::thread worker_;
  std::shared_ptr<const platform::PcmSound> sound_;
  std::optional<platform::FileIdentity> identity_;
};

}  // namespace tessaly::sync
