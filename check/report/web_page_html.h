// The web page a course publishes: one self-contained HTML file that runs
// mae-check's core (compiled to WebAssembly) on the files a student gives
// it, offline, with a Content-Security-Policy that allows no request.
#ifndef MAE_CHECK_WEB_PAGE_HTML_H
#define MAE_CHECK_WEB_PAGE_HTML_H

#include <string>

namespace mae::check {

struct WebPageParts {
  std::string title;        // the exercise's title, or "" for none
  std::string version;      // of the mae-check that writes the page
  std::string rules;        // when a case passes, in words
  std::string core_script;  // the core: defines createMaeCheck
  // The page's data, read by its script (page.js): the arguments of every
  // check, the exercise file, the cases' references, the embedded
  // references and input pictures (base64). JSON.
  std::string data_json;
};

// The page: its style (the report's and its own), data, the report's
// script, the core and its own script, each inline and named by its hash
// in the page's policy: no fetch, connection or frame; WebAssembly; data:
// and blob: pictures; style attributes, which the report's marks use.
std::string WebPageHtml(const WebPageParts& parts);

}  // namespace mae::check

#endif  // MAE_CHECK_WEB_PAGE_HTML_H
