#include "model/large_tables.h"

namespace sb {

namespace {
LargeTableAdvice g_advice = nullptr;
}  // namespace

void set_large_table_advice(LargeTableAdvice advice) { g_advice = advice; }

void advise_large_table(void* begin, std::size_t bytes) {
  if (g_advice != nullptr && begin != nullptr && bytes > 0) g_advice(begin, bytes);
}

}  // namespace sb
