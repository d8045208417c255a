#include "app/compiled_input.h"

#include <filesystem>
#include <ostream>

#include "app/directory_files.h"

namespace sb {

LoadedScenario load_scenario(const std::vector<std::string>& paths) {
  const auto located = locate_all(paths);
  if (located.size() != 1) {
    throw LocationError("the paths name " + std::to_string(located.size()) + " scenarios; give one");
  }
  LoadedScenario s;
  s.where = located[0];
  DirectoryFiles files(s.where.directory, static_cast<char>(std::filesystem::path::preferred_separator));
  s.decoded = read_compiled(files, s.where.names);
  if (s.decoded.header && s.decoded.header->complete()) {
    s.bytes.route = s.decoded.header->entries[85].name;
    s.bytes.train = s.decoded.header->entries[86].name;
  }
  if (!s.where.names.header.empty()) s.bytes.header = read_whole(files, s.where.names.header);
  if (!s.where.names.track.empty()) s.bytes.track = read_whole(files, s.where.names.track);
  s.bytes.has_profile = !s.where.names.profile.empty();
  if (s.bytes.has_profile) s.bytes.profile = read_whole(files, s.where.names.profile);
  return s;
}

void print_findings(const CompiledScenario& s, std::ostream& out) {
  for (const Finding& f : s.findings) out << f.file << ": offset " << f.offset << ": " << f.message << '\n';
  out << (s.valid() ? "valid\n" : "NOT valid: " + std::to_string(s.findings.size()) + " findings\n");
}

}  // namespace sb
