#include "documents/driver_documents.h"

#include "model/file_names.h"

namespace sb {

// Placeholder content until the driver's documents are written.
DocumentBuffer notes_buffer() {
  DocumentBuffer b = make_document_buffer();
  b[0] = kEndMarker;
  return b;
}
DocumentBuffer slowdown_order_buffer() { return notes_buffer(); }
DocumentBuffer timetable_card_buffer() { return notes_buffer(); }

void dati_note(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, notes_name(model.RouteName, model.TrainCode), notes_buffer());
}
void dati_rallentamenti(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, slowdown_order_name(model.RouteName, model.TrainCode), slowdown_order_buffer());
}
void dati_scheda(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, timetable_card_name(model.RouteName, model.TrainCode), timetable_card_buffer());
}

}  // namespace sb
