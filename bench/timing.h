// Timing whole processes for the benchmarks: wall-clock medians over
// repeated runs after a warm-up run, and each run's peak resident memory.
#ifndef MAE_BENCH_TIMING_H
#define MAE_BENCH_TIMING_H

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bench {

struct Timing {
  double median_ms = 0;
  double peak_rss_mib = 0;
};

// Runs argv once with its output thrown away; returns the wall time in ms
// and fills the peak resident memory of the child.
inline double RunOnce(const std::vector<std::string>& args, double* peak_rss_mib) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  *peak_rss_mib = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

inline Timing Time(const std::vector<std::string>& args, int runs) {
  double rss = 0;
  RunOnce(args, &rss);  // warm-up: files in the page cache, binary loaded
  std::vector<double> times;
  double peak = 0;
  for (int i = 0; i < runs; ++i) {
    times.push_back(RunOnce(args, &rss));
    peak = std::max(peak, rss);
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], peak};
}

// The median time of running every command of `commands` one after the
// other, as a script would.
inline double TimeSequence(const std::vector<std::vector<std::string>>& commands, int runs) {
  double rss = 0;
  for (const auto& command : commands) {
    RunOnce(command, &rss);  // warm-up
  }
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double total = 0;
    for (const auto& command : commands) {
      total += RunOnce(command, &rss);
    }
    times.push_back(total);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace bench

#endif  // MAE_BENCH_TIMING_H
