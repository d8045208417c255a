// The few file-system calls the program makes, with paths as UTF-8 on every
// platform (wide-character calls on Windows, so any folder name works).
// Nothing here follows a link where a file is created: a name that already
// stands, as anything, is never opened for writing.
#pragma once

#include <cstdio>
#include <string>

namespace sb {

enum class PathKind { missing, file, directory, link, other };

// What stands at `path`, without following a link there.
PathKind path_kind(const std::string& path);
// What `path` leads to, following links (for what the author names).
PathKind target_kind(const std::string& path);

// Opens an existing file for reading; nullptr with errno set on failure.
std::FILE* open_for_reading(const std::string& path);

// Creates `path` as a new, empty file for writing. Fails (nullptr, errno
// EEXIST) when anything stands at that name, a link included.
std::FILE* create_new_file(const std::string& path);

// Renames `from` over `to` in one step; `to` is replaced if it exists (on
// Linux by swapping the two and deleting the old file). A link at `to` is
// replaced itself, never followed. False with errno set.
bool rename_file(const std::string& from, const std::string& to);

// Deletes a file (a link itself, not what it points at). False with errno set.
bool remove_file(const std::string& path);

// The message for the last failed call above (errno, or the Windows error).
std::string last_error_text();

// This process's identifier, for names unique to a writer and for telling
// who holds a lock.
unsigned long current_process_id();

}  // namespace sb
