// The three documents for the driver: notes, slowdown order, timetable card.
#pragma once

#include "documents/document_writer.h"
#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

DocumentBuffer notes_buffer();
DocumentBuffer slowdown_order_buffer();
DocumentBuffer timetable_card_buffer();

void dati_note(ScenarioModel& model, FileDoor& files);
void dati_rallentamenti(ScenarioModel& model, FileDoor& files);
void dati_scheda(ScenarioModel& model, FileDoor& files);

}  // namespace sb
