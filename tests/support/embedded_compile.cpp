#include "support/embedded_compile.h"

#include "compile/track_completion.h"
#include "documents/scenario_documents.h"

namespace sb::testing {

EmbeddedCompile compile_embedded_scenario() {
  EmbeddedCompile c;
  ScenarioModel model;
  model.RouteName = "ORSEA_MONTELBA";
  model.TrainCode = "RX17";
  write_scenario_documents(model, c.files);
  memorizza_percorso(model, 1, c.files, c.files);
  c.error_code = model.ErrorCode;
  return c;
}

}  // namespace sb::testing
