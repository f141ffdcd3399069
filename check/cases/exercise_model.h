// An exercise as a course describes it: its cases, the files each
// compares, the rules each is held to, its points and its words.
#ifndef MAE_CHECK_EXERCISE_MODEL_H
#define MAE_CHECK_EXERCISE_MODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ssim.h"

namespace mae::check {

// The figures shown beside the MAE, each on the 0-255 byte scale: the root
// mean square error, the peak signal-to-noise ratio in dB and the
// structural similarity (--metrics).
struct MetricSet {
  bool rmse = false;
  bool psnr = false;
  bool ssim = false;

  bool any() const { return rmse || psnr || ssim; }
};

// Where a platform shows a case (Gradescope's test visibility).
enum class Visibility { kVisible, kHidden, kAfterDueDate, kAfterPublished };

// "visible", "hidden", "after_due_date", "after_published".
constexpr const char* VisibilityWord(Visibility visibility) {
  return visibility == Visibility::kHidden           ? "hidden"
         : visibility == Visibility::kAfterDueDate   ? "after_due_date"
         : visibility == Visibility::kAfterPublished ? "after_published"
                                                     : "visible";
}

struct ExerciseCase {
  std::string name;                  // letters, digits, '_', '-', '.'; unique ignoring case
  std::vector<std::string> outputs;  // the student's file, then alternatives
  std::string reference;             // under the references folder
  std::string input;                 // under the inputs folder; "" for none
  double points = 1;
  Visibility visibility = Visibility::kVisible;
  // The rules; every rule given must hold, and the sizes be equal, for a
  // pass. With none, a case passes only at MAE 0.
  std::optional<double> mae;                // at most
  std::optional<double> rmse;               // at most (0-255 scale)
  std::optional<unsigned> max_difference;   // at most
  std::optional<double> differing_percent;  // at most, of the compared pixels
  unsigned tolerance = 0;                   // a byte difference up to this is not "differing"
  std::optional<double> psnr;               // at least, in dB
  std::optional<double> ssim;               // at least
  std::uint32_t border = 0;
  std::vector<PixelRect> ignore;  // left out of every figure
  bool strict = false;
  bool diagnoses = true;
  std::string pass_message;
  std::string fail_message;

  bool HasRule() const {
    return mae || rmse || max_difference || differing_percent || psnr || ssim;
  }
};

struct Exercise {
  std::string title;       // "" when none is given
  std::string references;  // the references' folder, as the file names it from where it lies
  std::string inputs;      // the inputs' folder, likewise; "" when none is given
  std::string folder;      // where the file lies, which those are relative to ("" for here)
  ExerciseCase defaults;   // [defaults]: where a case given no rule of its own starts
  std::vector<ExerciseCase> cases;
};

// `path` as the exercise names it (relative to its file), as a path from
// here.
inline std::string InExerciseFolder(const Exercise& exercise, const std::string& path) {
  if (exercise.folder.empty() || path.empty() || path[0] == '/') {
    return path;
  }
  return exercise.folder + (exercise.folder.back() == '/' ? "" : "/") + path;
}

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_MODEL_H
