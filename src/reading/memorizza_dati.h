// memorizza_dati: reads the line description, then the service description,
// into the model. Every run-time failure in either half ends in one failure
// path: delete what still exists, ErrorCode := 25, return normally.
#pragma once

#include <cstdint>

#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

// State the two halves share while memorizza_dati runs.
struct ReadingContext {
  ScenarioModel& model;
  FileDoor& inputs;
  // The header entry the next information-board text takes; the service half
  // reads it to know where the station table ends.
  std::int32_t boardSlot = 80;
};

enum class LineOutcome {
  ReadService,  // normal end, or a position off the track (15): go on
  Stop,         // an error that ends memorizza_dati
};

// The first half: the line description. Deletes it on every path but 101.
LineOutcome read_line_description(ReadingContext& context);
// The second half: the service description. Deletes it on every path.
void read_service_description(ReadingContext& context);

void memorizza_dati(ScenarioModel& model, FileDoor& inputs);

}  // namespace sb
