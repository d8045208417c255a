#include "app/large_table_advice.h"

#include "model/large_tables.h"

#if defined(__linux__)
#include <sys/mman.h>

#include <cstdint>
#endif

namespace sb {

#if defined(__linux__)
namespace {

// Huge pages for the whole 2 MiB blocks inside the table: a 1,000,000 m plan
// then costs a handful of page faults instead of thousands. Advice only: a
// system without transparent huge pages ignores it, and so does this.
void huge_pages(void* begin, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  const auto from = (reinterpret_cast<std::uintptr_t>(begin) + kHuge - 1) & ~(kHuge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(begin) + bytes) & ~(kHuge - 1);
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace

void install_large_table_advice() { set_large_table_advice(huge_pages); }
#else
void install_large_table_advice() {}
#endif

}  // namespace sb
