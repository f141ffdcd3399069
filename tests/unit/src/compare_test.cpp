// The comparison of files where only the library can reach: a file that
// shrinks while it is compared.
#include "compare.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

using bmptest::Bytes;
using bmptest::MakeBmp;
using bmptest::TempDir;
using bmptest::WriteFile;

// A handler of the test's own, to see that the comparison leaves it in place
// and never calls it for a fault of its own.
volatile std::sig_atomic_t g_foreign_sigbus = 0;
void ForeignSigbus(int) {
  g_foreign_sigbus = 1;
}

TEST(CompareFiles, AFileThatShrinksUnderThePassIsAReadErrorNeverACrash) {
  struct Case {
    const char* name;
    bool shrink_second;
    bool figures;  // the per-row pass over mapped files
    bool visitor;  // the buffered pass
  };
  const Case cases[] = {
      {"first file, one run", false, false, false},
      {"second file, one run", true, false, false},
      {"first file, row by row with figures", false, true, false},
      {"second file, row by row with figures", true, true, false},
      {"second file, through buffers", true, false, true},
  };
  struct sigaction mine {};
  mine.sa_handler = ForeignSigbus;
  sigemptyset(&mine.sa_mask);
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGBUS, &mine, &before), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    // 256 x 64 pixels: 48 KiB, a dozen pages past the header's page.
    WriteFile(dir / "a.bmp", MakeBmp(256, 64, Bytes(256 * 64 * 3, 10)));
    WriteFile(dir / "b.bmp", MakeBmp(256, 64, Bytes(256 * 64 * 3, 20)));
    const std::string shrinking = dir / (c.shrink_second ? "b.bmp" : "a.bmp");
    CompareOptions options;
    options.figures = c.figures;
    // Called after both headers were checked, before any pixel is read.
    options.on_area = [&shrinking](std::uint64_t, std::uint64_t) {
      ASSERT_EQ(::truncate(shrinking.c_str(), 100), 0);
    };
    if (c.visitor) {
      options.visit = [](std::uint64_t, std::uint64_t, const unsigned char*, const unsigned char*,
                         std::size_t) {};
    }
    const Comparison r = CompareFiles((dir / "a.bmp").c_str(), (dir / "b.bmp").c_str(), options);
    EXPECT_EQ(r.state, CompareState::kFailedWhileComparing);
    EXPECT_EQ(r.mae(), -1.0);
    EXPECT_EQ(r.a.status, c.shrink_second ? BmpStatus::kOk : BmpStatus::kReadError);
    EXPECT_EQ(r.b.status, c.shrink_second ? BmpStatus::kReadError : BmpStatus::kOk);
  }
  // The handler found is the handler left, and it never saw these faults.
  struct sigaction after {};
  ASSERT_EQ(sigaction(SIGBUS, &before, &after), 0);
  EXPECT_EQ(after.sa_handler, &ForeignSigbus);
  EXPECT_EQ(g_foreign_sigbus, 0);
}

}  // namespace
