// The comparison of files where only the library can reach: a file that
// shrinks while it is compared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <thread>

#include "compare.h"
#include "sigbus_guard.h"
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

// A one-shot handler of another library (SA_SIGINFO, reset on delivery):
// it notes the fault on a pipe and returns, so that the repeated access
// ends the process.
int g_note_fd = -1;
void NoteSigbus(int, siginfo_t*, void*) {
  const char x = 'x';
  (void)!::write(g_note_fd, &x, 1);
}

std::atomic<bool> g_guard_running{false};
void WaitForever(void*) {
  g_guard_running = true;
  for (;;) {
    ::pause();
  }
}

TEST(SigbusGuard, HandsAFaultOutsideItsCallsToThePreviousHandlerOnce) {
  int notes[2];
  ASSERT_EQ(::pipe(notes), 0);
  TempDir dir;
  WriteFile(dir / "f", Bytes(8192, 1));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    g_note_fd = notes[1];
    struct sigaction note {};
    note.sa_sigaction = NoteSigbus;
    note.sa_flags = static_cast<int>(SA_SIGINFO | SA_RESETHAND);
    sigemptyset(&note.sa_mask);
    ::sigaction(SIGBUS, &note, nullptr);
    // A guarded call runs on another thread, so the guard's handler is in
    // place when this thread reads past the end of a shrunk mapping.
    std::thread([] { RunCatchingSigbus(WaitForever, nullptr); }).detach();
    while (!g_guard_running) {
      std::this_thread::yield();
    }
    const int fd = ::open((dir / "f").c_str(), O_RDONLY);
    void* map = ::mmap(nullptr, 8192, PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED || ::truncate((dir / "f").c_str(), 10) != 0) {
      ::_exit(3);
    }
    const volatile char* past_end = static_cast<const char*>(map) + 4096;
    (void)*past_end;
    ::_exit(4);  // not reached: the fault ends the process
  }
  ::close(notes[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  char seen[8];
  const ssize_t n = ::read(notes[0], seen, sizeof seen);
  ::close(notes[0]);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS) << status;
  EXPECT_EQ(n, 1);  // called once, not twice
}

}  // namespace
