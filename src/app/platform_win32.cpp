// The Windows platform: the window Form1 with its label "Attendere", the
// program's own directory, and the plain OK message box. The run never
// enters a message loop; the window is painted once when it is shown, and
// afterwards only a message box's own modal loop serves it.
#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

#include "app/platform.h"

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

// The full path of the program file, however long.
std::string module_path() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
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
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

// Writes a C++ stream's characters straight to a Windows handle, unbuffered.
class HandleBuffer : public std::streambuf {
 public:
  explicit HandleBuffer(HANDLE handle) : handle_(handle) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return put(&ch, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override { return put(s, n) ? n : 0; }

 private:
  bool put(const char* s, std::streamsize n) {
    DWORD written = 0;
    return WriteFile(handle_, s, static_cast<DWORD>(n), &written, nullptr) && written == static_cast<DWORD>(n);
  }

  HANDLE handle_;
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
    form_ = CreateWindowExA(0, kFormClass, kFormCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (form_ == nullptr) return;

    const HWND label = CreateWindowExA(0, "STATIC", kLabelText, WS_CHILD | WS_VISIBLE | SS_LEFT, px(kLabelLeftTwips),
                                       py(kLabelTopTwips), px(kLabelWidthTwips), py(kLabelHeightTwips), form_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), instance, nullptr);
    font_ = CreateFontA(-MulDiv(kLabelPoints, dpi_y, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, kLabelFont);
    if (label != nullptr && font_ != nullptr) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    ShowWindow(form_, SW_SHOWNORMAL);
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    paint_pending();
  }

  void message_box(const std::string& text) override {
    // OK only, no icon; the caption is the program's title.
    MessageBoxA(form_, text.c_str(), program_title().c_str(), MB_OK);
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
  // the C runtime cannot reopen them; the C++ streams the subcommands write
  // to are pointed at the console's handles instead. A stream that was
  // redirected to a file or a pipe has a handle and is left alone.
  const auto missing = [](DWORD which) {
    const HANDLE h = GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE;
  };
  const bool no_out = missing(STD_OUTPUT_HANDLE);
  const bool no_err = missing(STD_ERROR_HANDLE);
  if (!no_out && !no_err) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (no_out && !missing(STD_OUTPUT_HANDLE)) {
    static HandleBuffer out(GetStdHandle(STD_OUTPUT_HANDLE));
    std::cout.rdbuf(&out);
  }
  if (no_err && !missing(STD_ERROR_HANDLE)) {
    static HandleBuffer err(GetStdHandle(STD_ERROR_HANDLE));
    std::cerr.rdbuf(&err);
    std::clog.rdbuf(&err);
  }
}

}  // namespace sb
