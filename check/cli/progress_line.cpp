#include "progress_line.h"

#include <unistd.h>

#include <cstdio>

namespace mae::check {

Progress::Progress(std::size_t total) : total_(total), shown_(::isatty(2) == 1) {}

Progress::~Progress() {
  if (shown_ && drawn_) {
    std::fputs("\r\033[K", stderr);
  }
}

void Progress::Graded(std::size_t done) {
  const auto now = std::chrono::steady_clock::now();
  if (!shown_ || (drawn_ && now - last_ < std::chrono::milliseconds(100))) {
    return;
  }
  std::fprintf(stderr, "\rgraded %zu of %zu students", done, total_);
  last_ = now;
  drawn_ = true;
}

}  // namespace mae::check
