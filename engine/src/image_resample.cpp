// Area-averaging resampler. Each destination pixel covers a span of source
// pixels measured in 16.16 fixed point; every covered source pixel counts
// with the part of it that is covered, first along the source rows, then the
// row results down the column.
#include "engine/src/image_resample.h"

#include <cstring>

#include "engine/src/plcore/error.h"

namespace {

constexpr RwInt32 kChannels = 4;
constexpr RwUInt64 kFixedOne = 0x10000;
constexpr RwUInt64 kFixedFractionMask = 0xFFFF;
constexpr RwInt32 kFixedShift = 16;

// Positions are 16.16 fixed point held in 64 bits, so that sources of 65536
// pixels or more neither overflow the step nor the span ends.
typedef RwUInt64 Fixed;

// Source step per destination pixel in 16.16 units, at least 1.
Fixed FixedStep(RwInt32 sourceSize, RwInt32 destinationSize) {
  const double step = static_cast<double>(sourceSize) / static_cast<double>(destinationSize) * kFixedOne;
  const Fixed truncated = static_cast<Fixed>(step);
  return truncated > 0 ? truncated : 1;
}

// The part of source pixel `pixel` that the span [start, end] (inclusive,
// 16.16 units) covers, in 16.16 units.
Fixed Coverage(Fixed pixel, Fixed start, Fixed end) {
  const Fixed first = start >> kFixedShift;
  const Fixed last = end >> kFixedShift;
  if (first == last) {
    return end - start + 1;
  }
  if (pixel == first) {
    return kFixedOne - (start & kFixedFractionMask);
  }
  if (pixel == last) {
    return (end & kFixedFractionMask) + 1;
  }
  return kFixedOne;
}

// Averages one source row over [start, end]; channels in 0..1.
void AverageRow(const RwUInt8* row, Fixed start, Fixed end, double out[kChannels]) {
  double sums[kChannels] = {0.0, 0.0, 0.0, 0.0};
  for (Fixed x = start >> kFixedShift; x <= (end >> kFixedShift); ++x) {
    const double weight = static_cast<double>(Coverage(x, start, end));
    const RwUInt8* pixel = row + static_cast<size_t>(x) * kChannels;
    for (RwInt32 c = 0; c < kChannels; ++c) {
      sums[c] += pixel[c] / 255.0 * weight;
    }
  }
  const double extent = static_cast<double>(end - start + 1);
  for (RwInt32 c = 0; c < kChannels; ++c) {
    out[c] = sums[c] / extent;
  }
}

RwUInt8 ToChannel(double average) {
  const double value = average * 255.0 + 0.5;
  if (value >= 255.0) {
    return 255;
  }
  return value <= 0.0 ? 0 : static_cast<RwUInt8>(value);
}

}  // namespace

RwImage* RwImageResample(RwImage* destination, const RwImage* source) {
  if (destination->depth != 32 || source->depth != 32) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrImageFormatUnsupported));
    return nullptr;
  }
  if (destination->pixels == nullptr || source->pixels == nullptr) {
    RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrNullArgument));
    return nullptr;
  }
  destination->flags = (destination->flags & ~kRwImageGammaCorrected) | (source->flags & kRwImageGammaCorrected);
  if (destination->width <= 0 || destination->height <= 0 || source->width <= 0 || source->height <= 0) {
    return destination;
  }
  const Fixed stepX = FixedStep(source->width, destination->width);
  const Fixed stepY = FixedStep(source->height, destination->height);
  for (RwInt32 y = 0; y < destination->height; ++y) {
    const Fixed top = static_cast<Fixed>(y) * stepY;
    const Fixed bottom = top + stepY - 1;
    RwUInt8* outRow = destination->pixels + static_cast<size_t>(y) * destination->stride;
    for (RwInt32 x = 0; x < destination->width; ++x) {
      const Fixed left = static_cast<Fixed>(x) * stepX;
      const Fixed right = left + stepX - 1;
      double sums[kChannels] = {0.0, 0.0, 0.0, 0.0};
      for (Fixed sy = top >> kFixedShift; sy <= (bottom >> kFixedShift); ++sy) {
        double row[kChannels];
        AverageRow(source->pixels + static_cast<size_t>(sy) * source->stride, left, right, row);
        const double weight = static_cast<double>(Coverage(sy, top, bottom));
        for (RwInt32 c = 0; c < kChannels; ++c) {
          sums[c] += row[c] * weight;
        }
      }
      const double extent = static_cast<double>(stepY);
      for (RwInt32 c = 0; c < kChannels; ++c) {
        outRow[static_cast<size_t>(x) * kChannels + c] = ToChannel(sums[c] / extent);
      }
    }
  }
  return destination;
}

RwImage* RwImageCreateResample(const RwImage* source, RwInt32 width, RwInt32 height) {
  RwImage* destination = RwImageCreate(width, height, 32);
  if (destination == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(destination) == nullptr) {
    RwImageDestroy(destination);
    return nullptr;
  }
  if (source->depth == 32) {
    if (RwImageResample(destination, source) == nullptr) {
      RwImageDestroy(destination);
      return nullptr;
    }
    return destination;
  }
  RwImage* expanded = RwImageCreate(source->width, source->height, 32);
  if (expanded == nullptr) {
    RwImageDestroy(destination);
    return nullptr;
  }
  const bool ok = RwImageAllocatePixels(expanded) != nullptr && RwImageCopy(expanded, source) != nullptr &&
                  RwImageResample(destination, expanded) != nullptr;
  RwImageDestroy(expanded);
  if (!ok) {
    RwImageDestroy(destination);
    return nullptr;
  }
  return destination;
}
