// What each case is held to and worth: its MAE threshold, its points, the
// largest byte difference allowed, and the border left out.
#ifndef MAE_CHECK_CASE_RULES_H
#define MAE_CHECK_CASE_RULES_H

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "exercise_model.h"
#include "problem.h"

namespace mae::check {

// Adds the metrics named in `list` ("rmse,psnr,ssim", any of them, in any
// order) to *metrics; a problem names what is not one of them.
[[nodiscard]] Problem AddMetrics(const std::string& list, MetricSet* metrics);

struct CaseRules {
  struct Pattern {
    std::string glob;  // a shell pattern on the case's name: "Sobel*"
    double value;
  };
  double default_max = 0.0;
  std::vector<Pattern> max_patterns;  // the last that matches wins
  double default_points = 1.0;
  std::vector<Pattern> point_patterns;
  std::optional<unsigned> max_difference;  // 0-255
  std::uint32_t border = 0;
  bool strict = false;  // an output that is not a bottom-up 24-bit BMP fails
  MetricSet metrics;    // shown, not ruled on
  // The exercise's input picture, which an output left unfiltered equals:
  // one for every case, or one for the cases a pattern matches.
  struct InputPattern {
    std::string glob;
    std::string path;
  };
  std::string default_input;  // "" when not given
  std::vector<InputPattern> input_patterns;
  // The exercise file's cases and [defaults], when one is given: each
  // case's rules come from it, and the options given on the command line
  // win over it for the cases they name.
  std::optional<Exercise> exercise;
  bool max_given = false;  // --max X (not only patterns)
  bool points_given = false;
  bool border_given = false;

  double MaxFor(const std::string& name) const;
  double PointsFor(const std::string& name) const;
  // The input picture of a case, "" when none was given for it.
  std::string InputFor(const std::string& name) const;
  // Everything case `name` is held to and worth: its exercise case (or the
  // exercise's [defaults] for a name it has not) with the command line's
  // rules on top; without an exercise file, the command line's alone (the
  // MAE threshold always set). The input is a path, "" for none.
  ExerciseCase RulesFor(const std::string& name) const;
};

// Adds one --input value: "FILE" for every case, or "PATTERN=FILE", split
// at the first '=' when what comes before it holds no '/' (so that
// "./a=b.bmp" is a file). Returns no problem, or what is wrong with it.
[[nodiscard]] Problem AddInput(const std::string& text, CaseRules* rules);

// Adds one --max or --points value: "X" sets the default, "PATTERN=X" (split
// at the last '=') adds a pattern. Returns no problem, or what is wrong
// with it: a value above `most` among others.
[[nodiscard]] Problem AddRule(const std::string& option, const std::string& text,
                              double* default_value, std::vector<CaseRules::Pattern>* patterns,
                              double most = std::numeric_limits<double>::max());

// The most a case may be worth: beyond it, points stop reading back as the
// numbers given in every document (Gradescope's score would be null).
inline constexpr double kMostPoints = 1e6;

// A plain decimal number of at least 0: an optional '+', digits with at
// most one point ("5", ".5", "5."), an optional exponent ("1e-3", "1E3");
// nothing else (no hexadecimal, inf or nan), and finite.
std::optional<double> ParseThreshold(const std::string& text);

// A whole number from 0 to `most`, in plain digits; nothing otherwise.
std::optional<std::uint64_t> ParseCount(const std::string& text, std::uint64_t most);

}  // namespace mae::check

#endif  // MAE_CHECK_CASE_RULES_H
