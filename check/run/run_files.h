// The files a run reads: each picture told apart and, where the comparison
// does not read it as it lies, decoded; the teaching assistant's pictures
// (references and inputs) kept for the whole run, mapped once, for the
// looks that compare an output with other cases' pictures.
#ifndef MAE_CHECK_RUN_FILES_H
#define MAE_CHECK_RUN_FILES_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "case_result.h"
#include "case_rules.h"
#include "decoded_file.h"
#include "diagnosis.h"

namespace mae::check {

// A picture as the run reads it: what it is, and its decoded copy (empty
// where it is read as it lies, or cannot be decoded: then `error` says why).
struct Prepared {
  FileKind kind;
  DecodedFile copy;
  std::string read;  // the path it is read through
  RowLayout layout = RowLayout::kNone;
  std::string error;
};

Prepared Prepare(const std::string& path, std::uint64_t max_pixels);

ImageView ViewOf(const BmpFile& file);

// A picture opened and mapped, or nothing where it cannot be read as a
// 24-bit picture.
std::unique_ptr<BmpFile> Mapped(const std::string& path);

// The references of a run's cases and its input pictures, each prepared
// once and mapped on first use; safe to use from every case's job at once.
class SharedPictures {
 public:
  SharedPictures(const std::vector<Case>& cases, std::uint64_t max_pixels);

  // Case i's reference, prepared before any case runs (nothing for a case
  // with a problem).
  Prepared& reference(std::size_t i) { return references_[i]; }

  // Case i's reference mapped, or nullptr.
  const BmpFile* ReferenceMap(std::size_t i);

  // The input picture at `path` mapped, or nullptr.
  const BmpFile* InputMap(const std::string& path);

 private:
  struct Input {
    std::string path;
    Prepared prepared;
    std::unique_ptr<BmpFile> map;
  };
  const std::vector<Case>& cases_;
  std::uint64_t max_pixels_;
  std::vector<Prepared> references_;
  std::vector<std::unique_ptr<BmpFile>> reference_maps_;
  std::vector<bool> mapped_;
  std::vector<std::unique_ptr<Input>> inputs_;
  std::mutex mutex_;
};

// The diagnoses that compare case i's failing output (mapped as `output`)
// with other pictures: another case's reference (matches_other_case), the
// exercise's input (not_filtered). `results` holds case i's result, and the
// other cases' names and files.
void MatchOtherPictures(const CaseRules& rules, const std::vector<Case>& cases, std::size_t i,
                        const BmpFile* output, SharedPictures* shared, CaseResult* r);

}  // namespace mae::check

#endif  // MAE_CHECK_RUN_FILES_H
