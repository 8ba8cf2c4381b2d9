#include "tests/support/sound_fixture.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>

namespace tessaly::test {

namespace {

void put32(std::ofstream& out, std::uint32_t v) {
  const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                         static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
  out.write(bytes, 4);
}

void put16(std::ofstream& out, std::uint16_t v) {
  const char bytes[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
  out.write(bytes, 2);
}

std::string quoted(const std::filesystem::path& path) {
  std::string result = "'";
  for (char c : path.string()) {
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return result + "'";
}

}  // namespace

std::vector<std::int16_t> synthesiseTone(const Tone& tone) {
  const auto frames = static_cast<std::size_t>(std::llround(tone.seconds * tone.rate));
  std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(tone.channels));
  for (std::size_t i = 0; i < frames; ++i) {
    const double phase =
        2.0 * std::numbers::pi * tone.frequency * static_cast<double>(i) / tone.rate;
    const auto value =
        static_cast<std::int16_t>(std::lround(tone.amplitude * 32767.0 * std::sin(phase)));
    for (int c = 0; c < tone.channels; ++c) {
      samples[i * static_cast<std::size_t>(tone.channels) + static_cast<std::size_t>(c)] = value;
    }
  }
  return samples;
}

void writeWav(const std::filesystem::path& path, const std::vector<std::int16_t>& samples,
              std::uint32_t rate, int channels) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  const auto blockAlign = static_cast<std::uint16_t>(channels * 2);
  out.write("RIFF", 4);
  put32(out, 36 + dataBytes);
  out.write("WAVEfmt ", 8);
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, static_cast<std::uint16_t>(channels));
  put32(out, rate);
  put32(out, rate * blockAlign);
  put16(out, blockAlign);
  put16(out, 16);
  out.write("data", 4);
  put32(out, dataBytes);
  for (std::int16_t s : samples) {
    put16(out, static_cast<std::uint16_t>(s));
  }
}

bool lameAvailable() {
  return std::system("lame --version >/dev/null 2>&1") == 0;
}

bool encodeMp3(const std::filesystem::path& wav, const std::filesystem::path& mp3,
               int bitrateKbps) {
  const std::string command = "lame --quiet --cbr -b " + std::to_string(bitrateKbps) + " " +
                              quoted(wav) + " " + quoted(mp3) + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(mp3);
}

std::string makeToneMp3(const std::filesystem::path& directory, const std::string& name,
                        const Tone& tone) {
  const std::filesystem::path wav = directory / (name + ".wav");
  const std::filesystem::path mp3 = directory / (name + ".mp3");
  writeWav(wav, synthesiseTone(tone), tone.rate, tone.channels);
  return encodeMp3(wav, mp3, tone.bitrateKbps) ? mp3.string() : std::string();
}

}  // namespace tessaly::test
