#include "exercise_toml.h"

#include <toml++/toml.h>

#include <cmath>
#include <sstream>

#include "number_text.h"

namespace mae::check {

namespace {

// One line, KEY = VALUE, as toml++ writes it; whole numbers as integers,
// others in the fewest digits that read back as the same number (0.98,
// not 0.97999999999999998).
template <typename T>
std::string Line(const std::string& key, const T& value) {
  toml::table table;
  if constexpr (std::is_floating_point_v<T>) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
      table.insert(key, static_cast<std::int64_t>(value));
    } else {
      return key + " = " + ShortestText(value) + "\n";
    }
  } else {
    table.insert(key, value);
  }
  std::ostringstream out;
  out << table;
  return out.str() + "\n";
}

// The keys of `c` that differ from `base`, in the model's order.
std::string CaseLines(const ExerciseCase& c, const ExerciseCase& base) {
  std::string text;
  if (c.input != base.input) {
    text += Line("input", c.input);
  }
  if (c.points != base.points) {
    text += Line("points", c.points);
  }
  if (c.visibility != base.visibility) {
    text += Line("visibility", std::string(VisibilityWord(c.visibility)));
  }
  const auto rule = [&text](const char* key, const std::optional<double>& mine,
                            const std::optional<double>& theirs) {
    if (mine && mine != theirs) {
      text += Line(key, *mine);
    }
  };
  rule("mae", c.mae, base.mae);
  rule("rmse", c.rmse, base.rmse);
  if (c.max_difference && c.max_difference != base.max_difference) {
    text += Line("max_difference", static_cast<std::int64_t>(*c.max_difference));
  }
  rule("differing_percent", c.differing_percent, base.differing_percent);
  if (c.tolerance != base.tolerance) {
    text += Line("tolerance", static_cast<std::int64_t>(c.tolerance));
  }
  rule("psnr", c.psnr, base.psnr);
  rule("ssim", c.ssim, base.ssim);
  if (c.border != base.border) {
    text += Line("border", static_cast<std::int64_t>(c.border));
  }
  if (!c.ignore.empty() && c.ignore != base.ignore) {
    toml::array rects;
    for (const PixelRect& r : c.ignore) {
      toml::array rect;
      for (const std::uint32_t n : {r.x, r.y, r.width, r.height}) {
        rect.push_back(static_cast<std::int64_t>(n));
      }
      rects.push_back(std::move(rect));
    }
    text += Line("ignore", rects);
  }
  if (c.strict != base.strict) {
    text += Line("strict", c.strict);
  }
  if (c.diagnoses != base.diagnoses) {
    text += Line("diagnoses", c.diagnoses);
  }
  if (c.pass_message != base.pass_message) {
    text += Line("pass_message", c.pass_message);
  }
  if (c.fail_message != base.fail_message) {
    text += Line("fail_message", c.fail_message);
  }
  return text;
}

}  // namespace

std::string ExerciseToml(const Exercise& exercise, const ExerciseCase& defaults) {
  std::string text;
  if (!exercise.title.empty()) {
    text += Line("title", exercise.title);
  }
  text += Line("references", exercise.references);
  if (!exercise.inputs.empty()) {
    text += Line("inputs", exercise.inputs);
  }
  const std::string shared = CaseLines(defaults, ExerciseCase());
  if (!shared.empty()) {
    text += "\n[defaults]\n" + shared;
  }
  for (const ExerciseCase& c : exercise.cases) {
    text += "\n[[case]]\n" + Line("name", c.name);
    if (c.outputs.size() == 1) {
      text += Line("output", c.outputs[0]);
    } else {
      toml::array outputs;
      for (const std::string& output : c.outputs) {
        outputs.push_back(output);
      }
      text += Line("output", outputs);
    }
    text += Line("reference", c.reference) + CaseLines(c, defaults);
  }
  return text;
}

}  // namespace mae::check
