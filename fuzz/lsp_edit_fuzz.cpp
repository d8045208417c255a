// The language server editing a description. An input is a short editing
// session whose length the input chooses:
//   byte 0: the description's kind (bit 1: a service description, else a
//     line description) and, for a service description, its partner (bit 2:
//     a short line description on disk beside it, else none: it is checked
//     alone, against a track of the greatest length);
//   byte 1: how many changes (its low four bits: up to fifteen) and
//     questions (the next two bits: up to three; questions change nothing,
//     so more of them in one session would only repeat what separate inputs
//     try);
//   five bytes per change: its range (line, character, line, character) and
//     the text that replaces it;
//   three bytes per question: hover, completion, the outline or formatting,
//     and the place asked about;
//   the rest: the text opened in the editor.
// The changes are taken together by one analysis, as the server takes the
// changes an editor sends while the person types. Whatever the bytes, every
// question is answered. Letting the input choose how long its session is
// keeps most sessions short (a whole one is some twenty messages), so the
// fuzzer tries many more of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

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
std::string position(const std::uint8_t* at) {
  return "{\"line\":" + std::to_string(at[0] % 64) + ",\"character\":" + std::to_string(at[1] % 64) + "}";
}

// What a change puts in place of its range (as JSON string contents): what a
// person types most between fields, and nothing (a deletion).
constexpr const char* kReplacements[] = {"", ",", "\\r\\n", " ", "0", "[", "]", "\\u00e8"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t at = 2;
  const std::size_t changes = std::min<std::size_t>(data[1] & 15, (size - at) / 5);
  const std::uint8_t* change = data + at;
  at += 5 * changes;
  const std::size_t questions = std::min<std::size_t>((data[1] >> 4) & 3, (size - at) / 3);
  const std::uint8_t* question = data + at;
  at += 3 * questions;
  const std::string text = sb::fuzz::bytes_of(data + at, size - at);

  std::size_t answers = 0;
  const bool partner = (data[0] & 6) == 6;
  sb::LspServer server([&answers](const std::string&) { ++answers; },
                       [partner](const std::string& path) -> std::optional<std::string> {
                         if (partner && path == kPartnerPath) return std::string(kPartnerLine);
                         return std::nullopt;
                       });
  server.receive(message("initialize", "{\"capabilities\":{}}", 1));
  const std::string uri = (data[0] & 2) != 0 ? "file:///d/R_T-.txt" : "file:///d/R_linea.txt";
  const std::string doc = "{\"uri\":\"" + uri + "\"}";
  // The text as an editor holds it: UTF-8 (the bytes taken as cp1252).
  server.receive(message("textDocument/didOpen", "{\"textDocument\":{\"uri\":\"" + uri + "\",\"version\":1,\"text\":" +
                                                     json(sb::cp1252_to_utf8(text)).dump() + "}}"));
  for (std::size_t i = 0; i < changes; ++i, change += 5) {
    server.receive(message("textDocument/didChange",
                           "{\"textDocument\":{\"uri\":\"" + uri + "\",\"version\":" + std::to_string(i + 2) +
                               "},\"contentChanges\":[{\"range\":{\"start\":" + position(change) +
                               ",\"end\":" + position(change + 2) + "},\"text\":\"" +
                               kReplacements[change[4] % std::size(kReplacements)] + "\"}]}"));
  }
  const std::size_t before_questions = answers;
  server.flush();
  for (std::size_t i = 0; i < questions; ++i, question += 3) {
    const int id = static_cast<int>(i) + 2;
    switch (question[0] % 4) {
      case 0:
        server.receive(message("textDocument/hover",
                               "{\"textDocument\":" + doc + ",\"position\":" + position(question + 1) + "}", id));
        break;
      case 1:
        server.receive(message("textDocument/completion",
                               "{\"textDocument\":" + doc + ",\"position\":" + position(question + 1) + "}", id));
        break;
      case 2: server.receive(message("textDocument/documentSymbol", "{\"textDocument\":" + doc + "}", id)); break;
      default: server.receive(message("textDocument/formatting", "{\"textDocument\":" + doc + "}", id));
    }
  }
  // The diagnostics, then one answer to every question.
  sb::fuzz::require(answers - before_questions >= questions + 1, "a question unanswered");
  return 0;
}
