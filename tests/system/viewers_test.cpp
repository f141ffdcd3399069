// What WriteBMP writes, as other programs read it: ImageMagick and Pillow
// (each where installed) must see exactly the written pixels, at widths
// whose rows need padding and widths whose rows do not.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmp_reader.h"
#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;

// The picture's RGB bytes, top row first, as a program outside prints them.
struct Viewer {
  const char* name;
  std::string program;
  std::vector<std::string> args;  // the file's path is appended
};

TEST(Viewers, ReadWhatWriteBmpWritesPixelForPixel) {
  const Viewer viewers[] = {
      {"ImageMagick", "/usr/bin/convert", {"-depth", "8"}},
      {"Pillow",
       "/usr/bin/python3",
       {"-c",
        "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "sys.stdout.buffer.write(im.convert('RGB').tobytes())"}},
  };
  int ran = 0;
  for (const std::uint32_t width : {1u, 2u, 3u, 5u, 333u, 4u}) {
    SCOPED_TRACE("width " + std::to_string(width));
    const std::uint32_t height = 3;
    bmptest::TempDir dir;
    const Bytes pixels =
        bmptest::MakePixels(width, height, [](std::size_t i) { return i * 29 + 7; });
    bmptest::WriteFile(dir / "in.bmp", bmptest::MakeBmp(width, height, pixels));
    BmpReader reader;
    std::int32_t w = 0, h = 0;
    testing::internal::CaptureStdout();
    const BmpBlock block(reader.ReadBMP((dir / "in.bmp").c_str(), &w, &h));
    const std::int32_t written = reader.WriteBMP((dir / "out.bmp").c_str(), w, h, block.get());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(written, 0);
    // Read back by ReadBMP unchanged.
    BmpReader again;
    testing::internal::CaptureStdout();
    const BmpBlock back(again.ReadBMP((dir / "out.bmp").c_str(), &w, &h));
    testing::internal::GetCapturedStdout();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Bytes(back.get(), back.get() + pixels.size()), pixels);
    // The same pixels, top row first, red green blue.
    Bytes rgb;
    for (std::uint32_t y = 0; y < height; ++y) {
      const unsigned char* row = &pixels[std::size_t{height - 1 - y} * width * 3];
      for (std::uint32_t x = 0; x < width; ++x) {
        rgb.insert(rgb.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
      }
    }
    for (const Viewer& v : viewers) {
      if (::access(v.program.c_str(), X_OK) != 0) {
        continue;
      }
      std::vector<std::string> args = v.args;
      args.push_back(dir / "out.bmp");
      if (v.program.find("convert") != std::string::npos) {
        args.push_back("rgb:-");
      }
      const bmptest::RunResult r = bmptest::Run(v.program, args);
      if (r.err.find("No module named") != std::string::npos) {
        continue;  // python3 without Pillow
      }
      ++ran;
      EXPECT_EQ(r.exit_status, 0) << v.name << ": " << r.err;
      EXPECT_EQ(Bytes(r.out.begin(), r.out.end()), rgb) << v.name;
    }
  }
  if (ran == 0) {
    GTEST_SKIP() << "neither ImageMagick nor Pillow is installed";
  }
}

}  // namespace
