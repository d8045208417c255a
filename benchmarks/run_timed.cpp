// Runs one command and reports its wall time and peak resident memory:
//
//   run_timed DIR PROGRAM [ARG...]
//
// prints "<wall ns> <cpu ns> <peak RSS KiB> <exit status>", cpu being the
// child's user + system time.
//
// A small process of its own, so the peak the kernel reports for the child
// (which counts the memory of the process it was forked from) is the child's.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

namespace {

long long now_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: run_timed DIR PROGRAM [ARG...]\n");
    return 2;
  }
  const long long start = now_ns();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    if (chdir(argv[1]) != 0) _exit(126);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) < 0) {
    std::perror("wait4");
    return 2;
  }
  const long long elapsed = now_ns() - start;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const auto ns = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL; };
  std::printf("%lld %lld %ld %d\n", elapsed, ns(usage.ru_utime) + ns(usage.ru_stime), usage.ru_maxrss, code);
  return 0;
}
