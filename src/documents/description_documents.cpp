#include "documents/description_documents.h"

#include "model/file_names.h"

namespace sb {

// Placeholder content until the embedded documents are written.
DocumentBuffer line_description_buffer() {
  DocumentBuffer b = make_document_buffer();
  b[0] = kEndMarker;
  return b;
}

DocumentBuffer service_description_buffer() {
  DocumentBuffer b = make_document_buffer();
  b[0] = kEndMarker;
  return b;
}

void dati_linea(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, line_description_name(model.RouteName), line_description_buffer());
}

void dati_treno(ScenarioModel& model, FileDoor& files) {
  write_document(model, files, service_description_name(model.RouteName, model.TrainCode),
                 service_description_buffer());
}

}  // namespace sb
