#include "app/compiled_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "app/directory_files.h"
#include "decode/compiled_bytes.h"

namespace sb {

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The whole file, read once into a buffer of its size, without a stdio
// buffer between: a profile of a long route is 20 MB.
std::string read_file_bytes(FileDoor& files, const std::string& directory, const std::string& name) {
  const std::string path = files.path_of(name);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw FileError(path, std::string("cannot be opened: ") + std::strerror(errno));
  std::setvbuf(f, nullptr, _IONBF, 0);
  std::error_code ec;
  const auto expected = std::filesystem::file_size(std::filesystem::path(directory) / name, ec);
  // One byte more than expected, so the read that meets the end needs no room.
  std::string bytes(ec ? 1 : static_cast<std::size_t>(expected) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    // Room for more than expected: the file may have grown since.
    if (filled == bytes.size()) bytes.resize(bytes.size() + (1 << 16));
    const std::size_t k = std::fread(bytes.data() + filled, 1, bytes.size() - filled, f);
    if (k == 0) break;
    filled += k;
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw FileError(path, "cannot be read");
  bytes.resize(filled);
  return bytes;
}

}  // namespace

LoadedScenario load_scenario(const std::vector<std::string>& paths, bool keep_plan) {
  const auto located = locate_all(paths);
  if (located.size() != 1) {
    throw LocationError("the paths name " + std::to_string(located.size()) + " scenarios; give one");
  }
  LoadedScenario s;
  s.where = located[0];
  DirectoryFiles files(s.where.directory, static_cast<char>(std::filesystem::path::preferred_separator));
  const CompiledNames& names = s.where.names;
  CompiledFileBytes bytes;
  if (!names.header.empty()) bytes.header = read_file_bytes(files, s.where.directory, names.header);
  if (!names.track.empty()) bytes.track = read_file_bytes(files, s.where.directory, names.track);
  if (!names.profile.empty()) bytes.profile = read_file_bytes(files, s.where.directory, names.profile);
  s.decoded = decode_compiled(names, bytes, keep_plan);
  if (s.decoded.header && s.decoded.header->complete()) {
    s.bytes.route = s.decoded.header->entries[85].name;
    s.bytes.train = s.decoded.header->entries[86].name;
  }
  s.bytes.has_profile = !names.profile.empty();
  s.bytes.header = std::move(bytes.header);
  s.bytes.track = std::move(bytes.track);
  s.bytes.profile = std::move(bytes.profile);
  return s;
}

LoadedScenario load_scenario_streamed(const std::vector<std::string>& paths) {
  const auto located = locate_all(paths);
  if (located.size() != 1) {
    throw LocationError("the paths name " + std::to_string(located.size()) + " scenarios; give one");
  }
  const LocatedScenario where = located[0];
  DirectoryFiles files(where.directory, kSeparator);
  if (!where.names.profile.empty() && !where.names.header.empty()) {
    CompiledFileBytes bytes;
    bytes.header = read_file_bytes(files, where.directory, where.names.header);
    std::vector<Finding> ignored;
    const auto length = decode_header(bytes.header, where.names.header, ignored).route_length();
    if (length && *length >= 0 && *length <= kMaxRouteLength) {
      SourceStream profile(files.open_input(where.names.profile));
      if (profile_well_formed(profile, *length + kTrackBeyondRoute)) {
        LoadedScenario s;
        s.where = where;
        CompiledNames without_profile = where.names;
        without_profile.profile.clear();
        if (!where.names.track.empty()) bytes.track = read_file_bytes(files, where.directory, where.names.track);
        s.decoded = decode_compiled(without_profile, bytes, false);
        s.decoded.names = where.names;
        s.bytes.has_profile = true;
        s.bytes.header = std::move(bytes.header);
        s.bytes.track = std::move(bytes.track);
        if (s.decoded.header && s.decoded.header->complete()) {
          s.bytes.route = s.decoded.header->entries[85].name;
          s.bytes.train = s.decoded.header->entries[86].name;
        }
        s.open_profile = [directory = where.directory, name = where.names.profile] {
          DirectoryFiles again(directory, kSeparator);
          return std::unique_ptr<ByteStream>(std::make_unique<SourceStream>(again.open_input(name)));
        };
        return s;
      }
    }
  }
  return load_scenario(paths, false);
}

void print_findings(const CompiledScenario& s, std::ostream& out) {
  for (const Finding& f : s.findings) out << f.file << ": offset " << f.offset << ": " << f.message << '\n';
  out << (s.valid() ? "valid\n" : "NOT valid: " + std::to_string(s.findings.size()) + " findings\n");
}

}  // namespace sb
