// Writes the seed corpora the fuzz targets start from, made from the embedded
// descriptions: each whole, each cut after every section, and each section
// alone behind the general region. Usage: make_fuzz_seeds DIR (creates DIR/<target>/).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compile/track_completion.h"
#include "fuzz_support.h"
#include "model/file_names.h"

namespace fs = std::filesystem;

namespace {

void write_seed(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

// The document cut before each line that opens a section ("[...").
std::vector<std::string> section_cuts(const std::string& doc) {
  std::vector<std::string> cuts;
  for (std::size_t at = doc.find("\r\n["); at != std::string::npos; at = doc.find("\r\n[", at + 1)) {
    cuts.push_back(doc.substr(0, at + 2));
  }
  cuts.push_back(doc);
  return cuts;
}

// The general region, then one further section of the document: short,
// focused seeds that still size the track.
std::vector<std::string> single_sections(const std::string& doc) {
  std::vector<std::string> out;
  std::size_t start = doc.find("\r\n[", 1);
  const std::string general = doc.substr(0, start + 2);
  while (start != std::string::npos) {
    const std::size_t next = doc.find("\r\n[", start + 2);
    const std::string section = doc.substr(start + 2, next == std::string::npos ? std::string::npos : next - start);
    out.push_back(general + section);
    start = next;
  }
  return out;
}

void write_family(const fs::path& dir, const std::string& prefix, const std::vector<std::string>& docs) {
  for (std::size_t i = 0; i < docs.size(); ++i) write_seed(dir, prefix + std::to_string(i), docs[i]);
}

// The compiled files of a scenario, as the compiled-reader target takes them:
// the header's and the track's sizes (uint16 each), then header, track and
// the beginning of the profile.
std::vector<std::string> compiled_inputs(const std::string& line, const std::string& service,
                                         std::size_t track_cells = std::string::npos) {
  sb::ScenarioModel model;
  sb::fuzz::name_scenario(model);
  sb::MemoryFiles files = sb::fuzz::description_files(line, service);
  sb::memorizza_percorso(model, 1, files, files);
  const std::string& header = files.files.at(sb::header_file_name(sb::fuzz::kRoute, sb::fuzz::kTrain));
  const std::string track =
      files.files.at(sb::track_file_name(sb::fuzz::kRoute, sb::fuzz::kTrain)).substr(0, 15 * track_cells);
  const std::string& profile = files.files.at(sb::profile_file_name(sb::fuzz::kRoute));
  std::string sizes;
  for (std::size_t n : {header.size(), track.size()}) {
    sizes += static_cast<char>(n & 0xFF);
    sizes += static_cast<char>((n >> 8) & 0xFF);
  }
  std::vector<std::string> inputs;
  // The profile only begins: a whole plan (140 kB even for a route of 0 m)
  // would make every run slow.
  for (std::size_t profile_bytes : {std::size_t{0}, std::size_t{4000}}) {
    inputs.push_back(sizes + header + track + profile.substr(0, profile_bytes));
  }
  return inputs;
}

// The embedded line description with another route length.
std::string with_route_length(std::string line, const std::string& metres) {
  return line.replace(line.find("89000"), 5, metres);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  const std::string& line = sb::fuzz::embedded_line_description();
  const std::string& service = sb::fuzz::embedded_service_description();

  // Each reader: its description whole, cut after each section, and each
  // section alone behind the general region.
  write_family(root / "line_reader_fuzz", "cut", section_cuts(line));
  write_family(root / "line_reader_fuzz", "section", single_sections(line));
  write_family(root / "service_reader_fuzz", "cut", section_cuts(service));
  write_family(root / "service_reader_fuzz", "section", single_sections(service));

  // Field reader: a pattern byte, a chunk size, then the document.
  for (unsigned char pattern : {0x00, 0x55, 0xFE}) {
    for (unsigned char chunk : {0, 7}) {
      const std::string lead{char(pattern), char(chunk)};
      const std::string tag = std::to_string(pattern) + "_" + std::to_string(chunk);
      write_seed(root / "field_reader_fuzz", "line" + tag, lead + line);
      write_seed(root / "field_reader_fuzz", "service" + tag, lead + service);
    }
  }

  // Whole compile: line, NUL, service; and a few mismatched cuts.
  write_seed(root / "compile_fuzz", "whole", line + std::string(1, '\0') + service);
  const auto line_cuts = section_cuts(line);
  const auto service_cuts = section_cuts(service);
  for (std::size_t i = 0; i < service_cuts.size(); ++i) {
    write_seed(root / "compile_fuzz", "service_cut" + std::to_string(i), line + std::string(1, '\0') + service_cuts[i]);
  }
  for (std::size_t i = 0; i < line_cuts.size(); ++i) {
    write_seed(root / "compile_fuzz", "line_cut" + std::to_string(i), line_cuts[i] + std::string(1, '\0') + service);
  }

  // The same on a route of 9000 m: its plan is short enough for the compile
  // target to write the plan's file (errors are recorded for what lies past
  // the end, the files are written all the same).
  const std::string line_9000 = with_route_length(line, "9000");
  write_seed(root / "compile_fuzz", "route9000", line_9000 + std::string(1, '\0') + service);
  // Cut after its general region the plan is never started: metres 0 and 1
  // stay empty.
  const auto line_9000_cuts = section_cuts(line_9000);
  for (std::size_t i = 0; i < line_9000_cuts.size(); i += 2) {
    write_seed(root / "compile_fuzz", "route9000_line_cut" + std::to_string(i),
               line_9000_cuts[i] + std::string(1, '\0') + service);
  }
  for (std::size_t i = 0; i < service_cuts.size(); i += 2) {
    write_seed(root / "compile_fuzz", "route9000_service_cut" + std::to_string(i),
               line_9000 + std::string(1, '\0') + service_cuts[i]);
  }

  // Compiled files, for each target that reads them back: the embedded
  // scenario (for the reader only: the report and the drawing cost per
  // cell), and the same on a route of 0 m, whose plan is decoded.
  write_family(root / "compiled_reader_fuzz", "embedded", compiled_inputs(line, service));
  for (const char* target : {"compiled_reader_fuzz", "inspect_text_fuzz", "inspect_json_fuzz", "svg_plot_fuzz"}) {
    write_family(root / target, "short", compiled_inputs(with_route_length(line, "0"), service));
    // Its first 24 cells only: every run of the report and the drawing
    // costs per cell.
    write_family(root / target, "brief", compiled_inputs(with_route_length(line, "0"), service, 24));
  }
  return 0;
}
