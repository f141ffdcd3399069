// The executable as users meet it: real files in a temporary folder, the
// whole standard output, nothing on standard error, and the exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::Ramp;
using bmptest::TempDir;
using bmptest::WriteFile;

Bytes Image(std::uint32_t w, std::uint32_t h, unsigned char value) {
  return MakeBmp(w, h, Bytes(std::size_t{w} * h * 3, value));
}

Bytes OneByteOff(std::uint32_t w, std::uint32_t h, unsigned char value, std::size_t at, int by) {
  Bytes b = Image(w, h, value);
  b[54 + at] = static_cast<unsigned char>(b[54 + at] + by);
  return b;
}

Bytes WithoutLastByte(Bytes b) {
  b.pop_back();
  return b;
}

Bytes Appended(Bytes b, std::size_t n) {
  b.resize(b.size() + n, 0x77);
  return b;
}

Bytes NoSignature(Bytes b) {
  b[0] = 'G';
  return b;
}

// 40 bytes of another format: its signature, then zeros.
Bytes Signed(const std::string& signature) {
  Bytes b(signature.begin(), signature.end());
  b.resize(40, 0);
  return b;
}

// An 8-bit 4 x 2 picture whose header says RLE8 (compression 1).
Bytes RleBmp() {
  Bytes b = MakeBmp(4, 2, {0, 4, 0, 4, 0, 1}, 8);
  bmptest::PutLe(b, 30, 1, 4);
  return b;
}

// In operands and the expected output, @a and @b stand for the paths of
// a.bmp and b.bmp in the case's folder, @d for the folder itself.
struct CliCase {
  const char* name;
  std::optional<Bytes> a;  // written as a.bmp when given
  std::optional<Bytes> b;  // written as b.bmp when given
  std::string expected;    // the whole standard output
  std::vector<std::string> operands = {"@a", "@b"};
};

std::string Expand(std::string text, const TempDir& d) {
  for (const auto& [token, path] : {std::pair<std::string, std::string>{"@a", d / "a.bmp"},
                                    {"@b", d / "b.bmp"},
                                    {"@d", d.path().string()}}) {
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + path.size())) {
      text.replace(at, token.size(), path);
    }
  }
  return text;
}

const std::string kWarning = " Warning: The size of 2 images is not the same!\n";
const std::string kFailed = "MAE = -1\n";

