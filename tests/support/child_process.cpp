#include "support/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace sb::testing {

namespace {

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void become(const std::vector<std::string>& argv, const ChildOptions& options, int out_fd, int err_fd) {
  const int in_fd = ::open("/dev/null", O_RDONLY);
  if (in_fd < 0 || ::dup2(in_fd, 0) < 0 || ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0) ::_exit(126);
  if (!options.working_directory.empty() && ::chdir(options.working_directory.c_str()) != 0) ::_exit(126);
  if (options.file_size_limit) {
    // The default action, which kills a process that writes past the limit:
    // the program itself has to turn that into a failed write.
    ::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{static_cast<rlim_t>(*options.file_size_limit), static_cast<rlim_t>(*options.file_size_limit)};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
  }
  if (options.group && (::setgroups(0, nullptr) != 0 || ::setgid(*options.group) != 0)) ::_exit(126);
  if (options.user && ::setuid(*options.user) != 0) ::_exit(126);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

}  // namespace

ChildResult run_child(const std::vector<std::string>& argv, const ChildOptions& options) {
  ChildResult result;
  TempDir streams;
  const std::string out_path = (streams.path() / "out").string();
  const std::string err_path = (streams.path() / "err").string();
  const int out_fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out_fd < 0 || err_fd < 0) return result;
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) become(argv, options, out_fd, err_fd);
  ::close(out_fd);
  ::close(err_fd);
  if (pid < 0) return result;
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return result;
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peak_rss_kib = usage.ru_maxrss;
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

}  // namespace sb::testing
