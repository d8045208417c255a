// The handlers of the service description's entries and the state they share
// while the file is read. Each handler reads its entry's data fields from the
// stream and says how the reading goes on.
#pragma once

#include <cstdint>

#include "reading/field_reader.h"
#include "reading/memorizza_dati.h"

namespace sb {

struct ServiceReading {
  ReadingContext& context;
  FieldReader& fields;

  // Before the first entry of a kind its last value is 0; it reaches the
  // track only when that entry stands beyond position 0.
  std::int32_t speedCell = 0;     // next cell whose speed limit is still to be written
  std::int32_t lastSpeed = 0;     // km/h of the latest speed-limit entry
  std::int32_t adhesionCell = 0;  // next cell whose adhesion is still to be written
  std::int32_t lastAdhesion = 0;  // value of the latest adhesion entry
  std::int32_t stationSlot = 1;   // header entry the next station fills

  // Positions of the latest entries of the kinds that must come in order;
  // only for the warnings of `compile`.
  std::int64_t lastSpeedPosition = -1;
  std::int64_t lastAdhesionPosition = -1;

  ScenarioModel& model() { return context.model; }
  // Reads an entry's position; errors of the entry are reported at it.
  std::int32_t read_position();
};

enum class EntryOutcome {
  Next,   // go on with the next field
  Leave,  // leave the loop: the file is deleted, the profiles' tails filled
  Stop,   // close and delete the file and end the reading at once
};

EntryOutcome read_braked_mass(ServiceReading& r);
EntryOutcome read_cars(ServiceReading& r);
EntryOutcome read_speed_limit(ServiceReading& r);
EntryOutcome read_adhesion(ServiceReading& r);
EntryOutcome read_clock(ServiceReading& r);
EntryOutcome read_sand(ServiceReading& r);
EntryOutcome read_signal(ServiceReading& r);
EntryOutcome read_slowdown(ServiceReading& r);
EntryOutcome read_abbattimento(ServiceReading& r);
EntryOutcome read_station(ServiceReading& r);

// A position must be 0 or more (214) and lie on the track: (p + slack) / 50
// at most the track's upper index (15). Records the error when it does not.
bool position_on_track(ServiceReading& r, std::int64_t p, std::int32_t slack);

// Warns when an entry of `what` at `p` stands before the previous one at
// `previous`, then remembers `p`.
void check_order(ServiceReading& r, const char* what, std::int64_t p, std::int64_t& previous);

// Writes `value` into `field` of cell `next` and moves `next` on, at least
// once and then while `next` is below `until`; stops before passing cell
// `last`.
void fill_profile(ScenarioModel& model, std::int32_t& next, std::int32_t until, std::int32_t last,
                  std::uint8_t TrackCell::*field, std::uint8_t value);

}  // namespace sb
