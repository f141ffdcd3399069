// Decoding a PNG stream, a file's or one inside a BMP file, with libspng,
// at a cost bounded by what the stream holds.
#ifndef MAE_CHECK_PNG_DECODE_H
#define MAE_CHECK_PNG_DECODE_H

#include <cstdint>
#include <string>
#include <vector>

#include "picture_file.h"

namespace mae::check {

// Leaves out the chunks whose data is compressed apart from the pixels
// (zTXt, iTXt, iCCP), so that nothing inflates them, in place; returns the
// bytes of the IDAT chunks kept. Stops at a chunk that runs past the end,
// keeping the rest as it is (the decoder then says what is wrong).
std::uint64_t DropCompressedChunks(std::vector<unsigned char>* png);

// Decodes the PNG stream `png`, what it is called in words being `what`
// ("a PNG file"). A picture above `max_pixels`, or larger than its IDAT
// data could hold at deflate's best ratio, is refused before anything is
// reserved for it.
Decoding DecodePngStream(std::vector<unsigned char> png, const std::string& what,
                         std::uint64_t max_pixels);

}  // namespace mae::check

#endif  // MAE_CHECK_PNG_DECODE_H
