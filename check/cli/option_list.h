// mae-check's options and what each is for, as --help lists them.
#ifndef MAE_CHECK_OPTION_LIST_H
#define MAE_CHECK_OPTION_LIST_H

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "check_options.h"

namespace mae::check {

// The options as given, before they are checked.
struct Given {
  std::vector<std::string> max;
  std::vector<std::string> points;
  std::vector<std::string> input;
  std::string max_difference;
  std::string border;
  std::string max_pixels;
  std::string ans;
  std::string class_root;
  std::vector<std::string> metrics;
  std::string exercise;
};

// Adds every option to `app`, each filling *o or, where it is checked
// apart, *given.
void AddOptions(CLI::App* app, CheckOptions* o, Given* given);

}  // namespace mae::check

#endif  // MAE_CHECK_OPTION_LIST_H
