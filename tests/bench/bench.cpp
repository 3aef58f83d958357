// Start-up benchmark: starts each program in turn, many times, and measures the time
// from process start until its first page is on screen, and its peak memory. Prints the
// medians of each program and their ratios to the last program, the floor. Run under
// Wine by `make bench`.
#include <windows.h>
// psapi.h needs the types of windows.h first.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

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

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench RUNS PROGRAM... FLOOR\n");
    return 2;
  }
  const int runs = std::max(1, std::atoi(argv[1]));
  const std::vector<const char*> programs(argv + 2, argv + argc);
  const std::size_t count = programs.size();
  std::vector<std::vector<double>> times(count), memory(count);
  for (const char* program : programs) RunOnce(program);  // warm the file cache and Wine
  for (int run = 0; run < runs; ++run) {
    for (std::size_t which = 0; which < count; ++which) {
      const Sample sample = RunOnce(programs[which]);
      if (!sample.ok) {
        std::fprintf(stderr, "run %d of %s did not show its page\n", run, programs[which]);
        return 1;
      }
      times[which].push_back(sample.milliseconds);
      memory[which].push_back(sample.peakKiB);
    }
  }
  std::vector<double> medianTime(count), medianMemory(count);
  for (std::size_t which = 0; which < count; ++which) {
    medianTime[which] = Median(times[which]);
    medianMemory[which] = Median(memory[which]);
  }
  const double floorTime = medianTime[count - 1];
  const double floorMemory = medianMemory[count - 1];
  std::printf("%d runs each; medians; ratios to the last program\n", runs);
  for (std::size_t which = 0; which < count; ++which) {
    std::printf("%-22s start-up %7.1f ms  peak working set %6.0f KiB  ratio %.3f  %.3f\n",
                BaseName(programs[which]), medianTime[which], medianMemory[which],
                medianTime[which] / floorTime, medianMemory[which] / floorMemory);
  }
  return 0;
}
