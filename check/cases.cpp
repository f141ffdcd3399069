#include "cases.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "MAE.h"
#include "bmp_file.h"
#include "picture.h"
#include "summary.h"

namespace {

constexpr std::size_t kCaseCount = sizeof output_name / sizeof output_name[0];

std::string Join(const std::string& dir, const char* name) {
  if (dir.empty() || dir == ".") {
    return name;
  }
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string SizeText(const Size& size) {
  return std::to_string(size.first) + "x" + std::to_string(size.second);
}

// The size of a file whose header was accepted; a 32-bit image still has
// a meaningful size, a top-down or damaged one does not.
std::optional<Size> SizeOf(const FileReport& report) {
  if (report.fields_read &&
      (report.status == BmpStatus::kOk || report.status == BmpStatus::kNot24Bit ||
       report.status == BmpStatus::kReadError)) {
    return Size{report.header.width, report.header.height};
  }
  return std::nullopt;
}

std::string FileProblem(const char* role, const std::string& path, const FileReport& report) {
  if (report.status == BmpStatus::kCannotOpen) {
    // The system's words for it; strerror is not safe on the worker threads.
    return std::string(role) + " " + path + " cannot be opened: " +
           std::error_code(report.open_error, std::generic_category()).message();
  }
  return std::string(role) + " " + path + " " + BmpStatusReason(report.status);
}

void AddReason(std::string* reasons, const std::string& reason) {
  if (!reasons->empty()) {
    *reasons += "; ";
  }
  *reasons += reason;
}

void Judge(const RunOptions& options, CaseResult* r) {
  const Comparison& cmp = r->comparison;
  std::string reasons;
  if (cmp.a.status != BmpStatus::kOk) {
    AddReason(&reasons, FileProblem("output", r->c.output, cmp.a));
  }
  if (cmp.b.status != BmpStatus::kOk) {
    AddReason(&reasons, FileProblem("reference", r->c.reference, cmp.b));
  }
  if (!reasons.empty() || !cmp.compared) {
    r->verdict = Verdict::kError;
    r->reason = reasons.empty() ? "the files could not be compared" : reasons;
    return;
  }
  if (cmp.sizes_differ) {
    AddReason(&reasons, "sizes differ: output " + SizeText(*r->output_size) + ", reference " +
                            SizeText(*r->reference_size));
  }
  if (cmp.compared_pixels() == 0) {
    AddReason(&reasons, "nothing to compare: a width or height is 0");
  } else if (!(cmp.mae <= options.max)) {
    AddReason(&reasons, "MAE above " + SixDigits(options.max));
  }
  r->verdict = reasons.empty() ? Verdict::kPass : Verdict::kFail;
  r->reason = reasons;
}

std::string Png(const Picture& picture, CaseResult* r) {
  std::string error;
  std::string png = EncodePng(picture, &error);
  if (png.empty() && r->picture_error.empty()) {
    r->picture_error = "cannot make a PNG picture: " + error;
  }
  return png;
}

// A whole 24-bit picture for the report, or nothing when it cannot be read.
std::string WholePicture(const std::string& path, CaseResult* r) {
  const LoadedBmp loaded = LoadBmp(path.c_str());
  if (loaded.status != BmpStatus::kOk || loaded.header.bit_count != 24) {
    return {};
  }
  const Picture picture =
      PictureFromBmp(loaded.pixels.get(), loaded.header.width, loaded.header.height);
  return picture.empty() ? std::string() : Png(picture, r);
}

CaseResult RunCase(const Case& c, const RunOptions& options) {
  CaseResult r;
  r.c = c;
  CompareOptions compare;
  compare.figures = true;
  std::optional<DiffPainter> painter;
  if (options.diff_pictures) {
    // Both sides are below 2^31: the header check refuses wider images.
    compare.on_area = [&painter](std::uint64_t width, std::uint64_t height) {
      painter.emplace(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    };
    compare.visit = [&painter](std::uint64_t row, std::uint64_t start, const unsigned char* a,
                               const unsigned char* b,
                               std::size_t n) { painter->Paint(row, start, a, b, n); };
  }
  r.comparison = CompareFiles(c.output.c_str(), c.reference.c_str(), compare);
  r.output_size = SizeOf(r.comparison.a);
  r.reference_size = SizeOf(r.comparison.b);
  Judge(options, &r);
  if (painter && r.comparison.compared) {
    r.diff_png = Png(painter->picture(), &r);
  }
  if (options.whole_pictures) {
    r.output_png = WholePicture(c.output, &r);
    r.reference_png = WholePicture(c.reference, &r);
  }
  return r;
}

}  // namespace

std::vector<Case> TenCases(const std::string& dir) {
  std::vector<Case> cases;
  for (std::size_t i = 0; i < kCaseCount; ++i) {
    std::string name = output_name[i];
    name.erase(name.rfind(".bmp"));
    cases.push_back({name, Join(dir, output_name[i]), Join(dir, ans_name[i])});
  }
  return cases;
}

Case OnePair(const std::string& output, const std::string& reference) {
  std::string name = std::filesystem::path(output).filename().string();
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
    name.erase(name.size() - 4);
  }
  return {name.empty() ? "output" : name, output, reference};
}

const char* VerdictWord(Verdict verdict) {
  switch (verdict) {
    case Verdict::kPass:
      return "pass";
    case Verdict::kFail:
      return "fail";
    case Verdict::kError:
      break;
  }
  return "error";
}

std::vector<CaseResult> RunCases(const std::vector<Case>& cases, const RunOptions& options) {
  std::vector<CaseResult> results(cases.size());
  unsigned threads = options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
  threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(cases.size())));
  // The cases are independent: each worker takes the next one not yet taken.
  // A worker that fails (out of memory) stops the others and its exception
  // reaches the caller, as it would without threads.
  std::atomic<std::size_t> next{0};
  std::mutex failure_mutex;
  std::exception_ptr failure;
  auto work = [&] {
    try {
      for (std::size_t i = next++; i < cases.size(); i = next++) {
        results[i] = RunCase(cases[i], options);
      }
    } catch (...) {
      next = cases.size();
      const std::lock_guard<std::mutex> lock(failure_mutex);
      failure = std::current_exception();
    }
  };
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: fewer workers do the same work
    }
  }
  work();
  for (std::thread& worker : workers) {
    worker.join();
  }
  if (failure) {
    std::rethrow_exception(failure);
  }
  return results;
}
