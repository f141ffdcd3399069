// What mae-check says on standard error: its problems and its warnings,
// one line each, after "mae-check: ".
#ifndef MAE_CHECK_MESSAGES_H
#define MAE_CHECK_MESSAGES_H

#include <string>

#include "problem.h"

namespace mae::check {

// "mae-check: WORDS" on standard error, what came from outside escaped.
void Say(const std::string& words);

// "mae-check: LINE" on standard error, `line` escaped already.
void SayShown(const std::string& line);

// A problem's words, as Say says them; nothing for no problem.
void Say(const Problem& problem);

// Each problem in turn.
void Say(const Problems& problems);

}  // namespace mae::check

#endif  // MAE_CHECK_MESSAGES_H
