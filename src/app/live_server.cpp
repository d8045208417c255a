#include "app/live_server.h"

#ifdef SB_LIVE_MODULE
#include <dlfcn.h>

#include "app/platform.h"
#endif

#include "author/web_assets.h"

namespace sb {

std::string live_page() {
  std::string page(live_template());
  const auto put = [&](std::string_view mark, std::string_view with) {
    const auto at = page.find(mark);
    if (at != std::string::npos) page.replace(at, mark.size(), with);
  };
  put("@STYLE@", live_style());
  put("@SCRIPT@", live_script());
  return page;
}

std::unique_ptr<LiveServer> make_live_server(const ServeAddress& address, std::string& why) {
#ifdef SB_LIVE_MODULE
  const std::string path = native_platform().program_directory() + "/" SB_LIVE_MODULE;
  void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    why = "the web server cannot be loaded: " + std::string(::dlerror());
    return nullptr;
  }
  using Create = LiveServer* (*)(const ServeAddress*, const char*, std::size_t);
  const auto create = reinterpret_cast<Create>(::dlsym(module, "sb_create_live_server"));
  if (create == nullptr) {
    why = "the web server cannot be loaded: " + path + " is not this program's";
    return nullptr;
  }
  const std::string page = live_page();
  // The module stays loaded until the process ends.
  return std::unique_ptr<LiveServer>(create(&address, page.data(), page.size()));
#else
  (void)address;
  why = "this build has no web server; --serve is not available";
  return nullptr;
#endif
}

}  // namespace sb
