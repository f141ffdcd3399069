// An exercise: its cases, the files each compares, the rules each is held
// to, its points and its words, as a course writes them in an exercise
// file (TOML, or the same model in JSON).
#ifndef MAE_CHECK_EXERCISE_H
#define MAE_CHECK_EXERCISE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ssim.h"

namespace mae::check {

// Where a platform shows a case (Gradescope's test visibility).
enum class Visibility { kVisible, kHidden, kAfterDueDate, kAfterPublished };

// "visible", "hidden", "after_due_date", "after_published".
const char* VisibilityWord(Visibility visibility);

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
  std::vector<ExerciseCase> cases;
};

// Reads the exercise file at `path`: JSON when its name ends in ".json",
// else TOML. Folders are made relative to the folder the file is in.
// Returns "" or what is wrong, naming the file and the line and key (TOML)
// or the JSON pointer: "ex.toml:12: case.mae: 300 is out of range (0 to 255)".
std::string ReadExercise(const std::string& path, Exercise* exercise);

// The same, from the file's text (`name` is the file's name in messages).
std::string ParseExercise(const std::string& text, const std::string& name, bool json,
                          Exercise* exercise);

}  // namespace mae::check

#endif  // MAE_CHECK_EXERCISE_H
