#include "write_outputs.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "output_file.h"
#include "shown_text.h"

void Say(const std::string& problem) {
  std::fprintf(stderr, "mae-check: %s\n", Shown(problem).c_str());
}

bool WriteOrSay(const std::string& path, const std::string& bytes) {
  const std::string error = WriteOutputFile(path, bytes);
  if (!error.empty()) {
    Say("cannot write " + path + ": " + error);
  }
  return error.empty();
}

bool WriteDiffPictures(const std::string& folder, std::vector<CaseResult>* results) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    Say("cannot create " + folder + ": " + error.message());
    return false;
  }
  bool ok = true;
  for (CaseResult& r : *results) {
    if (r.diff_png.empty()) {
      if (r.comparison.state == CompareState::kCompared) {
        Say(r.test_case.name + ": " + r.picture_error);
        ok = false;
      }
      continue;
    }
    const std::string path = (std::filesystem::path(folder) / (r.test_case.name + ".png")).string();
    if (WriteOrSay(path, r.diff_png)) {
      r.diff_path = path;
    } else {
      ok = false;
    }
  }
  return ok;
}
