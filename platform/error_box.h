// The one funnel for failure messages. Every failure text of the system is
// handed to showErrorBox; where it goes is decided by the installed sink, so
// the player shows a box, the capture tool prints, and tests record.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessaly::platform {

// Longest message text, in characters: the player formats its messages into
// 256-character buffers, so longer texts are cut, never overflowed.
inline constexpr std::size_t maxMessageLength = 255;

// Shows one failure text. The default sink writes "ERROR: <text>" and a
// newline to stderr, then shows a warning message box titled "ERROR" with one
// OK button and blocks the calling thread until it is dismissed. Without a
// display it only writes to stderr. Safe from any thread, at any time.
void showErrorBox(std::string_view text);

// Where messages go instead of the default. The sink is called with the text
// as showErrorBox received it, under a lock, so sinks need no locking of
// their own. Returns the sink that was installed; an empty function restores
// the default.
using ErrorSink = std::function<void(std::string_view text)>;
ErrorSink setErrorSink(ErrorSink sink);

// Closes every message box on screen, as if its OK were pressed: the calls
// showing them return, and a box shown later closes at once. Async-signal-
// safe: it is what the termination handlers call. Whatever happens, a box never outlives
// the program that showed it.
void closeOpenErrorBoxes();

// A sink that writes the stderr line only and never blocks: for tools that
// run without anyone to press OK.
void printErrorOnly(std::string_view text);

// Writes a message that comes from a library (GLFW's error descriptions) to
// stderr as a line of its own: the text unchanged, then a newline unless it
// ends with one, so the next line (an "ERROR: " line) starts on its own.
void printStderrLine(std::string_view text);

// Fills the "%s" of a message pattern with one argument, the way the player's
// messages name a file, and cuts the result to maxMessageLength characters.
std::string formatMessage(std::string_view pattern, std::string_view argument);

}  // namespace tessaly::platform
