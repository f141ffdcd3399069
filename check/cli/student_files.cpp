#include "student_files.h"

#include <utility>

#include "html_report.h"
#include "platform_docs.h"
#include "write_outputs.h"

namespace mae::check {

namespace {

WrittenFiles* ListOf(std::optional<WrittenFiles>& list) {
  return list ? &*list : nullptr;
}

}  // namespace

OwnFolderLists::OwnFolderLists(const CheckOptions& o) {
  for (auto [folder, list] : {std::pair{&o.reports_folder, &reports},
                              {&o.diff_folder, &diff},
                              {&o.gradescope, &gradescope},
                              {&o.prairielearn, &prairielearn}}) {
    if (!folder->empty()) {
      list->emplace(*folder);
    }
  }
}

Problems OwnFolderLists::Finish(bool remove_stale) {
  Problems problems;
  for (std::optional<WrittenFiles>* list : {&reports, &diff, &gradescope, &prairielearn}) {
    if (*list) {
      problems.Add((*list)->Finish(remove_stale));
    }
  }
  return problems;
}

Problems WriteStudent(const CheckOptions& o, StudentResult& r,
                      const std::vector<CasePictures>& pictures, OwnFolderLists* lists) {
  const std::string& file = r.student.file_name;
  Problems problems;
  if (!o.gradescope.empty()) {
    problems.Add(WriteNoted(ListOf(lists->gradescope), o.gradescope + "/" + file + ".json",
                            GradescopeJson(r.cases)));
  }
  if (!o.prairielearn.empty()) {
    problems.Add(WritePlatformDocs(r.cases, pictures, "", o.prairielearn + "/" + file + ".json",
                                   ListOf(lists->prairielearn)));
  }
  if (!r.student.Submitted()) {
    return problems;  // nothing handed in: no pictures or page
  }
  if (!o.diff_folder.empty()) {
    problems.Add(WriteDiffPictures(o.diff_folder + "/" + file, r.cases, pictures, &r.diff_paths,
                                   ListOf(lists->diff)));
  }
  if (!o.reports_folder.empty()) {
    const StudentPage page{r.student.name, "../index.html", "../shared"};
    std::vector<SharedPicture> shared;
    problems.Add(WriteNoted(ListOf(lists->reports),
                            o.reports_folder + "/students/" + file + ".html",
                            HtmlReport(r.cases, pictures, o.rules, &page, &shared)));
    // Each shared picture once a run; the same key is the same picture.
    for (const SharedPicture& picture : shared) {
      if (lists->shared_written.insert(picture.key).second) {
        problems.Add(WriteNoted(ListOf(lists->reports),
                                o.reports_folder + "/shared/" + picture.key + ".js",
                                SharedPictureScript(picture)));
      }
    }
  }
  return problems;
}

}  // namespace mae::check
