#include "app/run_command.h"

#include "app/exit_status.h"
#include "app/output_directory.h"
#include "app/platform.h"
#include "app/run_sequence.h"

namespace sb {

namespace {

// The start-up run's platform on a console: no wait window, and what would
// be a message box is a line on the error stream.
class ConsolePlatform : public Platform {
 public:
  ConsolePlatform(std::string directory, std::ostream& err) : directory_(std::move(directory)), err_(err) {}
  // The folder the author named stands in for the program's own.
  std::string program_directory() override { return directory_; }
  char path_separator() const override { return native_platform().path_separator(); }
  void show_wait_window() override {}
  void message_box(const std::string& text) override { err_ << text << '\n'; }
  void close_wait_window() override {}

 private:
  std::string directory_;
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
  ConsolePlatform platform(directory, err);
  return form_load(platform);
}

}  // namespace sb
