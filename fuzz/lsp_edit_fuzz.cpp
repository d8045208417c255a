// The language server editing a description. The first byte picks the
// description's kind (bit 1: a service description, alone; else a line
// description); the rest is the text opened in the editor, then edited at
// places its own bytes choose (up to sixteen changes, each a range and a
// short text), then asked about at those places: hover, completion, the
// outline and formatting. The changes are taken together by one analysis,
// as the server takes the changes an editor sends while the person types.
// Whatever the bytes, every question is answered.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

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

json position(const std::string& rest, std::size_t at) {
  return {{"line", static_cast<int>(static_cast<unsigned char>(rest[at]) % 64)},
          {"character", static_cast<int>(static_cast<unsigned char>(rest[at + 1]) % 64)}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string rest = sb::fuzz::bytes_of(data + 1, size - 1);
  std::size_t answers = 0;
  sb::LspServer server([&answers](const std::string&) { ++answers; },
                       [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
  server.receive(message("initialize", {{"capabilities", json::object()}}, 1).dump());
  const std::size_t before_questions = answers;
  // The text as an editor holds it: UTF-8 (the bytes taken as cp1252).
  const std::string uri = (data[0] & 2) != 0 ? "file:///d/R_T-.txt" : "file:///d/R_linea.txt";
  server.receive(message("textDocument/didOpen",
                         {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", sb::cp1252_to_utf8(rest)}}}})
                     .dump());
  const json doc{{"uri", uri}};
  std::vector<json> places;
  for (std::size_t i = 0; i + 3 < rest.size() && i < 64; i += 4) {
    const json at = position(rest, i);
    const json to = position(rest, i + 2);
    server.receive(
        message("textDocument/didChange",
                {{"textDocument", {{"uri", uri}, {"version", static_cast<int>(i) + 2}}},
                 {"contentChanges", json::array({{{"range", {{"start", at}, {"end", to}}},
                                                  {"text", rest.substr(i, 3) == "\n\n\n" ? "\r\n" : ","}}})}})
            .dump(-1, ' ', false, json::error_handler_t::replace));
    if (i % 16 == 12) places.push_back(at), places.push_back(to);
  }
  server.flush();
  int id = 2;
  for (std::size_t k = 0; k + 1 < places.size(); k += 2) {
    server.receive(message("textDocument/hover", {{"textDocument", doc}, {"position", places[k]}}, id++).dump());
    server.receive(
        message("textDocument/completion", {{"textDocument", doc}, {"position", places[k + 1]}}, id++).dump());
  }
  server.receive(message("textDocument/documentSymbol", {{"textDocument", doc}}, id++).dump());
  server.receive(message("textDocument/formatting", {{"textDocument", doc}}, id++).dump());
  // The diagnostics, then one answer to every question.
  sb::fuzz::require(answers - before_questions >= static_cast<std::size_t>(id - 2) + 1, "a question unanswered");
  return 0;
}
