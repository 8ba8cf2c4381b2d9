#include "tools/content/synth.h"

#include <algorithm>
#include <cmath>

namespace tessaly::content::synth {

namespace {

constexpr double twoPi = 6.283185307179586;

std::size_t frameAt(double time) {
  return static_cast<std::size_t>(std::max(0.0, std::round(time * sampleRate)));
}

// White noise from a 32-bit xorshift, in [-1, 1].
struct Noise {
  std::uint32_t state;
  float next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state) / 2147483648.0f - 1.0f;
  }
};

// Band-limited sawtooth (PolyBLEP), phase in [0, 1).
struct Saw {
  double phase = 0.0;
  float next(double increment) {
    double t = phase;
    float value = static_cast<float>(2.0 * t - 1.0);
    if (t < increment) {
      t /= increment;
      value -= static_cast<float>(t + t - t * t - 1.0);
    } else if (t > 1.0 - increment) {
      t = (t - 1.0) / increment;
      value -= static_cast<float>(t * t + t + t + 1.0);
    }
    phase += increment;
    if (phase >= 1.0) {
      phase -= 1.0;
    }
    return value;
  }
};

// State-variable filter (trapezoidal), low-pass and band-pass outputs.
struct Filter {
  float ic1 = 0.0f, ic2 = 0.0f;
  float low = 0.0f, band = 0.0f, high = 0.0f;
  void run(float input, float cutoffHz, float resonance) {
    const float g = static_cast<float>(std::tan(3.141592653589793 *
                                                std::min(cutoffHz, 0.45f * sampleRate) /
                                                sampleRate));
    const float k = 2.0f - 2.0f * resonance;
    const float a1 = 1.0f / (1.0f + g * (g + k));
    const float a2 = g * a1, a3 = g * a2;
    const float v3 = input - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    low = v2;
    band = v1;
    high = input - k * v1 - v2;
  }
};

// Attack-decay-sustain-release level at `t` seconds into a note held for
// `held` seconds.
float envelope(double t, double held, double attack, double decay, float sustain,
               double release) {
  float level;
  if (t < attack) {
    level = static_cast<float>(t / attack);
  } else if (t < attack + decay) {
    level = 1.0f - (1.0f - sustain) * static_cast<float>((t - attack) / decay);
  } else {
    level = sustain;
  }
  if (t > held) {
    const double since = t - held;
    const float atRelease = t - since < attack ? static_cast<float>(held / attack) : level;
    level = since >= release ? 0.0f : atRelease * static_cast<float>(1.0 - since / release);
  }
  return level;
}

void add(Bus& bus, std::size_t frame, float left, float right) {
  if (frame < bus.frames()) {
    bus.left[frame] += left;
    bus.right[frame] += right;
  }
}

}  // namespace

void Bus::mix(const Bus& other, float gain) {
  const std::size_t n = std::min(frames(), other.frames());
  for (std::size_t i = 0; i < n; ++i) {
    left[i] += gain * other.left[i];
    right[i] += gain * other.right[i];
  }
}

double midiToHertz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

void kick(Bus& bus, double time, float gain) {
  const std::size_t start = frameAt(time);
  const std::size_t length = frameAt(0.45);
  double phase = 0.0;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    // The pitch falls fast from about 160 Hz and settles at 46 Hz.
    const double frequency = 46.0 + 115.0 * std::exp(-t / 0.028);
    phase += frequency / sampleRate;
    const float body = static_cast<float>(std::sin(twoPi * phase));
    const float amplitude = static_cast<float>(std::min(1.0, t / 0.0015) * std::exp(-t / 0.22));
    const float click = static_cast<float>(std::exp(-t / 0.002) * std::sin(twoPi * 1800.0 * t));
    const float sample = gain * (std::tanh(1.4f * body) * amplitude + 0.15f * click);
    add(bus, start + i, sample, sample);
  }
}

void snare(Bus& bus, double time, float gain, std::uint32_t seed) {
  const std::size_t start = frameAt(time);
  const std::size_t length = frameAt(0.3);
  Noise noise{seed | 1u};
  Filter filter;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    filter.run(noise.next(), 3800.0f, 0.35f);
    const float rattle = filter.band * static_cast<float>(std::exp(-t / 0.07));
    const float tone = static_cast<float>(std::sin(twoPi * 185.0 * t) * std::exp(-t / 0.05));
    const float sample = gain * (1.1f * rattle + 0.6f * tone);
    add(bus, start + i, sample, sample);
  }
}

