#include "author/diff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "author/decompile.h"
#include "decode/cell_description.h"
#include "decode/header_values.h"
#include "decode/profile_points.h"
#include "documents/cp1252.h"
#include "model/cell_kinds.h"

namespace sb {

namespace {

std::string num(std::int64_t v) { return std::to_string(v); }
std::string metres(std::int64_t v) { return num(v) + " m"; }

std::string value_text(const std::variant<std::int64_t, std::string>& v) {
  return std::holds_alternative<std::int64_t>(v) ? num(std::get<std::int64_t>(v))
                                                 : "\"" + std::get<std::string>(v) + "\"";
}

class Changes {
 public:
  std::vector<Change> list;
  void add(std::string section, std::string subject, std::string kind, std::vector<FieldChange> fields = {}) {
    list.push_back({std::move(section), std::move(subject), std::move(kind), std::move(fields)});
  }
};

template <typename T>
void field(std::vector<FieldChange>& out, const char* name, const T& a, const T& b) {
  if (!(a == b)) {
    if constexpr (std::is_same_v<T, std::string>) {
      out.push_back({name, "\"" + a + "\"", "\"" + b + "\""});
    } else {
      out.push_back({name, num(static_cast<std::int64_t>(a)), num(static_cast<std::int64_t>(b))});
    }
  }
}

void scenario_values_diff(const DiffSide& a, const DiffSide& b, Changes& out) {
  const ScenarioValues x = scenario_values(*a.entries), y = scenario_values(*b.entries);
  std::vector<FieldChange> f;
  field(f, "route length", x.route_length, y.route_length);
  for (std::size_t i = 0; i < 3 && i < x.markers.size() && i < y.markers.size(); ++i) {
    const std::string which = "kilometre marker " + num(static_cast<std::int64_t>(i) + 1);
    field(f, (which + " position").c_str(), x.markers[i].position, y.markers[i].position);
    field(f, (which + " value").c_str(), x.markers[i].value, y.markers[i].value);
    field(f, (which + " flag").c_str(), x.markers[i].flag, y.markers[i].flag);
  }
  field(f, "background 1", x.background1, y.background1);
  field(f, "background 2", x.background2, y.background2);
  field(f, "background 3", x.background3, y.background3);
  field(f, "signal repetition start", x.repetition_start, y.repetition_start);
  field(f, "signal repetition end", x.repetition_end, y.repetition_end);
  field(f, "signal repetition codes", x.repetition_codes, y.repetition_codes);
  field(f, "braked mass %", x.braked_mass, y.braked_mass);
  field(f, "cars", x.cars, y.cars);
  field(f, "sand", x.sand, y.sand);
  field(f, "clock", clock_text(x.clock_h * 3600 + x.clock_m * 60 + x.clock_s),
        clock_text(y.clock_h * 3600 + y.clock_m * 60 + y.clock_s));
  field(f, "route", x.route_name, y.route_name);
  field(f, "train", x.train_code, y.train_code);
  for (FieldChange& c : f) out.add("scenario", c.field, "changed", {c});
}

std::vector<FieldChange> station_fields(const StationEntry& x, const StationEntry& y) {
  std::vector<FieldChange> f;
  field(f, "name", x.name, y.name);
  field(f, "position", x.position, y.position);
  field(f, "kind", x.kind, y.kind);
  field(f, "area start", x.areaStart, y.areaStart);
  field(f, "area end", x.areaEnd, y.areaEnd);
  field(f, "flag1", x.flag1, y.flag1);
  field(f, "flag2", x.flag2, y.flag2);
  field(f, "flag3", x.flag3, y.flag3);
  field(f, "set1a", x.set1a, y.set1a);
  field(f, "set1b", x.set1b, y.set1b);
  field(f, "set1c", x.set1c, y.set1c);
  field(f, "set2a", x.set2a, y.set2a);
  field(f, "set2b", x.set2b, y.set2b);
  field(f, "set2c", x.set2c, y.set2c);
  field(f, "extra", x.extra, y.extra);
  field(f, "time", clock_text(x.timeOfDay), clock_text(y.timeOfDay));
  return f;
}

std::string station_subject(const StationEntry& e) { return "station " + e.name + " at " + metres(e.position); }

// Same position and name first; then the same position (renamed), then the
// same name (moved); what is left was added or removed.
void stations_diff(const DiffSide& a, const DiffSide& b, Changes& out) {
  const auto xs = stations_of(*a.entries, a.records);
  const auto ys = stations_of(*b.entries, b.records);
  std::vector<bool> used_x(xs.size()), used_y(ys.size());
  auto pass = [&](auto matches) {
    for (std::size_t i = 0; i < xs.size(); ++i) {
      if (used_x[i]) continue;
      for (std::size_t j = 0; j < ys.size(); ++j) {
        if (used_y[j] || !matches(*xs[i].data, *ys[j].data)) continue;
        used_x[i] = used_y[j] = true;
        auto f = station_fields(*xs[i].data, *ys[j].data);
        if (!f.empty()) out.add("station", station_subject(*xs[i].data), "changed", std::move(f));
        break;
      }
    }
  };
  pass([](const StationEntry& x, const StationEntry& y) { return x.position == y.position && x.name == y.name; });
  pass([](const StationEntry& x, const StationEntry& y) { return x.position == y.position; });
  pass([](const StationEntry& x, const StationEntry& y) { return x.name == y.name; });
  for (std::size_t i = 0; i < xs.size(); ++i) {
    if (!used_x[i]) out.add("station", station_subject(*xs[i].data), "removed");
  }
  for (std::size_t j = 0; j < ys.size(); ++j) {
    if (!used_y[j]) out.add("station", station_subject(*ys[j].data), "added");
  }
}

// Objects a person places: station ends follow from the stations, tunnel
// marks from the mountain stretches.
bool is_object(std::uint8_t kind) {
  return kind != cell_kind::kNothing && kind != cell_kind::kTunnelMark && kind != cell_kind::kStationEnd;
}

struct Object {
  std::size_t cell;
  std::uint8_t kind;
  std::vector<CellField> fields;
  std::string subject() const {
    return std::string(cell_kind_name(kind)) + " at " + metres(object_position(kind, cell));
  }
};

bool same_fields(const std::vector<CellField>& x, const std::vector<CellField>& y) {
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i].label != y[i].label || x[i].value != y[i].value) return false;
  }
  return true;
}

