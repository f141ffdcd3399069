// Tables kept one row per value of an enum, in the enum's order: checked
// when the program is built, and looked up by the value.
#ifndef MAE_ENUM_TABLE_H
#define MAE_ENUM_TABLE_H

#include <cstddef>

namespace mae {

// Row i of `rows` holds the value i in its `key` member.
template <typename Row, std::size_t N, typename Enum>
constexpr bool InEnumOrder(const Row (&rows)[N], Enum Row::*key) {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(rows[i].*key) != i) {
      return false;
    }
  }
  return true;
}

// The row of `value`, or the first row for a value past the table.
template <typename Row, std::size_t N, typename Enum>
constexpr const Row& RowFor(const Row (&rows)[N], Enum value) {
  const auto index = static_cast<std::size_t>(value);
  return index < N ? rows[index] : rows[0];
}

}  // namespace mae

#endif  // MAE_ENUM_TABLE_H
