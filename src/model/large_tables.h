// A plan read back from a profile file (by inspect and plot) is the one
// large table the program keeps: megabytes that are allocated once and then
// written front to back. (A compile keeps its plan as runs.) The platform may give
// the system advice about such memory before it is first touched (on Linux:
// back it with huge pages, which saves thousands of page faults); the core
// only says where the table lies.
#pragma once

#include <cstddef>
#include <vector>

namespace sb {

using LargeTableAdvice = void (*)(void* begin, std::size_t bytes);

// Installed once at start-up by the program; without it nothing is advised.
void set_large_table_advice(LargeTableAdvice advice);
void advise_large_table(void* begin, std::size_t bytes);

// A new vector of n copies of `value`, its memory advised before it is filled.
template <typename T>
std::vector<T> advised_vector(std::size_t n, const T& value) {
  std::vector<T> v;
  v.reserve(n);
  advise_large_table(v.data(), n * sizeof(T));
  v.assign(n, value);
  return v;
}

}  // namespace sb
