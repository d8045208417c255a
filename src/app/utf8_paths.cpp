#include "app/utf8_paths.h"

#include <sys/stat.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

namespace sb {

#ifdef _WIN32

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(const std::wstring& utf16) {
  if (utf16.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::FILE* open_file_utf8(const std::string& path, const char* mode) {
  const std::string m(mode);
  return _wfopen(widen(path).c_str(), std::wstring(m.begin(), m.end()).c_str());
}

PathKind path_kind(const std::string& path) {
  struct _stat64 st {};
  if (_wstat64(widen(path).c_str(), &st) != 0) return PathKind::missing;
  return (st.st_mode & _S_IFMT) == _S_IFDIR ? PathKind::directory : PathKind::other;
}

int remove_file_utf8(const std::string& path) { return _wremove(widen(path).c_str()); }

#else

std::FILE* open_file_utf8(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

PathKind path_kind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return PathKind::missing;
  return S_ISDIR(st.st_mode) ? PathKind::directory : PathKind::other;
}

int remove_file_utf8(const std::string& path) { return std::remove(path.c_str()); }

#endif

std::filesystem::path utf8_path(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string path_utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace sb
