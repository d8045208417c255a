#include "app/view_command.h"

#include <filesystem>

#include "app/compiled_location.h"
#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/output_directory.h"
#include "app/utf8_paths.h"
#include "author/view_page.h"
#include "decode/header_values.h"
#include "documents/cp1252.h"

namespace sb {

namespace {

// "ROUTE / TRAIN" from the header's identifiers, else the track file's name.
std::string page_title(const LocatedScenario& where, const CompiledScenario& s) {
  if (s.header && s.header->complete()) {
    const ScenarioValues v = scenario_values(s.header->entries);
    if (!v.route_name.empty()) return cp1252_to_utf8(v.route_name) + " / " + cp1252_to_utf8(v.train_code);
  }
  return cp1252_to_utf8(where.names.track);
}

}  // namespace

int run_view(const std::vector<std::string>& paths, const std::string& html_path, std::ostream& err) {
  if (paths.empty() || html_path.empty()) {
    err << "scenario-builder view: name a directory or a compiled file, and the page with -o FILE.html\n";
    return kExitFailure;
  }
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  try {
    const auto located = locate_all(paths);
    if (located.size() != 1) {
      err << "scenario-builder view: the paths name " << located.size() << " scenarios; one page shows one\n";
      return kExitFailure;
    }
    DirectoryFiles files(located[0].directory, separator);
    const CompiledScenario s = read_compiled(files, located[0].names);
    if (!s.track) {
      err << "scenario-builder view: a page needs at least the track file\n";
      return kExitFailure;
    }
    const std::string page = view_page(s, page_title(located[0], s));
    const std::filesystem::path out = utf8_path(html_path);
    const std::string dir = out.parent_path().empty() ? std::string(".") : path_utf8(out.parent_path());
    ensure_output_directory(dir);
    DirectoryFiles target(dir, separator);
    DirectoryLock lock(dir, separator);
    target.replace(path_utf8(out.filename()), [&](OutputSink& sink) { sink.write_at(0, page.data(), page.size()); });
    if (!s.valid()) {
      err << "scenario-builder view: written, but the files hold " << s.findings.size()
          << " faults (listed in the page; scenario-builder inspect lists them too)\n";
      return kExitRecordedError;
    }
    return kExitOk;
  } catch (const LocationError& e) {
    err << "scenario-builder view: " << e.what() << '\n';
  } catch (const FileError& e) {
    err << "scenario-builder view: " << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << "scenario-builder view: out of memory\n";
  }
  return kExitFailure;
}

}  // namespace sb
