// MAE against the floor (bench/floor.cpp: map both files, one vectorised
// pass) and against cmp, on 512 x 512, 2048 x 2048 and 8192 x 8192 pairs in
// the page cache. The three commands run in turn, round after round, so
// that all see the same machine; the table shows medians and the ratios of
// one run, and MAE's peak memory split into the mapped files and the rest.
//
//   floor_ratio MAE_PATH FLOOR_PATH [SIZE...]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pairs.h"
#include "timing.h"

namespace {

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (WritePairIfAsked(argc, argv)) {
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MAE_PATH FLOOR_PATH [SIZE...]\n", argv[0]);
    return 2;
  }
  const std::string mae = std::filesystem::absolute(argv[1]).string();
  const std::string floor = std::filesystem::absolute(argv[2]).string();
  const std::vector<std::uint32_t> sizes = Sizes(argc, argv, 3, {512, 2048, 8192});
  bmptest::TempDir dir;
  std::printf(
      "| pair | MAE ms | floor ms | cmp A A2 ms | MAE / floor | MAE / cmp | MAE peak RSS MiB "
      "| of which the mapped files | allocated and code "
      "|\n|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  bool all_agree = true;
  for (const std::uint32_t n : sizes) {
    const std::string folder = dir / std::to_string(n);
    if (!WritePairInChild(folder, n)) {
      std::fprintf(stderr, "cannot write the %u pair\n", n);
      return 1;
    }
    double ignored = 0;
    const std::string a = folder + "/A.bmp";
    const std::string b = folder + "/B.bmp";
    const std::vector<std::vector<std::string>> commands = {
        {mae, a, b}, {floor, a, b}, {"/usr/bin/cmp", a, folder + "/A2.bmp"}};
    const int rounds = n <= 512 ? 301 : (n <= 2048 ? 101 : 21);
    std::vector<std::vector<double>> times(commands.size());
    double peak = 0;
    for (const auto& command : commands) {
      bench::RunOnce(command, &ignored);  // warm-up: files in the page cache
    }
    for (int round = 0; round < rounds; ++round) {
      for (std::size_t c = 0; c < commands.size(); ++c) {
        double rss = 0;
        times[c].push_back(bench::RunOnce(commands[c], &rss));
        if (c == 0) {
          peak = std::max(peak, rss);
        }
      }
    }
    const double mae_ms = Median(times[0]);
    const double floor_ms = Median(times[1]);
    const double cmp_ms = Median(times[2]);
    const double mapped = 2.0 * static_cast<double>(std::filesystem::file_size(a)) / 1048576.0;
    std::printf("| %ux%u | %.2f | %.2f | %.2f | %.2f | %.2f | %.1f | %.1f | %.1f |\n", n, n, mae_ms,
                floor_ms, cmp_ms, mae_ms / floor_ms, mae_ms / cmp_ms, peak, mapped, peak - mapped);
    std::fflush(stdout);
    // The floor does the same sum: both must print the same mean.
    const auto output = [](const std::vector<std::string>& command) {
      const bmptest::RunResult r = bmptest::Run(command[0], {command.begin() + 1, command.end()});
      return r.out;
    };
    if (output(commands[0]) != output(commands[1])) {
      std::printf("check %ux%u: MAE and the floor DISAGREE\n", n, n);
      all_agree = false;
    }
    std::filesystem::remove_all(folder);
  }
  return all_agree ? 0 : 1;
}
