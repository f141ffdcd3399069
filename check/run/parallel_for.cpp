#include "parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace mae::check {

void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& job) {
  if (threads == 0) {
    threads = std::thread::hardware_concurrency();
  }
  threads = std::max(1u, static_cast<unsigned>(std::min<std::size_t>(threads, count)));
  std::atomic<std::size_t> next{0};
  std::mutex failure_mutex;
  std::exception_ptr failure;
  auto work = [&] {
    try {
      for (std::size_t i = next++; i < count; i = next++) {
        job(i);
      }
    } catch (...) {
      next = count;
      const std::lock_guard<std::mutex> lock(failure_mutex);
      failure = std::current_exception();
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had
    }
  }
  work();
  for (std::thread& worker : workers) {
    worker.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace mae::check
