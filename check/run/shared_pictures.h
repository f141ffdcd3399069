// The teaching assistant's pictures, references and inputs, each opened
// (and decoded, and mapped) once for a whole run, a folder's or a class's,
// and read from every case's job at once; and the report's picture of each
// reference, made once and reused by every student's page.
#ifndef MAE_CHECK_SHARED_PICTURES_H
#define MAE_CHECK_SHARED_PICTURES_H

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "opened_picture.h"
#include "problem.h"

namespace mae::check {

// A picture made for a page once: its base64 PNG text and that text's hash
// (FNV-1a), or why it could not be made.
struct SharedPng {
  std::string base64;
  std::uint64_t hash = 0;
  Problem problem;
};

class SharedPictures {
 public:
  explicit SharedPictures(std::uint64_t max_pixels) : max_pixels_(max_pixels) {}

  // The picture at `path`, opened and mapped the first time it is asked
  // for; the same record for every later case and student. Safe from
  // several threads: the record is not changed once it is returned (its
  // mapping is made before).
  OpenedPicture& Get(const std::string& path);

  // The page picture of the picture at `path` drawn with `step` (and
  // compressed harder when `smaller`), made by `make` the first time (its
  // hash is added here).
  const SharedPng& Png(const std::string& path, std::uint32_t step, bool smaller,
                       const std::function<SharedPng()>& make);

 private:
  struct Entry {
    std::once_flag opened;
    OpenedPicture picture;
    std::mutex pngs_mutex;
    std::map<std::pair<std::uint32_t, bool>, SharedPng> pngs;
  };
  Entry& EntryFor(const std::string& path);

  std::uint64_t max_pixels_;
  std::mutex mutex_;
  std::map<std::string, std::unique_ptr<Entry>> entries_;
};

}  // namespace mae::check

#endif  // MAE_CHECK_SHARED_PICTURES_H
