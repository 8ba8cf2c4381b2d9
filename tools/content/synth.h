// The soundtrack's instruments and effects. Everything renders into stereo
// float buses at 44.1 kHz; a note is rendered whole (with its release) at
// its start time, so the result does not depend on any block size.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly::content::synth {

inline constexpr int sampleRate = 44100;

struct Bus {
  explicit Bus(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  std::vector<float> left;
  std::vector<float> right;
  std::size_t frames() const { return left.size(); }
  // Adds `gain` times another bus.
  void mix(const Bus& other, float gain);
};

double midiToHertz(double note);

// Drums. `time` in seconds, `gain` linear.
void kick(Bus& bus, double time, float gain);
void snare(Bus& bus, double time, float gain, std::uint32_t seed);
void hat(Bus& bus, double time, float gain, bool open, std::uint32_t seed);
void crash(Bus& bus, double time, float gain, std::uint32_t seed);
// A band of noise rising in pitch over `duration`, into a hit.
void riser(Bus& bus, double time, double duration, float gain, std::uint32_t seed);

// Pitched voices; `note` is a MIDI note number.
void bass(Bus& bus, double time, double duration, double note, float gain);
void pad(Bus& bus, double time, double duration, double note, float gain);
void lead(Bus& bus, double time, double duration, double note, float gain);
void pluck(Bus& bus, double time, double note, float gain, float pan);

// Effects on a whole bus.
// A stereo echo: left and right taps alternate (ping-pong).
void pingPongDelay(Bus& bus, double delaySeconds, float feedback, float wet);
// A plate-like reverb (parallel combs into series all-passes per channel).
void reverb(Bus& bus, float roomSize, float damping, float wet);
// Ducks the bus after each kick (side-chain compression), by up to `depth`.
void duck(Bus& bus, const std::vector<double>& kickTimes, float depth, double recovery);

}  // namespace tessaly::content::synth
