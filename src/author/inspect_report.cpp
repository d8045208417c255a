#include "author/inspect_report.h"

#include "author/scenario_json.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

#include "decode/cell_description.h"
#include "decode/header_values.h"
#include "decode/plan_summary.h"
#include "documents/cp1252.h"
#include "model/numeric.h"

namespace sb {

namespace {

using Json = nlohmann::ordered_json;

constexpr CellProperty kProperties[] = {CellProperty::SpeedLimit, CellProperty::Gradient, CellProperty::Adhesion,
                                        CellProperty::Scenery};

std::string quoted(const std::string& cp1252) { return "\"" + cp1252_to_utf8(cp1252) + "\""; }

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string field_text(const CellField& f) {
  if (const auto* n = std::get_if<std::int64_t>(&f.value)) return f.label + " " + std::to_string(*n);
  return f.label + " " + quoted(std::get<std::string>(f.value));
}

const StationEntry* entries_of(const CompiledScenario& s) { return s.header ? s.header->entries.data() : nullptr; }
int records_of(const CompiledScenario& s) { return s.header ? s.header->records : 0; }

// --- text -----------------------------------------------------------------

void print_files(const LocatedScenario& where, std::ostream& out) {
  out << "directory  " << where.directory << '\n';
  const std::pair<const char*, const std::string*> files[] = {
      {"profile", &where.names.profile}, {"header ", &where.names.header}, {"track  ", &where.names.track}};
  for (const auto& [what, name] : files) out << what << "    " << (name->empty() ? "(none)" : *name) << '\n';
}

void print_values(const DecodedHeader& h, std::ostream& out) {
  if (!h.complete()) {
    out << "\nscenario values: the header holds only " << h.records << " of 87 records\n";
    return;
  }
  const ScenarioValues v = scenario_values(h.entries);
  out << "\nscenario values (entries 81 to 86)\n";
  out << "  route length        " << v.route_length << " m (track to " << v.route_length + kTrackBeyondRoute << " m)\n";
  for (const KilometreMarker& k : v.markers) {
    out << "  kilometre marker    entry " << k.entry << ": position " << k.position << " m, value " << k.value
        << ", flag " << k.flag << '\n';
  }
  out << "  backgrounds         " << v.background1 << ", " << v.background2 << ", " << v.background3 << '\n';
  out << "  signal repetition   from " << v.repetition_start << " m to " << v.repetition_end << " m, "
      << v.repetition_codes << " codes\n";
  out << "  braked mass         " << v.braked_mass << " %\n";
  out << "  cars                " << v.cars << '\n';
  out << "  sand                " << v.sand << '\n';
  out << "  start clock         " << std::setfill('0') << std::setw(2) << v.clock_h << ':' << std::setw(2) << v.clock_m
      << ':' << std::setw(2) << v.clock_s << std::setfill(' ') << '\n';
  out << "  identifiers         route " << quoted(v.route_name) << ", train " << quoted(v.train_code) << '\n';
  out << "  mark                " << v.header_mark << '\n';
  out << "  check code          " << v.header_check << '\n';
}

void print_stations(const DecodedHeader& h, std::ostream& out) {
  const auto stations = stations_of(h.entries, h.records);
  out << "\nstations (" << stations.size() << ")\n";
  out << "  entry  position  kind        area from .. to  flags 1 2 3  time      name\n";
  for (const HeaderItem& it : stations) {
    const StationEntry& e = *it.data;
    out << "  " << std::setw(5) << it.entry << "  " << std::setw(8) << e.position << "  " << std::setw(4) << int{e.kind}
        << "  " << std::setw(9) << e.areaStart << " .. " << std::setw(7) << e.areaEnd << "  " << std::setw(7)
        << int{e.flag1} << ' ' << int{e.flag2} << ' ' << int{e.flag3} << "  " << clock_text(e.timeOfDay) << "  "
        << cp1252_to_utf8(e.name) << '\n';
  }
  const auto boards = boards_of(h.entries, h.records);
  out << "\nboard texts (" << boards.size() << ")\n";
  for (const HeaderItem& it : boards) out << "  entry " << it.entry << ": " << quoted(it.data->name) << '\n';
}

void print_cells(const CompiledScenario& s, std::ostream& out) {
  const auto& cells = *s.track;
  std::size_t occupied = 0;
  for (const TrackCell& c : cells) occupied += c.kind != 0 ? 1 : 0;
  out << "\ntrack: " << cells.size() << " cells, " << occupied << " occupied\n";
  if (cells.size() > 1) out << "  cell 1: mark " << cells[1].value1 << ", check code " << cells[1].value2 << '\n';
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const TrackCell& c = cells[i];
    if (c.kind == 0) continue;
    out << "  cell " << std::setw(5) << i << "  at " << std::setw(7) << object_position(c.kind, i) << " m  "
        << cell_kind_name(c.kind) << " (" << int{c.kind} << ")";
    const auto fields = describe_cell(c, entries_of(s), records_of(s));
    for (std::size_t k = 0; k < fields.size(); ++k) out << (k == 0 ? ": " : ", ") << field_text(fields[k]);
    out << "  [" << c.value1 << ' ' << c.value2 << ' ' << c.value3 << ' ' << c.value4 << "]\n";
  }
  out << "\nprofiles\n";
  for (CellProperty p : kProperties) {
    for (const PropertyRun& r : property_runs(cells, p)) {
      if (p == CellProperty::Scenery && r.value == 0) continue;
      out << "  " << property_name(p) << ' ' << r.value << property_unit(p) << " from " << r.from_metre() << " m to "
          << r.to_metre() << " m\n";
    }
  }
}

void print_plan(const PlanTable& plan, std::ostream& out) {
  const PlanSummary p = summarise_plan(plan);
  out << "\nplan\n";
  out << "  points              " << p.points << " (metres " << p.first_metre << " to " << p.last_metre << ")\n";
  out << "  length              " << fixed(p.length, 1) << " m\n";
  out << "  bounding box        x " << fixed(p.min_x, 1) << " .. " << fixed(p.max_x, 1) << " m, y " << fixed(p.min_y, 1)
      << " .. " << fixed(p.max_y, 1) << " m\n";
  out << "  turning             net " << fixed(p.net_turning, 1) << " degrees, total " << fixed(p.absolute_turning, 1)
      << " degrees\n";
}

}  // namespace

void print_inspection(const LocatedScenario& where, const CompiledScenario& s, std::ostream& out) {
  print_files(where, out);
  if (s.header) {
    print_values(*s.header, out);
    print_stations(*s.header, out);
  }
  if (s.track) print_cells(s, out);
  if (s.plan) print_plan(*s.plan, out);
  for (const std::string& note : s.notes) out << "\nnote: " << note << '\n';
  out << '\n';
  for (const Finding& f : s.findings) out << f.file << ": offset " << f.offset << ": " << f.message << '\n';
  out << (s.valid() ? "valid\n" : "NOT valid: " + std::to_string(s.findings.size()) + " findings\n");
}

Json inspection_json(const LocatedScenario& where, const CompiledScenario& s) {
  // Reserved, as the scenario's own members are: an object that regrows
  // copies what it holds.
  Json doc = Json::object();
  doc.get_ref<Json::object_t&>().reserve(2 + kScenarioMembers);
  doc["directory"] = where.directory;
  doc["files"] = {{"profile", where.names.profile}, {"header", where.names.header}, {"track", where.names.track}};
  Json decoded = scenario_json(s);
  for (auto it = decoded.begin(); it != decoded.end(); ++it) doc[it.key()] = std::move(it.value());
  return doc;
}

}  // namespace sb
