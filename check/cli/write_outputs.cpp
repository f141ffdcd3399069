#include "write_outputs.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "output_file.h"
#include "platform_docs.h"
#include "shown_text.h"

namespace mae::check {

void Say(const std::string& problem) {
  SayShown(Shown(problem));
}

void SayShown(const std::string& line) {
  std::fprintf(stderr, "mae-check: %s\n", line.c_str());
}

bool WriteOrSay(const std::string& path, const std::string& bytes) {
  const std::string error = WriteOutputFile(path, bytes);
  if (!error.empty()) {
    Say("cannot write " + path + ": " + error);
  }
  return error.empty();
}

bool WriteNoted(WrittenFiles* list, const std::string& path, const std::string& bytes) {
  if (list == nullptr) {
    return WriteOrSay(path, bytes);
  }
  const std::string problem = list->Add(path);
  if (!problem.empty()) {
    Say("not written: " + problem);
    return false;
  }
  const std::string error = WriteOutputFile(path, bytes, true);
  if (!error.empty()) {
    list->Drop(path);
    Say("cannot write " + path + ": " + error);
  }
  return error.empty();
}

bool WriteDiffPictures(const std::string& folder, const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, std::vector<std::string>* paths,
                       WrittenFiles* list) {
  paths->assign(results.size(), std::string());
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    Say("cannot create " + folder + ": " + error.message());
    return false;
  }
  bool ok = true;
  for (std::size_t i = 0; i < results.size() && i < pictures.size(); ++i) {
    const CaseResult& r = results[i];
    const CasePictures& p = pictures[i];
    if (p.diff_png.empty()) {
      if (r.comparison.state == CompareState::kCompared) {
        Say(r.test_case.name + ": " + p.error);
        ok = false;
      }
      continue;
    }
    const std::string path =
        (std::filesystem::path(folder) / (FileNameFor(r.test_case.name) + ".png")).string();
    if (WriteNoted(list, path, p.diff_png)) {
      (*paths)[i] = path;
    } else {
      ok = false;
    }
  }
  return ok;
}

bool WritePlatformDocs(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const std::string& gradescope,
                       const std::string& prairielearn, WrittenFiles* list) {
  bool ok = true;
  if (!gradescope.empty()) {
    ok = WriteNoted(list, gradescope, GradescopeJson(results)) && ok;
  }
  if (!prairielearn.empty()) {
    for (const CaseResult& r : results) {
      if (r.test_case.problem.empty() && r.comparison.b.status == BmpStatus::kCannotOpen) {
        Say("no PrairieLearn results written: the reference " + r.test_case.reference +
            " cannot be opened");
        return false;
      }
    }
    ok = WriteNoted(list, prairielearn, PrairieLearnJson(results, pictures)) && ok;
  }
  return ok;
}

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
