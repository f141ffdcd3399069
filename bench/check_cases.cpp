// Times mae-check on ten 1024 x 1024 test cases (every one failing) against
// what a grader would otherwise run: MAE once per case, ten processes in a
// row. Also times the JSON output with and without the diagnoses, with the
// RMSE and PSNR and with the SSIM, and the HTML report with its pictures.
//
//   check_cases MAE_PATH MAE_CHECK_PATH [SIZE]   (default size: 1024)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "pairs.h"
#include "testkit/case_names.h"
#include "timing.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MAE_PATH MAE_CHECK_PATH [SIZE]\n", argv[0]);
    return 2;
  }
  const std::string mae = std::filesystem::absolute(argv[1]).string();
  const std::string check = std::filesystem::absolute(argv[2]).string();
  const auto n = static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1024);
  const auto& names = bmptest::kCaseNames;

  // Each case's output differs from its reference in scattered bytes.
  bmptest::TempDir dir;
  const std::string cases = dir / "cases";
  std::filesystem::create_directories(cases + "/ANS");
  WritePair(dir / "pair", n);
  std::vector<std::vector<std::string>> one_by_one;
  for (const char* name : names) {
    const std::string output = cases + "/" + name + ".bmp";
    const std::string reference = cases + "/ANS/" + name + ".bmp";
    std::filesystem::copy_file(dir / "pair/B.bmp", output);
    std::filesystem::copy_file(dir / "pair/A.bmp", reference);
    one_by_one.push_back({mae, output, reference});
  }
  const int runs = 15;
  std::printf("ten %ux%u cases, medians of %d runs after a warm-up run\n\n", n, n, runs);
  std::printf("| command | median ms | time / ten MAE runs |\n|---|---:|---:|\n");
  const double ten = bench::TimeSequence(one_by_one, runs);
  std::printf("| MAE OUTPUT REFERENCE, ten times | %.1f | 1.00 |\n", ten);
  struct Row {
    const char* label;
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {"mae-check DIR", {check, cases}},
      {"mae-check --json DIR", {check, "--json", cases}},
      {"mae-check --json --no-diagnosis DIR", {check, "--json", "--no-diagnosis", cases}},
      {"mae-check --json --metrics rmse,psnr DIR",
       {check, "--json", "--metrics", "rmse,psnr", cases}},
      {"mae-check --json --metrics ssim DIR", {check, "--json", "--metrics", "ssim", cases}},
      {"mae-check --diff FOLDER DIR", {check, "--diff", dir / "diff", cases}},
      {"mae-check --report FILE DIR", {check, "--report", dir / "report.html", cases}},
  };
  for (const Row& row : rows) {
    const bench::Timing t = bench::Time(row.args, runs);
    std::printf("| %s | %.1f | %.2f |\n", row.label, t.median_ms, t.median_ms / ten);
    std::fflush(stdout);
  }
  return 0;
}
