// FNV-1a, the hash behind the pixel hash of identical hand-ins and the
// short hash in over-long page names.
#ifndef MAE_CHECK_FNV1A_H
#define MAE_CHECK_FNV1A_H

#include <cstdint>
#include <string>

namespace mae::check {

inline constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
inline constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// One step: `value` (a byte, or a word of them) into `hash`.
constexpr std::uint64_t FnvStep(std::uint64_t hash, std::uint64_t value) {
  return (hash ^ value) * kFnvPrime;
}

// FNV-1a of the bytes of `text`.
inline std::uint64_t Fnv1a(const std::string& text) {
  std::uint64_t hash = kFnvOffset;
  for (const char ch : text) {
    hash = FnvStep(hash, static_cast<unsigned char>(ch));
  }
  return hash;
}

}  // namespace mae::check

#endif  // MAE_CHECK_FNV1A_H
