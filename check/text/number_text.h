// Numbers written the way MAE writes them, and the digits it takes to
// tell two of them apart.
#ifndef MAE_CHECK_NUMBER_TEXT_H
#define MAE_CHECK_NUMBER_TEXT_H

#include <cstdint>
#include <string>

namespace mae::check {

// A value as MAE prints it: six significant digits ("2.06912", "3.33333e-07").
std::string SixDigits(double value);
// A value with `digits` significant digits, in the same notation.
std::string NumberText(double value, int digits);

// The significant digits that tell `mae` from `max` apart: 6, or as many
// more as it takes when six would print two different values alike.
int DigitsToTell(double mae, double max);

// The shortest text that reads back as the same double: whole numbers as
// such ("10", not "1e+01"), others with as few digits as it takes.
std::string ShortestText(double value);

// The share of differing pixels: "0%", "<0.01%", "12.34%".
std::string PercentText(std::uint64_t part, std::uint64_t whole);

}  // namespace mae::check

#endif  // MAE_CHECK_NUMBER_TEXT_H
