// One self-contained HTML page with every case: an overview table first,
// a legend, then a section per case with its pictures embedded as data:
// URIs; styles and script inline, nothing outside the file, and no clock,
// so that the same files always give the same bytes. Without script it
// shows everything but the compare views and the zoom.
#ifndef MAE_CHECK_HTML_REPORT_H
#define MAE_CHECK_HTML_REPORT_H

#include <string>
#include <vector>

#include "case_pictures.h"
#include "case_result.h"
#include "case_rules.h"

namespace mae::check {

// A class's page for one student: the student's name in its title and
// heading, a link back to the overview, and the pictures every page would
// otherwise embed again (the references, and outputs identical to theirs)
// taken from script files of the reports folder, one a picture. Loaded as
// data: URIs by the page's script, they leave the zoom's canvas readable
// from file:// (a picture file would not).
struct StudentPage {
  std::string student;
  std::string index_link;     // the overview, relative to the page
  std::string shared_folder;  // the shared pictures' folder, relative to the page
};

// A picture the page takes from a shared script file: KEY.js in the
// shared folder sets maeShared[KEY] to its data: URI.
struct SharedPicture {
  std::string key;
  const std::string* base64;  // the PNG's base64 text, in the case's pictures
};

// The text of a shared picture's script file.
std::string SharedPictureScript(const SharedPicture& picture);

// `pictures` holds the cases' pictures, one a case (none: no pictures).
// With `student`, the page is that student's, and *shared receives the
// pictures it takes from the shared folder.
std::string HtmlReport(const std::vector<CaseResult>& results,
                       const std::vector<CasePictures>& pictures, const CaseRules& rules,
                       const StudentPage* student = nullptr,
                       std::vector<SharedPicture>* shared = nullptr);

}  // namespace mae::check

#endif  // MAE_CHECK_HTML_REPORT_H
