#include "report_assets.h"

#include "picture.h"

namespace mae::check {

std::string ReportStyle() {
  return std::string("<style>\n") + kBaseCss + kReportCss + "</style>\n";
}

std::string ClassStyle() {
  return std::string("<style>\n") + kBaseCss + kClassCss + "</style>\n";
}

std::string ReportScript() {
  return "<script>" + ReportScriptText() + "</script>\n";
}

std::string ReportScriptText() {
  // The faded grey's numbers, which the script needs to redraw a picture,
  // from where the pictures are drawn.
  const std::string fade = "window.maeFadedGrey = [" + std::to_string(kLumaWeights[0]) + ", " +
                           std::to_string(kLumaWeights[1]) + ", " +
                           std::to_string(kLumaWeights[2]) + ", " + std::to_string(kFadedBase) +
                           "];\n";
  return "\n" + fade + kReportJs;
}

}  // namespace mae::check
