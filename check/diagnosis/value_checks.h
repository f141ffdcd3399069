// The mistakes that change a picture's values in place: an offset, values
// that wrap round instead of stopping at 0 and 255, a picture in grey.
#ifndef MAE_CHECK_VALUE_CHECKS_H
#define MAE_CHECK_VALUE_CHECKS_H

#include "image_view.h"

namespace mae::check {

// Every pixel grey: its three bytes within 1 of each other, as rounding in
// a grey program may leave them.
bool AllGrey(const ImageView& image);

// The colour picture, each pixel set to one grey value (the mean of its
// bytes, or BT.601 luma), is the grey one within `limit` a byte over the
// rows both share.
bool GreyingExplains(const ImageView& grey, const ImageView& colour, double limit);

// The amount N for which every output byte is the reference's plus N, held
// within 0-255, or 0 when no one amount does.
int Offset(const ImageView& o, const ImageView& r);

// Every byte where two pictures of one size differ is one where the
// reference is saturated (0 or 255), and some byte differs: what values
// that wrap round instead of stopping there leave. Stops at the first
// byte that proves otherwise.
bool OnlySaturatedDiffer(const ImageView& o, const ImageView& r);

}  // namespace mae::check

#endif  // MAE_CHECK_VALUE_CHECKS_H
