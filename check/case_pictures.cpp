#include "case_pictures.h"

#include "load_bmp.h"

std::string CasePng(const Picture& picture, CaseResult* r) {
  std::string error;
  std::string png = EncodePng(picture, &error);
  if (png.empty() && r->picture_error.empty()) {
    r->picture_error = "cannot make a PNG picture: " + error;
  }
  return png;
}

std::string WholePicturePng(const std::string& path, CaseResult* r) {
  const LoadedBmp loaded = LoadBmp(path.c_str());
  if (loaded.file.status != BmpStatus::kOk || loaded.file.header.bit_count != kComparedBitCount) {
    return {};
  }
  const Picture picture =
      PictureFromBmp(loaded.pixels.get(), loaded.file.header.width, loaded.file.header.height);
  return picture.empty() ? std::string() : CasePng(picture, r);
}
