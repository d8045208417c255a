#include "app/plot_command.h"

#include <filesystem>

#include "app/compiled_location.h"
#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/output_directory.h"
#include "app/utf8_paths.h"
#include "author/svg_plot.h"

namespace sb {

int run_plot(const std::vector<std::string>& paths, const std::string& svg_path, std::ostream& err) {
  if (paths.empty() || svg_path.empty()) {
    err << "scenario-builder plot: name a directory or a compiled file, and the picture with -o FILE.svg\n";
    return kExitFailure;
  }
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  try {
    const auto located = locate_all(paths);
    if (located.size() != 1) {
      err << "scenario-builder plot: the paths name " << located.size() << " scenarios; one picture shows one\n";
      return kExitFailure;
    }
    DirectoryFiles files(located[0].directory, separator);
    const CompiledScenario s = read_compiled(files, located[0].names);
    if (!s.header || !s.track) {
      err << "scenario-builder plot: a picture needs both the header file and the track file\n";
      return kExitFailure;
    }
    const std::string svg = scenario_svg(s);
    const std::filesystem::path out = utf8_path(svg_path);
    const std::string dir = out.parent_path().empty() ? std::string(".") : path_utf8(out.parent_path());
    ensure_output_directory(dir);
    DirectoryFiles target(dir, separator);
    DirectoryLock lock(dir, separator);
    target.replace(path_utf8(out.filename()), [&](OutputSink& sink) { sink.write_at(0, svg.data(), svg.size()); });
    if (!s.valid()) {
      err << "scenario-builder plot: drawn, but the files hold " << s.findings.size()
          << " faults (scenario-builder inspect lists them)\n";
      return kExitRecordedError;
    }
    return kExitOk;
  } catch (const LocationError& e) {
    err << "scenario-builder plot: " << e.what() << '\n';
  } catch (const FileError& e) {
    err << "scenario-builder plot: " << e.what() << '\n';
  } catch (const std::bad_alloc&) {
    err << "scenario-builder plot: out of memory\n";
  }
  return kExitFailure;
}

}  // namespace sb
