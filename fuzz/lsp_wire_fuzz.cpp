// The language server fed the wire itself: framed or not, JSON or not, any
// methods and parameters. Whatever the bytes, the server must answer and end
// normally.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/lsp_framing.h"
#include "app/lsp_server.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sb::LspServer server([](const std::string&) {},
                       [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
  server.receive(
      nlohmann::json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", {}}}}}
          .dump());
  std::istringstream in(sb::fuzz::bytes_of(data, size));
  while (!server.exited()) {
    auto m = sb::read_message(in);
    if (!m) break;
    if (m->fault.empty()) {
      server.receive(m->body);
    } else {
      server.receive_fault(m->fault);
    }
    server.flush();
  }
  return 0;
}
