#include "decode/profile_points.h"

#include <bit>

namespace sb {

namespace {

std::uint64_t little_endian(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

ValueTag ProfilePoints::Cursor::read(double& v) {
  const auto tag = static_cast<std::uint16_t>(little_endian(at, 2));
  at += 2;
  if (tag == 2) {
    v = static_cast<std::int16_t>(static_cast<std::uint16_t>(little_endian(at, 2)));
    at += 2;
    return ValueTag::Int16;
  }
  if (tag == 5) {
    v = std::bit_cast<double>(little_endian(at, 8));
    at += 8;
    return ValueTag::Float64;
  }
  v = 0.0;
  return ValueTag::Empty;
}

ProfilePoints::ProfilePoints(std::string_view bytes, std::int32_t extended)
    : extended_(extended),
      x_{reinterpret_cast<const unsigned char*>(bytes.data())},
      y_{reinterpret_cast<const unsigned char*>(bytes.data())} {
  // The y part starts where the x values end.
  double ignored = 0.0;
  for (std::int32_t m = 0; m <= extended; ++m) y_.read(ignored);
}

ProfilePoint ProfilePoints::next() {
  ProfilePoint p{};
  p.x_tag = x_.read(p.x);
  p.y_tag = y_.read(p.y);
  return p;
}

}  // namespace sb
