#include "app/commands.h"

#include <sys/stat.h>

#include <string_view>

#include "app/author_inputs.h"
#include "app/diagnostic_printer.h"
#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/platform.h"
#include "compile/track_completion.h"
#include "documents/scenario_documents.h"
#include "model/file_names.h"

namespace sb {

namespace {

bool is_directory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// An input the author named must be a readable file before anything starts.
bool check_input(const std::string& what, const std::string& path, std::ostream& err) {
  try {
    open_input_path(path);
    return true;
  } catch (const FileError& e) {
    err << "scenario-builder: " << what << " " << e.what() << '\n';
    return false;
  }
}

char separator() { return native_platform().path_separator(); }

// The identifiers become part of file names: nothing in them may lead out of
// the output directory or be refused by a file system.
bool check_identifier(const std::string& what, const std::string& id, std::ostream& err) {
  for (char c : id) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      err << "scenario-builder: " << what << " '" << id << "' may not contain '" << c
          << "': it names the compiled files\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int run_export(const std::string& directory, std::ostream& out, std::ostream& err) {
  if (!is_directory(directory)) {
    err << "scenario-builder: " << directory << ": not a directory\n";
    return kExitFailure;
  }
  DirectoryFiles files(directory, separator());
  ScenarioModel model;
  model.RouteName = "ORSEA_MONTELBA";
  model.TrainCode = "RX17";
  try {
    DirectoryLock lock(directory, separator());
    write_scenario_documents(model, files);
  } catch (const FileError& e) {
    err << "scenario-builder: " << e.what() << '\n';
    return kExitFailure;
  }
  out << "wrote " << files.path_of(line_description_name(model.RouteName)) << " and "
      << files.path_of(service_description_name(model.RouteName, model.TrainCode))
      << " (and the driver's notes, slowdown order and timetable card)\n";
  return kExitOk;
}

CompileOutcome compile_descriptions(const CompileOptions& options, std::ostream& err, bool keep_diagnostics) {
  CompileOutcome outcome;
  outcome.status = kExitFailure;
  if (!check_input("line description", options.line_path, err) ||
      !check_input("service description", options.service_path, err)) {
    return outcome;
  }
  if (!is_directory(options.output_directory)) {
    err << "scenario-builder: " << options.output_directory << ": not a directory\n";
    return outcome;
  }
  if (!check_identifier("route", options.route_name, err) || !check_identifier("train", options.train_code, err)) {
    return outcome;
  }
  ScenarioModel model;
  model.RouteName = options.route_name;
  model.TrainCode = options.train_code;
  AuthorInputs inputs(line_description_name(model.RouteName), options.line_path,
                      service_description_name(model.RouteName, model.TrainCode), options.service_path);
  DirectoryFiles outputs(options.output_directory, separator());
  DiagnosticPrinter printer(err, !options.quiet, options.warnings_are_errors);
  if (keep_diagnostics) printer.keep_reported(&outcome.diagnostics);
  model.diagnostics.sink = &printer;
  const auto counted = [&] {
    outcome.error_code = model.ErrorCode;
    outcome.errors = printer.errors();
    outcome.warnings = printer.warnings();
  };
  try {
    // Runs into one directory take turns, so its three files always come
    // from one compile.
    DirectoryLock lock(options.output_directory, separator());
    memorizza_percorso(model, options.profile ? 1 : 0, inputs, outputs);
    outcome.files_written = true;
  } catch (const FatalError& e) {
    err << " Errore n. " << e.code() << '\n';
    counted();
    outcome.error_code = e.code();
    outcome.status = kExitFatal;
    return outcome;
  } catch (const NoTrackError& e) {
    err << "scenario-builder: " << e.what() << "; no compiled file written\n";
    counted();
    return outcome;
  } catch (const FileError& e) {
    err << "scenario-builder: " << e.what() << '\n';
    counted();
    return outcome;
  } catch (const std::exception& e) {
    err << "scenario-builder: " << e.what() << '\n';
    counted();
    return outcome;
  }
  counted();
  outcome.status = kExitOk;
  if (model.ErrorCode != 0) {
    outcome.status = kExitRecordedError;
  } else if (options.warnings_are_errors && printer.warnings() > 0) {
    err << "scenario-builder: " << printer.warnings() << " warning(s) treated as errors (--Werror)\n";
    outcome.status = kExitRecordedError;
  }
  return outcome;
}

int run_compile(const CompileOptions& options, std::ostream& err) { return compile_descriptions(options, err).status; }

}  // namespace sb
