// The executable as users meet it: real files in a temporary folder, the
// whole standard output, nothing on standard error, and the exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "support/bmp_file.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::MakePixels;
using bmptest::TempDir;
using bmptest::WriteFile;

struct CliCase {
  const char* name;
  // Writes the case's files into the folder; returns the operands and the
  // expected standard output.
  std::function<std::pair<std::vector<std::string>, std::string>(const TempDir&)> setup;
};

Bytes Image(std::uint32_t w, std::uint32_t h, unsigned char value) {
  return MakeBmp(w, h, Bytes(std::size_t{w} * h * 3, value));
}

Bytes Ramp(std::uint32_t w, std::uint32_t h) {
  return MakeBmp(w, h, MakePixels(w, h, [](std::size_t i) { return i * 31 % 256; }));
}

std::string Error(const std::string& path, const char* what) {
  return " Error: " + path + " " + what + "\n";
}

const char kWarning[] = " Warning: The size of 2 images is not the same!\n";

TEST(Cli, PrintsOneLineForEveryCase) {
  const CliCase cases[] = {
      {"identical",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Ramp(8, 5));
         WriteFile(d / "b.bmp", Ramp(8, 5));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 0\n"));
       }},
      {"same file twice",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Ramp(3, 3));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "a.bmp"},
                               std::string("MAE = 0\n"));
       }},
      {"all zero against all 255",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(4, 4, 0));
         WriteFile(d / "b.bmp", Image(4, 4, 255));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 255\n"));
       }},
      {"one byte off by 30 in 12",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", MakeBmp(4, 1, Bytes(12, 100)));
         Bytes b(12, 100);
         b[7] = 70;
         WriteFile(d / "b.bmp", MakeBmp(4, 1, b));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 2.5\n"));
       }},
      {"one third",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", MakeBmp(1, 1, {0, 0, 0}));
         WriteFile(d / "b.bmp", MakeBmp(1, 1, {0, 1, 0}));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 0.333333\n"));
       }},
      {"a third of a millionth in exponent notation",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1000, 1000, 7));
         Bytes b = Image(1000, 1000, 7);
         b[54 + 123456] = 8;
         WriteFile(d / "b.bmp", b);
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 3.33333e-07\n"));
       }},
      {"different heights warn and compare the shared rows",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", MakeBmp(1, 2, {10, 10, 10, 0, 0, 0}));
         WriteFile(d / "b.bmp", MakeBmp(1, 1, {12, 12, 12}));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string(kWarning) + "MAE = 2\n");
       }},
      {"different widths warn",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(3, 2, 1));
         WriteFile(d / "b.bmp", Image(5, 2, 4));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string(kWarning) + "MAE = 3\n");
       }},
      {"empty common area prints a negative NaN",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(0, 3, 0));
         WriteFile(d / "b.bmp", Image(2, 3, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string(kWarning) + "MAE = -nan\n");
       }},
      {"two zero-width images of the same height",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(0, 5, 0));
         WriteFile(d / "b.bmp", Image(0, 5, 9));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = -nan\n"));
       }},
      {"two zero-height images of the same width",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(7, 0, 0));
         WriteFile(d / "b.bmp", Image(7, 0, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = -nan\n"));
       }},
      {"standard files with padded rows",
       [](const TempDir& d) {
         // 1 pixel a row: 3 bytes and 1 of padding, which must not count.
         WriteFile(d / "a.bmp", MakeBmp(1, 2, {10, 10, 10, 0, 20, 20, 20, 0}));
         WriteFile(d / "b.bmp", MakeBmp(1, 2, {13, 13, 13, 99, 20, 20, 20, 99}));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               std::string("MAE = 1.5\n"));
       }},
      {"too wide",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", MakeBmp(0x80000000u, 1, Bytes(8, 0)));
         WriteFile(d / "b.bmp", Image(1, 1, 0));
         return std::make_pair(
             std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
             Error(d / "a.bmp", "is wider than 2147483647 pixels, which is not supported.") +
                 "MAE = -1\n");
       }},
      {"no signature and not 24 bits",
       [](const TempDir& d) {
         Bytes rgba = MakeBmp(1, 1, Bytes(4, 0), 32);
         rgba[0] = 'G';  // no signature, and a depth that cannot be compared
         WriteFile(d / "b.bmp", rgba);
         WriteFile(d / "c.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{d / "c.bmp", d / "b.bmp"},
                               Error(d / "b.bmp", "is not a BMP file.") + "MAE = -1\n");
       }},
      {"missing first image",
       [](const TempDir& d) {
         WriteFile(d / "b.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               Error(d / "a.bmp", "not exist.") + "MAE = -1\n");
       }},
      {"two missing images, first path first",
       [](const TempDir& d) {
         return std::make_pair(
             std::vector<std::string>{d / "x.bmp", d / "y.bmp"},
             Error(d / "x.bmp", "not exist.") + Error(d / "y.bmp", "not exist.") + "MAE = -1\n");
       }},
      {"empty operand is a missing file",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", ""},
                               Error("", "not exist.") + "MAE = -1\n");
       }},
      {"directory",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{d.path().string(), d / "a.bmp"},
                               Error(d.path().string(), "is not a regular file.") + "MAE = -1\n");
       }},
      {"fifo without a writer does not block",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         ::mkfifo((d / "fifo").c_str(), 0600);
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "fifo"},
                               Error(d / "fifo", "is not a regular file.") + "MAE = -1\n");
       }},
      {"devices are not regular files",
       [](const TempDir&) {
         return std::make_pair(std::vector<std::string>{"/dev/zero", "/dev/urandom"},
                               Error("/dev/zero", "is not a regular file.") +
                                   Error("/dev/urandom", "is not a regular file.") + "MAE = -1\n");
       }},
      {"/dev/null",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{"/dev/null", d / "a.bmp"},
                               Error("/dev/null", "is not a regular file.") + "MAE = -1\n");
       }},
      {"too short",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         WriteFile(d / "b.bmp", Bytes(29, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               Error(d / "b.bmp", "is too short to be a BMP file.") + "MAE = -1\n");
       }},
      {"top-down",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         WriteFile(d / "b.bmp", MakeBmp(1, 0xFFFFFFFFu, Bytes(3, 0)));
         return std::make_pair(
             std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
             Error(d / "b.bmp", "is a top-down BMP, which is not supported.") + "MAE = -1\n");
       }},
      {"truncated pixel data",
       [](const TempDir& d) {
         Bytes cut = Image(4, 4, 0);
         cut.pop_back();
         WriteFile(d / "a.bmp", cut);
         WriteFile(d / "b.bmp", Image(4, 4, 0));
         return std::make_pair(
             std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
             Error(d / "a.bmp", "holds less pixel data than its header declares.") + "MAE = -1\n");
       }},
      {"32-bit image",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         WriteFile(d / "b.bmp", MakeBmp(1, 1, Bytes(4, 0), 32));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp"},
                               Error(d / "b.bmp", "is not a 24-bit image.") + "MAE = -1\n");
       }},
      {"a third operand is ignored",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", MakeBmp(4, 1, Bytes(12, 0)));
         WriteFile(d / "b.bmp", MakeBmp(4, 1, Bytes(12, 2)));
         return std::make_pair(std::vector<std::string>{d / "a.bmp", d / "b.bmp", d / "nope"},
                               std::string("MAE = 2\n"));
       }},
      {"one operand prints nothing",
       [](const TempDir& d) {
         WriteFile(d / "a.bmp", Image(1, 1, 0));
         return std::make_pair(std::vector<std::string>{d / "a.bmp"}, std::string());
       }},
      {"no operand prints nothing",
       [](const TempDir&) { return std::make_pair(std::vector<std::string>{}, std::string()); }},
  };
  for (const CliCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const auto [args, expected] = c.setup(dir);
    const bmptest::RunResult r = bmptest::Run(MAE_EXE, args);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, 0);
  }
}

}  // namespace
