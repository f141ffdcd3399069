#include "write_outputs.h"

#include <filesystem>
#include <system_error>

#include "file_names.h"
#include "output_file.h"
#include "platform_docs.h"

namespace mae::check {

Problem WriteOutput(const std::string& path, const std::string& bytes) {
  return WriteOutputFile(path, bytes).After("cannot write " + path + ": ");
}

Problem WriteNoted(WrittenFiles* list, const std::string& path, const std::string& bytes) {
  if (list == nullptr) {
    return WriteOutput(path, bytes);
  }
  const Problem noted = list->Add(path);
  if (noted) {
    return noted.After("not written: ");
  }
  const Problem written = WriteOutputFile(path, bytes, true);
  if (written) {
    list->Drop(path);
  }
  return written.After("cannot write " + path + ": ");
}

Problems WriteDiffPictures(const std::string& folder, const std::vector<CaseResult>& results,
                           const std::vector<CasePictures>& pictures,
                           std::vector<std::string>* paths, WrittenFiles* list) {
  paths->assign(results.size(), std::string());
  Problems problems;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    problems.Add(Problem::Write("cannot create " + folder + ": " + error.message()));
    return problems;
  }
  for (std::size_t i = 0; i < results.size() && i < pictures.size(); ++i) {
    const CaseResult& r = results[i];
    const CasePictures& p = pictures[i];
    if (p.diff_png.empty()) {
      if (r.comparison.state == CompareState::kCompared) {
        problems.Add(Problem::Picture(r.test_case.name + ": " + p.error));
      }
      continue;
    }
    const std::string path =
        (std::filesystem::path(folder) / (FileNameFor(r.test_case.name) + ".png")).string();
    const Problem written = WriteNoted(list, path, p.diff_png);
    if (written) {
      problems.Add(written);
    } else {
      (*paths)[i] = path;
    }
  }
  return problems;
}

Problems WritePlatformDocs(const std::vector<CaseResult>& results,
                           const std::vector<CasePictures>& pictures, const std::string& gradescope,
                           const std::string& prairielearn, WrittenFiles* list) {
  Problems problems;
  if (!gradescope.empty()) {
    problems.Add(WriteNoted(list, gradescope, GradescopeJson(results)));
  }
  if (!prairielearn.empty()) {
    for (const CaseResult& r : results) {
      if (r.test_case.problem.empty() && r.comparison.b.status == BmpStatus::kCannotOpen) {
        problems.Add(Problem::Setup("no PrairieLearn results written: the reference " +
                                    r.test_case.reference + " cannot be opened"));
        return problems;
      }
    }
    problems.Add(WriteNoted(list, prairielearn, PrairieLearnJson(results, pictures)));
  }
  return problems;
}

}  // namespace mae::check
