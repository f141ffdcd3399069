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

bool OwnFolderLists::Finish(bool remove_stale) {
  bool ok = true;
  for (std::optional<WrittenFiles>* list : {&reports, &diff, &gradescope, &prairielearn}) {
    if (*list) {
      const std::string problem = (*list)->Finish(remove_stale);
      if (!problem.empty()) {
        Say(problem);
        ok = false;
      }
    }
  }
  return ok;
}

bool WriteStudent(const CheckOptions& o, StudentResult& r,
                  const std::vector<CasePictures>& pictures, OwnFolderLists* lists) {
  const std::string& file = r.student.file_name;
  bool ok = true;
  if (!o.gradescope.empty()) {
    ok = WriteNoted(ListOf(lists->gradescope), o.gradescope + "/" + file + ".json",
                    GradescopeJson(r.cases));
  }
  if (!o.prairielearn.empty()) {
    ok = WritePlatformDocs(r.cases, pictures, "", o.prairielearn + "/" + file + ".json",
                           ListOf(lists->prairielearn)) &&
         ok;
  }
  if (!r.student.Submitted()) {
    return ok;  // nothing handed in: no pictures or page
  }
  if (!o.diff_folder.empty()) {
    ok = WriteDiffPictures(o.diff_folder + "/" + file, r.cases, pictures, &r.diff_paths,
                           ListOf(lists->diff)) &&
         ok;
  }
  if (!o.reports_folder.empty()) {
    const StudentPage page{r.student.name, "../index.html", "../shared"};
    std::vector<SharedPicture> shared;
    ok = WriteNoted(ListOf(lists->reports), o.reports_folder + "/students/" + file + ".html",
                    HtmlReport(r.cases, pictures, o.rules, &page, &shared)) &&
         ok;
    // Each shared picture once a run; the same key is the same picture.
    for (const SharedPicture& picture : shared) {
      if (lists->shared_written.insert(picture.key).second) {
        ok = WriteNoted(ListOf(lists->reports), o.reports_folder + "/shared/" + picture.key + ".js",
                        SharedPictureScript(picture)) &&
             ok;
      }
    }
  }
  return ok;
}

}  // namespace mae::check
