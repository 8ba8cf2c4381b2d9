// tessaly-inspect: prints, as JSON on stdout, what the readers make of a
// content file. One command per content kind, each in a file of its own
// (track_command.cpp, maya_command.cpp, ...), listed in the table of
// inspect.cpp; they share the JSON writer and the helpers below.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::tools {

// Exit statuses.
inline constexpr int exitOk = 0;
inline constexpr int exitUnreadable = 1;  // a file could not be read, or the output written
inline constexpr int exitUsage = 2;       // the command line is wrong

// What a command is handed: its own arguments (after the command name), and
// where its JSON and its messages go.
struct Invocation {
  std::string_view command;    // e.g. "track"
  std::string_view arguments;  // its argument synopsis, e.g. "FILE [ROW ...]"
  std::span<const std::string_view> args;
  std::string& out;
  std::string& err;

  // Writes "tessaly-inspect: <problem>" and this command's usage line to err;
  // returns exitUsage.
  int usageError(std::string_view problem) const;
  // Writes "tessaly-inspect: cannot read <file>: <reason>" to err; returns
  // exitUnreadable.
  int unreadable(std::string_view file, std::string_view reason) const;
  // Writes "tessaly-inspect: <file> is not <expected>: it looks like <kind>"
  // to err; returns exitUnreadable.
  int wrongKind(std::string_view file, std::string_view expected, std::string_view kind) const;
};

struct Command {
  std::string_view name;
  std::string_view arguments;
  std::string_view summary;
  int (*run)(const Invocation& invocation);
};

// The commands, defined one per file.
int runTrackCommand(const Invocation& invocation);
int runMayaCommand(const Invocation& invocation);
int runObjCommand(const Invocation& invocation);
int runMtlCommand(const Invocation& invocation);
// Defined in tools/check, which builds on the whole show (GL included).
int runCheckCommand(const Invocation& invocation);

// Runs the tool on its arguments (without the program name); the JSON goes
// to `out`, messages and usage to `err` (usage to `out` for --help). Returns
// the exit status.
int runInspect(std::span<const std::string_view> args, std::string& out, std::string& err);

// The reason a file cannot be read ("No such file or directory", "Is a
// directory", ...), or an empty string when it can.
std::string unreadableReason(const std::string& path);

// The arguments "FILE [NUMBER ...]" of a command: the file, which must be
// readable, and the numbers (each argument the whole number, a double or a
// float; `numberName` names them in messages, e.g. "ROW"). Returns exitOk, or
// the status of the error after writing its message.
int takeFileAndNumbers(const Invocation& invocation, std::string_view numberName,
                       std::string& file, std::vector<double>& numbers);
int takeFileAndNumbers(const Invocation& invocation, std::string_view numberName,
                       std::string& file, std::vector<float>& numbers);

}  // namespace tessaly::tools
