// mae-check's SSIM against scikit-image's structural_similarity on one
// 2048 x 2048 pair (or SIDE x SIDE): a smooth picture with noise and a
// blurred, shifted, noisy copy. Ssim's median wall and CPU times over 7
// calls after a warm-up call, then the pair written to a temporary folder
// and timed in Debian's python3 with the same settings (medians of 5 calls
// after a warm-up call). Usage: ssim_bench [SIDE]
#include "ssim.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae::check;

// Times the call, warm-up first: the medians of 5 calls' wall and CPU
// seconds, and the SSIM.
const char kScikit[] =
    "import sys, time, statistics, numpy as np\n"
    "from skimage.metrics import structural_similarity as ssim\n"
    "side = int(sys.argv[1])\n"
    "out, ref = (np.fromfile(p, np.uint8).reshape(side, side, 3) for p in sys.argv[2:4])\n"
    "def once():\n"
    "    start, cpu = time.perf_counter(), time.process_time()\n"
    "    value = ssim(out, ref, gaussian_weights=True, sigma=1.5, use_sample_covariance=False,\n"
    "                 data_range=255, channel_axis=2)\n"
    "    return time.perf_counter() - start, time.process_time() - cpu, value\n"
    "once()\n"
    "runs = [once() for _ in range(5)]\n"
    "print(*(statistics.median(run[i] for run in runs) for i in (0, 1)), runs[0][2])\n";

unsigned char Clamp(double v) {
  return static_cast<unsigned char>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t side = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 2048;
  if (side < kSsimWindow) {
    std::fprintf(stderr, "usage: ssim_bench [SIDE of at least %u]\n", kSsimWindow);
    return 2;
  }
  const std::size_t row = std::size_t{side} * 3;
  std::vector<unsigned char> ref(row * side), out(row * side);
  std::mt19937 random(2048);
  for (std::uint32_t y = 0; y < side; ++y) {
    for (std::size_t i = 0; i < row; ++i) {
      const double x = static_cast<double>(i / 3);
      ref[y * row + i] = Clamp(180.0 * x / side + 60.0 * y / side + 25 * std::sin((x + y) / 9) +
                               static_cast<int>(random() % 17) - 8);
    }
  }
  // The three pixels to the left and their neighbours above and below,
  // averaged: blurred and moved one pixel right; then noise.
  for (std::uint32_t y = 0; y < side; ++y) {
    for (std::size_t i = 0; i < row; ++i) {
      int sum = 0;
      for (const std::uint32_t sy : {y == 0 ? y : y - 1, y, y + 1 == side ? y : y + 1}) {
        for (const std::size_t si : {i < 6 ? i % 3 : i - 6, i < 3 ? i : i - 3, i}) {
          sum += ref[sy * row + si];
        }
      }
      out[y * row + i] = Clamp(sum / 9.0 + static_cast<int>(random() % 13) - 6);
    }
  }

  const ImageView out_view{out.data(), side, side, 0};
  const ImageView ref_view{ref.data(), side, side, 0};
  double ours = Ssim(out_view, ref_view).value_or(-2);
  std::vector<double> wall, cpu;
  for (int i = 0; i < 7; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t start_cpu = std::clock();
    ours = Ssim(out_view, ref_view).value_or(-2);
    cpu.push_back(static_cast<double>(std::clock() - start_cpu) / CLOCKS_PER_SEC);
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  const double ours_s = wall[3], ours_cpu = cpu[3];

  bmptest::TempDir dir;
  for (const auto& [name, bytes] : {std::pair{"out", &out}, std::pair{"ref", &ref}}) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes->data()),
               static_cast<std::streamsize>(bytes->size()));
  }
  const bmptest::RunResult run = bmptest::Run(
      "/usr/bin/python3", {"-c", kScikit, std::to_string(side), dir / "out", dir / "ref"});
  double theirs_s = 0, theirs_cpu = 0, theirs = 0;
  if (run.exit_status != 0 ||
      std::sscanf(run.out.c_str(), "%lf %lf %lf", &theirs_s, &theirs_cpu, &theirs) != 3) {
    std::fprintf(stderr, "scikit-image did not run (python3-skimage):\n%s", run.err.c_str());
    return 1;
  }
  std::printf("%ux%u pair             wall ms    CPU ms  SSIM\n", side, side);
  std::printf("mae-check Ssim          %9.1f %9.1f  %.12f\n", ours_s * 1e3, ours_cpu * 1e3, ours);
  std::printf("structural_similarity   %9.1f %9.1f  %.12f\n", theirs_s * 1e3, theirs_cpu * 1e3,
              theirs);
  std::printf("scikit-image / mae-check %8.1f %9.1f\n", theirs_s / ours_s, theirs_cpu / ours_cpu);
  return std::abs(ours - theirs) <= 1e-6 ? 0 : 1;
}
