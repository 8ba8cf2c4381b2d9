// Parsing of tessaly-studio's command line.
#include "tools/studio/studio_options.h"

#include <charconv>
#include <cmath>

namespace tessaly::studio {

namespace {

constexpr int maxSide = 16384;
// Times beyond this are surely typing errors (the show lasts 81.6 s).
constexpr double maxSeconds = 24.0 * 3600.0;

std::optional<double> parseNumber(const std::string& text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || at != end || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> parseInt(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || at != end) {
    return std::nullopt;
  }
  return value;
}

bool parseSize(const std::string& text, int& width, int& height) {
  const auto x = text.find('x');
  if (x == std::string::npos) {
    return false;
  }
  const auto w = parseInt(text.substr(0, x));
  const auto h = parseInt(text.substr(x + 1));
  if (!w || !h || *w < 1 || *h < 1 || *w > maxSide || *h > maxSide) {
    return false;
  }
  width = *w;
  height = *h;
  return true;
}

}  // namespace

ParseResult parseStudioOptions(const std::vector<std::string>& arguments) {
  ParseResult result;
  StudioOptions& options = result.options;
  bool haveDirectory = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // The value of an option that takes one, or null (after the error) when
    // it is missing.
    const auto value = [&]() -> const std::string* {
      if (i + 1 >= arguments.size()) {
        result.error = argument + " needs a value";
        return nullptr;
      }
      return &arguments[++i];
    };
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--no-multisampling") {
      options.multisampling = false;
    } else if (argument == "--loop") {
      options.loop = true;
    } else if (argument == "--no-panels") {
      options.panels = false;
    } else if (argument == "--shot-with-panels") {
      options.shotWithPanels = true;
    } else if (argument == "--editor") {
      options.editor = true;
    } else if (argument == "--size") {
      const std::string* text = value();
      if (text == nullptr) return result;
      if (!parseSize(*text, options.width, options.height)) {
        result.error = "--size wants WIDTHxHEIGHT, each 1 to 16384, not \"" + *text + "\"";
        return result;
      }
    } else if (argument == "--at") {
      const std::string* text = value();
      if (text == nullptr) return result;
      const auto seconds = parseNumber(*text);
      if (!seconds || *seconds < 0.0 || *seconds > maxSeconds) {
        result.error = "--at wants a time in seconds, 0 or more, not \"" + *text + "\"";
        return result;
      }
      options.at = *seconds;
    } else if (argument == "--speed") {
      const std::string* text = value();
      if (text == nullptr) return result;
      const auto speed = parseNumber(*text);
      if (!speed || *speed < 0.25 || *speed > 2.0) {
        result.error = "--speed wants a factor from 0.25 to 2, not \"" + *text + "\"";
        return result;
      }
      options.speed = *speed;
    } else if (argument == "--rows-per-beat") {
      const std::string* text = value();
      if (text == nullptr) return result;
      const auto rows = parseInt(*text);
      if (!rows || *rows < 1 || *rows > 1024) {
        result.error = "--rows-per-beat wants a whole number from 1 to 1024, not \"" + *text + "\"";
        return result;
      }
      options.rowsPerBeat = *rows;
    } else if (argument == "--timeout") {
      const std::string* text = value();
      if (text == nullptr) return result;
      const auto seconds = parseNumber(*text);
      if (!seconds || *seconds <= 0.0 || *seconds > maxSeconds) {
        result.error = "--timeout wants a time in seconds above 0, not \"" + *text + "\"";
        return result;
      }
      options.timeout = *seconds;
    } else if (argument == "--shot" || argument == "--shot-after-reload" ||
               argument == "--shot-after-save") {
      const std::string* text = value();
      if (text == nullptr) return result;
      if (text->empty()) {
        result.error = argument + " needs a file name";
        return result;
      }
      (argument == "--shot"                ? options.shot
       : argument == "--shot-after-reload" ? options.shotAfterReload
                                           : options.shotAfterSave) = *text;
    } else if (!argument.empty() && argument[0] == '-') {
      result.error = "unknown option " + argument;
      return result;
    } else if (haveDirectory) {
      result.error = "one folder only: \"" + argument + "\" after \"" + options.directory + "\"";
      return result;
    } else {
      options.directory = argument;
      haveDirectory = true;
    }
  }
  return result;
}

