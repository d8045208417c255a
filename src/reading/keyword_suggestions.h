// A field the readers pass over is most often a misspelt keyword, which
// silently drops a feature. These find the keyword such a field was probably
// meant to be.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/scenario_model.h"

namespace sb {

enum class KeywordRegion { LineGeneral, LineFree, Service };

// The keyword (as the documents write it) that `field` is close to, or
// nothing when it is close to none: section names, numbers and fields that
// resemble no keyword give nothing.
std::optional<std::string> suggest_keyword(KeywordRegion region, std::string_view field);

// Called by the readers for every field they pass over: warns when the field
// looks like a misspelt keyword of its region.
void note_passed_over(ScenarioModel& model, KeywordRegion region, std::string_view field, const SourcePlace& where);

}  // namespace sb
