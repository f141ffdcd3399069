// Each usual mistake named on a photo as well as on the picture the other
// test makes: ImageMagick's rose, scaled to an odd width. Skipped where
// ImageMagick is not installed.
#include <gtest/gtest.h>

#include <string>

#include "diagnosis_pictures.h"
#include "load_bmp.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

TEST(Diagnosis, NamesEachMistakeInAPhoto) {
  bmptest::TempDir dir;
  const std::string rose = dir / "rose.bmp";
  bool made = false;
  for (const char* tool : {"magick", "convert"}) {
    made = made || bmptest::Run("/usr/bin/env", {tool, "rose:", "-resize", "141x97!", "-type",
                                                 "truecolor", "BMP3:" + rose})
                           .exit_status == 0;
  }
  if (!made) {
    GTEST_SKIP() << "ImageMagick is not there to make the photo";
  }
  const mae::LoadedBmp loaded = mae::LoadBmp(rose.c_str());
  ASSERT_EQ(loaded.file.status, mae::BmpStatus::kOk);
  diagnosis_pictures::Image photo;
  photo.width = loaded.file.header.width;
  photo.height = loaded.file.header.height;
  photo.pixels.assign(loaded.pixels.get(), loaded.pixels.get() + loaded.file.header.block_size);
  ASSERT_EQ(photo.pixels.size(), std::size_t{photo.width} * photo.height * 3);
  diagnosis_pictures::ExpectEveryMistakeSaid(photo);
}

}  // namespace
