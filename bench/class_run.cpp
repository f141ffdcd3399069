// Times mae-check --class on a class of 60 students x 10 cases of 512 x 512
// pixels (each output its reference with small faults of its own) against
// reading every file once (cat to /dev/null, page cache warm) and against a
// shell loop of single-folder `mae-check --json --ans` runs, one a student.
//
//   class_run MAE_CHECK_PATH [STUDENTS] [SIZE]   (defaults: 60, 512)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/case_names.h"
#include "testkit/temp_dir.h"
#include "timing.h"

namespace {

using bmptest::kCaseNames;

// A smooth picture with a little noise, different for every seed.
bmptest::Bytes Picture(std::uint32_t n, std::uint32_t seed) {
  bmptest::Bytes pixels(std::size_t{n} * n * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::size_t x = (i / 3) % n;
    const std::size_t y = (i / 3) / n;
    pixels[i] = static_cast<unsigned char>(x * (seed + 1) * 255 / n + y * 127 / n + (i % 3) * 60 +
                                           ((i * 2654435761u) >> 29));
  }
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MAE_CHECK_PATH [STUDENTS] [SIZE]\n", argv[0]);
    return 2;
  }
  const std::string check = std::filesystem::absolute(argv[1]).string();
  const int students = argc > 2 ? std::atoi(argv[2]) : 60;
  const auto n = static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 512);
  bmptest::TempDir dir;
  std::vector<std::string> cat = {"/bin/cat"};
  for (std::uint32_t c = 0; c < 10; ++c) {
    const bmptest::Bytes reference = Picture(n, c);
    const std::string ref_path = dir / ("ref/" + std::string(kCaseNames[c]) + ".bmp");
    bmptest::WriteFile(ref_path, bmptest::MakeBmp(n, n, reference));
    cat.push_back(ref_path);
    for (int s = 0; s < students; ++s) {
      bmptest::Bytes output = reference;
      // Student s gets a fault of its own: every (s + 7)th byte off by s % 5.
      for (std::size_t i = static_cast<std::size_t>(s); i < output.size();
           i += 7 + static_cast<std::size_t>(s)) {
        output[i] = static_cast<unsigned char>(output[i] + s % 5);
      }
      char student[16];
      std::snprintf(student, sizeof student, "s%03d", s);
      const std::string path =
          dir / ("class/" + std::string(student) + "/" + kCaseNames[c] + ".bmp");
      bmptest::WriteFile(path, bmptest::MakeBmp(n, n, output));
      cat.push_back(path);
    }
  }
  const int runs = 5;
  std::printf("%d students x 10 cases of %ux%u, medians of %d runs after a warm-up run\n\n",
              students, n, n, runs);
  std::printf("| command | median ms | time / cat |\n|---|---:|---:|\n");
  const double floor = bench::Time(cat, runs).median_ms;
  std::printf("| cat of every file to /dev/null | %.1f | 1.00 |\n", floor);
  struct Row {
    const char* label;
    std::vector<std::string> args;
  };
  const std::string loop = "for s in '" + (dir / "class") + "'/*/; do '" + check +
                           "' --json --ans '" + (dir / "ref") + "' \"$s\" >/dev/null; done; true";
  const Row rows[] = {
      {"mae-check --class ROOT --ans REF --csv F",
       {check, "--class", dir / "class", "--ans", dir / "ref", "--csv", dir / "grades.csv"}},
      {"a shell loop of mae-check --json --ans REF STUDENT", {"/bin/sh", "-c", loop}},
  };
  for (const Row& row : rows) {
    const bench::Timing t = bench::Time(row.args, runs);
    std::printf("| %s | %.1f | %.2f |\n", row.label, t.median_ms, t.median_ms / floor);
    std::fflush(stdout);
  }
  return 0;
}
