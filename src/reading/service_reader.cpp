// The second half of memorizza_dati: the service description. The file is a
// stream of fields; a field holding a keyword starts an entry whose data
// fields follow it, and every other field is passed over. The file is
// deleted on every path (the failure path of memorizza_dati deletes it when a
// run-time failure ends the reading).
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/numeric.h"
#include "reading/keyword_suggestions.h"
#include "reading/memorizza_dati.h"
#include "reading/service_entries.h"
#include "reading/text_match.h"

namespace sb {

namespace {

constexpr int kFirstMarkerEntry = 81;
constexpr int kLastMarkerEntry = 83;

struct EntryKind {
  std::string_view word;
  std::string_view second_word;  // empty: the first word alone decides
  EntryOutcome (*read)(ServiceReading&);
};

// Tested in this order on every keyword field; each kind found is read, so a
// field holding two keywords reads both entries, the upper one first.
// "velocit" matches "velocita"; the section names ("[aderenze]", "[segnali]",
// "[stazioni]", "[rallentamenti]") hold none of these words.
constexpr std::array<EntryKind, 10> kEntryKinds{{
    {"frenata", "massa", read_braked_mass},
    {"vetture", "", read_cars},
    {"velocit", "", read_speed_limit},
    {"aderenza", "", read_adhesion},
    {"orologio", "", read_clock},
    {"sabbia", "", read_sand},
    {"segnale", "", read_signal},
    {"rallentamento", "", read_slowdown},
    {"abbattimento", "", read_abbattimento},
    {"stazione", "", read_station},
}};

bool names_kind(std::string_view field, const EntryKind& kind) {
  return contains_nocase(field, kind.word) && (kind.second_word.empty() || contains_nocase(field, kind.second_word));
}

// Everything up to and including the first "[generale]" is skipped. Returns
// false when the file ends first.
bool skip_preamble(ScenarioModel& model, FieldReader& fields) {
  while (!fields.at_end()) {
    model.InputField = fields.read_text();
    if (contains_nocase(model.InputField, "[generale]")) return true;
  }
  return false;
}

// The next keyword field, or nothing at the end of the file. The field that
// brings the file to its end is never examined. A field holding "-" is
// passed over in favour of the next, twice at most: a third in a row counts.
std::optional<std::string> next_keyword_field(ScenarioModel& model, FieldReader& fields) {
  if (fields.at_end()) return std::nullopt;
  model.InputField = fields.read_text();
  if (fields.at_end()) return std::nullopt;
  for (int skipped = 0; skipped < 2 && contains(model.InputField, "-"); ++skipped) {
    model.InputField = fields.read_text();
    if (fields.at_end()) return std::nullopt;
  }
  model.diagnostics.place = fields.place();
  return model.InputField;
}

// Reads every entry the field names, in the table's order. A field that
// names none is passed over, with a hint when it looks like a misspelt
// keyword.
EntryOutcome read_entries(ServiceReading& r, const std::string& field) {
  const SourcePlace place = r.fields.place();
  bool named = false;
  for (const EntryKind& kind : kEntryKinds) {
    if (!names_kind(field, kind)) continue;
    named = true;
    const EntryOutcome outcome = kind.read(r);
    if (outcome != EntryOutcome::Next) return outcome;
  }
  if (!named) note_passed_over(r.model(), KeywordRegion::Service, field, place);
  return EntryOutcome::Next;
}

EntryOutcome read_all_entries(ServiceReading& r) {
  while (const auto field = next_keyword_field(r.model(), r.fields)) {
    const EntryOutcome outcome = read_entries(r, *field);
    if (outcome != EntryOutcome::Next) return outcome;
  }
  return EntryOutcome::Leave;
}

// The last values hold to the end of the track: cells from each counter up
// to the third-last cell (at least the counter's own cell).
void fill_tails(ServiceReading& r) {
  ScenarioModel& model = r.model();
  const std::int32_t upper = model.track_upper();
  fill_profile(model, r.speedCell, upper - 2, upper, &TrackCell::speedLimit, fit8(nearest(r.lastSpeed / 5.0)));
  fill_profile(model, r.adhesionCell, upper - 2, upper, &TrackCell::adhesion, low8(r.lastAdhesion));
}

// The line description's kilometre markers must stand on 50 m steps.
void check_kilometre_markers(ScenarioModel& model) {
  for (int i = kFirstMarkerEntry; i <= kLastMarkerEntry; ++i) {
    const StationEntry& e = model.ScenarioHeader[static_cast<std::size_t>(i)];
    if (e.areaStart % 50 != 0 || e.areaEnd % 50 != 0) {
      record_error(model, err::kMarkerNotMultiple, SourcePlace{},
                   "kilometre marker at " + std::to_string(e.areaStart) + " with value " + std::to_string(e.areaEnd));
      return;
    }
  }
}

}  // namespace

void read_service_description(ReadingContext& context) {
  ScenarioModel& model = context.model;
  const std::string name = service_description_name(model.RouteName, model.TrainCode);
  std::optional<FieldReader> file(std::in_place, context.inputs.open_input(name), context.inputs.path_of(name));
  file->mirror_place_to(&model.diagnostics.last_field);
  ServiceReading r{context, *file};
  const EntryOutcome outcome = skip_preamble(model, *file) ? read_all_entries(r) : EntryOutcome::Leave;
  file.reset();  // closed before it is deleted
  context.inputs.remove(name);
  if (outcome == EntryOutcome::Stop) return;  // an entry was refused: no tails, no marker check

  fill_tails(r);
  check_kilometre_markers(model);
}

}  // namespace sb
