#include "run_options.h"

namespace mae::check {

RunOptions RunOptionsFor(const CheckOptions& o) {
  RunOptions run;
  run.rules = o.rules;
  run.diff_pictures = !o.diff_folder.empty();
  // In class mode --report is the overview alone; --reports has the pictures.
  run.whole_pictures = o.class_root ? !o.reports_folder.empty() : !o.report_file.empty();
  run.smaller_pictures = o.class_root.has_value();
  run.keep_diff_picture = !o.prairielearn.empty();
  run.diagnose = o.diagnose;
  run.hash_outputs = o.class_root.has_value();
  run.max_pixels = o.max_pixels;
  return run;
}

}  // namespace mae::check
