// Two compiled scenarios compared by meaning, not by bytes: the scenario
// values, the stations (matched by position and name), the objects on the
// track by kind (board texts with their boards), the per-cell properties as
// runs, the curves and the plan (where the two tracks first part by more than
// a millimetre, and how far apart they get). The result stays short on the
// longest route: runs and summaries, never a line per metre.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "decode/profile_points.h"
#include "model/profile_table.h"
#include "model/scenario_model.h"

namespace sb {

struct DiffSide {
  const std::array<StationEntry, kHeaderEntries>* entries = nullptr;
  int records = 0;
  const std::vector<TrackCell>* cells = nullptr;
  bool has_profile = false;
  // The plan: a decoded table, or else a well-formed profile file opened as
  // often as needed (equal files need no walk over the plan at all).
  const PlanTable* plan = nullptr;
  std::function<std::unique_ptr<ByteStream>()> open_profile;
};

struct FieldChange {
  std::string field;
  std::string before;
  std::string after;
};

struct Change {
  std::string section;  // "scenario", "station", "track", "profile", "curve", "plan"
  std::string subject;  // what changed: "route length", "signal at 2800 m"
  std::string kind;     // "added", "removed", "changed", "moved"
  std::vector<FieldChange> fields;
};

std::vector<Change> diff_scenarios(const DiffSide& a, const DiffSide& b);

// One line per change.
void print_changes(const std::vector<Change>& changes, std::ostream& out);
nlohmann::ordered_json changes_json(const std::vector<Change>& changes);

}  // namespace sb
