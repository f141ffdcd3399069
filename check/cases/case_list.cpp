#include "case_list.h"

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <utility>

#include "MAE.h"
#include "file_names.h"

namespace mae::check {

namespace {

constexpr std::size_t kCaseCount = sizeof output_name / sizeof output_name[0];

}  // namespace

std::vector<Case> TenCases(const std::string& dir, const std::optional<std::string>& refs) {
  std::vector<Case> cases;
  for (std::size_t i = 0; i < kCaseCount; ++i) {
    std::string name = output_name[i];
    name.erase(name.rfind(".bmp"));
    Case c;
    c.name = name;
    c.output = JoinPath(dir, output_name[i]);
    c.reference = refs ? JoinPath(*refs, output_name[i]) : JoinPath(dir, ans_name[i]);
    cases.push_back(c);
  }
  return cases;
}

std::vector<Case> PlannedCases(const Exercise* exercise, const std::string& dir,
                               const std::optional<std::string>& refs) {
  if (exercise == nullptr) {
    return TenCases(dir, refs);
  }
  const std::string folder = refs.value_or(exercise->references);
  std::vector<Case> cases;
  for (const ExerciseCase& planned : exercise->cases) {
    Case c;
    c.name = planned.name;
    c.output = JoinPath(dir, planned.outputs[0]);
    c.alternatives.assign(planned.outputs.begin() + 1, planned.outputs.end());
    c.reference = JoinPath(folder, planned.reference);
    cases.push_back(std::move(c));
  }
  return cases;
}

std::vector<std::string> CaseOutputNames(const Exercise* exercise) {
  if (exercise == nullptr) {
    return {std::begin(output_name), std::end(output_name)};
  }
  std::vector<std::string> files;
  for (const ExerciseCase& c : exercise->cases) {
    files.insert(files.end(), c.outputs.begin(), c.outputs.end());
  }
  return files;
}

Case OnePair(const std::string& output, const std::string& reference) {
  std::string name = std::filesystem::path(output).filename().string();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
    name.erase(name.size() - 4);
  }
  Case c;
  c.name = name.empty() ? "output" : name;
  c.output = output;
  c.reference = reference;
  return c;
}

}  // namespace mae::check
