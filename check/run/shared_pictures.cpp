#include "shared_pictures.h"

#include "fnv1a.h"

namespace mae::check {

SharedPictures::Entry& SharedPictures::EntryFor(const std::string& path) {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::unique_ptr<Entry>& entry = entries_[path];
  if (!entry) {
    entry = std::make_unique<Entry>();
  }
  return *entry;
}

OpenedPicture& SharedPictures::Get(const std::string& path) {
  Entry& entry = EntryFor(path);
  std::call_once(entry.opened, [&] {
    entry.picture = OpenedPicture(path, max_pixels_);
    // Mapped now, before any job reads it, so that no reader changes it.
    static_cast<void>(entry.picture.file().Map());
  });
  return entry.picture;
}

const SharedPng& SharedPictures::Png(const std::string& path, std::uint32_t step, bool smaller,
                                     const std::function<SharedPng()>& make) {
  Entry& entry = EntryFor(path);
  const std::lock_guard<std::mutex> lock(entry.pngs_mutex);
  const auto key = std::make_pair(step, smaller);
  auto found = entry.pngs.find(key);
  if (found == entry.pngs.end()) {
    SharedPng png = make();
    png.hash = Fnv1a(png.base64);
    found = entry.pngs.emplace(key, std::move(png)).first;
  }
  return found->second;
}

}  // namespace mae::check