std::vector<FieldChange> cell_fields(const std::vector<CellField>& x, const std::vector<CellField>& y) {
  std::vector<FieldChange> f;
  std::map<std::string, std::string> before, after;
  for (const CellField& c : x) before[c.label] = value_text(c.value);
  for (const CellField& c : y) after[c.label] = value_text(c.value);
  for (const CellField& c : x) {
    const auto it = after.find(c.label);
    const std::string b = it == after.end() ? "-" : it->second;
    if (b != before[c.label]) f.push_back({c.label, before[c.label], b});
  }
  for (const CellField& c : y) {
    if (before.count(c.label) == 0) f.push_back({c.label, "-", after[c.label]});
  }
  return f;
}

void objects_diff(const DiffSide& a, const DiffSide& b, Changes& out) {
  const auto& xs = *a.cells;
  const auto& ys = *b.cells;
  std::vector<Object> removed, added;
  const std::size_t n = std::max(xs.size(), ys.size());
  static const TrackCell kEmpty{};
  for (std::size_t i = 0; i < n; ++i) {
    const TrackCell& x = i < xs.size() ? xs[i] : kEmpty;
    const TrackCell& y = i < ys.size() ? ys[i] : kEmpty;
    const bool ox = is_object(x.kind), oy = is_object(y.kind);
    if (!ox && !oy) continue;
    std::vector<CellField> fx, fy;
    if (ox) fx = describe_cell(x, a.entries->data(), a.records);
    if (oy) fy = describe_cell(y, b.entries->data(), b.records);
    if (ox && oy && x.kind == y.kind) {
      auto f = cell_fields(fx, fy);
      if (!f.empty()) out.add("track", Object{i, x.kind, {}}.subject(), "changed", std::move(f));
      continue;
    }
    if (ox) removed.push_back({i, x.kind, std::move(fx)});
    if (oy) added.push_back({i, y.kind, std::move(fy)});
  }
  // An object of the same kind and values a few cells away has moved.
  constexpr std::size_t kNearby = 20;
  std::vector<bool> paired(added.size());
  for (const Object& r : removed) {
    bool moved = false;
    for (std::size_t j = 0; j < added.size() && !moved; ++j) {
      const Object& ad = added[j];
      const std::size_t distance = ad.cell > r.cell ? ad.cell - r.cell : r.cell - ad.cell;
      if (paired[j] || ad.kind != r.kind || distance > kNearby || !same_fields(r.fields, ad.fields)) continue;
      paired[j] = true;
      moved = true;
      out.add("track", r.subject(), "moved",
              {{"position", metres(object_position(r.kind, r.cell)), metres(object_position(ad.kind, ad.cell))}});
    }
    if (!moved) {
      std::vector<FieldChange> f;
      for (const CellField& c : r.fields) f.push_back({c.label, value_text(c.value), "-"});
      out.add("track", r.subject(), "removed", std::move(f));
    }
  }
  for (std::size_t j = 0; j < added.size(); ++j) {
    if (paired[j]) continue;
    std::vector<FieldChange> f;
    for (const CellField& c : added[j].fields) f.push_back({c.label, "-", value_text(c.value)});
    out.add("track", added[j].subject(), "added", std::move(f));
  }
}

