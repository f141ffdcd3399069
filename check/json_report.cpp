#include "json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "summary.h"
#include "verdict.h"

namespace {

using Json = nlohmann::ordered_json;

// Raised when a key changes meaning or goes; new keys keep the version.
constexpr int kJsonVersion = 1;

Json SizeJson(const std::optional<Size>& size) {
  return size ? Json::array({size->first, size->second}) : Json(nullptr);
}

Json LayoutJson(RowLayout layout) {
  const char* word = LayoutWord(layout);
  return word != nullptr ? Json(word) : Json(nullptr);
}

Json CaseJson(const CaseResult& r, const std::string& diff_path) {
  const Comparison& c = r.comparison;
  const bool figures = c.has_figures();
  Json j;
  j["name"] = r.test_case.name;
  j["output"] = r.test_case.output;
  j["reference"] = r.test_case.reference;
  j["verdict"] = VerdictWord(r.verdict);
  j["reason"] = r.reason.empty() ? Json(nullptr) : Json(r.reason);
  // An empty area has no mean: JSON has no NaN, so it is null like an error.
  j["mae"] = figures && !std::isnan(c.mae()) ? Json(c.mae()) : Json(nullptr);
  j["max_difference"] = figures ? Json(c.max_difference) : Json(nullptr);
  j["differing_pixels"] = figures ? Json(c.differing_pixels) : Json(nullptr);
  j["compared_pixels"] = figures ? Json(c.compared_pixels()) : Json(nullptr);
  j["output_size"] = SizeJson(r.output_size);
  j["reference_size"] = SizeJson(r.reference_size);
  j["output_status"] = BmpStatusCode(c.a.status);
  j["reference_status"] = BmpStatusCode(c.b.status);
  j["output_layout"] = LayoutJson(c.a.header.layout);
  j["reference_layout"] = LayoutJson(c.b.header.layout);
  j["note"] = r.note.empty() ? Json(nullptr) : Json(r.note);
  j["diff"] = diff_path.empty() ? Json(nullptr) : Json(diff_path);
  return j;
}

}  // namespace

std::string JsonReport(const std::vector<CaseResult>& results, double max,
                       const std::vector<std::string>& diff_paths) {
  const Summary summary = Summarise(results);
  Json doc;
  doc["version"] = kJsonVersion;
  doc["max"] = max;
  doc["passed"] = summary.passed;
  doc["failed"] = summary.failed;
  doc["errors"] = summary.errors;
  doc["cases"] = Json::array();
  for (std::size_t i = 0; i < results.size(); ++i) {
    doc["cases"].push_back(CaseJson(results[i], i < diff_paths.size() ? diff_paths[i] : ""));
  }
  // Paths are bytes from the command line and may not be UTF-8: replace
  // what is not, rather than fail.
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
