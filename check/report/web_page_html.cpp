#include "web_page_html.h"

#include "digest.h"
#include "html_text.h"
#include "report_assets.h"

namespace mae::check {

namespace {

std::string Hash(const std::string& text) {
  return "'sha256-" + Sha256Base64(text) + "'";
}

// JSON inside a <script> element: every "<" (which JSON has only inside
// strings) written as \u003c, which reads back the same, so that nothing
// in it ends the element or starts a comment early.
std::string InScript(const std::string& json) {
  std::string out;
  out.reserve(json.size());
  for (const char c : json) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string WebPageHtml(const WebPageParts& parts) {
  const std::string style = std::string("\n") + kBaseCss + kReportCss + kPageCss;
  const std::string report = ReportScriptText();
  const std::string core = "\n" + parts.core_script + "\n";
  const std::string page = std::string("\n") + kPageJs;
  const std::string policy = "default-src 'none'; script-src " + Hash(report) + " " + Hash(core) +
                             " " + Hash(page) + " 'wasm-unsafe-eval'; style-src-elem " +
                             Hash(style) + "; style-src-attr 'unsafe-inline'; img-src data: blob:";
  const std::string title = parts.title.empty() ? "Check your outputs" : parts.title;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
      policy +
      "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
      EscapeHtml(title) + " \u2014 mae-check</title>\n<style>" + style +
      "</style>\n<script type=\"application/json\" id=\"mae-page\">" + InScript(parts.data_json) +
      "</script>\n</head>\n<body>\n<main>\n"
      "<p class=\"private\">This page works offline: your files stay on this computer; it "
      "sends nothing anywhere and stores nothing.</p>\n<h1>" +
      EscapeHtml(title) + "</h1>\n<p class=\"version\">Checked by mae-check " +
      EscapeHtml(parts.version) +
      ", the command line's own code, compiled to WebAssembly and run in this page.</p>\n<p>" +
      EscapeHtml(parts.rules) +
      "</p>\n<div id=\"drop\">\n<p>Drop your output files, or their folder, here.</p>\n"
      "<label>Pick files <input type=\"file\" multiple></label>\n"
      "<label>Pick a folder <input type=\"file\" webkitdirectory multiple></label>\n</div>\n"
      "<p id=\"status\" aria-live=\"polite\"></p>\n<div id=\"results\"></div>\n</main>\n";
  html.reserve(html.size() + report.size() + core.size() + page.size() + 64);
  html += "<script>" + report + "</script>\n<script>" + core + "</script>\n<script>" + page +
          "</script>\n</body>\n</html>\n";
  return html;
}

}  // namespace mae::check
