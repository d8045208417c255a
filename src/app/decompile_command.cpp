#include "app/decompile_command.h"

#include <filesystem>
#include <string_view>

#include "app/compiled_input.h"
#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/output_directory.h"
#include "author/decompile.h"
#include "documents/cp1252.h"
#include "model/file_names.h"

namespace sb {

namespace {

constexpr const char* kCommand = "scenario-builder decompile: ";

// The identifiers name the descriptions written: nothing in them may lead
// out of the output directory.
bool usable_identifier(const std::string& id) {
  for (char c : id) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

void write_file(DirectoryFiles& files, const std::string& name, const std::string& bytes) {
  files.replace(name, [&](OutputSink& sink) { sink.write_at(0, bytes.data(), bytes.size()); });
}

}  // namespace

int run_decompile(const DecompileOptions& options, std::ostream& out, std::ostream& err) {
  if (options.paths.empty() || options.output_directory.empty()) {
    err << kCommand << "name a directory or a compiled file, and the output directory with -o DIR\n";
    return kExitFailure;
  }
  try {
    // A well-formed plan is read through a small buffer, never held whole.
    const LoadedScenario s = load_scenario_streamed(options.paths);
    if (!s.decoded.header || !s.decoded.track || !s.decoded.valid()) {
      print_findings(s.decoded, err);
      err << kCommand << "the files are not valid; nothing written\n";
      return kExitFailure;
    }
    // The stored identifiers are cp1252; file names are UTF-8 text.
    const std::string route = options.route_name.empty() ? cp1252_to_utf8(s.bytes.route) : options.route_name;
    const std::string train = options.train_code.empty() ? cp1252_to_utf8(s.bytes.train) : options.train_code;
    if (!usable_identifier(route) || !usable_identifier(train)) {
      err << kCommand << "the identifiers \"" << route << "\" and \"" << train
          << "\" cannot name files; give others with --route and --train\n";
      return kExitFailure;
    }

    DecodedScenario scenario;
    scenario.entries = &s.decoded.header->entries;
    scenario.cells = &*s.decoded.track;
    scenario.plan = s.decoded.plan ? &*s.decoded.plan : nullptr;
    CompiledBytes original = s.bytes;
    if (s.open_profile) {
      scenario.open_profile = s.open_profile;
      original.open_profile = s.open_profile;
    } else if (s.bytes.has_profile) {
      scenario.profile_bytes = &s.bytes.profile;
    }
    const Descriptions d = decompile(scenario);
    // The proof uses the identifiers the files hold: they are part of the bytes.
    const RoundTrip proof = check_round_trip(d, original);

    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    ensure_output_directory(options.output_directory);
    DirectoryFiles target(options.output_directory, separator);
    DirectoryLock lock(options.output_directory, separator);
    const std::string line_name = line_description_name(route);
    const std::string service_name = service_description_name(route, train);
    write_file(target, line_name, d.line);
    write_file(target, service_name, d.service);
    out << "wrote " << target.path_of(line_name) << " and " << target.path_of(service_name) << '\n';

    if (proof.identical()) {
      out << "compiled again they give the same bytes";
      if (proof.error_code != 0)
        out << " (the compile ends with error code " << proof.error_code << ", as the original did)";
      out << '\n';
      return kExitOk;
    }
    if (!proof.failure.empty()) {
      out << "compiled again: " << proof.failure << '\n';
      return kExitRecordedError;
    }
    out << proof.total_differences << " difference(s) remain after compiling them again";
    if (proof.error_code != 0) out << " (the compile ends with error code " << proof.error_code << ")";
    out << ":\n";
    for (const Difference& diff : proof.differences) {
      out << "  " << diff.file << ": " << diff.where << ": " << diff.field << ": " << diff.in_files << " in the files, "
          << diff.after << " after recompiling\n";
    }
    if (proof.total_differences > proof.differences.size()) {
      out << "  ... and " << proof.total_differences - proof.differences.size() << " more\n";
    }
    return kExitRecordedError;
  } catch (const LocationError& e) {
    err << kCommand << e.what() << '\n';
  } catch (const FileError& e) {
    err << kCommand << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << kCommand << "out of memory\n";
  }
  return kExitFailure;
}

}  // namespace sb
