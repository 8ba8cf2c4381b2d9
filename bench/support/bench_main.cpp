// The entry of every benchmark binary: Google Benchmark's console table as
// usual, and with --summary=FILE one line per result appended to FILE, from
// which scripts/run-bench prints the one table that ends `make bench`.
//
// A summary line is tab-separated: binary, benchmark name, real time, time
// unit, then the user counters as "name=value" separated by spaces. A
// benchmark run with repetitions contributes its median only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class SummaryReporter final : public benchmark::ConsoleReporter {
 public:
  SummaryReporter(std::string path, std::string binary)
      : ConsoleReporter(OO_None), path_(std::move(path)), binary_(std::move(binary)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool repeated = run.repetitions > 1;
      if (run.run_type == Run::RT_Iteration && repeated) {
        continue;  // the median aggregate stands for the repetitions
      }
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
        continue;
      }
      lines_.push_back(line(run));
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    if (path_.empty()) {
      return;
    }
    std::FILE* file = std::fopen(path_.c_str(), "a");
    if (file == nullptr) {
      std::fprintf(stderr, "cannot append to %s\n", path_.c_str());
      return;
    }
    for (const std::string& text : lines_) {
      std::fprintf(file, "%s\n", text.c_str());
    }
    std::fclose(file);
  }

 private:
  static std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
  }

  std::string line(const Run& run) const {
    std::string name = run.benchmark_name();
    // The aggregate's suffix says nothing the summary needs.
    const std::string suffix = "_median";
    if (run.run_type == Run::RT_Aggregate && name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      name.resize(name.size() - suffix.size());
    }
    std::string text = binary_ + "\t" + name + "\t";
    if (run.error_occurred) {
      return text + "-\t\tskipped: " + run.error_message;
    }
    text += number(run.GetAdjustedRealTime()) + "\t" + benchmark::GetTimeUnitString(run.time_unit) +
            "\t";
    bool first = true;
    for (const auto& [counter, value] : run.counters) {
      text += (first ? "" : " ") + counter + "=" + number(value.value);
      first = false;
    }
    return text;
  }

  std::string path_;
  std::string binary_;
  std::vector<std::string> lines_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string summary;
  std::vector<char*> arguments;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strncmp(argv[i], "--summary=", 10) == 0) {
      summary = argv[i] + 10;
    } else {
      arguments.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(arguments.size());
  benchmark::Initialize(&count, arguments.data());
  if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
    return 1;
  }
  std::string binary = argv[0];
  if (const auto slash = binary.rfind('/'); slash != std::string::npos) {
    binary.erase(0, slash + 1);
  }
  SummaryReporter reporter(summary, binary);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
