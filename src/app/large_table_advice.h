// The platform's advice for the core's large tables (see model/large_tables.h).
#pragma once

namespace sb {

// Called once by main, before any run.
void install_large_table_advice();

}  // namespace sb
