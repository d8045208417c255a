// Looks at the windows of another program from outside, the way a user sees
// them, and prints one "key=value" line per fact: the form "Form1", its
// client size, its label, and the message box it owns (caption, text,
// buttons, whether an icon shows). Waits for the box to appear, up to the
// given number of milliseconds; exits 1 if it never does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string text_of(HWND window) {
  char buf[512] = {};
  GetWindowTextA(window, buf, sizeof buf);
  return buf;
}

std::string class_of(HWND window) {
  char buf[256] = {};
  GetClassNameA(window, buf, sizeof buf);
  return buf;
}

std::vector<HWND> children_of(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The visible dialog box owned by `owner`, if there is one yet.
HWND box_owned_by(HWND owner) {
  struct Search {
    HWND owner;
    HWND box;
  } search{owner, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(window, GW_OWNER) == s->owner && class_of(window) == "#32770" && IsWindowVisible(window)) {
          s->box = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.box;
}

void report_form(HWND form) {
  std::printf("form.caption=%s\n", text_of(form).c_str());
  std::printf("form.class=%s\n", class_of(form).c_str());
  std::printf("form.visible=%d\n", IsWindowVisible(form) ? 1 : 0);
  RECT client{};
  GetClientRect(form, &client);
  std::printf("form.client=%ldx%ld\n", client.right, client.bottom);
  for (HWND child : children_of(form)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    std::printf("label.class=%s\n", class_of(child).c_str());
    std::printf("label.text=%s\n", text_of(child).c_str());
    std::printf("label.rect=%ld,%ld,%ldx%ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
}

void report_box(HWND box) {
  std::printf("box.caption=%s\n", text_of(box).c_str());
  std::string buttons;
  bool icon = false;
  for (HWND child : children_of(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::string cls = class_of(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (cls == "Button") {
      buttons += (buttons.empty() ? "" : ",") + text_of(child);
    } else if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
      // The box may keep an empty icon control; only an icon in it shows.
      if (SendMessageA(child, STM_GETICON, 0, 0) != 0) icon = true;
    } else if (cls == "Static" && !text_of(child).empty()) {
      std::printf("box.text=%s\n", text_of(child).c_str());
    }
  }
  std::printf("box.buttons=%s\n", buttons.c_str());
  std::printf("box.icon=%s\n", icon ? "shown" : "none");
}

}  // namespace

int main(int argc, char** argv) {
  const int timeout_ms = argc > 1 ? std::atoi(argv[1]) : 30000;
  for (int waited = 0; waited <= timeout_ms; waited += 100) {
    const HWND form = FindWindowA(nullptr, "Form1");
    const HWND box = form != nullptr ? box_owned_by(form) : nullptr;
    if (box != nullptr) {
      report_form(form);
      report_box(box);
      std::fflush(stdout);
      return 0;
    }
    Sleep(100);
  }
  std::printf("no Form1 with a message box within %d ms\n", timeout_ms);
  return 1;
}
