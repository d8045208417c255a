// The two renderings of an inspected scenario: text for a person, JSON.
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

#include "app/compiled_location.h"
#include "decode/compiled_reader.h"

namespace sb {

void print_inspection(const LocatedScenario& where, const CompiledScenario& s, std::ostream& out);
nlohmann::ordered_json inspection_json(const LocatedScenario& where, const CompiledScenario& s);

}  // namespace sb
