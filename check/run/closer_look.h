// What is read of a case beyond its comparison: a failing case's closer
// look (what looks wrong, its output's pixel hash) and the SSIM.
#ifndef MAE_CHECK_CLOSER_LOOK_H
#define MAE_CHECK_CLOSER_LOOK_H

#include <cstdint>
#include <optional>
#include <vector>

#include "bmp_file.h"
#include "case_result.h"
#include "image_view.h"
#include "ssim.h"

namespace mae::check {

// A failing case's closer look: with `diagnose` what looks wrong, with
// `hash` its output's pixel hash, read in place from both mapped files
// (nothing when either is not mapped, or a file shrinks meanwhile).
void LookCloser(bool diagnose, bool hash, const ImageView& output, const ImageView& reference,
                CaseResult* r);

// The SSIM of the compared area (the common area less the border), read
// into memory first: the computation allocates, so it cannot read a
// mapping under the SIGBUS guard. Inside `same` (on the compared area) the
// output takes the reference's values. Nothing for an area under the
// window.
std::optional<double> ComparedSsim(const Comparison& c, std::uint32_t border, const BmpFile& output,
                                   const BmpFile& reference, const std::vector<PixelRect>& same);

}  // namespace mae::check

#endif  // MAE_CHECK_CLOSER_LOOK_H
