#include "messages.h"

#include <cstdio>

#include "shown_text.h"

namespace mae::check {

void Say(const std::string& words) {
  SayShown(Shown(words));
}

void SayShown(const std::string& line) {
  std::fprintf(stderr, "mae-check: %s\n", line.c_str());
}

void Say(const Problem& problem) {
  if (problem) {
    Say(problem.words());
  }
}

void Say(const Problems& problems) {
  for (const Problem& problem : problems.list()) {
    Say(problem);
  }
}

}  // namespace mae::check