// Stretches of cells where the two values differ, one change per stretch of
// the same pair of values.
void profile_diff(const DiffSide& a, const DiffSide& b, CellProperty p, Changes& out) {
  const auto& xs = *a.cells;
  const auto& ys = *b.cells;
  const std::size_t n = std::min(xs.size(), ys.size());
  std::size_t i = 0;
  while (i < n) {
    const std::int64_t va = property_value(xs[i], p), vb = property_value(ys[i], p);
    if (va == vb) {
      ++i;
      continue;
    }
    std::size_t last = i;
    while (last + 1 < n && property_value(xs[last + 1], p) == va && property_value(ys[last + 1], p) == vb) ++last;
    const std::string subject = std::string(property_name(p)) + " " + num(static_cast<std::int64_t>(i) * 50) + " .. " +
                                metres(static_cast<std::int64_t>(last + 1) * 50);
    out.add("profile", subject, "changed",
            {{property_name(p), num(va) + property_unit(p), num(vb) + property_unit(p)}});
    i = last + 1;
  }
}

std::string curve_name(const CurveRun& c) { return std::string("curva") + c.side + std::to_string(c.curve_class); }

std::int32_t extended_of(const DiffSide& s) { return (*s.entries)[84].areaEnd + kTrackBeyondRoute; }

void curves_diff(const std::vector<CurveRun>& xs, const std::vector<CurveRun>& ys, Changes& out) {
  std::size_t i = 0, j = 0;
  auto subject = [](const CurveRun& c) { return "curve at " + metres(c.first - 1); };
  while (i < xs.size() || j < ys.size()) {
    if (j == ys.size() || (i < xs.size() && xs[i].first < ys[j].first)) {
      out.add("curve", subject(xs[i]), "removed",
              {{"curve", curve_name(xs[i]) + ", " + metres(xs[i].last - xs[i].first + 1), "-"}});
      ++i;
    } else if (i == xs.size() || ys[j].first < xs[i].first) {
      out.add("curve", subject(ys[j]), "added",
              {{"curve", "-", curve_name(ys[j]) + ", " + metres(ys[j].last - ys[j].first + 1)}});
      ++j;
    } else {
      std::vector<FieldChange> f;
      field(f, "class", xs[i].curve_class, ys[j].curve_class);
      if (xs[i].side != ys[j].side) f.push_back({"side", std::string(1, xs[i].side), std::string(1, ys[j].side)});
      field(f, "length", xs[i].last - xs[i].first + 1, ys[j].last - ys[j].first + 1);
      if (!f.empty()) out.add("curve", subject(xs[i]), "changed", std::move(f));
      ++i;
      ++j;
    }
  }
}

