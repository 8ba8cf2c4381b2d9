// MP3 fixtures made at run time: a tone or silence synthesised to a WAV file
// and encoded with the `lame` command (Debian package lame). Tests that need
// one skip when lame is not installed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaly::test {

struct Tone {
  std::uint32_t rate = 44100;
  int channels = 2;
  double seconds = 1.0;
  double frequency = 1000.0;  // Hz; 0 makes digital silence
  double amplitude = 0.5;     // of full scale
  int bitrateKbps = 128;      // constant bitrate; low rates need low values
};

// Interleaved 16-bit samples of a sine (the same on every channel).
std::vector<std::int16_t> synthesiseTone(const Tone& tone);

// Writes a 16-bit PCM WAV file.
void writeWav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
              std::uint32_t rate, int channels);

bool lameAvailable();

// Encodes a WAV file with lame at a constant bitrate; false when lame is
// missing or fails.
bool encodeMp3(const std::filesystem::path& wav, const std::filesystem::path& mp3, int bitrateKbps);

// Synthesises the tone into `directory`/<name>.wav and encodes
// `directory`/<name>.mp3; returns the MP3's path, or an empty string when it
// could not be made.
std::string makeToneMp3(const std::filesystem::path& directory, const std::string& name,
                        const Tone& tone);

}  // namespace tessaly::test
