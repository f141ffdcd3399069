// The two functions every fuzz target defines: libFuzzer calls them, and
// so does replay_main.cpp, which replays stored inputs as a test.
#ifndef MAE_FUZZ_ENTRY_H
#define MAE_FUZZ_ENTRY_H

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

#endif  // MAE_FUZZ_ENTRY_H
