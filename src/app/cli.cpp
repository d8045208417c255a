#include "app/cli.h"

#include <CLI/CLI.hpp>
#include <iostream>

#include "app/commands.h"
#include "app/decompile_command.h"
#include "app/diff_command.h"
#include "app/exit_status.h"
#include "app/inspect_command.h"
#include "app/lsp_server.h"
#include "app/platform.h"
#include "app/plot_command.h"
#include "app/run_command.h"
#include "app/run_sequence.h"
#include "app/view_command.h"
#include "app/watch_command.h"

#ifndef SB_VERSION
#define SB_VERSION "0"
#endif
#ifndef SB_PLATFORM
#define SB_PLATFORM "unknown"
#endif

namespace sb {

int run_cli(int argc, char** argv) {
  // Without arguments the program is what it always was: the start-up run.
  if (argc <= 1) return form_load(native_platform());

  CLI::App app{
      "scenario-builder: compiles the scenario ORSEA_MONTELBA / RX17.\n"
      "Without arguments: writes the embedded documents next to the program, reads them back\n"
      "and writes the compiled files there."};
  app.set_version_flag("--version", std::string("scenario-builder ") + SB_VERSION + " (" + SB_PLATFORM + ")");
  // At most one subcommand; anything else on the line is named in the error.
  app.require_subcommand(0, 1);

  std::string export_dir = ".";
  auto* exp = app.add_subcommand("export", "Write the five embedded documents into DIR (default: .)");
  exp->add_option("DIR", export_dir, "Directory to write into");

  std::string run_dir;
  auto* run = app.add_subcommand("run", "The start-up run into DIR instead of next to the program");
  run->add_option("DIR", run_dir, "Directory to write into (made when missing)")->required();

  CompileOptions compile;
  auto* cmp = app.add_subcommand("compile", "Compile a line and a service description into the three compiled files");
  cmp->add_option("LINE", compile.line_path, "Line description")->required();
  cmp->add_option("SERVICE", compile.service_path, "Service description")->required();
  cmp->add_option("-o,--output", compile.output_directory, "Directory for the compiled files (default: .)");
  cmp->add_option("--route", compile.route_name, "Route identifier (default: ORSEA_MONTELBA)");
  cmp->add_option("--train", compile.train_code, "Train identifier (default: RX17)");
  bool no_profile = false;
  cmp->add_flag("--no-profile", no_profile, "Do not build the plan nor write the profile file");
  cmp->add_flag("--Werror", compile.warnings_are_errors, "Treat warnings as errors");
  cmp->add_flag("-q,--quiet", compile.quiet, "Do not print warnings");

  std::vector<std::string> inspect_paths;
  bool inspect_json = false;
  auto* ins = app.add_subcommand("inspect", "Print a compiled scenario for a person and check it (exit 1 when faulty)");
  ins->add_option("PATH", inspect_paths, "A directory or any of the three compiled files")->required();
  ins->add_flag("--json", inspect_json, "Print one JSON document");

  std::vector<std::string> plot_paths;
  std::string plot_output;
  auto* plt =
      app.add_subcommand("plot", "Draw a compiled scenario as one SVG: the plan and the profiles along the track");
  plt->add_option("PATH", plot_paths, "A directory or any of the three compiled files")->required();
  plt->add_option("-o,--output", plot_output, "The SVG file to write")->required();

  std::vector<std::string> view_paths;
  std::string view_output;
  auto* vw =
      app.add_subcommand("view", "Write one self-contained HTML page: a zoomable map of the plan over the profiles");
  vw->add_option("PATH", view_paths, "A directory or any of the three compiled files")->required();
  vw->add_option("-o,--output", view_output, "The HTML file to write")->required();

  DecompileOptions decompile;
  auto* dec = app.add_subcommand(
      "decompile", "Write the descriptions that compile to the given compiled files (exit 1 when they cannot)");
  dec->add_option("PATH", decompile.paths, "A directory or any of the three compiled files")->required();
  dec->add_option("-o,--output", decompile.output_directory, "Directory for the two descriptions")->required();
  dec->add_option("--route", decompile.route_name, "Route identifier for the file names (default: the stored one)");
  dec->add_option("--train", decompile.train_code, "Train identifier for the file names (default: the stored one)");

  std::string diff_a, diff_b;
  bool diff_json = false;
  auto* dif = app.add_subcommand("diff", "Compare two compiled scenarios by meaning (exit 1 when they differ)");
  dif->add_option("A", diff_a, "A directory or any of the three compiled files")->required();
  dif->add_option("B", diff_b, "The other scenario")->required();
  dif->add_flag("--json", diff_json, "Print one JSON document");

  WatchOptions watch;
  bool watch_no_profile = false;
  auto* wat = app.add_subcommand(
      "watch", "Compile as compile does, then again on every save; --serve shows it live in a browser");
  wat->add_option("LINE", watch.compile.line_path, "Line description")->required();
  wat->add_option("SERVICE", watch.compile.service_path, "Service description")->required();
  wat->add_option("-o,--output", watch.compile.output_directory, "Directory for the compiled files (default: .)");
  wat->add_option("--route", watch.compile.route_name, "Route identifier (default: ORSEA_MONTELBA)");
  wat->add_option("--train", watch.compile.train_code, "Train identifier (default: RX17)");
  wat->add_flag("--no-profile", watch_no_profile, "Do not build the plan nor write the profile file");
  wat->add_flag("--Werror", watch.compile.warnings_are_errors, "Treat warnings as errors");
  wat->add_flag("-q,--quiet", watch.compile.quiet, "Do not print warnings");
  wat->add_option("--serve", watch.serve, "Serve the live page on [ADDRESS:]PORT (address 127.0.0.1 unless given)");
  auto* lsp = app.add_subcommand(
      "lsp", "Serve the line and service descriptions to an editor (Language Server Protocol on stdin/stdout)");
  bool lsp_stdio = true;
  lsp->add_flag("--stdio", lsp_stdio,
                "Standard input and output (the only transport; accepted for clients that pass it)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitOk : kExitFailure;
  }

  if (exp->parsed()) return run_export(export_dir, std::cout, std::cerr);
  if (run->parsed()) return run_embedded(run_dir, std::cerr);
  if (cmp->parsed()) {
    compile.profile = !no_profile;
    return run_compile(compile, std::cerr);
  }
  if (ins->parsed()) return run_inspect(inspect_paths, inspect_json, std::cout, std::cerr);
  if (plt->parsed()) return run_plot(plot_paths, plot_output, std::cerr);
  if (vw->parsed()) return run_view(view_paths, view_output, std::cerr);
  if (dec->parsed()) return run_decompile(decompile, std::cout, std::cerr);
  if (dif->parsed()) return run_diff(diff_a, diff_b, diff_json, std::cout, std::cerr);
  if (wat->parsed()) {
    watch.compile.profile = !watch_no_profile;
    return run_watch(watch, std::cout, std::cerr);
  }
  if (lsp->parsed()) return run_lsp();
  std::cerr << "scenario-builder: a command is needed (export, run, compile, inspect, plot, view, decompile, diff, "
               "watch, lsp); see --help\n";
  return kExitFailure;
}

}  // namespace sb
