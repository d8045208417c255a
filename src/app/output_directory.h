// Every option that names an output directory goes through here: a missing
// directory is created with its parents; a file standing where a directory
// is needed is a FileError naming that file.
#pragma once

#include <string>

namespace sb {

// Makes sure `path` (UTF-8; empty means ".") is a directory; throws FileError.
void ensure_output_directory(const std::string& path);

}  // namespace sb
