// Running independent jobs on several threads.
#ifndef MAE_CHECK_PARALLEL_FOR_H
#define MAE_CHECK_PARALLEL_FOR_H

#include <cstddef>
#include <functional>

namespace mae::check {

// Calls job(i) for every i below `count`, on up to `threads` threads (0:
// one per processor), each thread taking the next job not yet taken. An
// exception thrown by a job (out of memory) stops the others and reaches
// the caller, as it would without threads. When no more threads can be
// started, fewer do the same work.
void ParallelFor(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& job);

}  // namespace mae::check

#endif  // MAE_CHECK_PARALLEL_FOR_H
