#include "app/inspect_command.h"

#include "app/compiled_location.h"
#include "app/directory_files.h"
#include "app/exit_status.h"
#include "author/inspect_report.h"

#include <filesystem>

namespace sb {

int run_inspect(const std::vector<std::string>& paths, bool json, std::ostream& out, std::ostream& err) {
  if (paths.empty()) {
    err << "scenario-builder inspect: name a directory or a compiled file\n";
    return kExitFailure;
  }
  try {
    const auto located = locate_all(paths);
    bool all_valid = true;
    nlohmann::ordered_json documents = nlohmann::ordered_json::array();
    for (const LocatedScenario& where : located) {
      DirectoryFiles files(where.directory, static_cast<char>(std::filesystem::path::preferred_separator));
      const CompiledScenario s = read_compiled(files, where.names);
      all_valid = all_valid && s.valid();
      if (json) {
        documents.push_back(inspection_json(where, s));
      } else {
        print_inspection(where, s, out);
      }
    }
    // One scenario is one object; several are an array of them.
    // Bytes that are no UTF-8 (a file name) come out as U+FFFD, never as a throw.
    const auto replace = nlohmann::ordered_json::error_handler_t::replace;
    if (json) out << (documents.size() == 1 ? documents[0] : documents).dump(2, ' ', false, replace) << '\n';
    return all_valid ? kExitOk : kExitRecordedError;
  } catch (const LocationError& e) {
    err << "scenario-builder inspect: " << e.what() << '\n';
  } catch (const FileError& e) {
    err << "scenario-builder inspect: " << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << "scenario-builder inspect: out of memory\n";
  }
  return kExitFailure;
}

}  // namespace sb
