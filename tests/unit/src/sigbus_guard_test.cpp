// The SIGBUS guard and the handlers of others: a fault it does not own
// goes to the handler that was there before, once.
#include "sigbus_guard.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "testkit/bmp_bytes.h"
#include "testkit/temp_dir.h"

namespace {

using namespace mae;

using bmptest::Bytes;
using bmptest::TempDir;
using bmptest::WriteFile;

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
