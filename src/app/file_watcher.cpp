#include "app/file_watcher.h"

#include <algorithm>
#include <atomic>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#endif

#include "app/file_system.h"
#include "app/utf8_paths.h"

namespace sb {

namespace {

std::atomic<bool> g_stop{false};

struct WatchedFile {
  std::string directory;
  std::string name;
};

// Directory and name of each path, split at the last separator (paths stay
// UTF-8 bytes here, whatever the platform).
std::vector<WatchedFile> split(const std::vector<std::string>& files) {
#ifdef _WIN32
  constexpr const char* kSeparators = "/\\";
#else
  constexpr const char* kSeparators = "/";
#endif
  std::vector<WatchedFile> out;
  for (const auto& f : files) {
    const auto at = f.find_last_of(kSeparators);
    if (at == std::string::npos) {
      out.push_back({".", f});
    } else {
      out.push_back({at == 0 ? f.substr(0, 1) : f.substr(0, at), f.substr(at + 1)});
    }
  }
  return out;
}

#ifdef _WIN32

HANDLE g_stop_event = nullptr;

BOOL WINAPI on_console_event(DWORD) {
  g_stop = true;
  if (g_stop_event != nullptr) SetEvent(g_stop_event);
  // For the close event the process ends when this returns; give the loop
  // the time it needs to finish a compile under way.
  Sleep(INFINITE);
  return TRUE;
}

std::string utf8(const wchar_t* w, std::size_t n) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), out.data(), size, nullptr, nullptr);
  return out;
}

class DirectoryChangesWatcher : public FileWatcher {
 public:
  explicit DirectoryChangesWatcher(const std::vector<std::string>& files) {
    for (const auto& f : split(files)) {
      names_.insert(f.name);
      bool seen = false;
      for (auto& d : dirs_) seen = seen || d->path == f.directory;
      if (seen) continue;
      auto d = std::make_unique<Directory>();
      d->path = f.directory;
      d->handle = CreateFileW(widen(f.directory).c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
      if (d->handle == INVALID_HANDLE_VALUE) throw FileError(f.directory, "cannot be watched: " + last_error_text());
      d->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
      arm(*d);
      dirs_.push_back(std::move(d));
    }
    if (g_stop_event == nullptr) g_stop_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~DirectoryChangesWatcher() override {
    for (auto& d : dirs_) {
      CancelIoEx(d->handle, &d->overlapped);
      DWORD ignored = 0;
      GetOverlappedResult(d->handle, &d->overlapped, &ignored, TRUE);
      CloseHandle(d->overlapped.hEvent);
      CloseHandle(d->handle);
    }
  }

  Wake wait(std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (g_stop) return Wake::stop;
      std::vector<HANDLE> handles{g_stop_event};
      for (auto& d : dirs_) handles.push_back(d->overlapped.hEvent);
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                             static_cast<DWORD>(std::max<long long>(0, left.count())));
      if (r == WAIT_TIMEOUT) return Wake::timeout;
      if (r == WAIT_OBJECT_0) return Wake::stop;
      if (r < WAIT_OBJECT_0 + 1 || r >= WAIT_OBJECT_0 + handles.size()) return Wake::timeout;
      Directory& d = *dirs_[r - WAIT_OBJECT_0 - 1];
      DWORD bytes = 0;
      bool ours = false;
      if (GetOverlappedResult(d.handle, &d.overlapped, &bytes, FALSE)) {
        // An overflow (0 bytes) may have hidden ours: count it as a change.
        ours = bytes == 0 || names_match(d.buffer, bytes);
      }
      ResetEvent(d.overlapped.hEvent);
      arm(d);
      if (ours) return Wake::changed;
    }
  }

 private:
  struct Directory {
    std::string path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    alignas(DWORD) char buffer[32768];
  };

  static void arm(Directory& d) {
    ReadDirectoryChangesW(d.handle, d.buffer, sizeof d.buffer, FALSE,
                          FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE,
                          nullptr, &d.overlapped, nullptr);
  }

  bool names_match(const char* buffer, DWORD bytes) const {
    DWORD at = 0;
    for (;;) {
      if (at + sizeof(FILE_NOTIFY_INFORMATION) > bytes) return false;
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
      const std::string name = utf8(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (names_.count(name) != 0) return true;
      if (info->NextEntryOffset == 0) return false;
      at += info->NextEntryOffset;
    }
  }

  std::vector<std::unique_ptr<Directory>> dirs_;
  std::set<std::string> names_;
};

#else

int g_stop_pipe[2] = {-1, -1};

extern "C" void on_stop_signal(int) {
  g_stop = true;
  const char c = 1;
  if (g_stop_pipe[1] >= 0) [[maybe_unused]]
    auto n = ::write(g_stop_pipe[1], &c, 1);
}

class InotifyWatcher : public FileWatcher {
 public:
  explicit InotifyWatcher(const std::vector<std::string>& files) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) throw FileError("inotify", std::string("cannot be started: ") + std::strerror(errno));
    for (const auto& f : split(files)) {
      names_.insert(f.name);
      const int wd = inotify_add_watch(
          fd_, f.directory.c_str(),
          IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB);
      if (wd < 0) {
        const std::string why = std::strerror(errno);
        ::close(fd_);
        throw FileError(f.directory, "cannot be watched: " + why);
      }
    }
  }
  ~InotifyWatcher() override { ::close(fd_); }

  Wake wait(std::chrono::milliseconds timeout) override {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (g_stop) return Wake::stop;
      pollfd fds[2] = {{fd_, POLLIN, 0}, {g_stop_pipe[0], POLLIN, 0}};
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      const int r = ::poll(fds, g_stop_pipe[0] >= 0 ? 2 : 1, static_cast<int>(std::max<long long>(0, left.count())));
      if (g_stop) return Wake::stop;
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return Wake::timeout;
      if ((fds[0].revents & POLLIN) != 0 && drain()) return Wake::changed;
    }
  }

 private:
  // Reads every pending event; true when one was about a watched file (or
  // the queue overflowed, which may have hidden one).
  bool drain() {
    bool ours = false;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) return ours;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        if ((e->mask & IN_Q_OVERFLOW) != 0) ours = true;
        if (e->len > 0 && names_.count(e->name) != 0) ours = true;
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
  }

  int fd_ = -1;
  std::set<std::string> names_;
};

#endif

}  // namespace

bool stop_requested() { return g_stop; }

#ifdef _WIN32

std::unique_ptr<FileWatcher> watch_files(const std::vector<std::string>& files) {
  return std::make_unique<DirectoryChangesWatcher>(files);
}

void install_stop_handlers() {
  if (g_stop_event == nullptr) g_stop_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

#else

std::unique_ptr<FileWatcher> watch_files(const std::vector<std::string>& files) {
  return std::make_unique<InotifyWatcher>(files);
}

void install_stop_handlers() {
  if (g_stop_pipe[0] < 0 && ::pipe2(g_stop_pipe, O_NONBLOCK | O_CLOEXEC) != 0) {
    g_stop_pipe[0] = g_stop_pipe[1] = -1;
  }
  struct sigaction sa {};
  sa.sa_handler = on_stop_signal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::signal(SIGPIPE, SIG_IGN);  // a browser closing its connection is no reason to end
}

#endif

}  // namespace sb
