// Loading property files of 1,000, 10,000 and 100,000 lines, against a baseline that only reads
// the file and splits it into one string per line. After the run it checks that the time per
// line does not grow with the file's size and stays within 3 times the baseline's, and ends
// with status 1 when it does not.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/property_file.h"
#include "common/property_sets.h"

namespace {

std::string fileOfLines(int lines) {
  const std::string path = "/tmp/moxal-bench-" + std::to_string(lines) + ".properties";
  std::ofstream out(path, std::ios::trunc);
  for (int i = 0; i < lines; ++i) {
    switch (i % 4) {
      case 0: out << "# comment line " << i << "\r\n"; break;
      case 1: out << "moxal.setenv.VAR" << i << " = C:/prod/lib/" << i << ";${JAVA_HOME}/bin\r\n"; break;
      case 2: out << "  moxal.port.tarq.admin.arm.agents.Service" << i << "=" << 5000 + i << "\r\n"; break;
      default: out << "\"quoted key " << i << "\"=value=with=equals\r\n"; break;
    }
  }
  return path;
}

void BM_LoadProperties(benchmark::State& state) {
  const std::string path = fileOfLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const int id = loadProperties(path.c_str());
    if (id < 1) state.SkipWithError("load failed");
    unloadProperties(id);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Reads the file and splits it into one string per line.
void BM_ReadAndSplitBaseline(benchmark::State& state) {
  const std::string path = fileOfLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::string text(static_cast<size_t>(size), '\0');
    if (std::fread(text.data(), 1, text.size(), file) != text.size()) state.SkipWithError("read");
    std::fclose(file);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        lines.emplace_back(text, start, i - start);
        start = i + 1;
      }
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Repeated, and compared by their medians, so that a busy machine does not decide the outcome.
BENCHMARK(BM_LoadProperties)->Arg(1000)->Arg(10000)->Arg(100000)->Repetitions(7);
BENCHMARK(BM_ReadAndSplitBaseline)->Arg(1000)->Arg(10000)->Arg(100000)->Repetitions(7);

// Collects the median nanoseconds per line, by benchmark and size.
class PerLineReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, std::map<long, double>> nanosPerLine;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const std::string name = run.run_name.function_name;
      const long lines = std::stol(run.run_name.args);
      nanosPerLine[name][lines] =
          run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit) / lines;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::SetDefaultTimeUnit(benchmark::kMicrosecond);
  PerLineReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& load = reporter.nanosPerLine["BM_LoadProperties"];
  const auto& base = reporter.nanosPerLine["BM_ReadAndSplitBaseline"];
  bool ok = true;
  std::printf("\nlines     load ns/line  baseline ns/line  ratio\n");
  for (const auto& [lines, nanos] : load) {
    const double ratio = nanos / base.at(lines);
    std::printf("%-9ld %12.1f  %16.1f  %5.2f\n", lines, nanos, base.at(lines), ratio);
    ok = ok && ratio <= 3.0;
  }
  // Growth: the largest file may not cost more per line than 1.5 times the smallest.
  const double growth = load.at(100000) / load.at(1000);
  std::printf("growth of ns/line from 1,000 to 100,000 lines: %.2f\n", growth);
  ok = ok && growth <= 1.5;
  std::printf("%s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
