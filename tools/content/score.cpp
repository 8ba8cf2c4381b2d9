// The arrangement, bar by bar (a bar is 32 sync rows):
//   bars  0-3   pads and a plucked arpeggio; hats from bar 2     (scene 1)
//   bars  4-7   kick on every beat, offbeat bass; riser into bar 8
//   bars  8-15  full beat: snare, 16th hats, open hats; lead from 12 (scene 2)
//   bars 16-23  the lead's tune over the full beat                (scene 3)
//   bars 24-31  climax: the tune doubled an octave up             (scene 4)
//   bars 32-33  breakdown: no drums, the tune's opening, a riser
//   bar  34     the final hit: kick, crash and A minor, ringing out
// Chords change every two bars: A minor, F, C, G.
#include "tools/content/soundtrack.h"

#include "tools/content/synth.h"
#include "tools/content/timeline.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

namespace tessaly::content {

namespace {

using synth::Bus;

constexpr double totalSeconds = 84.0;
constexpr double beat = timeline::secondsPerBeat;
constexpr double sixteenth = beat / 4.0;
constexpr double barLength = beat * 4.0;

struct Chord {
  int root;      // bass note
  int pad[4];    // voicing
};

constexpr Chord chords[4] = {
    {45, {57, 60, 64, 69}},  // A minor
    {41, {57, 60, 65, 69}},  // F
    {48, {55, 60, 64, 67}},  // C
    {43, {55, 59, 62, 67}},  // G
};

const Chord& chordOfBar(int bar) { return chords[(bar / 2) % 4]; }

double barTime(int bar) { return bar * barLength; }

// The tune, one bar per line: note name and octave, or "-" for a rest, and
// a length in sixteenths; every line adds up to 16.
const char* const tune[8] = {
    "A4:2 C5:2 E5:3 D5:1 E5:4 -:2 A5:2",  "G5:3 E5:1 D5:2 C5:2 D5:4 -:4",
    "F5:2 E5:2 C5:3 A4:1 C5:4 -:2 F5:2",  "E5:3 C5:1 A4:2 C5:2 E5:6 -:2",
    "G4:2 C5:2 E5:3 G5:1 E5:4 -:2 C5:2",  "D5:3 E5:1 G5:2 E5:2 C5:6 -:2",
    "B4:2 D5:2 G5:3 F5:1 D5:4 -:2 B4:2",  "D5:3 B4:1 G4:2 B4:2 E5:8",
};

int noteNumber(const std::string& name) {
  static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const int letter = semitones[name[0] - 'A'];
  const bool sharp = name.size() > 2 && name[1] == '#';
  const int octave = name[sharp ? 2 : 1] - '0';
  return 12 * (octave + 1) + letter + (sharp ? 1 : 0);
}

void playTuneBar(Bus& bus, int bar, int tuneBar, int transpose, float gain) {
  std::istringstream tokens(tune[tuneBar % 8]);
  std::string token;
  int position = 0;
  while (tokens >> token) {
    const std::size_t colon = token.find(':');
    const int length = std::stoi(token.substr(colon + 1));
    const std::string name = token.substr(0, colon);
    if (name != "-") {
      synth::lead(bus, barTime(bar) + position * sixteenth, length * sixteenth * 0.92,
                  noteNumber(name) + transpose, gain);
    }
    position += length;
  }
}

}  // namespace

Soundtrack composeSoundtrack() {
  const std::size_t frames = static_cast<std::size_t>(totalSeconds * synth::sampleRate);
  Bus kicks(frames), drums(frames), bassBus(frames), pads(frames), leads(frames), arps(frames);
  std::vector<double> kickTimes;
  std::uint32_t seed = 1;

  for (int bar = 0; bar < 34; ++bar) {
    const Chord& chord = chordOfBar(bar);
    const double t0 = barTime(bar);
    const bool groove = bar >= 4 && bar < 32;
    const bool full = bar >= 8 && bar < 32;

    // Pads: one chord per two bars.
    if (bar % 2 == 0) {
      for (int note : chord.pad) {
        synth::pad(pads, t0, barLength * 2.0 - 0.05, note, 0.055f);
      }
    }
    // Arpeggio in the intro, the breakdown and (softer) under the groove.
    const float arpGain = (bar < 8 || bar >= 32) ? 0.11f : 0.05f;
    const int pattern[8] = {0, 1, 2, 3, 2, 1, 2, 3};
    for (int s = 0; s < 16; ++s) {
      const int note = chord.pad[pattern[s % 8]] + 12;
      synth::pluck(arps, t0 + s * sixteenth, note, arpGain * (s % 4 == 0 ? 1.0f : 0.7f),
                   (s % 2 == 0) ? -0.4f : 0.4f);
    }

    for (int b = 0; b < 4; ++b) {
      const double tb = t0 + b * beat;
      if (groove) {
        synth::kick(kicks, tb, 0.95f);
        kickTimes.push_back(tb);
      }
      if (full && (b == 1 || b == 3)) {
        synth::snare(drums, tb, 0.42f, seed++);
      }
    }

    // Hats: 8ths from bar 2, 16ths with open offbeats in the full beat.
    if (bar >= 2) {
      for (int s = 0; s < 16; ++s) {
        const double ts = t0 + s * sixteenth;
        if (full) {
          const bool offbeat = s % 4 == 2;
          synth::hat(drums, ts, offbeat ? 0.16f : (s % 2 == 0 ? 0.11f : 0.07f), offbeat, seed++);
        } else if (s % 2 == 0) {
          synth::hat(drums, ts, bar >= 32 ? 0.06f : (groove ? 0.1f : 0.05f), false, seed++);
        }
      }
    }

    // Bass between the kicks: 16ths 2, 3, 6, 7, 10, 11, 14, 15, with octave
    // jumps.
    if (groove) {
      const int steps[8] = {2, 3, 6, 7, 10, 11, 14, 15};
      const int offsets[8] = {0, 12, 0, 0, 0, 12, 0, 7};
      for (int i = 0; i < 8; ++i) {
        synth::bass(bassBus, t0 + steps[i] * sixteenth, sixteenth * 0.85,
                    chord.root + offsets[i], 0.34f);
      }
    }

    // The lead: enters at bar 12, doubled an octave up in the climax, and
    // plays the opening once more in the breakdown.
    if (bar >= 12 && bar < 32) {
      playTuneBar(leads, bar, bar - 8, 0, 0.13f);
      if (bar >= 24) {
        playTuneBar(leads, bar, bar - 8, 12, 0.05f);
      }
    } else if (bar >= 32) {
      playTuneBar(leads, bar, bar - 32, 0, 0.12f);
    }

    // Fills, crashes and risers at the section joins.
    if (bar == 7 || bar == 15 || bar == 23 || bar == 31) {
      const int from = (bar == 7 || bar == 31) ? 8 : 12;
      for (int s = from; s < 16; ++s) {
        synth::snare(drums, t0 + s * sixteenth, 0.15f + 0.3f * (s - from) / (16.0f - from), seed++);
      }
      synth::riser(drums, t0 + (bar == 7 ? 0.0 : barLength * 0.5),
                   bar == 7 ? barLength : barLength * 0.5, 0.25f, seed++);
    }
    if (bar == 8 || bar == 16 || bar == 24) {
      synth::crash(drums, t0, 0.3f, seed++);
    }
    if (bar == 33) {
      synth::riser(drums, t0, barLength, 0.3f, seed++);
    }
  }

  // The final hit on bar 34, left to ring out.
  const double end = barTime(34);
  synth::kick(kicks, end, 1.0f);
  kickTimes.push_back(end);
  synth::crash(drums, end, 0.4f, seed++);
  synth::bass(bassBus, end, 1.6, 33, 0.4f);
  for (int note : chords[0].pad) {
    synth::pad(pads, end, 1.4, note, 0.06f);
  }
  synth::lead(leads, end, 1.2, 69, 0.1f);

  synth::duck(bassBus, kickTimes, 0.85f, 0.09);
  synth::duck(pads, kickTimes, 0.5f, 0.18);
  synth::pingPongDelay(leads, beat * 0.75, 0.35f, 0.35f);
  synth::pingPongDelay(arps, beat * 0.75, 0.4f, 0.45f);
  synth::reverb(pads, 0.84f, 0.4f, 0.6f);
  synth::reverb(leads, 0.8f, 0.45f, 0.45f);
  synth::reverb(arps, 0.8f, 0.45f, 0.5f);
  synth::reverb(drums, 0.7f, 0.5f, 0.15f);

  Bus master(frames);
  master.mix(kicks, 1.0f);
  master.mix(drums, 1.0f);
  master.mix(bassBus, 1.0f);
  master.mix(pads, 1.0f);
  master.mix(leads, 1.0f);
  master.mix(arps, 1.0f);

  // Peak to 1, then a gentle soft clip that leaves the peak at about -1 dB.
  float peak = 1e-6f;
  for (std::size_t i = 0; i < frames; ++i) {
    peak = std::max({peak, std::fabs(master.left[i]), std::fabs(master.right[i])});
  }
  const float shape = 1.3f, norm = 0.89f / std::tanh(shape);
  Soundtrack result;
  result.left.resize(frames);
  result.right.resize(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    result.left[i] = norm * std::tanh(shape * master.left[i] / peak);
    result.right[i] = norm * std::tanh(shape * master.right[i] / peak);
  }
  result.kickTimes = std::move(kickTimes);
  return result;
}

}  // namespace tessaly::content
