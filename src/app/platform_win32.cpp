// The Windows platform: the window Form1 with its label "Attendere", the
// program's own directory, and the plain OK message box; the command line
// and the console, in UTF-8 whatever the system's code pages. The run never
// enters a message loop; the window is painted once when it is shown, and
// afterwards only a message box's own modal loop serves it.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <iostream>
#include <streambuf>
#include <string>

#include "app/platform.h"
#include "app/utf8_paths.h"

namespace sb {

namespace {

constexpr const char* kFormClass = "Form1";
constexpr const char* kFormCaption = "Form1";
constexpr const char* kLabelText = "Attendere";
constexpr const char* kLabelFont = "MS Sans Serif";
constexpr int kLabelPoints = 24;
constexpr int kLabelId = 1;

// Form1's client area and Label1's place, in twips (1440 to the inch).
constexpr int kClientWidthTwips = 4200;
constexpr int kClientHeightTwips = 2688;
constexpr int kLabelLeftTwips = 960;
constexpr int kLabelTopTwips = 960;
constexpr int kLabelWidthTwips = 2652;
constexpr int kLabelHeightTwips = 792;
constexpr int kTwipsPerInch = 1440;

// The full path of the program file, however long, in UTF-8: the folder may
// hold letters the ANSI code page lacks.
std::string module_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::size_t last_separator(const std::string& path) { return path.find_last_of("\\/"); }

// The program's title is the name of its file without the extension, which
// is what the system would show for a box without a caption of its own.
std::string program_title() {
  std::string name = module_path();
  const auto slash = last_separator(name);
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? std::string("scenario-builder") : name;
}

LRESULT CALLBACK form_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      // The label sits on the form's own face colour, as a label does.
      const HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      // The run ends the program itself; the window cannot be closed under it.
      return 0;
    default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

// Writes a C++ stream's characters straight to a Windows handle, unbuffered.
// The program's text is UTF-8: a console gets it as UTF-16 through
// WriteConsoleW (right in any console code page, and the console's code page
// is left as the user set it); a file or a pipe gets the UTF-8 bytes.
class HandleBuffer : public std::streambuf {
 public:
  explicit HandleBuffer(HANDLE handle) : handle_(handle) {
    DWORD mode = 0;
    console_ = GetConsoleMode(handle, &mode) != 0;
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return put(&ch, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override { return put(s, n) ? n : 0; }

 private:
  bool put(const char* s, std::streamsize n) {
    if (!console_) {
      DWORD written = 0;
      return WriteFile(handle_, s, static_cast<DWORD>(n), &written, nullptr) && written == static_cast<DWORD>(n);
    }
    // A character split between two writes waits for its last bytes.
    pending_.append(s, static_cast<std::size_t>(n));
    const std::size_t whole = complete_prefix(pending_);
    const std::wstring text = widen(pending_.substr(0, whole));
    pending_.erase(0, whole);
    DWORD written = 0;
    return text.empty() || WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

  // The length of `s` without an unfinished UTF-8 sequence at its end.
  static std::size_t complete_prefix(const std::string& s) {
    for (std::size_t back = 1; back <= 3 && back <= s.size(); ++back) {
      const auto b = static_cast<unsigned char>(s[s.size() - back]);
      if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
      const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
      return length > back ? s.size() - back : s.size();
    }
    return s.size();
  }

  HANDLE handle_;
  bool console_ = false;
  std::string pending_;
};

class Win32Platform : public Platform {
 public:
  ~Win32Platform() override { close_wait_window(); }

  std::string program_directory() override {
    const std::string exe = module_path();
    const auto slash = last_separator(exe);
    if (slash == std::string::npos) return ".";
    return exe.substr(0, slash);
  }

  char path_separator() const override { return '\\'; }

  void show_wait_window() override {
    if (form_ != nullptr) return;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!register_class(instance)) return;  // no window system: the run goes on without the window

    const HDC screen = GetDC(nullptr);
    const int dpi_x = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpi_y = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    const auto px = [dpi_x](int twips) { return MulDiv(twips, dpi_x, kTwipsPerInch); };
    const auto py = [dpi_y](int twips) { return MulDiv(twips, dpi_y, kTwipsPerInch); };

    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, px(kClientWidthTwips), py(kClientHeightTwips)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    form_ = CreateWindowExA(0, kFormClass, kFormCaption, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (form_ == nullptr) return;

    const HWND label = CreateWindowExA(0, "STATIC", kLabelText, WS_CHILD | WS_VISIBLE | SS_LEFT, px(kLabelLeftTwips),
                                       py(kLabelTopTwips), px(kLabelWidthTwips), py(kLabelHeightTwips), form_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), instance, nullptr);
    font_ =
        CreateFontA(-MulDiv(kLabelPoints, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, kLabelFont);
    if (label != nullptr && font_ != nullptr) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    ShowWindow(form_, SW_SHOWNORMAL);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    paint_pending();
  }

  void message_box(const std::string& text) override {
    // OK only, no icon; the caption is the program's title. The text may name
    // a file in a folder whose letters the ANSI code page lacks.
    MessageBoxW(form_, widen(text).c_str(), widen(program_title()).c_str(), MB_OK);
  }

  void close_wait_window() override {
    if (form_ != nullptr) DestroyWindow(form_);
    form_ = nullptr;
    if (font_ != nullptr) DeleteObject(font_);
    font_ = nullptr;
  }

 private:
  static bool register_class(HINSTANCE instance) {
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, kFormClass, &existing)) return true;
    WNDCLASSA form_class{};
    form_class.lpfnWndProc = form_procedure;
    form_class.hInstance = instance;
    form_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    form_class.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    form_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    form_class.lpszClassName = kFormClass;
    return RegisterClassA(&form_class) != 0;
  }

  // Serves the paint messages waiting right now, and nothing else: the label
  // is on screen before the work starts, yet no other event is handled.
  static void paint_pending() {
    MSG message;
    for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
      DispatchMessageA(&message);
    }
    GdiFlush();
  }

  HWND form_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace

Platform& native_platform() {
  static Win32Platform platform;
  return platform;
}

// The Windows scheduler places a new thread on an idle processor by itself.
std::thread start_beside(std::function<void()> body) { return std::thread(std::move(body)); }

void attach_parent_console() {
  // A windowed program started from a console has no standard streams, and
  // the C runtime cannot reopen them: it borrows its parent's console. A
  // stream redirected to a file or a pipe has a handle and keeps it.
  const auto missing = [](DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE;
  };
  if (missing(STD_OUTPUT_HANDLE) || missing(STD_ERROR_HANDLE)) AttachConsole(ATTACH_PARENT_PROCESS);
  // Either way the C++ streams write to the handles themselves, so that the
  // program's UTF-8 text reaches a console as the letters it holds.
  if (!missing(STD_OUTPUT_HANDLE)) {
    static HandleBuffer out(GetStdHandle(STD_OUTPUT_HANDLE));
    std::cout.rdbuf(&out);
  }
  if (!missing(STD_ERROR_HANDLE)) {
    static HandleBuffer err(GetStdHandle(STD_ERROR_HANDLE));
    std::cerr.rdbuf(&err);
    std::clog.rdbuf(&err);
  }
}

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  // The C runtime's argv went through the ANSI code page; the wide command
  // line holds every letter the author typed.
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

}  // namespace sb
