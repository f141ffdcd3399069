// The man pages' tables against the code's: every file status code and
// every diagnosis mae-check has, with its words, and every line MAE prints
// for a file it cannot use; no more and no fewer.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bmp_file.h"
#include "case_problem.h"
#include "diagnosis.h"
#include "image_format.h"
#include "status.h"

namespace {

using namespace mae;
using namespace mae::check;

// The lines of `section` (from its .SH line to the next) of a man page.
std::vector<std::string> Section(const std::string& page, const std::string& section) {
  std::ifstream in(std::string(MAE_MAN_DIR) + "/" + page);
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(".SH", 0) == 0) {
      inside = line == ".SH " + section;
    } else if (inside) {
      lines.push_back(line);
    }
  }
  return lines;
}

// roff's escapes as the reader sees them.
std::string Plain(std::string text) {
  const std::pair<std::string, std::string> escapes[] = {
      {"\\-", "-"}, {"\\(en", "\u2013"}, {"\\(aq", "'"}, {"\\fI", ""}, {"\\fP", ""}, {"\\fB", ""}};
  for (const auto& [from, to] : escapes) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

// The entries of a .TP list: the ".B term" line and the line after it.
std::vector<std::pair<std::string, std::string>> Entries(const std::vector<std::string>& lines) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (std::size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i] == ".TP" && lines[i + 1].rfind(".B ", 0) == 0) {
      std::string term = Plain(lines[i + 1].substr(3));
      if (term.size() >= 2 && term.front() == '"' && term.back() == '"') {
        term = term.substr(1, term.size() - 2);
      }
      entries.emplace_back(term, Plain(lines[i + 2]));
    }
  }
  return entries;
}

TEST(ManPages, ListEveryFileStatusCodeTheJsonHas) {
  std::set<std::string> expected;
  for (int s = 0; s < kBmpStatusCount; ++s) {
    expected.insert(BmpStatusCode(static_cast<BmpStatus>(s)));
  }
  for (const CaseProblem p : kCaseProblems) {
    expected.insert(CaseProblemCode(p));
  }
  expected.insert(kCannotDecodeCode);
  std::set<std::string> listed;
  for (const auto& [code, words] : Entries(Section("mae-check.1", "\"FILE STATUS CODES\""))) {
    listed.insert(code);
  }
  EXPECT_EQ(listed, expected);
}

TEST(ManPages, ListEveryDiagnosisWithItsWords) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const DiagnosisWords& d : kDiagnoses) {
    expected.emplace_back(d.code, std::string(d.words) + ".");
  }
  EXPECT_EQ(Entries(Section("mae-check.1", "DIAGNOSES")), expected);
}

TEST(ManPages, ListEveryLineMaePrintsForAFileItCannotUse) {
  std::set<std::string> expected;
  for (int s = 1; s < kBmpStatusCount; ++s) {
    FileOutcome file;
    file.status = static_cast<BmpStatus>(s);
    file.fields_read = true;
    file.header.bit_count = 32;
    std::string line = FileStatusLine(file, "PATH");
    if (file.status == BmpStatus::kNot24Bit) {
      line.replace(line.find("32"), 2, "N");  // the page says N for the file's own
    }
    expected.insert(line);
  }
  FileOutcome png;
  png.status = BmpStatus::kNotBmp;
  png.fields_read = true;
  png.header.other_format = OtherFormat::kPng;
  expected.insert(FileStatusLine(png, "PATH"));
  std::set<std::string> listed;
  for (const auto& [line, meaning] : Entries(Section("MAE.1", "OUTPUT"))) {
    if (line.find("Error: ") != std::string::npos || line.find("malloc") == 0) {
      listed.insert(line);
    }
  }
  EXPECT_EQ(listed, expected);
}

}  // namespace
