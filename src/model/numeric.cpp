#include "model/numeric.h"

#include <cmath>
#include <limits>
#include <string>

#include "model/runtime_failure.h"

namespace sb {

std::int32_t nearest(double x) {
  // nearbyint rounds in the current mode, which is to-nearest, ties-to-even.
  const double r = std::nearbyint(x);
  if (!(r >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
        r <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
    throw RuntimeFailure("value does not fit a 32-bit integer");
  }
  return static_cast<std::int32_t>(r);
}

std::int16_t nearest16(double x) { return fit16(nearest(x)); }

std::int16_t fit16(std::int64_t v) {
  if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
    throw RuntimeFailure("value " + std::to_string(v) + " does not fit a 16-bit integer");
  }
  return static_cast<std::int16_t>(v);
}

std::uint8_t fit8(std::int64_t v) {
  if (v < 0 || v > 255) throw RuntimeFailure("value " + std::to_string(v) + " does not fit a byte");
  return static_cast<std::uint8_t>(v);
}

}  // namespace sb
