#include "app/run_sequence.h"

#include <cstdio>

#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "compile/track_completion.h"
#include "documents/scenario_documents.h"

namespace sb {

namespace {
constexpr const char* kRouteName = "ORSEA_MONTELBA";
constexpr const char* kTrainCode = "RX17";

// A failure outside the readers: the report names the file and the cause.
int report_failure(Platform& platform, const std::string& what) {
  platform.message_box("scenario-builder: " + what);
  return kExitFailure;
}
}  // namespace

int errore(Platform& platform, const std::string& a) {
  platform.message_box(" Errore n. " + a);
  return kExitFatal;
}

int run_sequence(Platform& platform, FileDoor& files, ScenarioModel& model) {
  model.RouteName = kRouteName;
  model.TrainCode = kTrainCode;
  platform.show_wait_window();
  int status = kExitOk;
  try {
    write_scenario_documents(model, files);
    memorizza_percorso(model, 1, files, files);
  } catch (const FatalError& e) {
    status = errore(platform, std::to_string(e.code()));
  } catch (const FileError& e) {
    status = report_failure(platform, e.what());
  } catch (const std::exception& e) {
    status = report_failure(platform, e.what());
  }
  platform.close_wait_window();
  return status;
}

int form_load(Platform& platform) {
  const std::string directory = platform.program_directory();
  // Another run in the same folder would write, read back and delete the
  // same descriptions: the runs take turns.
  try {
    DirectoryLock lock(directory, platform.path_separator());
    DirectoryFiles files(directory, platform.path_separator());
    ScenarioModel model;
    return run_sequence(platform, files, model);
  } catch (const FileError& e) {
    return report_failure(platform, e.what());
  }
}

}  // namespace sb
