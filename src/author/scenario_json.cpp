#include "author/scenario_json.h"

#include <iterator>

#include "decode/cell_description.h"
#include "decode/header_values.h"
#include "decode/plan_summary.h"
#include "documents/cp1252.h"

namespace sb {

namespace {

using Json = nlohmann::ordered_json;

constexpr CellProperty kProperties[] = {CellProperty::SpeedLimit, CellProperty::Gradient, CellProperty::Adhesion,
                                        CellProperty::Scenery};

Json field_json(const CellField& f) {
  if (const auto* n = std::get_if<std::int64_t>(&f.value)) return *n;
  return cp1252_to_utf8(std::get<std::string>(f.value));
}

// An object with room for `members`, filled member by member: the
// initializer-list form builds a two-element array for every member first,
// and the object regrows as members come. A long route has tens of thousands
// of such objects.
Json object_of(std::size_t members) {
  Json o = Json::object();
  o.get_ref<Json::object_t&>().reserve(members);
  return o;
}

const StationEntry* entries_of(const CompiledScenario& s) { return s.header ? s.header->entries.data() : nullptr; }
int records_of(const CompiledScenario& s) { return s.header ? s.header->records : 0; }

Json values_json(const DecodedHeader& h) {
  const ScenarioValues v = scenario_values(h.entries);
  Json markers = Json::array();
  for (const KilometreMarker& k : v.markers) {
    Json m = object_of(4);
    m["entry"] = k.entry;
    m["position"] = k.position;
    m["value"] = k.value;
    m["flag"] = k.flag;
    markers.push_back(std::move(m));
  }
  return Json{
      {"route_length", v.route_length},
      {"kilometre_markers", markers},
      {"backgrounds", {v.background1, v.background2, v.background3}},
      {"signal_repetition", {{"start", v.repetition_start}, {"end", v.repetition_end}, {"codes", v.repetition_codes}}},
      {"braked_mass_percent", v.braked_mass},
      {"cars", v.cars},
      {"sand", v.sand},
      {"start_clock", {{"hours", v.clock_h}, {"minutes", v.clock_m}, {"seconds", v.clock_s}}},
      {"route_name", cp1252_to_utf8(v.route_name)},
      {"train_code", cp1252_to_utf8(v.train_code)},
      {"mark", v.header_mark},
      {"check_code", v.header_check}};
}

Json stations_json(const DecodedHeader& h) {
  Json list = Json::array();
  for (const HeaderItem& it : stations_of(h.entries, h.records)) {
    const StationEntry& e = *it.data;
    Json station = object_of(14);
    station["entry"] = it.entry;
    station["position"] = e.position;
    station["kind"] = e.kind;
    station["area_start"] = e.areaStart;
    station["area_end"] = e.areaEnd;
    station["flag1"] = e.flag1;
    station["flag2"] = e.flag2;
    station["flag3"] = e.flag3;
    station["set1"] = Json::array({e.set1a, e.set1b, e.set1c});
    station["set2"] = Json::array({e.set2a, e.set2b, e.set2c});
    station["extra"] = e.extra;
    station["time_of_day"] = e.timeOfDay;
    station["time"] = clock_text(e.timeOfDay);
    station["name"] = cp1252_to_utf8(e.name);
    list.push_back(std::move(station));
  }
  return list;
}

Json boards_json(const DecodedHeader& h) {
  Json list = Json::array();
  for (const HeaderItem& it : boards_of(h.entries, h.records)) {
    Json board = object_of(2);
    board["entry"] = it.entry;
    board["text"] = cp1252_to_utf8(it.data->name);
    list.push_back(std::move(board));
  }
  return list;
}

Json cells_json(const CompiledScenario& s) {
  Json list = Json::array();
  const auto& cells = *s.track;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind == 0) continue;
    const std::vector<CellField> fields = describe_cell(c, entries_of(s), records_of(s));
    Json decoded = object_of(fields.size());
    for (const CellField& f : fields) decoded[json_key(f.label)] = field_json(f);
    Json cell = object_of(8);
    cell["cell"] = i;
    cell["position"] = object_position(c.kind, i);
    cell["kind"] = c.kind;
    cell["kind_name"] = cell_kind_name(c.kind);
    cell["values"] = Json::array({c.value1, c.value2, c.value3, c.value4});
    cell["signal_time"] = c.signalTime;
    cell["approach"] = c.approach;
    cell["decoded"] = std::move(decoded);
    list.push_back(std::move(cell));
  }
  return list;
}

Json profiles_json(const std::vector<TrackCell>& cells) {
  Json all = object_of(std::size(kProperties));
  for (CellProperty p : kProperties) {
    Json runs = Json::array();
    for (const PropertyRun& r : property_runs(cells, p)) {
      Json run = object_of(3);
      run["from"] = r.from_metre();
      run["to"] = r.to_metre();
      run["value"] = r.value;
      runs.push_back(std::move(run));
    }
    all[json_key(property_name(p))] = std::move(runs);
  }
  return all;
}

}  // namespace

std::string json_key(std::string label) {
  for (char& c : label) {
    if (c == ' ' || c == '/') c = '_';
  }
  return label;
}

Json plan_figures_json(const PlanTable& plan) {
  const PlanSummary p = summarise_plan(plan);
  return Json{{"points", p.points},
              {"first_metre", p.first_metre},
              {"last_metre", p.last_metre},
              {"length", p.length},
              {"bounding_box", {{"min_x", p.min_x}, {"max_x", p.max_x}, {"min_y", p.min_y}, {"max_y", p.max_y}}},
              {"net_turning_degrees", p.net_turning},
              {"total_turning_degrees", p.absolute_turning}};
}

Json scenario_json(const CompiledScenario& s, const Json* plan_figures) {
  // Room for every member first: an object that regrows copies its members
  // (their keys are const, so they cannot be moved), the cells' list with them.
  Json doc = object_of(kScenarioMembers);
  doc["valid"] = s.valid();
  if (s.header && s.header->complete()) doc["values"] = values_json(*s.header);
  if (s.header) {
    doc["stations"] = stations_json(*s.header);
    doc["boards"] = boards_json(*s.header);
  }
  if (s.track) {
    doc["cell_count"] = s.track->size();
    if (s.track->size() > 1)
      doc["track_marks"] = {{"mark", (*s.track)[1].value1}, {"check_code", (*s.track)[1].value2}};
    doc["cells"] = cells_json(s);
    doc["profiles"] = profiles_json(*s.track);
  }
  if (plan_figures != nullptr)
    doc["plan"] = *plan_figures;
  else if (s.plan)
    doc["plan"] = plan_figures_json(*s.plan);
  Json findings = Json::array();
  for (const Finding& f : s.findings) {
    Json finding = object_of(3);
    finding["file"] = f.file;
    finding["offset"] = f.offset;
    finding["message"] = f.message;
    findings.push_back(std::move(finding));
  }
  doc["findings"] = std::move(findings);
  doc["notes"] = s.notes;
  return doc;
}

}  // namespace sb
