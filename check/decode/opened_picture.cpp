#include "opened_picture.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace mae::check {

OpenedPicture::OpenedPicture(const std::string& path, std::uint64_t max_pixels) {
  const FileOutcome& outcome = file_.Open(path.c_str());
  if (outcome.status == BmpStatus::kCannotOpen || outcome.status == BmpStatus::kNotRegularFile) {
    return;
  }
  unsigned char first[kIdentifyBytes] = {};
  const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(file_.size(), sizeof first));
  if (!file_.ReadAt(0, first, n)) {
    return;  // the comparison's own read says what is wrong
  }
  kind_ = IdentifyBytes(first, n, file_.size());
  if (!kind_.decoded()) {
    return;
  }
  // Decoded from the mapped file; where the file system does not map it,
  // from a copy of its bytes (no more memory than the file holds).
  Decoding decoding;
  if (file_.Map()) {
    decoding = DecodeBytes(file_.mapped(), file_.size(), kind_, max_pixels);
  } else {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(file_.size()));
    decoding = file_.ReadAt(0, bytes.data(), bytes.size())
                   ? DecodeBytes(bytes.data(), bytes.size(), kind_, max_pixels)
                   : Decoding{DecodedFile(), "could not be read", RowLayout::kNone};
  }
  if (decoding.file.empty()) {
    decode_error_ = std::move(decoding.error);
    return;
  }
  BmpFile copy;
  copy.Adopt(decoding.file.release());
  file_ = std::move(copy);
  decoded_ = true;
  layout_ = decoding.layout;
}

ImageView OpenedPicture::View() const {
  const BmpHeader& h = file_.header();
  if (file_.mapped() == nullptr || file_.outcome().status != BmpStatus::kOk ||
      h.bit_count != kComparedBitCount) {
    return {};
  }
  return {file_.mapped() + h.offset, h.width, h.height, static_cast<std::size_t>(h.stride)};
}

}  // namespace mae::check
