// mae-check: checks image-processing outputs against their reference images
// and says, per case, whether each passes.
//
//   mae-check [OPTIONS] [DIR]              the ten test cases under DIR
//   mae-check [OPTIONS] OUTPUT REFERENCE   one pair
//
// Results go to standard output, problems to standard error. Exit status:
// 0 when every case passes, 1 when any fails or has an error, 2 on a usage
// error, a folder that is not there, or a picture or report that cannot be
// written.
#include <malloc.h>

#include <cstdio>
#include <exception>

#include "class_run.h"
#include "exit_status.h"
#include "folder_run.h"
#include "options.h"
#include "print_exercise.h"
#include "web_page.h"

int main(int argc, char** argv) {
  using mae::check::kExitTrouble;
  // Pictures and pages take buffers of a few megabytes, one after another:
  // keep freed ones for the next rather than handing them back to the
  // kernel and faulting fresh pages in each time (a sixth of a report's
  // time). Blocks of 64 MiB and more still come and go on their own.
#ifdef M_MMAP_THRESHOLD  // glibc's malloc; not the web page's
  ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  try {
    const mae::check::ParsedOptions parsed = mae::check::ParseOptions(argc, argv);
    if (!parsed.options) {
      return parsed.exit_status;
    }
    const mae::check::CheckOptions& o = *parsed.options;
    if (o.print_exercise) {
      return mae::check::PrintExercise(o);
    }
    if (!o.web_page.empty()) {
      return mae::check::WriteWebPage(o);
    }
    return o.class_root ? mae::check::RunClass(o) : mae::check::RunFolder(o);
  } catch (const std::exception& e) {
    // Out of memory or a thread that cannot start: said, never a crash.
    std::fprintf(stderr, "mae-check: %s\n", e.what());
    return kExitTrouble;
  }
}
