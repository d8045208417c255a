// What a compiled track cell means to a person: the name of its kind, where
// its object stands, its values decoded; and the per-cell properties
// (speed limit, gradient, adhesion, scenery) gathered into runs.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

const char* cell_kind_name(std::uint8_t kind);

// Metre at which the object of a cell stands. Point objects (signals,
// slowdown marks, boards) sit in cell nearest(p / 50 + 1), so at (i - 1) × 50;
// markers in cell nearest(p / 50), so at i × 50; a station's end marker is
// the cell before its area's end, so at (i + 1) × 50.
std::int64_t object_position(std::uint8_t kind, std::size_t cell);

struct CellField {
  std::string label;
  std::variant<std::int64_t, std::string> value;
};

// The decoded values of an occupied cell. `header` (may be null) gives the
// names of stations and the texts of boards.
std::vector<CellField> describe_cell(const TrackCell& cell, const StationEntry* header_entries, int header_records);

enum class CellProperty { SpeedLimit, Gradient, Adhesion, Scenery };

const char* property_name(CellProperty p);
// The property's value in its unit: km/h for the speed limit, the
// line description's gradient value, adhesion and scenery as stored.
std::int64_t property_value(const TrackCell& cell, CellProperty p);
const char* property_unit(CellProperty p);

// Cells first .. last hold the same value; they cover the metres from
// first × 50 up to (last + 1) × 50.
struct PropertyRun {
  std::size_t first;
  std::size_t last;
  std::int64_t value;
  std::int64_t from_metre() const { return static_cast<std::int64_t>(first) * 50; }
  std::int64_t to_metre() const { return static_cast<std::int64_t>(last + 1) * 50; }
};

std::vector<PropertyRun> property_runs(const std::vector<TrackCell>& cells, CellProperty p);

// "hh:mm:ss" of a time of day in seconds (negative values keep their sign).
std::string clock_text(std::int64_t seconds);

}  // namespace sb
