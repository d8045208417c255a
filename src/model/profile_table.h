// The plan of the track: x and y for every metre, each a tagged value that is
// empty, a 16-bit integer or a 64-bit float. Kept as two coordinate columns
// with a tag column each, so a metre costs 18 bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace sb {

// On disk a tag is a uint16; in memory one byte is enough, which keeps the
// two tag columns of a 1,000,000 m plan at 2 MB.
enum class ValueTag : std::uint8_t { Empty = 0, Int16 = 2, Float64 = 5 };

struct TaggedValue {
  ValueTag tag = ValueTag::Empty;
  double value = 0.0;  // an Int16 value is held exactly as a double
};

class PlanTable {
 public:
  // Metres 0 .. last_metre, both coordinates empty.
  void allocate(std::int32_t last_metre);
  void release();
  bool allocated() const { return !x_.empty(); }
  // Last metre index; the table must be allocated.
  std::int32_t last_metre() const { return static_cast<std::int32_t>(x_.size()) - 1; }

  // coordinate 0 = x, 1 = y. Out-of-range or unallocated use is a run-time failure.
  TaggedValue get(std::int64_t metre, int coordinate) const;
  void set_int16(std::int64_t metre, int coordinate, std::int16_t v);
  void set_float(std::int64_t metre, int coordinate, double v);

  // Unchecked column access for the plan integration and the file writer.
  const std::vector<double>& column(int coordinate) const { return coordinate == 0 ? x_ : y_; }
  const std::vector<ValueTag>& tags(int coordinate) const { return coordinate == 0 ? tx_ : ty_; }
  std::vector<double>& column(int coordinate) { return coordinate == 0 ? x_ : y_; }
  std::vector<ValueTag>& tags(int coordinate) { return coordinate == 0 ? tx_ : ty_; }

 private:
  void check(std::int64_t metre, int coordinate) const;
  std::vector<double> x_, y_;
  std::vector<ValueTag> tx_, ty_;
};

}  // namespace sb
