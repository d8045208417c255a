#include "documents/scenario_documents.h"

#include "documents/description_documents.h"
#include "documents/driver_documents.h"

namespace sb {

void write_scenario_documents(ScenarioModel& model, FileDoor& files) {
  dati_linea(model, files);
  dati_treno(model, files);
  dati_note(model, files);
  dati_rallentamenti(model, files);
  dati_scheda(model, files);
}

}  // namespace sb