TEST(Cli, PrintsOneLineForEveryCase) {
  const std::nullopt_t none = std::nullopt;
  const Bytes one = Image(1, 1, 0);
  const CliCase cases[] = {
      {"identical", Ramp(8, 5), Ramp(8, 5), "MAE = 0\n"},
      {"same file twice", Ramp(3, 3), none, "MAE = 0\n", {"@a", "@a"}},
      {"all zero against all 255", Image(4, 4, 0), Image(4, 4, 255), "MAE = 255\n"},
      {"one byte off by 30 in 12", Image(4, 1, 100), OneByteOff(4, 1, 100, 4, 30), "MAE = 2.5\n"},
      {"one third", MakeBmp(1, 1, {0, 0, 0}), MakeBmp(1, 1, {0, 1, 0}), "MAE = 0.333333\n"},
      {"a third of a millionth", Image(1000, 1000, 7), OneByteOff(1000, 1000, 7, 5, 1),
       "MAE = 3.33333e-07\n"},  //
      {"different heights warn", MakeBmp(1, 2, {10, 10, 10, 0, 0, 0}), MakeBmp(1, 1, {12, 12, 12}),
       kWarning + "MAE = 2\n"},  //
      {"different widths warn", Image(3, 2, 1), Image(5, 2, 4), kWarning + "MAE = 3\n"},
      {"empty common area", Image(0, 3, 0), Image(2, 3, 0), kWarning + "MAE = -nan\n"},
      {"two zero-width images", Image(0, 5, 0), Image(0, 5, 9), "MAE = -nan\n"},
      {"two zero-height images", Image(7, 0, 0), Image(7, 0, 0), "MAE = -nan\n"},
      // 1 pixel a row: 3 bytes and 1 of padding, which must not count.
      {"padded rows", MakeBmp(1, 2, {10, 10, 10, 0, 20, 20, 20, 0}),
       MakeBmp(1, 2, {13, 13, 13, 99, 20, 20, 20, 99}), "MAE = 1.5\n"},  //
      {"too wide", MakeBmp(0x80000000u, 1, Bytes(8, 0)), one,
       " Error: @a is wider than 2147483647 pixels, which is not supported.\n" + kFailed},
      {"no signature and not 24 bits", one, NoSignature(MakeBmp(1, 1, Bytes(4, 0), 32)),
       " Error: @b is not a BMP file.\n" + kFailed},
      {"missing first image", none, one, " Error: @a not exist.\n" + kFailed},
      {"two missing images, first path first", none, none,
       " Error: @a not exist.\n Error: @b not exist.\n" + kFailed},
      {"empty operand is a missing file", one, none, " Error:  not exist.\n" + kFailed, {"@a", ""}},
      {"directory", one, none, " Error: @d is not a regular file.\n" + kFailed, {"@d", "@a"}},
      {"devices are not regular files",
       none,
       none,
       " Error: /dev/zero is not a regular file.\n Error: /dev/urandom is not a regular file.\n" +
           kFailed,
       {"/dev/zero", "/dev/urandom"}},
      {"/dev/null",
       one,
       none,
       " Error: /dev/null is not a regular file.\n" + kFailed,
       {"/dev/null", "@a"}},
      {"too short", one, Bytes(29, 0), " Error: @b is too short to be a BMP file.\n" + kFailed},
      {"top-down", one, MakeBmp(1, 0xFFFFFFFFu, Bytes(3, 0)),
       " Error: @b is a top-down BMP, which is not supported.\n" + kFailed},
      {"truncated pixel data", WithoutLastByte(Image(4, 4, 0)), Image(4, 4, 0),
       " Error: @a holds less pixel data than its header declares.\n" + kFailed},
      {"bytes after unpadded rows", Appended(Ramp(4, 3), 9), Ramp(4, 3), "MAE = 0\n"},
      {"OS/2 header", one, bmptest::WithInfoSize(one, 12),
       " Error: @b has an OS/2 header, which is not supported.\n" + kFailed},
      {"32-bit image", one, MakeBmp(1, 1, Bytes(4, 0), 32),
       " Error: @b is a 32-bit image, which is not supported.\n" + kFailed},
      {"RLE8 pixels", one, RleBmp(),
       " Error: @b is RLE-compressed, which is not supported.\n" + kFailed},
      {"a PNG file", one, Signed("\x89PNG\r\n\x1a\n"),
       " Error: @b is a PNG file, not a BMP file.\n" + kFailed},
      {"a GIF file", Signed("GIF89a"), one,
       " Error: @a is a GIF file, not a BMP file.\n" + kFailed},
      {"a third operand is ignored",
       Image(4, 1, 0),
       Image(4, 1, 2),
       "MAE = 2\n",
       {"@a", "@b", "@d/nope"}},
      {"one operand prints nothing", one, none, "", {"@a"}},
      {"no operand prints nothing", none, none, "", {}},
  };
  for (const CliCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.a) {
      WriteFile(dir / "a.bmp", *c.a);
    }
    if (c.b) {
      WriteFile(dir / "b.bmp", *c.b);
    }
    std::vector<std::string> args;
    for (const std::string& operand : c.operands) {
      args.push_back(Expand(operand, dir));
    }
    const bmptest::RunResult r = bmptest::Run(MAE_EXE, args);
    EXPECT_EQ(r.out, Expand(c.expected, dir));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exit_status, 0);
  }
}

TEST(Cli, AFifoWithoutAWriterDoesNotBlock) {
  TempDir dir;
  WriteFile(dir / "a.bmp", Image(1, 1, 0));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const bmptest::RunResult r = bmptest::Run(MAE_EXE, {dir / "a.bmp", dir / "fifo"});
  EXPECT_EQ(r.out, " Error: " + (dir / "fifo") + " is not a regular file.\n" + kFailed);
}

}  // namespace
