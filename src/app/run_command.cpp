#include "app/run_command.h"

#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/output_directory.h"
#include "app/platform.h"
#include "app/run_sequence.h"
#include "model/scenario_model.h"

namespace sb {

namespace {

// The start-up run's platform on a console: no wait window, and what would
// be a message box is a line on the error stream.
class ConsolePlatform : public Platform {
 public:
  explicit ConsolePlatform(std::ostream& err) : err_(err) {}
  std::string program_directory() override { return "."; }
  char path_separator() const override { return native_platform().path_separator(); }
  void show_wait_window() override {}
  void message_box(const std::string& text) override { err_ << text << '\n'; }
  void close_wait_window() override {}

 private:
  std::ostream& err_;
};

}  // namespace

int run_embedded(const std::string& directory, std::ostream& err) {
  try {
    ensure_output_directory(directory);
  } catch (const FileError& e) {
    err << "scenario-builder: " << e.what() << '\n';
    return kExitFailure;
  }
  ConsolePlatform platform(err);
  try {
    DirectoryLock lock(directory, platform.path_separator());
    DirectoryFiles files(directory, platform.path_separator());
    ScenarioModel model;
    return run_sequence(platform, files, model);
  } catch (const FileError& e) {
    err << "scenario-builder: " << e.what() << '\n';
    return kExitFailure;
  }
}

}  // namespace sb
