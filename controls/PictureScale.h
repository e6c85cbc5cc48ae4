// Area-averaging resampling of a picture's pixels, so that a picture stretched to its control
// stays smooth whatever the window system's own stretching does (some only drop pixels).
#pragma once
#include <cstdint>
#include <vector>

// Pixels are 32-bit values with blue in the lowest byte, then green and red (the layout of a
// 32-bit Windows DIB); rows run top-down without padding. The top byte comes out as 0.
//
// Each target pixel is the average of the source area it covers, weighted by coverage, rounded
// to the nearest value; enlarging therefore repeats pixels and blends only across the seams.
// Empty when a size is not positive or src holds fewer than srcWidth * srcHeight pixels.
std::vector<uint32_t> ScalePixelsArea(const std::vector<uint32_t>& src, int srcWidth,
                                      int srcHeight, int dstWidth, int dstHeight);
