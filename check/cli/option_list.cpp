#include "option_list.h"

namespace mae::check {

namespace {

// The documents for grading platforms.
void AddPlatformOptions(CLI::App* app, CheckOptions* o, Given* given) {
  app->add_option("--gradescope", o->gradescope,
                  "write Gradescope's results.json (with --class: FOLDER/STUDENT.json)")
      ->type_name("FILE");
  app->add_option("--prairielearn", o->prairielearn,
                  "write PrairieLearn's results.json, pictures included, under 1 MB (with "
                  "--class: FOLDER/STUDENT.json)")
      ->type_name("FILE");
  app->add_option("--junit", o->junit, "write JUnit XML, a test suite per student or folder")
      ->type_name("FILE");
  app->add_flag("--github-classroom", o->github_classroom,
                "print only GitHub Classroom's base64 result line");
  app->add_option("--exercise", given->exercise,
                  "grade the cases an exercise file describes (TOML, or JSON when its name ends "
                  "in .json): their files, rules, points and words")
      ->type_name("FILE");
  app->add_option("--web-page", o->web_page,
                  "write one offline HTML page that checks a student's outputs in the browser "
                  "(the exercise in force, its visible references embedded), and grade nothing")
      ->type_name("FILE");
  app->add_flag("--print-exercise", o->print_exercise,
                "print the exercise in force (the ten cases, or one a picture of --ans given "
                "alone) as an exercise file, the rule options merged in, and grade nothing");
}

}  // namespace

void AddOptions(CLI::App* app, CheckOptions* o, Given* given) {
  app->add_option("--max", given->max,
                  "a case passes when its MAE is at most X (default 0); PATTERN=X for the cases "
                  "whose name matches (Sobel*=2); repeatable")
      ->type_name("X")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app->add_option("--max-difference", given->max_difference,
                  "a case also fails when any byte differs by more than N (0-255)")
      ->type_name("N");
  app->add_option("--border", given->border,
                  "leave out an N-pixel frame of the compared area from every figure")
      ->type_name("N");
  app->add_option("--points", given->points,
                  "what a passing case is worth (default 1); PATTERN=X for some; repeatable")
      ->type_name("X")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app->add_option("--input", given->input,
                  "the exercise's input picture, to tell an output that is it unfiltered; "
                  "PATTERN=FILE for the cases whose name matches; repeatable")
      ->type_name("FILE")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app->add_option("--ans", given->ans, "the folder of the ten references, in place of DIR/ANS")
      ->type_name("FOLDER");
  app->add_option("--diff", o->diff_folder,
                  "write a difference picture of every compared case, FOLDER/NAME.png "
                  "(the folder is created)")
      ->type_name("FOLDER");
  app->add_option("--report", o->report_file, "write one self-contained HTML page with every case")
      ->type_name("FILE");
  app->add_flag("--json", o->json, "print the results as JSON instead of the table");
  app->add_option("--metrics", given->metrics,
                  "also show rmse, psnr and ssim (0-255 scale; comma-separated), in the table and "
                  "the JSON")
      ->type_name("LIST")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app->add_option("--max-pixels", given->max_pixels,
                  "decode no picture of more than N pixels (default 268435456, 16384 x 16384)")
      ->type_name("N");
  app->add_flag("--strict", o->rules.strict,
                "an output that is not a bottom-up 24-bit BMP fails (others are decoded)");
  app->add_flag("!--no-diagnosis", o->diagnose,
                "do not look for the usual mistakes behind a failing case");
  app->add_option("--class", given->class_root,
                  "grade a class: every sub-folder of ROOT is one student's submission "
                  "(needs --ans)")
      ->type_name("ROOT");
  app->add_option("--roster", o->roster_file, "with --class: the students, one name a line")
      ->type_name("FILE");
  app->add_option("--csv", o->csv_file, "with --class: write the grades as CSV")->type_name("FILE");
  app->add_option("--reports", o->reports_folder,
                  "with --class: write FOLDER/index.html and a report per student")
      ->type_name("FOLDER");
  app->add_option("--only", o->only,
                  "with --class: grade this student alone, as in the whole class; repeatable")
      ->type_name("NAME")
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  AddPlatformOptions(app, o, given);
  app->add_option("operands", o->operands, "DIR, or OUTPUT REFERENCE");
  app->set_version_flag("--version", "mae-check " MAE_VERSION);
}
}  // namespace mae::check
