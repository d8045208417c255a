// One compiled scenario named on the command line, decoded and checked, with
// the bytes of its files kept for comparison.
#pragma once

#include <string>
#include <vector>

#include "app/compiled_location.h"
#include "author/decompile_check.h"
#include "decode/compiled_reader.h"

namespace sb {

struct LoadedScenario {
  LocatedScenario where;
  CompiledScenario decoded;
  CompiledBytes bytes;  // identifiers as the header file holds them
};

// The paths must name exactly one scenario (LocationError otherwise); a file
// that cannot be read is a FileError.
// With `keep_plan` false the plan of a well-formed profile is not decoded.
LoadedScenario load_scenario(const std::vector<std::string>& paths, bool keep_plan = true);

// The findings as `inspect` prints them, and the verdict line.
void print_findings(const CompiledScenario& s, std::ostream& out);

}  // namespace sb
