// The class run's progress line on a terminal.
#ifndef MAE_CHECK_PROGRESS_LINE_H
#define MAE_CHECK_PROGRESS_LINE_H

#include <chrono>
#include <cstddef>

namespace mae::check {

// "graded 120 of 200 students", kept up to date in place on a terminal at
// most ten times a second; nothing when standard error is not a terminal.
// The line is cleared when it goes.
class Progress {
 public:
  explicit Progress(std::size_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Graded(std::size_t done);

 private:
  std::size_t total_;
  bool shown_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace mae::check

#endif  // MAE_CHECK_PROGRESS_LINE_H
