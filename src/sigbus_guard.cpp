#include "sigbus_guard.h"

#ifdef __EMSCRIPTEN__

namespace mae {

// WebAssembly has no signals, and a file there is memory the page holds:
// no mapping can shrink under a read.
const void* RunCatchingSigbus(void (*fn)(void*), void* context) {
  fn(context);
  return nullptr;
}

}  // namespace mae

#else

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace mae {

namespace {

// The jump target of the call running on this thread, and where it faulted.
thread_local sigjmp_buf* t_jump = nullptr;
thread_local const void* t_fault = nullptr;

std::mutex g_mutex;
int g_calls = 0;                 // calls running, on any thread
struct sigaction g_previous {};  // the handler before the first of them

void OnSigbus(int signal, siginfo_t* info, void* ucontext) {
  if (t_jump != nullptr) {
    t_fault = info->si_addr;
    siglongjmp(*t_jump, 1);
  }
  // Not a read of ours: put the previous handler back, and let it have the
  // signal once. A fault repeats its access when this handler returns, and
  // that repeat goes where it would have gone. A signal that was sent (kill,
  // raise) is not repeated: send it again; it waits, blocked, until this
  // handler returns.
  (void)ucontext;
  sigaction(SIGBUS, &g_previous, nullptr);
  if (info->si_code <= 0) {
    raise(signal);
  }
}

void Install() {
  const std::lock_guard<std::mutex> lock(g_mutex);
  if (g_calls++ == 0) {
    struct sigaction action {};
    action.sa_sigaction = OnSigbus;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
  }
}

void Uninstall() {
  const std::lock_guard<std::mutex> lock(g_mutex);
  if (--g_calls == 0) {
    sigaction(SIGBUS, &g_previous, nullptr);
  }
}

}  // namespace

const void* RunCatchingSigbus(void (*fn)(void*), void* context) {
  Install();
  sigjmp_buf jump;
  t_fault = nullptr;
  // Saves the signal mask, which siglongjmp then puts back.
  if (sigsetjmp(jump, 1) == 0) {
    t_jump = &jump;
    fn(context);
  }
  t_jump = nullptr;
  const void* fault = t_fault;
  Uninstall();
  return fault;
}

}  // namespace mae

#endif  // __EMSCRIPTEN__
