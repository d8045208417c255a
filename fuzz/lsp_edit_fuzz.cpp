// The language server editing a description. The first byte picks the
// description's kind (bit 1: a service description, else a line
// description) and, for a service description, its partner (bit 2: a short
// line description on disk beside it, else none: it is checked alone, against
// a track of the greatest length); the rest is the text opened in the editor,
// then edited at
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

// The line description beside a service description: a short route, so the
// pair is analysed as `compile` would read it.
constexpr const char* kPartnerPath = "/d/R_linea.txt";
constexpr const char* kPartnerLine =
    "[generale]\r\nlunghezza percorso, 6000\r\nprogressiva chilometrica uno, 1000, 0, 0\r\n"
    "[curve]\r\ncurvas6, 750, 250\r\n[pendenze]\r\npendenza, 2000, 7\r\n[fine]\r\n";

// The messages are written out as an editor sends them: building each as a
// JSON value first took half of every input's allocations, and the server
// parses the text either way.
std::string message(const std::string& method, const std::string& params, int id = 0) {
  return "{\"jsonrpc\":\"2.0\"," + (id != 0 ? "\"id\":" + std::to_string(id) + "," : std::string()) + "\"method\":\"" +
         method + "\",\"params\":" + params + "}";
}

// A place in the text the input's bytes choose: line and character below 64.
std::string position(const std::string& rest, std::size_t at) {
  return "{\"line\":" + std::to_string(static_cast<unsigned char>(rest[at]) % 64) +
         ",\"character\":" + std::to_string(static_cast<unsigned char>(rest[at + 1]) % 64) + "}";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string rest = sb::fuzz::bytes_of(data + 1, size - 1);
  std::size_t answers = 0;
  const bool partner = (data[0] & 6) == 6;
  sb::LspServer server([&answers](const std::string&) { ++answers; },
                       [partner](const std::string& path) -> std::optional<std::string> {
                         if (partner && path == kPartnerPath) return std::string(kPartnerLine);
                         return std::nullopt;
                       });
  server.receive(message("initialize", "{\"capabilities\":{}}", 1));
  const std::size_t before_questions = answers;
  const std::string uri = (data[0] & 2) != 0 ? "file:///d/R_T-.txt" : "file:///d/R_linea.txt";
  const std::string doc = "{\"uri\":\"" + uri + "\"}";
  // The text as an editor holds it: UTF-8 (the bytes taken as cp1252).
  server.receive(message("textDocument/didOpen", "{\"textDocument\":{\"uri\":\"" + uri + "\",\"version\":1,\"text\":" +
                                                     json(sb::cp1252_to_utf8(rest)).dump() + "}}"));
  std::vector<std::string> places;
  for (std::size_t i = 0; i + 3 < rest.size() && i < 64; i += 4) {
    const std::string at = position(rest, i);
    const std::string to = position(rest, i + 2);
    const char* text = rest.compare(i, 3, "\n\n\n") == 0 ? "\\r\\n" : ",";
    server.receive(message("textDocument/didChange", "{\"textDocument\":{\"uri\":\"" + uri +
                                                         "\",\"version\":" + std::to_string(i + 2) +
                                                         "},\"contentChanges\":[{\"range\":{\"start\":" + at +
                                                         ",\"end\":" + to + "},\"text\":\"" + text + "\"}]}"));
    if (i % 16 == 12) places.push_back(at), places.push_back(to);
  }
  server.flush();
  int id = 2;
  for (std::size_t k = 0; k + 1 < places.size(); k += 2) {
    server.receive(
        message("textDocument/hover", "{\"textDocument\":" + doc + ",\"position\":" + places[k] + "}", id++));
    server.receive(
        message("textDocument/completion", "{\"textDocument\":" + doc + ",\"position\":" + places[k + 1] + "}", id++));
  }
  server.receive(message("textDocument/documentSymbol", "{\"textDocument\":" + doc + "}", id++));
  server.receive(message("textDocument/formatting", "{\"textDocument\":" + doc + "}", id++));
  // The diagnostics, then one answer to every question.
  sb::fuzz::require(answers - before_questions >= static_cast<std::size_t>(id - 2) + 1, "a question unanswered");
  return 0;
}
