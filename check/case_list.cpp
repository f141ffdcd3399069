#include "case_list.h"

#include <cstddef>
#include <filesystem>

#include "MAE.h"

namespace {

constexpr std::size_t kCaseCount = sizeof output_name / sizeof output_name[0];

std::string Join(const std::string& dir, const char* name) {
  if (dir.empty() || dir == ".") {
    return name;
  }
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

}  // namespace

std::vector<Case> TenCases(const std::string& dir, const std::optional<std::string>& refs) {
  std::vector<Case> cases;
  for (std::size_t i = 0; i < kCaseCount; ++i) {
    std::string name = output_name[i];
    name.erase(name.rfind(".bmp"));
    cases.push_back({name, Join(dir, output_name[i]),
                     refs ? Join(*refs, output_name[i]) : Join(dir, ans_name[i])});
  }
  return cases;
}

Case OnePair(const std::string& output, const std::string& reference) {
  std::string name = std::filesystem::path(output).filename().string();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
    name.erase(name.size() - 4);
  }
  return {name.empty() ? "output" : name, output, reference};
}
