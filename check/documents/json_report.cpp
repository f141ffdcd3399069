#include "json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "shown_text.h"
#include "summary.h"
#include "verdict.h"

namespace mae::check {

namespace {

Json SizeJson(const std::optional<Size>& size) {
  return size ? Json::array({size->first, size->second}) : Json(nullptr);
}

Json LayoutJson(RowLayout layout) {
  const char* word = LayoutWord(layout);
  return word != nullptr ? Json(word) : Json(nullptr);
}

}  // namespace

Json CaseJson(const CaseResult& r, const std::string& diff_path) {
  const Comparison& c = r.comparison;
  const bool figures = c.has_figures();
  Json j;
  j["name"] = Normalised(r.test_case.name);
  j["output"] = r.test_case.output.empty() ? Json(nullptr) : Json(Normalised(r.test_case.output));
  j["reference"] = Normalised(r.test_case.reference);
  j["verdict"] = VerdictWord(r.verdict);
  j["reason"] = r.reason.empty() ? Json(nullptr) : Json(Normalised(r.reason));
  // An empty area has no mean: JSON has no NaN, so it is null like an error.
  j["mae"] = figures && !std::isnan(c.mae()) ? Json(c.mae()) : Json(nullptr);
  j["max_difference"] = figures ? Json(c.max_difference) : Json(nullptr);
  j["differing_pixels"] = figures ? Json(c.differing_pixels) : Json(nullptr);
  j["compared_pixels"] = figures ? Json(c.compared_pixels()) : Json(nullptr);
  j["output_size"] = SizeJson(r.output_size);
  j["reference_size"] = SizeJson(r.reference_size);
  // A case that was never compared (a class run's missing submission) has
  // its own code for the output and an unknown reference.
  const bool compared = r.test_case.problem.empty();
  const auto status = [](const FileOutcome& file, const std::string& decode_error) {
    return decode_error.empty() ? BmpStatusCode(file.status) : kCannotDecodeCode;
  };
  j["output_status"] =
      compared ? status(c.a, r.output_decode_error) : CaseProblemCode(r.test_case.problem_code);
  j["reference_status"] = compared ? Json(status(c.b, r.reference_decode_error)) : Json(nullptr);
  j["output_layout"] = LayoutJson(r.output_layout);
  j["reference_layout"] = LayoutJson(r.reference_layout);
  // What each file is; unknown (null) for a file never looked at or of no
  // format this knows.
  const auto format = [](const FileKind& kind) {
    return kind.format == ImageFormat::kUnknown ? Json(nullptr)
                                                : Json(ImageFormatCode(kind.format));
  };
  const auto top_down = [](const FileKind& kind) {
    return kind.format == ImageFormat::kUnknown ? Json(nullptr) : Json(kind.top_down);
  };
  j["output_format"] = format(r.output_kind);
  j["reference_format"] = format(r.reference_kind);
  j["output_top_down"] = top_down(r.output_kind);
  j["reference_top_down"] = top_down(r.reference_kind);
  j["note"] = r.note.empty() ? Json(nullptr) : Json(Normalised(r.note));
  j["diagnosis"] = Json::array();
  for (const Diagnosis& d : r.diagnosis) {
    j["diagnosis"].push_back(Json{{"code", d.code}, {"text", d.text}});
  }
  if (!r.identical_to.empty()) {
    j["identical_to"] = Json::array();
    for (const std::string& name : r.identical_to) {
      j["identical_to"].push_back(Normalised(name));
    }
  }
  j["max"] = r.max_mae;
  j["points"] = r.points;
  j["diff"] = diff_path.empty() ? Json(nullptr) : Json(Normalised(diff_path));
  return j;
}

std::string JsonText(const Json& doc) {
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void AddRulesJson(const CaseRules& rules, Json* doc) {
  Json& d = *doc;
  if (rules.exercise && !rules.exercise->title.empty()) {
    d["title"] = Normalised(rules.exercise->title);
  }
  d["border"] = rules.border;
  if (rules.max_difference) {
    d["max_difference"] = *rules.max_difference;
  }
  if (rules.strict) {
    d["strict"] = true;
  }
  const auto patterns = [](const std::vector<CaseRules::Pattern>& list, const char* key) {
    Json all = Json::array();
    for (const CaseRules::Pattern& p : list) {
      all.push_back(Json{{"pattern", p.glob}, {key, p.value}});
    }
    return all;
  };
  if (!rules.max_patterns.empty()) {
    d["max_patterns"] = patterns(rules.max_patterns, "max");
  }
  if (rules.default_points != 1.0 || !rules.point_patterns.empty()) {
    d["points"] = rules.default_points;
    d["point_patterns"] = patterns(rules.point_patterns, "points");
  }
}

void AddMetricsJson(const CaseResult& r, const MetricSet& metrics, Json* j) {
  if (!metrics.any()) {
    return;
  }
  // Inserted after "mae", so that the figures stay together.
  Json figures = Json::object();
  const Comparison& c = r.comparison;
  const bool compared = c.state == CompareState::kCompared;
  if (metrics.rmse) {
    figures["rmse"] = compared ? Json(c.rmse()) : Json(nullptr);
  }
  if (metrics.psnr) {
    figures["psnr"] = compared && std::isfinite(c.psnr()) ? Json(c.psnr()) : Json(nullptr);
  }
  if (metrics.ssim) {
    figures["ssim"] = r.ssim ? Json(*r.ssim) : Json(nullptr);
  }
  Json out = Json::object();
  for (auto& [key, value] : j->items()) {
    out[key] = std::move(value);
    if (key == "mae") {
      out.update(figures);
    }
  }
  *j = std::move(out);
}

std::string JsonReport(const std::vector<CaseResult>& results, const CaseRules& rules,
                       const std::vector<std::string>& diff_paths) {
  const Counts summary = Summarise(results);
  Json doc;
  doc["version"] = kJsonVersion;
  doc["max"] = rules.default_max;
  AddRulesJson(rules, &doc);
  doc["passed"] = summary.passed;
  doc["failed"] = summary.failed;
  doc["errors"] = summary.errors;
  doc["cases"] = Json::array();
  for (std::size_t i = 0; i < results.size(); ++i) {
    Json j = CaseJson(results[i], i < diff_paths.size() ? diff_paths[i] : "");
    AddMetricsJson(results[i], rules.metrics, &j);
    doc["cases"].push_back(std::move(j));
  }
  return JsonText(doc);
}

}  // namespace mae::check