const char* studioUsageText() {
  return R"(Usage: tessaly-studio [OPTION]... [DIR]
Plays the production in DIR/Data (default ./Data) for authoring: the player's
own frames in a resizable window, with transport, timeline, inspector and
messages, and shaders reloaded as they are saved.

Options:
  --size WxH            first window size (default 1280x720)
  --no-multisampling    no 4x multisampling (window and filter chain)
  --loop                play round at the end of the show instead of pausing
  --speed X             playback speed, 0.25 to 2 (default 1); the music is
                        heard only at 1, at other speeds it is muted while
                        the clock and the spectrum run at that speed
  --rows-per-beat N     rows a Shift+Left/Right step moves (default 8)
  --at SECONDS          start paused at this music time
  --no-panels           start with the inspector and messages hidden
  --shot FILE           write the first frame to FILE (PNG) and exit
  --shot-after-reload FILE
                        after the first frame, wait for a reload of a content
                        file, write the first frame drawn after it to FILE and
                        exit; with --shot, the first frame goes there first
  --shot-with-panels    shots hold the panels and timeline as on screen
                        (default: the frame alone, as the player shows it)
  --timeout SECONDS     how long --shot-after-reload waits (default 60)
  --editor              start with the track editor open
  --shot-after-save FILE
                        after the tracks are saved (Ctrl+S), write the first
                        frame drawn after the save to FILE and exit
  --help                this text

Keys:
  Space                 pause / resume (the music with it)
  Left / Right          one row back / on
  Shift+Left / Right    one beat back / on
  Page Up / Page Down   previous / next scene change ("scene.num")
  Home / End            start / end of the show
  I / O                 loop span in / out at the current time
  L                     loop span on / off
  - / =                 slower / faster (0.25x to 2x)
  Backspace             speed back to 1x
  Tab                   inspector and messages shown / hidden
  F1                    help listing every key
  F2                    settings (multisampling, loop, rows per beat, speed)
  Escape                quit
Mouse on the timeline: click or drag to seek; right-drag (or Shift+drag) to
set the loop span.

Track editor (F3 shows / hides it; its keys apply while it is shown):
  Up / Down             one row back / on (the music follows; held: on)
  Left / Right          previous / next track
  Shift+arrows          select a block of rows and tracks
  0-9 . -               type a value; Enter sets a key on the current row,
                        S scales the values in the block by it, Backspace
                        takes a character back, Escape drops it
  T                     next interpolation of the keys in the block (step,
                        linear, smooth, ramp)
  Delete                delete the keys in the block
  Ctrl+C / Ctrl+X / Ctrl+V
                        copy / cut / paste the block (pasted at the cursor)
  Ctrl+Up / Ctrl+Down   move the block's keys one row up / down
  Ctrl+Z, Ctrl+Y (Ctrl+Shift+Z)
                        undo, redo (4096 steps)
  Ctrl+S                save every changed track (works with the editor hidden)
  Ctrl+K / Ctrl+T       for a track changed on the disk under unsaved edits:
                        keep mine (theirs kept as FILE.theirs.txt) / take theirs
  Escape                drops the typed value, then the selection, then quits;
                        with unsaved tracks a prompt asks first: Y saves and
                        quits, N quits without saving, Escape stays
Shown: a key's value and interpolation (S step, L linear, M smooth, R ramp),
between keys the interpolated value faintly, a star on unsaved tracks, and
the curve of the cursor's track.

On a resize the filter chain is made again at the new size, so the frame
always fills the window as the player's would at that size.

Exit status: 0 after quitting or a written shot; 1 when DIR/Data is missing
or unreadable, start-up fails, a shot cannot be written or no reload came
within --timeout; 2 on a wrong command line.
)";
}

}  // namespace tessaly::studio
