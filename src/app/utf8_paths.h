// Paths inside the program are UTF-8 text on every platform. On Windows they
// reach the file system through its wide (UTF-16) calls, so any folder or
// file name works whatever the system's ANSI code page; on POSIX the bytes
// go to the system unchanged.
#pragma once

#include <filesystem>
#include <string>

namespace sb {

// Opening, creating, renaming and deleting files: app/file_system.h.

// std::filesystem paths from and to UTF-8 text (a path built from a plain
// std::string on Windows would go through the ANSI code page).
std::filesystem::path utf8_path(const std::string& path);
std::string path_utf8(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-8 to UTF-16 and back, for the wide Windows calls. Bytes that are not
// UTF-8 become U+FFFD; a lone surrogate becomes U+FFFD.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);
#endif

}  // namespace sb
