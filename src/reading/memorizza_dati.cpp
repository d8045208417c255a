#include "reading/memorizza_dati.h"

#include <new>
#include <stdexcept>

#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/runtime_failure.h"

namespace sb {

namespace {

void delete_if_present(FileDoor& inputs, const std::string& name) {
  try {
    if (inputs.exists(name)) inputs.remove(name);
  } catch (const FileError&) {
    // The failure path must end normally; a file that cannot be deleted stays.
  }
}

void failure_path(ScenarioModel& model, FileDoor& inputs, const std::string& cause, const SourcePlace& where) {
  delete_if_present(inputs, line_description_name(model.RouteName));
  delete_if_present(inputs, service_description_name(model.RouteName, model.TrainCode));
  record_error(model, err::kReadFailure, where, cause);
}

}  // namespace

void memorizza_dati(ScenarioModel& model, FileDoor& inputs) {
  ReadingContext context{model, inputs};
  model.diagnostics.last_field = SourcePlace{};
  try {
    if (read_line_description(context) == LineOutcome::Stop) return;
    read_service_description(context);
  } catch (const RuntimeFailure& e) {
    // At the field that failed, or else at the field read last.
    const SourcePlace& at = e.where().known() ? e.where() : model.diagnostics.last_field;
    failure_path(model, inputs, e.cause(), at);
  } catch (const FileError& e) {
    failure_path(model, inputs, e.what(), SourcePlace{});
  } catch (const std::bad_alloc&) {
    failure_path(model, inputs, "out of memory", model.diagnostics.last_field);
  } catch (const std::length_error& e) {
    failure_path(model, inputs, e.what(), model.diagnostics.last_field);
  }
}

}  // namespace sb
