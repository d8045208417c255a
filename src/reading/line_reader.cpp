// The first half of memorizza_dati: the line description. Preamble up to
// "[generale]", the general region up to the first section name, the free
// region to the end of the file, then the gradient and plan tails.
#include <optional>

#include "model/error_codes.h"
#include "model/file_names.h"
#include "reading/line_reading.h"
#include "reading/line_recorders.h"
#include "reading/memorizza_dati.h"
#include "reading/plan.h"
#include "reading/text_match.h"

namespace sb {

namespace {

// A field with "-" stands for the field after it; at most `times` in a row.
// Between those reads the end of the file is not tested.
std::string after_hyphens(LineReading& r, std::string field, int times) {
  for (int i = 0; i < times && contains(field, "-"); ++i) field = r.read_keyword_field();
  return field;
}

// Everything up to the first field holding "[generale]". A file that ends
// with that field (or is empty) has none.
bool read_preamble(LineReading& r) {
  while (!r.at_end()) {
    const std::string field = r.read_keyword_field();
    if (r.at_end()) break;
    if (contains_nocase(field, "[generale]")) return true;
  }
  r.stop_with(err::kNoGeneralSection);
  return false;
}

Step read_general_region(LineReading& r) {
  while (!r.at_end()) {
    std::string field = r.read_keyword_field();
    if (r.at_end()) break;  // the last field is never examined
    field = after_hyphens(r, field, 10);
    const Step step = examine_general_field(r, field);
    if (step != Step::Continue) return step;
  }
  return Step::Leave;
}

void start_free_region(LineReading& r) {
  progressive_ordina(r.model);
  r.model.MountainCount = 0;
  r.context.boardSlot = 80;
  r.gradientCell = 0;
  r.planMetre = 2;
  if (r.model.ProfileWanted != 0) plan_start(r.model.ProfileTable);
}

// The free region's hyphen rule: up to two replacements, the end of the file
// tested after each read.
std::optional<std::string> next_free_field(LineReading& r) {
  if (r.at_end()) return std::nullopt;
  std::string field = r.read_keyword_field();
  if (r.at_end()) return std::nullopt;
  for (int i = 0; i < 2 && contains(field, "-"); ++i) {
    field = r.read_keyword_field();
    if (r.at_end()) return std::nullopt;
  }
  return field;
}

Step read_free_region(LineReading& r) {
  while (auto field = next_free_field(r)) {
    const Step step = examine_free_field(r, *field);
    if (step != Step::Continue) return step;
  }
  return Step::Leave;
}

// The last gradient runs on to the third-last cell.
void gradient_tail(LineReading& r) { fill_gradient(r, r.model.track_upper() - 2); }

// The plan runs straight on to metre ExtendedLength - 2.
void plan_tail(LineReading& r) {
  if (r.model.ProfileWanted == 0) return;
  run_straight_tail(r.model.ProfileTable, r.planMetre, static_cast<std::int64_t>(r.model.ExtendedLength) - 2);
}

}  // namespace

LineOutcome read_line_description(ReadingContext& context) {
  ScenarioModel& model = context.model;
  model.ScenarioHeader[85].name = model.RouteName;
  model.ScenarioHeader[86].name = model.TrainCode;

  const std::string name = line_description_name(model.RouteName);
  model.diagnostics.place = SourcePlace{context.inputs.path_of(name), 0, 0};
  if (!context.inputs.exists(name)) {
    record_error(model, err::kNoLineDescription);
    return LineOutcome::Stop;
  }

  LineReading reading(context, name);
  if (!read_preamble(reading)) return LineOutcome::Stop;
  if (read_general_region(reading) == Step::Stop) return LineOutcome::Stop;
  start_free_region(reading);
  if (read_free_region(reading) == Step::Stop) return LineOutcome::Stop;

  reading.close_and_delete();
  gradient_tail(reading);
  plan_tail(reading);
  return LineOutcome::ReadService;
}

}  // namespace sb
