#include "app/watch_command.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/directory_files.h"
#include "app/directory_lock.h"
#include "app/exit_status.h"
#include "app/file_system.h"
#include "app/file_watcher.h"
#include "app/live_server.h"
#include "app/platform.h"
#include "author/live_view.h"
#include "author/view_page.h"
#include "documents/cp1252.h"
#include "model/file_names.h"

namespace sb {

namespace {

using Clock = std::chrono::steady_clock;

// Saves come as bursts of events (truncate, write, close; or write, rename):
// a compile starts once the files have been quiet this long.
constexpr std::chrono::milliseconds kQuiet(40);

std::string clock_time() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  local = *std::localtime(&now);  // one thread asks
#else
  localtime_r(&now, &local);
#endif
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

std::string plural(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// The first description that is not there, if any.
std::optional<std::string> missing_input(const CompileOptions& o) {
  for (const std::string* p : {&o.line_path, &o.service_path}) {
    if (path_kind(*p) == PathKind::missing) return *p;
  }
  return std::nullopt;
}

nlohmann::json outcome_json(const CompileOutcome& o, const std::string& time, long long ms, const std::string& printed,
                            std::uint64_t generation, std::uint64_t view, std::uint64_t plan) {
  nlohmann::json diagnostics = nlohmann::json::array();
  for (const auto& d : o.diagnostics) {
    diagnostics.push_back({{"severity", d.is_error ? "error" : "warning"},
                           {"file", d.where.file},
                           {"line", d.where.line},
                           {"column", d.where.column},
                           {"text", cp1252_to_utf8(d.text)},
                           {"quoted", cp1252_to_utf8(d.quoted_line)}});
  }
  return {{"generation", generation},
          {"time", time},
          {"status", o.status},
          {"error_code", o.error_code},
          {"errors", o.errors},
          {"warnings", o.warnings},
          {"ms", ms},
          {"view", view},
          {"plan", plan},
          {"files_written", o.files_written},
          {"diagnostics", diagnostics},
          {"printed", cp1252_to_utf8(printed)}};
}

class Watch {
 public:
  Watch(const WatchOptions& options, std::ostream& out, std::ostream& err) : options_(options), out_(out), err_(err) {}

  int run() {
    install_stop_handlers();
    std::unique_ptr<FileWatcher> watcher;
    try {
      watcher = watch_files({options_.compile.line_path, options_.compile.service_path});
    } catch (const FileError& e) {
      err_ << "scenario-builder watch: " << e.what() << '\n';
      return kExitFailure;
    }
    if (!options_.serve.empty() && !start_server()) return kExitFailure;
    out_ << "watching " << options_.compile.line_path << " and " << options_.compile.service_path << "; Ctrl-C ends"
         << std::endl;
    for (;;) {
      compile_or_wait();
      if (!next_burst(*watcher)) break;
    }
    if (server_) server_->stop();
    out_ << "stopped" << std::endl;
    return kExitOk;
  }

 private:
  bool start_server() {
    const auto address = parse_serve_address(options_.serve);
    if (!address) {
      err_ << "scenario-builder watch: --serve " << options_.serve << ": expected [ADDRESS:]PORT\n";
      return false;
    }
    std::string why;
    server_ = make_live_server(*address, why);
    if (!server_ || !server_->start(why)) {
      err_ << "scenario-builder watch: " << why << '\n';
      server_.reset();
      return false;
    }
    out_ << "serving " << server_->url() << std::endl;
    return true;
  }

  // Waits for a change, then for the burst it starts to end; false on a stop.
  static bool next_burst(FileWatcher& watcher) {
    FileWatcher::Wake w;
    do {
      w = watcher.wait(std::chrono::hours(1));
    } while (w == FileWatcher::Wake::timeout);
    if (w == FileWatcher::Wake::stop) return false;
    // A file written without pause (a copy of a large one) still gets its
    // compile within a second.
    const auto cap = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < cap && (w = watcher.wait(kQuiet)) == FileWatcher::Wake::changed) {
    }
    return w != FileWatcher::Wake::stop;
  }

  void compile_or_wait() {
    if (const auto missing = missing_input(options_.compile)) {
      // Editors that delete and write anew leave a moment without the file.
      out_ << clock_time() << " " << *missing << " is missing; waiting for it" << std::endl;
      return;
    }
    const auto start = Clock::now();
    std::ostringstream printed;
    const CompileOutcome o = compile_descriptions(options_.compile, printed, server_ != nullptr);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    const std::string time = clock_time();
    out_ << time << " error code " << o.error_code << ", " << plural(o.errors, "error") << ", "
         << plural(o.warnings, "warning") << ", " << ms << " ms"
         << (o.files_written ? "" : ", no compiled files written") << '\n'
         << printed.str() << std::flush;
    if (server_) publish(o, time, ms, printed.str());
  }

  // A compile that left files without errors gives the page a new scenario;
  // any other keeps the last good one on the map under its diagnostics.
  void publish(const CompileOutcome& o, const std::string& time, long long ms, const std::string& printed) {
    std::optional<LiveScenario> scenario;
    if (o.files_written && o.error_code == 0 && o.errors == 0) scenario = view_of_compiled_files();
    if (scenario) {
      view_generation_ = scenario->view;
      plan_generation_ = scenario->plan;
    }
    ++generation_;
    const auto json = outcome_json(o, time, ms, printed, generation_, view_generation_, plan_generation_);
    server_->publish(json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
                     scenario ? &*scenario : nullptr);
  }

  std::optional<LiveScenario> view_of_compiled_files() {
    const CompileOptions& c = options_.compile;
    const char separator = native_platform().path_separator();
    try {
      DirectoryFiles files(c.output_directory, separator);
      const CompiledNames names{c.profile ? profile_file_name(c.route_name) : std::string(),
                                header_file_name(c.route_name, c.train_code),
                                track_file_name(c.route_name, c.train_code)};
      {
        DirectoryLock lock(c.output_directory, separator);
        read_whole_into(files, names.header, bytes_.header);
        read_whole_into(files, names.track, bytes_.track);
        if (names.profile.empty())
          bytes_.profile.clear();
        else
          read_whole_into(files, names.profile, bytes_.profile);
      }
      const std::string title = cp1252_to_utf8(c.route_name) + " / " + cp1252_to_utf8(c.train_code);
      const auto frame = live_view_.show(names, bytes_, title);
      if (!frame) return std::nullopt;
      LiveScenario s;
      s.view = view_generation_ + 1;
      s.plan = frame->plan;
      s.scenario = frame->scenario;
      s.levels = frame->levels;
      // The live page reads which scenario and plan a page it opened shows
      // from its last node.
      s.page =
          std::make_shared<const std::string>(view_page_of(title, *frame->scenario, *frame->levels) + "<!-- view " +
                                              std::to_string(s.view) + " plan " + std::to_string(s.plan) + " -->");
      return s;
    } catch (const std::exception& e) {
      out_ << "scenario-builder watch: the page keeps the last scenario: " << e.what() << std::endl;
      return std::nullopt;
    }
  }

  const WatchOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  std::unique_ptr<LiveServer> server_;
  std::uint64_t generation_ = 0;
  std::uint64_t view_generation_ = 0;
  std::uint64_t plan_generation_ = 0;
  LiveView live_view_;
  CompiledFileBytes bytes_;  // the last files read, kept for their storage
};

}  // namespace

int run_watch(const WatchOptions& options, std::ostream& out, std::ostream& err) {
  return Watch(options, out, err).run();
}

}  // namespace sb
