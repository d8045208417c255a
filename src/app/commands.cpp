#include "app/commands.h"

#include <optional>
#include <stdexcept>
#include <string_view>

#include "app/author_inputs.h"
#include "app/cp1252_names.h"
#include "app/diagnostic_printer.h"
#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/output_directory.h"
#include "app/platform.h"
#include "compile/track_completion.h"
#include "documents/cp1252.h"
#include "documents/scenario_documents.h"
#include "model/file_names.h"

namespace sb {

namespace {

// An output directory named on the command line is made when missing.
bool prepare_output(const std::string& directory, std::ostream& err) {
  try {
    ensure_output_directory(directory);
    return true;
  } catch (const FileError& e) {
    err << "scenario-builder: " << e.what() << '\n';
    return false;
  }
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

// The identifiers are typed as UTF-8 text and stored as cp1252, the
// simulator's encoding: the header file and the check codes get one byte per
// letter, the same on every platform. A letter cp1252 lacks is refused.
std::optional<std::string> identifier_bytes(const std::string& what, const std::string& id, std::ostream& err) {
  std::string bytes;
  for (std::size_t i = 0; i < id.size();) {
    std::size_t end = i + 1;
    while (end < id.size() && (static_cast<unsigned char>(id[end]) & 0xC0) == 0x80) ++end;
    const std::string letter = id.substr(i, end - i);
    try {
      bytes += utf8_to_cp1252(letter);
    } catch (const std::invalid_argument&) {
      err << "scenario-builder: " << what << " '" << id << "': ";
      if (letter.size() == 1 && static_cast<unsigned char>(letter[0]) >= 0x80) {
        err << "the text is not UTF-8\n";
      } else {
        err << "'" << letter << "' has no place in the simulator's character set (Windows-1252)\n";
      }
      return std::nullopt;
    }
    i = end;
  }
  return bytes;
}

}  // namespace

int run_export(const std::string& directory, std::ostream& out, std::ostream& err) {
  if (!prepare_output(directory, err)) return kExitFailure;
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
  if (!check_identifier("route", options.route_name, err) || !check_identifier("train", options.train_code, err)) {
    return outcome;
  }
  const auto route = identifier_bytes("route", options.route_name, err);
  const auto train = route ? identifier_bytes("train", options.train_code, err) : std::nullopt;
  if (!route || !train) return outcome;
  if (!check_input("line description", options.line_path, err) ||
      !check_input("service description", options.service_path, err)) {
    return outcome;
  }
  if (!prepare_output(options.output_directory, err)) return outcome;
  ScenarioModel model;
  model.RouteName = *route;
  model.TrainCode = *train;
  AuthorInputs inputs(line_description_name(model.RouteName), options.line_path,
                      service_description_name(model.RouteName, model.TrainCode), options.service_path);
  DirectoryFiles directory(options.output_directory, separator());
  Cp1252NamedFiles outputs(directory);
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
