// The audio layer: a small player with the calls the demo makes of its audio
// library (initialise output, create a stream from an MP3 file, play, set and
// get the position in bytes, bytes to seconds, FFT, update, free).
//
// Positions are bytes of 16-bit stereo PCM at the file's rate (bytesPerFrame
// bytes a sample frame). Output goes through SDL2 on SDL's own thread.
// Streams are paced three ways:
//   - on an output device: the position follows what the device takes, and
//     between its requests advances with the wall clock, never beyond what
//     was handed over, so at 60 frames a second every frame sees a new one.
//     After play or a seek it holds until the device first takes the
//     stream's frames (within one device buffer, 23 ms): nothing is heard
//     before that;
//   - with no device (output initialisation failed, or device 0 "no sound"):
//     the stream plays on a silent real-time clock;
//   - decode streams (streamDecode): no playback; the position is set by the
//     caller, for frame-exact capture.
// All functions are safe to call from any thread; state is guarded by one
// lock that SDL's thread holds only while it mixes one buffer.
#pragma once

#include "platform/pcm.h"
#include "platform/spectrum.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tessaly::platform::audio {

// A stream; 0 is no stream, and every call fails on it.
using Handle = std::uint32_t;

// createStream flags, with the values the demo passes.
inline constexpr std::uint32_t streamPrescan = 0x20000;  // accepted; lengths are always exact
inline constexpr std::uint32_t sampleLoop = 0x4;         // wrap to the start at the end
inline constexpr std::uint32_t streamDecode = 0x200000;  // no playback, caller sets the position

// The output rate the demo asks for.
inline constexpr std::uint32_t defaultOutputRate = 44100;

// Initialises output. Device 1 (or -1) is the system's default output device,
// opened at `frequency` for 16-bit stereo; it fails when SDL cannot open a real
// output device (no audio driver, no device). Device 0 is "no sound" and
// always succeeds. Streams created without an open device still play, on a
// silent real-time clock. Fails when output is already initialised.
bool initOutput(int device, std::uint32_t frequency);

// Frees every stream, then closes the output. False when output was not
// initialised.
bool freeOutput();

// Per-frame update. The device pulls decoded sound from memory on its own
// thread, so there is no buffer to refill here; false when output is not
// initialised.
bool updateOutput();

// Decodes the whole MP3 file (see decodeMp3File) into a stream that plays
// from its start. Returns 0 when the file is missing or holds no decodable
// MPEG audio. Flags: sampleLoop, streamDecode, streamPrescan (accepted).
Handle createStream(const std::string& fileName, std::uint32_t flags);

// A stream of sound decoded beforehand, e.g. by decodeMp3File on a worker
// thread while the program starts; same flags. Returns 0 for no or empty
// sound.
Handle createStream(std::shared_ptr<const PcmSound> sound, std::uint32_t flags);

// Stops and frees a stream; false for an unknown handle.
bool freeStream(Handle stream);

// Starts playing; with `restart` from the start, else from where it stands.
// False for an unknown handle or a decode stream.
bool play(Handle stream, bool restart);

// Stops a playing stream where it is heard; play(stream, false) resumes
// from there. False for an unknown handle or a decode stream.
bool pause(Handle stream);

// Moves the stream to a byte position (rounded down to a whole frame).
// False for an unknown handle or a position beyond the stream's length.
bool setPosition(Handle stream, std::uint64_t bytes);

// The byte position being heard now; nothing for an unknown handle.
std::optional<std::uint64_t> position(Handle stream);

// The stream's length in bytes; nothing for an unknown handle.
std::optional<std::uint64_t> length(Handle stream);

// Bytes to seconds at the stream's rate; negative for an unknown handle.
double bytesToSeconds(Handle stream, std::uint64_t bytes);

// Seconds to bytes at the stream's rate, to the nearest whole frame (negative
// times give 0); nothing for an unknown handle.
std::optional<std::uint64_t> secondsToBytes(Handle stream, double seconds);

// The spectrum of the fftSize frames from the position being heard now (see
// computeSpectrum): writes spectrumSize floats. False for an unknown handle,
// and then the buffer is left as it was.
bool fetchFft(Handle stream, float* magnitudes);

}  // namespace tessaly::platform::audio
