// Times mae-check --class on a class of STUDENTS x 10 cases of SIZE x SIZE
// pixels (each output its reference with small faults of its own; one
// student in thirty hands in 32-bit, top-down, palette or PNG files, in
// turn) against reading every file once (cat to /dev/null, page cache
// warm) and against a shell loop of single-folder `mae-check --json --ans`
// runs, one a student. With OTHER_MAE_CHECK (another build, say the one
// before a change), its --class runs are timed on the same class too.
//
//   class_run MAE_CHECK_PATH [STUDENTS] [SIZE] [OTHER_MAE_CHECK]
//   (defaults: 60 students, 512 pixels)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "png.h"
#include "testkit/bmp_bytes.h"
#include "testkit/bmp_formats.h"
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

// The file a student hands in: a 24-bit BMP, or for one student in thirty
// the same pixels in another format, the formats in turn (the palette
// student's picture cut to 216 colours first).
bmptest::Bytes HandIn(int student, std::uint32_t n, bmptest::Bytes pixels) {
  if (student % 30 != 29) {
    return bmptest::MakeBmp(n, n, pixels);
  }
  bmptest::Picture24 p{n, n, std::move(pixels)};
  switch ((student / 30) % 4) {
    case 0:
      return bmptest::Bmp32(p);
    case 1:
      return bmptest::TopDown24(p);
    case 2:
      for (unsigned char& byte : p.bgr) {
        byte = static_cast<unsigned char>(byte / 43 * 51);
      }
      return bmptest::Palette(p, 8);
    default:
      break;
  }
  mae::check::Picture rgb{n, n, std::vector<unsigned char>(p.bgr.size())};
  for (std::uint32_t y = 0; y < n; ++y) {
    for (std::uint32_t x = 0; x < n; ++x) {
      const unsigned char* in = p.at(x, n - 1 - y);
      unsigned char* out = &rgb.rgb[(std::size_t{y} * n + x) * 3];
      out[0] = in[2], out[1] = in[1], out[2] = in[0];
    }
  }
  std::string png;
  if (mae::check::EncodePng(rgb, &png)) {
    std::abort();
  }
  return bmptest::Bytes(png.begin(), png.end());
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
  std::vector<std::string> checks = {check};
  if (argc > 4) {
    checks.push_back(std::filesystem::absolute(argv[4]).string());
  }
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
      const bool png = s % 30 == 29 && (s / 30) % 4 == 3;
      const std::string path =
          dir / ("class/" + std::string(student) + "/" + kCaseNames[c] + (png ? ".png" : ".bmp"));
      bmptest::WriteFile(path, HandIn(s, n, std::move(output)));
      cat.push_back(path);
    }
  }
  const int runs = 5;
  std::printf(
      "%d students x 10 cases of %ux%u (%d of them in other formats), medians of %d runs after a "
      "warm-up run\n\n",
      students, n, n, (students + 1) / 30, runs);
  std::printf("| command | median ms | time / cat |\n|---|---:|---:|\n");
  const double floor = bench::Time(cat, runs).median_ms;
  std::printf("| cat of every file to /dev/null | %.1f | 1.00 |\n", floor);
  struct Row {
    std::string label;
    std::vector<std::string> args;
  };
  const std::string loop = "for s in '" + (dir / "class") + "'/*/; do '" + check +
                           "' --json --ans '" + (dir / "ref") + "' \"$s\" >/dev/null; done; true";
  std::vector<Row> rows;
  const std::vector<std::string> run = {"--class", dir / "class", "--ans", dir / "ref"};
  const auto add = [&](const std::string& label, const std::string& c,
                       std::vector<std::string> extra) {
    std::vector<std::string> args = {c};
    args.insert(args.end(), run.begin(), run.end());
    args.insert(args.end(), extra.begin(), extra.end());
    rows.push_back({label, args});
  };
  add("mae-check --class ROOT --ans REF --json", check, {"--json"});
  add("mae-check --class ROOT --ans REF --json --no-diagnosis", check,
      {"--json", "--no-diagnosis"});
  add("mae-check --class ROOT --ans REF --csv F", check, {"--csv", dir / "grades.csv"});
  if (checks.size() > 1) {
    // Page writing costs far more than grading: timed only to compare
    // two builds.
    add("mae-check --class ROOT --ans REF --reports DIR", check, {"--reports", dir / "reports0"});
    add("other build --class ROOT --ans REF --json", checks[1], {"--json"});
    add("other build --class ROOT --ans REF --reports DIR", checks[1],
        {"--reports", dir / "reports1"});
  }
  rows.push_back({"a shell loop of mae-check --json --ans REF STUDENT", {"/bin/sh", "-c", loop}});
  for (const Row& row : rows) {
    const bench::Timing t = bench::Time(row.args, runs);
    std::printf("| %s | %.1f | %.2f |\n", row.label.c_str(), t.median_ms, t.median_ms / floor);
    std::fflush(stdout);
  }
  return 0;
}
