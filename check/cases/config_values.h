// The checks of one value of a configuration file against its model: each
// reads the value into *out, or returns what is wrong, starting with where
// the value is ("ex.toml:3: case.mae: 300 is out of range (0 to 255)").
#ifndef MAE_CHECK_CONFIG_VALUES_H
#define MAE_CHECK_CONFIG_VALUES_H

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "config_tree.h"
#include "ssim.h"

namespace mae::check {

// The largest side or place a rectangle or border may have.
inline constexpr std::int64_t kMostSide = std::numeric_limits<std::int32_t>::max();

// A number, as "%g" writes it.
std::string Shortest(double value);
// The problem "WHERE: expected WHAT, not a string".
[[nodiscard]] Problem Expected(const ConfigValue& v, const std::string& what);
// A number (whole or not) from `low` to `high` (infinite: no bound).
[[nodiscard]] Problem Number(const ConfigValue& v, double low, double high, double* out);
// A whole number from `low` to `high`.
[[nodiscard]] Problem Whole(const ConfigValue& v, std::int64_t low, std::int64_t high,
                            std::int64_t* out);
[[nodiscard]] Problem Text(const ConfigValue& v, std::string* out);
// A relative path that stays below its folder: not absolute, no empty,
// "." or ".." part, no NUL.
[[nodiscard]] Problem RelativePath(const ConfigValue& v, std::string* out);
// A file name: RelativePath without '/'.
[[nodiscard]] Problem FileName(const ConfigValue& v, std::string* out);
[[nodiscard]] Problem Flag(const ConfigValue& v, bool* out);
// An array of [x, y, width, height] rectangles inside 2^31 - 1.
[[nodiscard]] Problem Rectangles(const ConfigValue& v, std::vector<PixelRect>* out);

}  // namespace mae::check

#endif  // MAE_CHECK_CONFIG_VALUES_H
