// What went wrong, or nothing: the one way a function of mae-check says
// that it failed. A Problem is returned by value and tests true when there
// is one; its words are said as they are, after "mae-check: ", with what
// came from outside escaped where it is said (cli/messages.h).
#ifndef MAE_CHECK_PROBLEM_H
#define MAE_CHECK_PROBLEM_H

#include <string>
#include <utility>
#include <vector>

namespace mae::check {

// What a problem is about, for code that treats some apart.
enum class ProblemKind {
  kNone,     // no problem
  kUsage,    // the command line asks for what cannot be
  kSetup,    // a file or folder the run reads is missing or wrong
  kWrite,    // a file or folder cannot be written
  kPicture,  // a picture cannot be made
};

class [[nodiscard]] Problem {
 public:
  // No problem.
  Problem() = default;
  [[nodiscard]] static Problem None() { return Problem(); }
  // A problem of `kind` (not kNone) said in `words` (not empty).
  [[nodiscard]] static Problem Usage(std::string words) {
    return Problem(ProblemKind::kUsage, std::move(words));
  }
  [[nodiscard]] static Problem Setup(std::string words) {
    return Problem(ProblemKind::kSetup, std::move(words));
  }
  [[nodiscard]] static Problem Write(std::string words) {
    return Problem(ProblemKind::kWrite, std::move(words));
  }
  [[nodiscard]] static Problem Picture(std::string words) {
    return Problem(ProblemKind::kPicture, std::move(words));
  }

  // True when there is a problem.
  explicit operator bool() const { return kind_ != ProblemKind::kNone; }
  ProblemKind kind() const { return kind_; }
  // What is wrong; "" when nothing is.
  const std::string& words() const { return words_; }

  // The same problem, its words after `before`: "cannot write a.png: " +
  // words. No problem stays none.
  [[nodiscard]] Problem After(const std::string& before) const {
    return *this ? Problem(kind_, before + words_) : Problem();
  }

 private:
  Problem(ProblemKind kind, std::string words) : kind_(kind), words_(std::move(words)) {}

  ProblemKind kind_ = ProblemKind::kNone;
  std::string words_;
};

// The problems of a job that carries on past one (every picture it can
// write), in the order they came; each is said in turn.
class [[nodiscard]] Problems {
 public:
  Problems() = default;

  // Keeps `problem` when there is one.
  void Add(Problem problem) {
    if (problem) {
      list_.push_back(std::move(problem));
    }
  }
  void Add(Problems more) {
    for (Problem& problem : more.list_) {
      list_.push_back(std::move(problem));
    }
  }

  // True when there is at least one problem.
  explicit operator bool() const { return !list_.empty(); }
  const std::vector<Problem>& list() const { return list_; }

 private:
  std::vector<Problem> list_;
};

}  // namespace mae::check

#endif  // MAE_CHECK_PROBLEM_H
