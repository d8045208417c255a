// The five documents of the scenario, written in the run's order: the line
// description, the service description, the notes, the slowdown order and
// the timetable card.
#pragma once

#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

void write_scenario_documents(ScenarioModel& model, FileDoor& files);

}  // namespace sb
