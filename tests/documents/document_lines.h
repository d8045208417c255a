// Test helper: a written document cut back into its lines.
#pragma once

#include <string>
#include <vector>

namespace sb::testing {

// Lines of CR LF text; a final CR LF ends the last line rather than opening
// an empty one. Bytes after the last CR LF come back as a last line, so a
// missing line end shows up as a difference.
inline std::vector<std::string> crlf_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

}  // namespace sb::testing
