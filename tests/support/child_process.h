// Runs a program as a child process with the limits a fault test needs, and
// reports how it ended and how much memory it took at its peak.
#pragma once

#include <sys/types.h>
#include <optional>
#include <string>
#include <vector>

namespace sb::testing {

struct ChildOptions {
  std::string working_directory;             // empty: the test's own
  std::optional<long long> file_size_limit;  // bytes; SIGXFSZ keeps its default action (ending the process)
  std::optional<uid_t> user;                 // run under this user id (needs root)
  std::optional<gid_t> group;
};

struct ChildResult {
  int exit_status = -1;   // -1 when it did not exit normally
  int signal = 0;         // the signal that ended it, if any
  long peak_rss_kib = 0;  // the child's maximum resident set
  std::string out;        // standard output
  std::string err;        // standard error
};

// `argv[0]` is the program's path. Standard input is /dev/null.
ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options = {});

}  // namespace sb::testing