void hat(Bus& bus, double time, float gain, bool open, std::uint32_t seed) {
  const std::size_t start = frameAt(time);
  const double decay = open ? 0.16 : 0.035;
  const std::size_t length = frameAt(decay * 6.0);
  Noise noise{seed | 1u};
  Filter filter;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    filter.run(noise.next(), 9000.0f, 0.2f);
    const float sample = gain * filter.high * static_cast<float>(std::exp(-t / decay));
    add(bus, start + i, sample * 0.85f, sample);
  }
}

void crash(Bus& bus, double time, float gain, std::uint32_t seed) {
  const std::size_t start = frameAt(time);
  const std::size_t length = frameAt(2.5);
  Noise left{seed | 1u}, right{(seed * 747796405u) | 1u};
  Filter fl, fr;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    fl.run(left.next(), 6000.0f, 0.3f);
    fr.run(right.next(), 6500.0f, 0.3f);
    const float level = gain * static_cast<float>(std::exp(-t / 0.55));
    add(bus, start + i, level * fl.high, level * fr.high);
  }
}

void riser(Bus& bus, double time, double duration, float gain, std::uint32_t seed) {
  const std::size_t start = frameAt(time);
  const std::size_t length = frameAt(duration);
  Noise noise{seed | 1u};
  Filter filter;
  for (std::size_t i = 0; i < length; ++i) {
    const float progress = static_cast<float>(i) / static_cast<float>(length);
    filter.run(noise.next(), 300.0f + 7000.0f * progress * progress, 0.7f);
    const float sample = gain * progress * progress * filter.band;
    add(bus, start + i, sample, sample * 0.9f);
  }
}

void bass(Bus& bus, double time, double duration, double note, float gain) {
  const std::size_t start = frameAt(time);
  const double release = 0.05;
  const std::size_t length = frameAt(duration + release);
  const double frequency = midiToHertz(note);
  Saw saw;
  Filter filter;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const float level = envelope(t, duration, 0.004, 0.12, 0.7f, release);
    const float raw = 0.7f * saw.next(frequency / sampleRate) +
                      0.5f * static_cast<float>(std::sin(twoPi * frequency * t));
    const float cutoff = 250.0f + 1400.0f * static_cast<float>(std::exp(-t / 0.07));
    filter.run(raw, cutoff, 0.45f);
    const float sample = gain * level * filter.low;
    add(bus, start + i, sample, sample);
  }
}

void pad(Bus& bus, double time, double duration, double note, float gain) {
  const std::size_t start = frameAt(time);
  const double release = 1.2;
  const std::size_t length = frameAt(duration + release);
  const double frequency = midiToHertz(note);
  // Three saws per side, detuned differently left and right for width.
  const double detuneLeft[3] = {-0.11, 0.0, 0.09};
  const double detuneRight[3] = {-0.08, 0.02, 0.12};
  Saw left[3], right[3];
  for (int v = 0; v < 3; ++v) {
    left[v].phase = 0.17 * v;
    right[v].phase = 0.61 + 0.23 * v;
  }
  Filter fl, fr;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const float level = envelope(t, duration, 0.45, 0.6, 0.8f, release);
    float l = 0.0f, r = 0.0f;
    for (int v = 0; v < 3; ++v) {
      l += left[v].next(frequency * std::pow(2.0, detuneLeft[v] / 12.0) / sampleRate);
      r += right[v].next(frequency * std::pow(2.0, detuneRight[v] / 12.0) / sampleRate);
    }
    const float cutoff = 900.0f + 700.0f * static_cast<float>(std::sin(twoPi * 0.11 * (time + t)));
    fl.run(l, cutoff, 0.25f);
    fr.run(r, cutoff * 1.05f, 0.25f);
    add(bus, start + i, gain * level * fl.low, gain * level * fr.low);
  }
}

