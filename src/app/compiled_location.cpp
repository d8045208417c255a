#include "app/compiled_location.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/utf8_paths.h"

namespace sb {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProfileSuffix = "_linea.dat";

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The same directory named two ways ("d", "./d/") is one scenario.
std::string canonical_text(const fs::path& dir) {
  std::error_code ec;
  const fs::path c = fs::weakly_canonical(dir, ec);
  return path_utf8(ec ? dir : c);
}

bool is_file(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

// Files in `dir` whose names end with `tail` (and start with `head`).
std::vector<std::string> names_in(const fs::path& dir, const std::string& head, const std::string& tail) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = path_utf8(entry.path().filename());
    if (name.size() > head.size() + tail.size() && name.compare(0, head.size(), head) == 0 && ends_with(name, tail) &&
        is_file(entry.path())) {
      found.push_back(name);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The route of a ROUTE_TRAIN stem: the longest prefix, cut at an underscore,
// whose profile file is there. Empty when none is.
std::string profile_for(const fs::path& dir, const std::string& stem) {
  for (std::size_t cut = stem.rfind('_'); cut != std::string::npos && cut > 0; cut = stem.rfind('_', cut - 1)) {
    const std::string name = stem.substr(0, cut) + kProfileSuffix;
    if (is_file(dir / utf8_path(name))) return name;
  }
  return {};
}

// From a header or track file's stem ROUTE_TRAIN: the other two files.
LocatedScenario from_stem(const fs::path& dir, const std::string& stem) {
  LocatedScenario s;
  s.directory = canonical_text(dir);
  if (is_file(dir / utf8_path(stem + ".sim"))) s.names.header = stem + ".sim";
  if (is_file(dir / utf8_path(stem + ".dat"))) s.names.track = stem + ".dat";
  s.names.profile = profile_for(dir, stem);
  return s;
}

std::string list(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& n : names) text += (text.empty() ? "" : ", ") + n;
  return text;
}

LocatedScenario from_directory(const fs::path& dir) {
  const auto headers = names_in(dir, "", ".sim");
  if (headers.size() > 1) {
    throw LocationError(path_utf8(dir) + " holds several scenarios (" + list(headers) + "): name one of these files");
  }
  if (headers.size() == 1) return from_stem(dir, headers[0].substr(0, headers[0].size() - 4));
  const auto profiles = names_in(dir, "", kProfileSuffix);
  if (profiles.size() == 1) {
    LocatedScenario s;
    s.directory = canonical_text(dir);
    s.names.profile = profiles[0];
    return s;
  }
  throw LocationError(path_utf8(dir) + " holds no compiled scenario (no ROUTE_TRAIN.sim file)");
}

LocatedScenario from_profile(const fs::path& dir, const std::string& name) {
  const std::string route = name.substr(0, name.size() - std::string(kProfileSuffix).size());
  const auto headers = names_in(dir, route + "_", ".sim");
  if (headers.size() > 1) {
    throw LocationError(name + " serves several trains (" + list(headers) + "): name the header file");
  }
  LocatedScenario s;
  s.directory = canonical_text(dir);
  if (headers.size() == 1) s = from_stem(dir, headers[0].substr(0, headers[0].size() - 4));
  s.names.profile = name;
  return s;
}

}  // namespace

LocatedScenario locate_compiled(const std::string& path) {
  const fs::path p = utf8_path(path);
  std::error_code ec;
  if (fs::is_directory(p, ec)) return from_directory(p);
  if (!fs::exists(p, ec)) throw LocationError(path + ": no such file or directory");
  fs::path dir = p.parent_path();
  if (dir.empty()) dir = ".";
  const std::string name = path_utf8(p.filename());
  if (ends_with(name, kProfileSuffix)) return from_profile(dir, name);
  if (ends_with(name, ".sim") || ends_with(name, ".dat")) {
    LocatedScenario s = from_stem(dir, name.substr(0, name.size() - 4));
    // The named file is read even when its sibling of the same stem is not there.
    if (ends_with(name, ".sim"))
      s.names.header = name;
    else
      s.names.track = name;
    return s;
  }
  throw LocationError(path + " is not a compiled file (ROUTE_linea.dat, ROUTE_TRAIN.sim or ROUTE_TRAIN.dat)");
}

std::vector<LocatedScenario> locate_all(const std::vector<std::string>& paths) {
  std::vector<LocatedScenario> found;
  for (const auto& path : paths) {
    LocatedScenario s = locate_compiled(path);
    if (std::find(found.begin(), found.end(), s) == found.end()) found.push_back(std::move(s));
  }
  return found;
}

}  // namespace sb
