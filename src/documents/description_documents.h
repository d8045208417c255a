// The line description and the service description of the embedded scenario.
#pragma once

#include "documents/document_writer.h"
#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

// The buffers, lines from slot 0 and the end marker after the last line.
DocumentBuffer line_description_buffer();
DocumentBuffer service_description_buffer();

// Write them under the scenario's names (RouteName, TrainCode).
void dati_linea(ScenarioModel& model, FileDoor& files);
void dati_treno(ScenarioModel& model, FileDoor& files);

}  // namespace sb
