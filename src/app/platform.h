// What the run needs from the platform, and nothing more: the program's own
// directory, the wait window, a modal message box. The Win32 build shows a
// real window; the POSIX build has console equivalents.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace sb {

class Platform {
 public:
  virtual ~Platform() = default;
  // The directory that holds the program file, without a trailing separator.
  virtual std::string program_directory() = 0;
  // The separator between the directory and a file name.
  virtual char path_separator() const = 0;
  // Shows the window with "Attendere" and paints it before the work starts.
  virtual void show_wait_window() = 0;
  // Modal message with an OK button only; returns once it is dismissed.
  virtual void message_box(const std::string& text) = 0;
  // Takes the wait window down; the program then ends.
  virtual void close_wait_window() = 0;
};

// The platform this program was built for.
Platform& native_platform();

// Gives a windowed program started from a console that console's standard
// streams, so the subcommands can talk to it; nothing where streams exist.
void attach_parent_console();

// The program's arguments as UTF-8 text (argv[0] first). On Windows they are
// taken from the wide command line, so no typed letter is lost.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// Starts a thread meant to work beside the calling one (the writer of a
// large file). Where the system allows it, the new thread begins on another
// processor than the caller's: a run lasts milliseconds, less than the
// scheduler may take to spread two busy threads that started on one.
std::thread start_beside(std::function<void()> body);

}  // namespace sb
