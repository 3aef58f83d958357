// Start-up benchmark: starts each program in turn, round after round, and measures the
// time from process start until its first page is on screen, and its peak memory. Each
// round gives each program's ratios to the last program, the floor, from that round's own
// runs, so what slows the whole machine for a while (other work, the file cache) slows
// both sides of a ratio alike. Prints the median of those per-round ratios with a 95%
// interval, and stops once every interval is narrow. Run under Wine by `make bench`.
#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Without a fixed number of rounds: at least kMinRounds, then until every interval's
// half-width is at most kHalfWidth, and never more than kMaxRounds.
constexpr int kMinRounds = 60;
constexpr int kMaxRounds = 300;
constexpr double kHalfWidth = 0.015;

struct Found {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK FindPage(HWND window, LPARAM parameter) {
  auto* found = reinterpret_cast<Found*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == found->processId && IsWindowVisible(window)) {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

struct Sample {
  double milliseconds = 0;
  double peakKiB = 0;
  bool ok = false;
};

Sample RunOnce(const char* exe) {
  Sample sample;
  LARGE_INTEGER frequency, start, shown;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char commandLine[MAX_PATH + 2];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\"", exe);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(exe, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", exe, GetLastError());
    return sample;
  }
  Found found{process.dwProcessId, nullptr};
  for (int tries = 0; tries < 30000 && found.window == nullptr; ++tries) {
    EnumWindows(FindPage, reinterpret_cast<LPARAM>(&found));
    if (found.window == nullptr) {
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
      Sleep(1);
    }
  }
  QueryPerformanceCounter(&shown);
  if (found.window != nullptr) {
    sample.milliseconds =
        1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / frequency.QuadPart;
    // Let the page finish drawing before reading the peak, then end it like a user would.
    Sleep(50);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
      sample.peakKiB = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    }
    PostMessageA(found.window, WM_COMMAND, IDCANCEL, 0);
    sample.ok = true;
  }
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    sample.ok = false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return sample;
}

const char* BaseName(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  return name;
}

// The median of the values and a distribution-free 95% interval for it: the order
// statistics n/2 -+ 0.98 sqrt(n) (the binomial's normal approximation), which hold
// whatever the shape of the values, outliers included.
struct Estimate {
  double median, low, high;
  double HalfWidth() const { return std::max(median - low, high - median); }
};

Estimate Estimated(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  const double middle = values[n / 2] + values[(n - 1) / 2];
  const double reach = 0.98 * std::sqrt(static_cast<double>(n));
  const auto at = [&](double rank) {
    return values[std::lround(std::clamp(rank, 1.0, static_cast<double>(n))) - 1];
  };
  return {middle / 2, at(n / 2.0 - reach), at(n / 2.0 + 1 + reach)};
}

struct Series {
  std::vector<double> milliseconds, peakKiB, timeRatio, memoryRatio;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench ROUNDS|auto ROUNDS-CSV PROGRAM... FLOOR\n");
    return 2;
  }
  const bool adaptive = std::strcmp(argv[1], "auto") == 0;
  const int rounds = adaptive ? kMaxRounds : std::max(1, std::atoi(argv[1]));
  const std::vector<const char*> programs(argv + 3, argv + argc);
  const std::size_t count = programs.size();
  const std::size_t floor = count - 1;
  std::FILE* csv = std::fopen(argv[2], "w");
  if (csv == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 2;
  }
  std::fprintf(csv, "round");
  for (const char* program : programs)
    std::fprintf(csv, ",%s ms,%s KiB", BaseName(program), BaseName(program));
  std::fprintf(csv, "\n");

  for (const char* program : programs) RunOnce(program);  // warm the file cache and Wine
  std::vector<Series> series(count);
  const auto narrow = [&] {
    for (std::size_t which = 0; which < floor; ++which) {
      if (Estimated(series[which].timeRatio).HalfWidth() > kHalfWidth ||
          Estimated(series[which].memoryRatio).HalfWidth() > kHalfWidth) {
        return false;
      }
    }
    return true;
  };
  int done = 0;
  while (done < rounds && !(adaptive && done >= kMinRounds && narrow())) {
    // Each program in turn, starting one further on each round, so that none always runs
    // first or right after the same other program.
    std::vector<Sample> round(count);
    for (std::size_t step = 0; step < count; ++step) {
      const std::size_t which = (done + step) % count;
      round[which] = RunOnce(programs[which]);
      if (!round[which].ok) {
        std::fprintf(stderr, "round %d of %s did not show its page\n", done, programs[which]);
        return 1;
      }
    }
    std::fprintf(csv, "%d", done);
    for (std::size_t which = 0; which < count; ++which) {
      Series& to = series[which];
      to.milliseconds.push_back(round[which].milliseconds);
      to.peakKiB.push_back(round[which].peakKiB);
      to.timeRatio.push_back(round[which].milliseconds / round[floor].milliseconds);
      to.memoryRatio.push_back(round[which].peakKiB / round[floor].peakKiB);
      std::fprintf(csv, ",%.2f,%.0f", round[which].milliseconds, round[which].peakKiB);
    }
    std::fprintf(csv, "\n");
    if (++done % 20 == 0) {
      const Estimate time = Estimated(series[0].timeRatio);
      std::fprintf(stderr, "round %d: %s start-up %.3f [%.3f-%.3f]\n", done, BaseName(programs[0]),
                   time.median, time.low, time.high);
    }
  }
  std::fclose(csv);

  std::printf("%d rounds", done);
  if (adaptive) {
    std::printf(narrow() ? " (every interval within +-%.3f)"
                         : " (the most it runs: an interval wider than +-%.3f)",
                kHalfWidth);
  }
  std::printf("; medians; ratios to the floor, the median of the rounds' own [95%% interval]\n");
  for (std::size_t which = 0; which < count; ++which) {
    const Series& of = series[which];
    const Estimate time = Estimated(of.timeRatio), memory = Estimated(of.memoryRatio);
    std::printf(
        "%-22s start-up %7.1f ms  peak working set %6.0f KiB  ratio %.3f [%.3f-%.3f]  "
        "%.3f [%.3f-%.3f]\n",
        BaseName(programs[which]), Estimated(of.milliseconds).median, Estimated(of.peakKiB).median,
        time.median, time.low, time.high, memory.median, memory.low, memory.high);
  }
  return 0;
}
