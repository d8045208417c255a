// Console equivalents: the wait window is a line on standard error, and the
// message box is the message on standard error (there is no one to press OK).
#ifdef __linux__
#include <sched.h>
#endif
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "app/platform.h"

namespace sb {

namespace {

class PosixPlatform : public Platform {
 public:
  std::string program_directory() override {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "";  // the root: "" + "/" + name
    return exe.substr(0, slash);
  }
  char path_separator() const override { return '/'; }
  void show_wait_window() override { std::fputs("Attendere\n", stderr); }
  void message_box(const std::string& text) override {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
  }
  void close_wait_window() override {}
};

}  // namespace

Platform& native_platform() {
  static PosixPlatform platform;
  return platform;
}

void attach_parent_console() {}  // a POSIX program always has its streams

// The terminal's bytes, as they came.
std::vector<std::string> command_line_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::thread start_beside(std::function<void()> body) {
#ifdef __linux__
  const int caller = sched_getcpu();
  return std::thread([caller, body = std::move(body)] {
    cpu_set_t allowed;
    if (caller >= 0 && caller < CPU_SETSIZE && sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
      CPU_CLR(caller, &allowed);
      // With a single processor allowed there is nowhere else to go.
      if (CPU_COUNT(&allowed) > 0) sched_setaffinity(0, sizeof allowed, &allowed);
    }
    body();
  });
#else
  return std::thread(std::move(body));
#endif
}

}  // namespace sb
