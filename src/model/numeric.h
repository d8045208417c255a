// Conversions every position and value passes through: nearest() with ties
// to the even neighbour, and stores that keep the low bits of a value.
#pragma once

#include <cstdint>

namespace sb {

// x rounded to the nearest integer, an exact half to the even neighbour.
// A value that does not fit a 32-bit integer (or is not a number) is a
// run-time failure.
std::int32_t nearest(double x);
// The same, checked against the range of a 16-bit integer.
std::int16_t nearest16(double x);

// Integer stores into byte and 16-bit fields keep the low bits.
constexpr std::uint8_t low8(std::int64_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
constexpr std::int16_t low16(std::int64_t v) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}

// Narrowing of a value read from a description into a typed field: a value
// that the target cannot hold is a run-time failure (the readers' failure path).
std::int16_t fit16(std::int64_t v);
std::uint8_t fit8(std::int64_t v);

// The cell of a point object at position p: nearest(p / 50 + 1).
inline std::int32_t cell_of_point(std::int64_t p) { return nearest(static_cast<double>(p) / 50.0 + 1.0); }

}  // namespace sb
