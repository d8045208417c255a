// The general region of the line description: route length, kilometre
// markers, backgrounds and the signal-repetition stretch. Every test runs on
// the same field, independently of the others.
#include "model/error_codes.h"
#include "reading/keyword_suggestions.h"
#include "reading/line_reading.h"
#include "reading/text_match.h"

namespace sb {

namespace {

StationEntry& entry(LineReading& r, int i) { return r.model.ScenarioHeader[static_cast<std::size_t>(i)]; }

Step read_route_length(LineReading& r) {
  const std::int32_t length = r.read_reported_int();
  entry(r, 84).areaEnd = length;
  if (length > kMaxRouteLength) return r.stop_with(err::kRouteTooLong);
  // A negative length would leave no cell 1 to hold the route's start.
  if (length < 0) return r.stop_with(err::kNegativeLinePosition);
  r.model.allocate_track(length);
  return Step::Continue;
}

void read_marker(LineReading& r, int i) {
  StationEntry& e = entry(r, i);
  e.areaStart = r.read_int();
  e.areaEnd = r.read_int();
  e.position = r.read_int();
}

Step read_repetition(LineReading& r, const std::string& field) {
  StationEntry& e = entry(r, 86);
  const SourcePlace keyword = r.model.diagnostics.place;
  e.areaStart = r.read_int();
  const SourcePlace start = r.field_place();
  e.areaEnd = r.read_int();
  const SourcePlace end = r.field_place();
  if (e.areaStart % 50 != 0) {
    r.model.diagnostics.place = start;
    return r.stop_with(err::kRepetitionStart);
  }
  if (e.areaEnd % 50 != 0) {
    r.model.diagnostics.place = end;
    return r.stop_with(err::kRepetitionEnd);
  }
  r.model.diagnostics.place = keyword;
  if (contains(field, "4")) {
    e.position = 4;
  } else if (contains(field, "9")) {
    e.position = 9;
  } else {
    return r.stop_with(err::kRepetitionCodes);
  }
  // An end of 0 means no repetition at all.
  if (e.areaEnd == 0) e.position = 0;
  return Step::Continue;
}

}  // namespace

Step examine_general_field(LineReading& r, const std::string& field) {
  const SourcePlace place = r.model.diagnostics.place;
  bool matched = false;
  if (contains_nocase(field, "percorso") && contains_nocase(field, "lunghezza")) {
    matched = true;
    if (read_route_length(r) == Step::Stop) return Step::Stop;
  }
  // Markers and backgrounds are matched with exact letter case.
  const bool marker = contains(field, "progressiva");
  const bool background = contains(field, "sfondo");
  const bool tre = contains(field, "tre"), due = contains(field, "due"), uno = contains(field, "uno");
  if (marker && tre) read_marker(r, 81);
  if (marker && due) read_marker(r, 82);
  if (marker && uno) read_marker(r, 83);
  if (background && uno) entry(r, 85).areaStart = r.read_int();
  if (background && due) entry(r, 85).position = r.read_int();
  if (background && tre) entry(r, 85).areaEnd = r.read_int();
  matched = matched || ((marker || background) && (tre || due || uno));
  if (contains(field, "segnali") && contains(field, "ripetizione")) {
    matched = true;
    if (read_repetition(r, field) == Step::Stop) return Step::Stop;
  }
  if (is_section_name(field)) return Step::Leave;
  if (!matched) note_passed_over(r.model, KeywordRegion::LineGeneral, field, place);
  return Step::Continue;
}

}  // namespace sb
