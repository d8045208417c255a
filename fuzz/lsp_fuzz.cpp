// The language server fed message sequences. The first byte picks the form:
// even, the input is the wire itself (framed or not, JSON or not); odd, the
// rest is a description opened in the editor, then edited and asked about at
// places the input's bytes choose (four changes to a question). Whatever the
// bytes, the server must answer and end normally.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/lsp_framing.h"
#include "app/lsp_server.h"
#include "documents/cp1252.h"
#include "fuzz_support.h"

namespace {

using nlohmann::json;

json message(const char* method, json params, int id = 0) {
  json m{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  if (id != 0) m["id"] = id;
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string rest = sb::fuzz::bytes_of(data + 1, size - 1);
  std::size_t answers = 0;
  sb::LspServer server([&answers](const std::string&) { ++answers; },
                       [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
  server.receive(message("initialize", {{"capabilities", json::object()}}, 1).dump());
  if (data[0] % 2 == 0) {
    std::istringstream in(rest);
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
  // The text as an editor holds it: UTF-8 (the bytes taken as cp1252).
  const std::string text = sb::cp1252_to_utf8(rest);
  const std::string uri = data[0] % 4 == 1 ? "file:///d/R_linea.txt" : "file:///d/R_T-.txt";
  server.receive(
      message("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}}).dump());
  server.flush();
  const json doc{{"uri", uri}};
  for (std::size_t i = 0; i + 3 < rest.size() && i < 64; i += 4) {
    const json at{{"line", static_cast<int>(static_cast<unsigned char>(rest[i]) % 64)},
                  {"character", static_cast<int>(static_cast<unsigned char>(rest[i + 1]) % 64)}};
    const json to{{"line", static_cast<int>(static_cast<unsigned char>(rest[i + 2]) % 64)},
                  {"character", static_cast<int>(static_cast<unsigned char>(rest[i + 3]) % 64)}};
    server.receive(
        message("textDocument/didChange",
                {{"textDocument", {{"uri", uri}, {"version", static_cast<int>(i) + 2}}},
                 {"contentChanges", json::array({{{"range", {{"start", at}, {"end", to}}},
                                                  {"text", rest.substr(i, 3) == "\n\n\n" ? "\r\n" : ","}}})}})
            .dump(-1, ' ', false, json::error_handler_t::replace));
    // Questions after every fourth change, as an editor asks while the
    // person types: the changes between are taken together by one analysis.
    if (i % 16 != 12) continue;
    server.receive(message("textDocument/hover", {{"textDocument", doc}, {"position", at}}, 2).dump());
    server.receive(message("textDocument/completion", {{"textDocument", doc}, {"position", to}}, 3).dump());
  }
  server.flush();
  server.receive(message("textDocument/documentSymbol", {{"textDocument", doc}}, 4).dump());
  server.receive(message("textDocument/formatting", {{"textDocument", doc}}, 5).dump());
  return 0;
}
