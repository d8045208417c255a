#include "app/output_directory.h"

#include <filesystem>
#include <system_error>

#include "app/file_system.h"
#include "app/utf8_paths.h"
#include "model/file_door.h"

namespace sb {

namespace fs = std::filesystem;

void ensure_output_directory(const std::string& path) {
  const std::string dir = path.empty() ? std::string(".") : path;
  if (target_kind(dir) == PathKind::directory) return;
  // A part of the path that is a file is named: that says more than "cannot
  // create" would. ("C:" alone may not stat, so a part that is missing does
  // not end the walk; all parts after it are missing anyway.)
  fs::path part;
  for (const fs::path& piece : utf8_path(dir)) {
    part /= piece;
    const std::string text = path_utf8(part);
    const PathKind kind = target_kind(text);
    if (kind != PathKind::missing && kind != PathKind::directory) throw FileError(text, "is not a directory");
  }
  std::error_code ec;
  fs::create_directories(utf8_path(dir), ec);
  if (target_kind(dir) != PathKind::directory) {
    throw FileError(dir, "cannot be created as a directory" + (ec ? ": " + ec.message() : std::string()));
  }
}

}  // namespace sb
