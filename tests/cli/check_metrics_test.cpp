// --metrics: the RMSE, the PSNR and the SSIM beside the MAE, in the table
// and the JSON, on pairs whose figures are known exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testkit/bmp_bytes.h"
#include "testkit/run_process.h"
#include "testkit/temp_dir.h"

namespace {

using bmptest::Bytes;
using Json = nlohmann::json;

// A 16 x 12 picture of smooth shades, and the same with every byte of
// its first row raised by `raise`.
Bytes Shades(unsigned raise) {
  Bytes pixels;
  for (unsigned i = 0; i < 16 * 12 * 3; ++i) {
    pixels.push_back(static_cast<unsigned char>((i % 48) * 4 + i / 48 + (i < 48 ? raise : 0)));
  }
  return bmptest::MakeBmp(16, 12, pixels);
}

TEST(MaeCheckMetrics, RmsePsnrAndSsimAreShownWhenAsked) {
  const bmptest::TempDir dir;
  bmptest::WriteFile(dir / "ref.bmp", Shades(0));
  bmptest::WriteFile(dir / "out.bmp", Shades(10));
  // 48 of 576 bytes off by 10: MSE 100 / 12.
  const double mse = 100.0 / 12;
  const struct {
    std::vector<std::string> args;
    Json rmse, psnr, ssim;  // null where not asked for (absent) or not known
    bool present[3];
  } rows[] = {
      {{"--metrics", "rmse,psnr", "out.bmp", "ref.bmp"},
       std::sqrt(mse),
       10 * std::log10(65025 / mse),
       nullptr,
       {true, true, false}},
      {{"--metrics", "ssim", "--metrics", "psnr", "ref.bmp", "ref.bmp"},
       nullptr,
       nullptr,
       1.0,
       {false, true, true}},
      // A border leaves a 10 x 6 area: below the SSIM's 11 x 11 window.
      {{"--metrics", "ssim", "--border", "3", "out.bmp", "ref.bmp"},
       nullptr,
       nullptr,
       nullptr,
       {false, false, true}},
  };
  for (const auto& row : rows) {
    std::vector<std::string> args = {"--json"};
    for (const std::string& a : row.args) {
      args.push_back(a.size() > 4 && a.substr(a.size() - 4) == ".bmp" ? dir / a : a);
    }
    const Json c = Json::parse(bmptest::Run(MAE_CHECK_EXE, args).out)["cases"][0];
    const char* keys[] = {"rmse", "psnr", "ssim"};
    const Json* want[] = {&row.rmse, &row.psnr, &row.ssim};
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(c.contains(keys[k]), row.present[k]) << keys[k];
      if (want[k]->is_number()) {
        EXPECT_NEAR(c[keys[k]].get<double>(), want[k]->get<double>(), 1e-12) << keys[k];
      } else if (row.present[k]) {
        EXPECT_TRUE(c[keys[k]].is_null()) << keys[k];
      }
    }
  }
  // The table: a column each after the MAE; identical pictures' PSNR is inf.
  const bmptest::RunResult table =
      bmptest::Run(MAE_CHECK_EXE, {"--metrics", "psnr,rmse", dir / "ref.bmp", dir / "ref.bmp"});
  EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
            "case  verdict  MAE  RMSE  PSNR dB  max diff  differing pixels  reason");
  EXPECT_NE(table.out.find("   0     0      inf"), std::string::npos) << table.out;
  const bmptest::RunResult wrong = bmptest::Run(MAE_CHECK_EXE, {"--metrics", "mse", dir / "a"});
  EXPECT_EQ(wrong.exit_status, 2);
  EXPECT_NE(wrong.err.find("--metrics takes rmse, psnr and ssim"), std::string::npos);
}

}  // namespace
