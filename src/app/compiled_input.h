// One compiled scenario named on the command line, decoded and checked, with
// the bytes of its files kept for comparison.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/compiled_location.h"
#include "author/decompile_check.h"
#include "decode/compiled_reader.h"
#include "decode/profile_points.h"

namespace sb {

struct LoadedScenario {
  LocatedScenario where;
  CompiledScenario decoded;
  CompiledBytes bytes;  // identifiers as the header file holds them
  // Set by load_scenario_streamed for a well-formed profile: opens it anew.
  std::function<std::unique_ptr<ByteStream>()> open_profile;
};

// The paths must name exactly one scenario (LocationError otherwise); a file
// that cannot be read is a FileError.
// With `keep_plan` false the plan of a well-formed profile is not decoded.
LoadedScenario load_scenario(const std::vector<std::string>& paths, bool keep_plan = true);

// The same, but a well-formed profile is only read through, not kept: it
// can be opened again with open_profile. A faulty one is read and decoded
// for its findings as above.
LoadedScenario load_scenario_streamed(const std::vector<std::string>& paths);

// The findings as `inspect` prints them, and the verdict line.
void print_findings(const CompiledScenario& s, std::ostream& out);

}  // namespace sb
