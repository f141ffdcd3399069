#include "options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "case_list.h"
#include "case_rules.h"
#include "exercise_setup.h"
#include "exit_status.h"
#include "messages.h"
#include "option_checks.h"
#include "option_list.h"
#include "output_places.h"
#include "problem.h"
#include "shown_text.h"

namespace mae::check {

namespace {

// CLI11 would list the operands as one vector; say the forms instead.
class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: mae-check [OPTIONS] [DIR]\n       mae-check [OPTIONS] OUTPUT REFERENCE\n"
           "       mae-check [OPTIONS] --class ROOT --ans FOLDER\n";
  }
};

ParsedOptions UsageError(const Problem& problem) {
  std::fprintf(stderr, "mae-check: %s\nTry 'mae-check --help'.\n", Shown(problem.words()).c_str());
  ParsedOptions parsed;
  parsed.exit_status = kExitTrouble;
  return parsed;
}

// The first option given with an empty name, or nullptr.
const char* EmptyName(const CLI::App& app, const CheckOptions& o, const Given& given) {
  const std::pair<const char*, const std::string*> names[] = {{"--diff", &o.diff_folder},
                                                              {"--report", &o.report_file},
                                                              {"--ans", &given.ans},
                                                              {"--class", &given.class_root},
                                                              {"--roster", &o.roster_file},
                                                              {"--csv", &o.csv_file},
                                                              {"--reports", &o.reports_folder},
                                                              {"--gradescope", &o.gradescope},
                                                              {"--prairielearn", &o.prairielearn},
                                                              {"--junit", &o.junit},
                                                              {"--web-page", &o.web_page}};
  for (const auto& [name, value] : names) {
    if (app.count(name) > 0 && value->empty()) {
      return name;
    }
  }
  for (const std::string& name : o.only) {
    if (name.empty()) {
      return "--only";
    }
  }
  for (const std::string& file : given.input) {
    if (file.empty()) {
      return "--input";
    }
  }
  return nullptr;
}

// The thresholds, points, largest difference and border; no problem, or
// what is wrong with them.
Problem ReadRules(const CLI::App& app, const Given& given, CaseRules* rules) {
  for (const std::string& text : given.max) {
    const Problem problem = AddRule("--max", text, &rules->default_max, &rules->max_patterns);
    if (problem) {
      return problem;
    }
  }
  rules->max_given = std::any_of(given.max.begin(), given.max.end(),
                                 [](const std::string& t) { return t.find('=') == t.npos; });
  rules->points_given = std::any_of(given.points.begin(), given.points.end(),
                                    [](const std::string& t) { return t.find('=') == t.npos; });
  for (const std::string& text : given.points) {
    const Problem problem =
        AddRule("--points", text, &rules->default_points, &rules->point_patterns, kMostPoints);
    if (problem) {
      return problem;
    }
  }
  for (const std::string& text : given.input) {
    const Problem problem = AddInput(text, rules);
    if (problem) {
      return problem;
    }
  }
  for (const std::string& list : given.metrics) {
    const Problem problem = AddMetrics(list, &rules->metrics);
    if (problem) {
      return problem;
    }
  }
  if (app.count("--max-difference") > 0) {
    const auto n = ParseCount(given.max_difference, 255);
    if (!n) {
      return Problem::Usage("--max-difference needs a whole number from 0 to 255, not '" +
                            given.max_difference + "'");
    }
    rules->max_difference = static_cast<unsigned>(*n);
  }
  if (app.count("--border") > 0) {
    const auto n = ParseCount(given.border, 0x7FFFFFFF);
    if (!n) {
      return Problem::Usage("--border needs a whole number of pixels, not '" + given.border + "'");
    }
    rules->border = static_cast<std::uint32_t>(*n);
    rules->border_given = true;
  }
  return Problem::None();
}

}  // namespace

ParsedOptions ParseOptions(int argc, char** argv) {
  CLI::App app{
      "Checks image-processing outputs against their reference images by the mean absolute\n"
      "error of their bytes (the value MAE prints), with a verdict for every case.\n"
      "With DIR (default .): the ten test cases, DIR/Blur1.bmp against DIR/ANS/Blur1.bmp,\n"
      "... DIR/Sobel5.bmp against DIR/ANS/Sobel5.bmp. With OUTPUT REFERENCE: that pair.\n"
      "With --class ROOT: the ten cases of every student's sub-folder of ROOT.",
      "mae-check"};
  app.formatter(std::make_shared<UsageFormatter>());
  app.footer(
      "A case fails when its MAE is above --max, when the sizes differ, or when there is\n"
      "nothing to compare; it has an error when a file cannot be read.\n"
      "Exit status: 0 every case passes, 1 a case fails or has an error, 2 usage error,\n"
      "a folder that is not there, or a file that cannot be written.");
  app.allow_extras();  // said in our own words below
  CheckOptions o;
  Given given;
  AddOptions(&app, &o, &given);
  ParsedOptions parsed;
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    app.exit(e);  // --help or --version, on standard output
    return parsed;
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string what = e.what();
    return UsageError(Problem::Usage(what.substr(0, what.find(':')) + " needs a value"));
  } catch (const CLI::ParseError& e) {
    return UsageError(Problem::Usage(e.what()));
  }
  if (const char* name = EmptyName(app, o, given)) {
    return UsageError(Problem::Usage(std::string(name) + " needs a name, not an empty one"));
  }
  if (app.count("--ans") > 0) {
    o.ans_folder = given.ans;
  }
  if (app.count("--class") > 0) {
    o.class_root = given.class_root;
  }
  Problem problem = OptionProblem(o, app.remaining(), app.count("--exercise") > 0);
  if (!problem) {
    problem = ReadRules(app, given, &o.rules);
  }
  if (!problem && app.count("--max-pixels") > 0) {
    const auto n = ParseCount(given.max_pixels, kMostMaxPixels);
    if (!n || *n == 0) {
      problem = Problem::Usage("--max-pixels needs a whole number from 1 to " +
                               std::to_string(kMostMaxPixels) + ", not '" + given.max_pixels + "'");
    } else {
      o.max_pixels = *n;
    }
  }
  if (!problem && app.count("--exercise") > 0) {
    if (given.exercise.empty()) {
      return UsageError(Problem::Usage("--exercise needs a name, not an empty one"));
    }
    const Problem exercise = TakeExercise(given.exercise, &o);
    if (exercise) {
      Say(exercise);  // the file's mistake, where it is; no usage to show
      parsed.exit_status = kExitTrouble;
      return parsed;
    }
  }
  if (!problem) {
    // The cases' names, and a pair's own, which a course's shared patterns
    // may name.
    std::vector<std::string> names;
    const Exercise* exercise = o.rules.exercise ? &*o.rules.exercise : nullptr;
    for (const Case& c : PlannedCases(exercise, ".", std::nullopt)) {
      names.push_back(c.name);
    }
    if (o.operands.size() == 2) {
      names.push_back(OnePair(o.operands[0], o.operands[1]).name);
    }
    problem = PatternProblem(o.rules, names);
  }
  if (!problem) {
    problem = OutputPlaceProblem(o);
  }
  if (problem) {
    return UsageError(problem);
  }
  parsed.options = o;
  return parsed;
}

}  // namespace mae::check
