// --web-page FILE: writes the web page a course publishes for the exercise
// in force, its visible references embedded.
#ifndef MAE_CHECK_WEB_PAGE_H
#define MAE_CHECK_WEB_PAGE_H

#include "check_options.h"

namespace mae::check {

// Writes the page to o.web_page; the exit status. Without the WebAssembly
// core installed, says how to get it (exit status 2).
int WriteWebPage(const CheckOptions& o);

}  // namespace mae::check

#endif  // MAE_CHECK_WEB_PAGE_H
