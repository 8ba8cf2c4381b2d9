// The dispatcher of tessaly-inspect and the helpers its commands share.
#include "tools/inspect/inspect.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaly::tools {

namespace {

// Adding a command: a file with its run function, its declaration in
// inspect.h, and a line here.
constexpr Command commands[] = {
    {"track", "FILE [ROW ...]", "keys of a sync track file and its value at each row", runTrackCommand},
    {"maya", "FILE [U ...]", "curves and lights of a Maya ASCII file, with curve points at each u",
     runMayaCommand},
    {"obj", "FILE", "records, flattened stream, batches and materials of an OBJ model", runObjCommand},
    {"mtl", "FILE", "materials of an MTL library", runMtlCommand},
    {"check", "[--json] [DIR]",
     "a whole production (default Data): what is missing or broken, which shaders are drawn",
     runCheckCommand},
};

std::string usageText() {
  std::string text = "usage: tessaly-inspect COMMAND [ARG ...]\n";
  for (const Command& command : commands) {
    std::string line = "  ";
    line.append(command.name).append(" ").append(command.arguments);
    line.resize(std::max<std::size_t>(line.size() + 2, 26), ' ');
    line.append(command.summary).append("\n");
    text += line;
  }
  text += "File commands print JSON on stdout; floats with %.9g, doubles with %.17g.\n";
  text += "check prints a line per finding (--json: JSON) and exits with 1 when it finds any.\n";
  return text;
}

template <typename T>
int takeArguments(const Invocation& invocation, std::string_view numberName, std::string& file,
                  std::vector<T>& numbers, T (*convert)(const char*, char**)) {
  if (invocation.args.empty()) {
    return invocation.usageError(std::string(invocation.command) + " needs a FILE");
  }
  file = invocation.args[0];
  numbers.clear();
  for (const std::string_view text : invocation.args.subspan(1)) {
    const std::string copy(text);
    char* end = nullptr;
    const T value = convert(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size()) {
      return invocation.usageError(std::string(numberName) + " '" + copy + "' is not a number");
    }
    numbers.push_back(value);
  }
  const std::string reason = unreadableReason(file);
  if (!reason.empty()) {
    return invocation.unreadable(file, reason);
  }
  return exitOk;
}

}  // namespace

int Invocation::usageError(std::string_view problem) const {
  err.append("tessaly-inspect: ").append(problem).append("\n");
  err.append("usage: tessaly-inspect ").append(command).append(" ").append(arguments).append("\n");
  return exitUsage;
}

int Invocation::unreadable(std::string_view file, std::string_view reason) const {
  err.append("tessaly-inspect: cannot read ").append(file).append(": ").append(reason).append("\n");
  return exitUnreadable;
}

int Invocation::wrongKind(std::string_view file, std::string_view expected,
                          std::string_view kind) const {
  err.append("tessaly-inspect: ")
      .append(file)
      .append(" is not ")
      .append(expected)
      .append(": it looks like ")
      .append(kind)
      .append("\n");
  return exitUnreadable;
}

int runInspect(std::span<const std::string_view> args, std::string& out, std::string& err) {
  if (args.empty()) {
    err += usageText();
    return exitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    out += usageText();
    return exitOk;
  }
  for (const Command& command : commands) {
    if (command.name == args[0]) {
      const Invocation invocation{command.name, command.arguments, args.subspan(1), out, err};
      return command.run(invocation);
    }
  }
  err.append("tessaly-inspect: unknown command '").append(args[0]).append("'\n");
  err += usageText();
  return exitUsage;
}

std::string unreadableReason(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return std::strerror(errno);
  }
  // Opening succeeds on a directory; reading tells.
  std::string reason;
  std::getc(file);
  if (std::ferror(file) != 0) {
    reason = std::strerror(errno);
  }
  std::fclose(file);
  return reason;
}

int takeFileAndNumbers(const Invocation& invocation, std::string_view numberName,
                       std::string& file, std::vector<double>& numbers) {
  return takeArguments<double>(invocation, numberName, file, numbers, std::strtod);
}

int takeFileAndNumbers(const Invocation& invocation, std::string_view numberName,
                       std::string& file, std::vector<float>& numbers) {
  return takeArguments<float>(invocation, numberName, file, numbers, std::strtof);
}

}  // namespace tessaly::tools
