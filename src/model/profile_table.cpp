#include "model/profile_table.h"

#include "model/large_tables.h"
#include "model/runtime_failure.h"

namespace sb {

void PlanTable::allocate(std::int32_t last_metre) {
  const auto n = static_cast<std::size_t>(last_metre) + 1;
  // Fresh columns keep no earlier content, and a smaller route frees memory.
  release();
  x_ = advised_vector(n, 0.0);
  y_ = advised_vector(n, 0.0);
  tx_ = advised_vector(n, ValueTag::Empty);
  ty_ = advised_vector(n, ValueTag::Empty);
}

void PlanTable::release() {
  std::vector<double>().swap(x_);
  std::vector<double>().swap(y_);
  std::vector<ValueTag>().swap(tx_);
  std::vector<ValueTag>().swap(ty_);
}

void PlanTable::check(std::int64_t metre, int coordinate) const {
  if (!allocated()) throw RuntimeFailure("the plan table was never allocated");
  if (metre < 0 || metre > last_metre() || coordinate < 0 || coordinate > 1) {
    throw RuntimeFailure("plan metre " + std::to_string(metre) + " outside the table");
  }
}

TaggedValue PlanTable::get(std::int64_t metre, int coordinate) const {
  check(metre, coordinate);
  const auto m = static_cast<std::size_t>(metre);
  return {tags(coordinate)[m], column(coordinate)[m]};
}

void PlanTable::set_int16(std::int64_t metre, int coordinate, std::int16_t v) {
  check(metre, coordinate);
  const auto m = static_cast<std::size_t>(metre);
  tags(coordinate)[m] = ValueTag::Int16;
  column(coordinate)[m] = v;
}

void PlanTable::set_float(std::int64_t metre, int coordinate, double v) {
  check(metre, coordinate);
  const auto m = static_cast<std::size_t>(metre);
  tags(coordinate)[m] = ValueTag::Float64;
  column(coordinate)[m] = v;
}

}  // namespace sb
