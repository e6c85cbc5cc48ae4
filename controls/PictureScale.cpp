// Area-averaging resampling, separable: rows first, then columns.
#include "controls/PictureScale.h"

#include <algorithm>
#include <cmath>

namespace {

struct Tap {
  int index;
  double weight;
};

// For each target position the source positions it covers and their share of its area.
std::vector<std::vector<Tap>> AreaTaps(int srcLength, int dstLength) {
  std::vector<std::vector<Tap>> taps(static_cast<size_t>(dstLength));
  const double scale = double(srcLength) / dstLength;
  for (int d = 0; d < dstLength; ++d) {
    const double begin = d * scale, end = std::min((d + 1) * scale, double(srcLength));
    double total = 0;
    for (int s = int(std::floor(begin)); s < srcLength && s < end; ++s) {
      const double w = std::min(end, s + 1.0) - std::max(begin, double(s));
      if (w <= 0) continue;
      taps[size_t(d)].push_back({s, w});
      total += w;
    }
    for (Tap& t : taps[size_t(d)]) t.weight /= total;
  }
  return taps;
}

}  // namespace

std::vector<uint32_t> ScalePixelsArea(const std::vector<uint32_t>& src, int srcWidth,
                                      int srcHeight, int dstWidth, int dstHeight) {
  if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0 ||
      src.size() / size_t(srcWidth) < size_t(srcHeight))
    return {};
  const auto columns = AreaTaps(srcWidth, dstWidth);
  const auto rows = AreaTaps(srcHeight, dstHeight);

  // Horizontal pass: srcHeight rows of dstWidth pixels, three channels each.
  std::vector<double> wide(size_t(srcHeight) * size_t(dstWidth) * 3);
  for (int y = 0; y < srcHeight; ++y) {
    const uint32_t* line = src.data() + size_t(y) * size_t(srcWidth);
    for (int x = 0; x < dstWidth; ++x) {
      double* out = &wide[(size_t(y) * size_t(dstWidth) + size_t(x)) * 3];
      for (const Tap& t : columns[size_t(x)]) {
        const uint32_t p = line[t.index];
        for (int c = 0; c < 3; ++c) out[c] += t.weight * double((p >> (8 * c)) & 0xFF);
      }
    }
  }

  std::vector<uint32_t> dst(size_t(dstWidth) * size_t(dstHeight));
  for (int y = 0; y < dstHeight; ++y) {
    for (int x = 0; x < dstWidth; ++x) {
      double sum[3] = {0, 0, 0};
      for (const Tap& t : rows[size_t(y)]) {
        const double* in = &wide[(size_t(t.index) * size_t(dstWidth) + size_t(x)) * 3];
        for (int c = 0; c < 3; ++c) sum[c] += t.weight * in[c];
      }
      uint32_t p = 0;
      for (int c = 0; c < 3; ++c)
        p |= uint32_t(std::clamp(std::lround(sum[c]), 0L, 255L)) << (8 * c);
      dst[size_t(y) * size_t(dstWidth) + size_t(x)] = p;
    }
  }
  return dst;
}