std::string fixed3(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

// Points metre by metre, from a decoded plan or from the profile's bytes.
class PointSource {
 public:
  explicit PointSource(const DiffSide& s) {
    if (s.plan != nullptr && s.plan->allocated()) {
      plan_ = s.plan;
      last_ = plan_->last_metre();
    } else {
      bytes_.emplace(s.open_profile(), s.open_profile(), extended_of(s));
      last_ = bytes_->last_metre();
    }
  }
  std::int32_t last_metre() const { return last_; }
  ProfilePoint next() {
    if (bytes_) return bytes_->next();
    const auto m = next_++;
    return {plan_->tags(0)[m], plan_->tags(1)[m], plan_->column(0)[m], plan_->column(1)[m]};
  }

 private:
  const PlanTable* plan_ = nullptr;
  std::optional<ProfilePoints> bytes_;
  std::size_t next_ = 0;
  std::int32_t last_ = -1;
};

// One walk over both plans: the curves of each, and over the metres both
// computed the first where the points are more than 1 mm apart and the
// largest distance.
void plan_diff(const DiffSide& a, const DiffSide& b, Changes& out) {
  PointSource pa(a), pb(b);
  CurveTracker ca, cb;
  const std::int32_t last = std::max(pa.last_metre(), pb.last_metre());
  std::int32_t first_apart = -1, farthest = -1;
  double largest = 0.0;
  for (std::int32_t m = 0; m <= last; ++m) {
    const bool in_a = m <= pa.last_metre(), in_b = m <= pb.last_metre();
    const ProfilePoint x = in_a ? pa.next() : ProfilePoint{};
    const ProfilePoint y = in_b ? pb.next() : ProfilePoint{};
    if (in_a) ca.feed(x);
    if (in_b) cb.feed(y);
    if (!in_a || !in_b) continue;
    if (x.x_tag == ValueTag::Empty || y.x_tag == ValueTag::Empty) continue;
    const double dx = x.x - y.x;
    const double dy = x.y - y.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d > 0.001 && first_apart < 0) first_apart = m;
    if (d > largest) {
      largest = d;
      farthest = m;
    }
  }
  // Past a metre that no step explains, curves cannot be told: compare
  // only the curves before it, and say where it is.
  std::int32_t limit = std::numeric_limits<std::int32_t>::max();
  for (const auto& [tracker, side] : {std::pair{&ca, "A"}, std::pair{&cb, "B"}}) {
    if (tracker->unexplained < 0) continue;
    limit = std::min(limit, tracker->unexplained);
    out.add("plan", "metre " + num(tracker->unexplained) + " of " + side + " follows no straight or curved step",
            "changed");
  }
  auto before_limit = [limit](std::vector<CurveRun> runs) {
    std::erase_if(runs, [limit](const CurveRun& r) { return r.first >= limit; });
    return runs;
  };
  curves_diff(before_limit(ca.runs), before_limit(cb.runs), out);
  if (first_apart >= 0) {
    out.add("plan",
            "the tracks part by more than 1 mm from metre " + num(first_apart) + "; largest distance " +
                fixed3(largest) + " m at metre " + num(farthest),
            "changed");
  }
}

}  // namespace

std::vector<Change> diff_scenarios(const DiffSide& a, const DiffSide& b) {
  Changes out;
  scenario_values_diff(a, b, out);
  stations_diff(a, b, out);
  objects_diff(a, b, out);
  for (CellProperty p :
       {CellProperty::SpeedLimit, CellProperty::Gradient, CellProperty::Adhesion, CellProperty::Scenery}) {
    profile_diff(a, b, p, out);
  }
  if (a.cells->size() != b.cells->size()) {
    out.add(
        "track", "cells", "changed",
        {{"cells", num(static_cast<std::int64_t>(a.cells->size())), num(static_cast<std::int64_t>(b.cells->size()))}});
  }
  const bool pa = a.has_profile, pb = b.has_profile;
  auto walkable = [](const DiffSide& s) { return (s.plan != nullptr && s.plan->allocated()) || s.open_profile; };
  bool same_plan = false;
  if (pa && pb && a.open_profile && b.open_profile) {
    auto x = a.open_profile(), y = b.open_profile();
    same_plan = same_bytes(*x, *y);
  }
  if (pa && pb && !same_plan && walkable(a) && walkable(b)) {
    plan_diff(a, b, out);
  } else if (pa != pb) {
    out.add("plan", "profile file", pa ? "removed" : "added");
  }
  return std::move(out.list);
}

void print_changes(const std::vector<Change>& changes, std::ostream& out) {
  for (const Change& c : changes) {
    out << c.section << ": " << cp1252_to_utf8(c.subject) << ": " << c.kind;
    const char* sep = ": ";
    for (const FieldChange& f : c.fields) {
      out << sep << f.field << " " << cp1252_to_utf8(f.before) << " -> " << cp1252_to_utf8(f.after);
      sep = ", ";
    }
    out << '\n';
  }
}

nlohmann::ordered_json changes_json(const std::vector<Change>& changes) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Change& c : changes) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::array();
    for (const FieldChange& f : c.fields) {
      fields.push_back({{"field", f.field}, {"before", cp1252_to_utf8(f.before)}, {"after", cp1252_to_utf8(f.after)}});
    }
    list.push_back(
        {{"section", c.section}, {"subject", cp1252_to_utf8(c.subject)}, {"change", c.kind}, {"fields", fields}});
  }
  return nlohmann::ordered_json{{"equal", changes.empty()}, {"changes", list}};
}

}  // namespace sb