void lead(Bus& bus, double time, double duration, double note, float gain) {
  const std::size_t start = frameAt(time);
  const double release = 0.18;
  const std::size_t length = frameAt(duration + release);
  const double frequency = midiToHertz(note);
  Saw a, b;
  b.phase = 0.5;
  Filter filter;
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const float level = envelope(t, duration, 0.01, 0.2, 0.75f, release);
    // Vibrato fades in after the attack.
    const double vibrato = 1.0 + 0.004 * std::min(1.0, t / 0.3) * std::sin(twoPi * 5.5 * t);
    const float raw = a.next(frequency * vibrato / sampleRate) -
                      0.6f * b.next(frequency * 1.004 * vibrato / sampleRate);
    const float cutoff = 1400.0f + 3200.0f * static_cast<float>(std::exp(-t / 0.18));
    filter.run(raw, cutoff, 0.55f);
    const float sample = gain * level * filter.low;
    add(bus, start + i, sample, sample);
  }
}

void pluck(Bus& bus, double time, double note, float gain, float pan) {
  const std::size_t start = frameAt(time);
  const std::size_t length = frameAt(0.5);
  const double frequency = midiToHertz(note);
  for (std::size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const double tone = std::sin(twoPi * frequency * t) + 0.35 * std::sin(twoPi * 2.0 * frequency * t) *
                                                             std::exp(-t / 0.04);
    const float sample = gain * static_cast<float>(tone * std::exp(-t / 0.13) *
                                                    std::min(1.0, t / 0.002));
    add(bus, start + i, sample * (1.0f - pan), sample * (1.0f + pan));
  }
}

void pingPongDelay(Bus& bus, double delaySeconds, float feedback, float wet) {
  const std::size_t delay = frameAt(delaySeconds);
  std::vector<float> echoLeft(bus.frames(), 0.0f), echoRight(bus.frames(), 0.0f);
  for (std::size_t i = delay; i < bus.frames(); ++i) {
    // Each echo crosses to the other side.
    echoLeft[i] = bus.right[i - delay] + feedback * echoRight[i - delay];
    echoRight[i] = bus.left[i - delay] + feedback * echoLeft[i - delay];
  }
  for (std::size_t i = 0; i < bus.frames(); ++i) {
    bus.left[i] += wet * echoLeft[i];
    bus.right[i] += wet * echoRight[i];
  }
}

void reverb(Bus& bus, float roomSize, float damping, float wet) {
  // Comb and all-pass lengths in frames (at 44.1 kHz), right side spread.
  const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int allpasses[4] = {556, 441, 341, 225};
  const int spread = 23;
  for (int side = 0; side < 2; ++side) {
    std::vector<float>& channel = side == 0 ? bus.left : bus.right;
    std::vector<float> out(channel.size(), 0.0f);
    for (int c = 0; c < 8; ++c) {
      const std::size_t length = static_cast<std::size_t>(combs[c] + side * spread);
      std::vector<float> buffer(length, 0.0f);
      float store = 0.0f;
      std::size_t index = 0;
      for (std::size_t i = 0; i < channel.size(); ++i) {
        const float output = buffer[index];
        store = output * (1.0f - damping) + store * damping;
        buffer[index] = channel[i] * 0.015f + store * roomSize;
        out[i] += output;
        index = index + 1 == length ? 0 : index + 1;
      }
    }
    for (int a = 0; a < 4; ++a) {
      const std::size_t length = static_cast<std::size_t>(allpasses[a] + side * spread);
      std::vector<float> buffer(length, 0.0f);
      std::size_t index = 0;
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float delayed = buffer[index];
        const float input = out[i];
        out[i] = delayed - input;
        buffer[index] = input + delayed * 0.5f;
        index = index + 1 == length ? 0 : index + 1;
      }
    }
    for (std::size_t i = 0; i < channel.size(); ++i) {
      channel[i] += wet * out[i];
    }
  }
}

void duck(Bus& bus, const std::vector<double>& kickTimes, float depth, double recovery) {
  std::size_t next = 0;
  double lastKick = -1e9;
  for (std::size_t i = 0; i < bus.frames(); ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    while (next < kickTimes.size() && kickTimes[next] <= t) {
      lastKick = kickTimes[next++];
    }
    const float gain = 1.0f - depth * static_cast<float>(std::exp(-(t - lastKick) / recovery));
    bus.left[i] *= gain;
    bus.right[i] *= gain;
  }
}

}  // namespace tessaly::content::synth
