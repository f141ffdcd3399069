#include "class_grade.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "diagnosis_table.h"

namespace mae::check {

std::vector<StudentResult> GradeClass(const std::vector<Student>& students, const std::string& ans,
                                      const std::vector<std::string>& skipped,
                                      const RunOptions& options, const StudentDone& done,
                                      bool* trouble) {
  std::vector<StudentResult> results;
  results.reserve(students.size());
  // The references are the class's: opened, decoded and drawn once for
  // every student.
  SharedPictures shared(options.max_pixels);
  for (const Student& student : students) {
    StudentResult r;
    r.student = student;
    std::vector<CasePictures> pictures;
    const Exercise* exercise = options.rules.exercise ? &*options.rules.exercise : nullptr;
    r.cases = RunCases(StudentCases(exercise, student, ans, skipped), options, &shared, &pictures);
    for (const CaseResult& c : r.cases) {
      r.counts.Add(c.verdict);
      r.score += c.earned;
      r.max_score += c.points;
    }
    if (done && !done(r, pictures)) {
      *trouble = true;
    }
    results.push_back(std::move(r));
  }
  return results;
}

namespace {

// The output's path as its student's folder holds it: "sub/Blur1.bmp".
std::string InFolder(const StudentResult& s, const CaseResult& c) {
  const std::string& path = c.test_case.output;
  const std::string& folder = s.student.folder;
  if (!folder.empty() && path.compare(0, folder.size(), folder) == 0 &&
      path.size() > folder.size() + 1 && path[folder.size()] == '/') {
    return path.substr(folder.size() + 1);
  }
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Outputs of one case that are one file (a hard link shared between two
// submissions), passing or not: noted, and grouped as identical hand-ins.
// Outputs refused before comparison (links out, the reference) are not.
void MarkSameFiles(std::vector<StudentResult>* students, std::size_t i) {
  std::map<std::pair<dev_t, ino_t>, std::vector<std::size_t>> by_file;
  for (std::size_t s = 0; s < students->size(); ++s) {
    const CaseResult& c = (*students)[s].cases[i];
    struct stat st {};
    if ((*students)[s].student.Submitted() && c.test_case.problem.empty() &&
        !c.test_case.output.empty() && ::stat(c.test_case.output.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      by_file[{st.st_dev, st.st_ino}].push_back(s);
    }
  }
  for (const auto& [file, members] : by_file) {
    for (std::size_t k = 0; members.size() > 1 && k < members.size(); ++k) {
      CaseResult& c = (*students)[members[k]].cases[i];
      for (const std::size_t other : members) {
        const StudentResult& o = (*students)[other];
        if (other == members[k]) {
          continue;
        }
        c.note += (c.note.empty() ? "" : "; ") + std::string("same file as ") + o.student.name +
                  "'s " + InFolder(o, o.cases[i]);
        if (std::find(c.identical_to.begin(), c.identical_to.end(), o.student.name) ==
            c.identical_to.end()) {
          c.identical_to.push_back(o.student.name);
        }
      }
    }
  }
}

}  // namespace

namespace {

void MarkIdenticalCases(std::vector<StudentResult>* students) {
  for (std::size_t i = 0; i < (*students)[0].cases.size(); ++i) {
    // Students by the hash of their failing output's pixels, in order.
    std::map<std::uint64_t, std::vector<std::size_t>> by_hash;
    std::vector<std::uint64_t> order;
    for (std::size_t s = 0; s < students->size(); ++s) {
      const CaseResult& c = (*students)[s].cases[i];
      if (c.verdict != Verdict::kPass && c.output_hash) {
        auto& members = by_hash[*c.output_hash];
        if (members.empty()) {
          order.push_back(*c.output_hash);
        }
        members.push_back(s);
      }
    }
    for (const std::uint64_t hash : order) {
      const std::vector<std::size_t>& members = by_hash[hash];
      if (members.size() < 2) {
        continue;
      }
      for (const std::size_t s : members) {
        for (const std::size_t other : members) {
          if (other != s) {
            (*students)[s].cases[i].identical_to.push_back((*students)[other].student.name);
          }
        }
      }
    }
    MarkSameFiles(students, i);
  }
}

// The groups the marks make, each member case naming the others.
std::vector<IdenticalGroup> IdenticalGroups(const std::vector<StudentResult>& students) {
  std::vector<IdenticalGroup> groups;
  if (students.empty()) {
    return groups;
  }
  for (std::size_t i = 0; i < students[0].cases.size(); ++i) {
    std::vector<std::vector<std::string>> seen;
    for (const StudentResult& s : students) {
      const CaseResult& c = s.cases[i];
      if (c.identical_to.empty()) {
        continue;
      }
      std::vector<std::string> members = c.identical_to;
      members.push_back(s.student.name);
      std::sort(members.begin(), members.end());
      if (std::find(seen.begin(), seen.end(), members) == seen.end()) {
        seen.push_back(members);
        groups.push_back({c.test_case.name, members});
      }
    }
  }
  return groups;
}

// Mistakes a program makes the same way for every student who makes them.
bool Deterministic(const Diagnosis& d) {
  const DiagnosisWords* row = DiagnosisFor(d.code);
  return row != nullptr && row->deterministic;
}

std::vector<HandInGroup> HandInGroups(const std::vector<StudentResult>& students,
                                      const std::vector<IdenticalGroup>& identical) {
  std::vector<HandInGroup> groups;
  for (const IdenticalGroup& g : identical) {
    // The identical outputs share their diagnosis: the first member's says it.
    bool known = false;
    for (const StudentResult& s : students) {
      if (s.student.name != g.students[0]) {
        continue;
      }
      for (const CaseResult& c : s.cases) {
        if (c.test_case.name == g.case_name) {
          known = std::any_of(c.diagnosis.begin(), c.diagnosis.end(), Deterministic);
        }
      }
    }
    const auto same = std::find_if(groups.begin(), groups.end(),
                                   [&g](const HandInGroup& h) { return h.students == g.students; });
    if (same == groups.end()) {
      groups.push_back({g.students, {g.case_name}, known});
    } else {
      same->cases.push_back(g.case_name);
      same->known_mistake = same->known_mistake && known;
    }
  }
  return groups;
}

}  // namespace

ClassGroups MarkIdentical(std::vector<StudentResult>* students) {
  ClassGroups groups;
  if (students->empty()) {
    return groups;
  }
  MarkIdenticalCases(students);
  groups.identical = IdenticalGroups(*students);
  groups.hand_ins = HandInGroups(*students, groups.identical);
  return groups;
}

}  // namespace mae::check
