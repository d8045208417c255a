// The language server without an editor: its wire, its answers to faulty
// messages, and that it tells the author what `compile` tells.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "app/commands.h"
#include "app/json_text.h"
#include "app/lsp_analysis.h"
#include "app/lsp_format.h"
#include "app/lsp_framing.h"
#include "app/lsp_server.h"
#include "app/lsp_text.h"
#include "compile/track_completion.h"
#include "documents/cp1252.h"
#include "documents/scenario_documents.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "support/random_descriptions.h"
#include "support/temp_dir.h"

namespace sb {
namespace {

using nlohmann::json;

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(LspFraming, ReadsMessagesAndNamesWhatIsWrongWithTheRest) {
  std::istringstream in(framed("{\"a\":1}") + "content-length:  3\r\nContent-Type: x\r\n\r\n[1]" +
                        "Content-Type: x\r\n\r\n" + "Content-Length: 12a\r\n\r\n" + framed("{}") +
                        "Content-Length: 10\r\n\r\n{\"cut");
  auto m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->body, "{\"a\":1}");
  m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->body, "[1]");  // header names in any case, other headers ignored
  m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->fault, "the message has no Content-Length header");
  m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->fault, "the Content-Length header is not a number");
  // A bad header block does not lose the message after it.
  m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->body, "{}");
  EXPECT_FALSE(read_message(in));  // the body ends early: the stream is over
}

TEST(LspFraming, AnOversizedMessageIsSkippedNotHeld) {
  std::istringstream in("Content-Length: " + std::to_string(kMaxMessageBytes + 1) + "\r\n\r\n" +
                        std::string(kMaxMessageBytes + 1, 'x') + framed("{}"));
  auto m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->body.empty());
  EXPECT_NE(m->fault.find("larger than"), std::string::npos);
  m = read_message(in);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->body, "{}");
}

// A server whose messages are collected; files beside come from `disk`.
struct Session {
  std::vector<json> sent;
  std::map<std::string, std::string> disk;
  std::vector<std::string> read;
  // Every message is one JSON value written compactly with its members in
  // name order: what the value itself writes, byte for byte.
  LspServer server{[this](const std::string& body) {
                     sent.push_back(json::parse(body));
                     EXPECT_EQ(sent.back().dump(-1, ' ', false, json::error_handler_t::replace), body);
                   },
                   [this](const std::string& path) -> std::optional<std::string> {
                     read.push_back(path);
                     auto it = disk.find(path);
                     if (it == disk.end()) return std::nullopt;
                     return it->second;
                   }};

  json call(const json& message) {
    sent.clear();
    server.receive(message.dump());
    server.flush();
    return sent.empty() ? json() : sent.back();
  }
  json request(int id, const std::string& method, json params = json::object()) {
    return call({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
  }
  void notify(const std::string& method, json params) {
    call({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  void start() {
    request(1, "initialize", {{"capabilities", json::object()}});
    notify("initialized", json::object());
  }
  json diagnostics_of(const std::string& uri) const {
    for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
      if (it->value("method", "") == "textDocument/publishDiagnostics" && (*it)["params"]["uri"] == uri) {
        return (*it)["params"]["diagnostics"];
      }
    }
    return json();
  }
};

int error_code(const json& answer) { return answer.contains("error") ? answer["error"]["code"].get<int>() : 0; }

TEST(LspProtocol, FaultyMessagesGetTheProtocolsErrorAnswers) {
  Session s;
  EXPECT_EQ(error_code(s.request(1, "textDocument/hover")), -32002);  // before initialize
  s.sent.clear();
  s.server.receive("{not json");
  ASSERT_EQ(s.sent.size(), 1u);
  EXPECT_EQ(error_code(s.sent[0]), -32700);
  EXPECT_TRUE(s.sent[0]["id"].is_null());
  s.server.receive_fault("the message has no Content-Length header");
  EXPECT_EQ(error_code(s.sent.back()), -32700);
  s.start();
  EXPECT_EQ(error_code(s.call({{"jsonrpc", "2.0"}, {"id", 2}})), 0);  // an answer to us: ignored
  const struct {
    json message;
    int code;
  } cases[] = {
      {json::array({1, 2}), -32600},
      {{{"id", 3}, {"method", "shutdown"}}, -32600},  // no "jsonrpc": "2.0"
      {{{"jsonrpc", "2.0"}, {"id", json::array()}, {"method", "shutdown"}}, -32600},
      {{{"jsonrpc", "2.0"}, {"id", 4}, {"method", 7}}, -32600},
      {{{"jsonrpc", "2.0"}, {"id", 5}, {"method", "no/such"}}, -32601},
      {{{"jsonrpc", "2.0"}, {"id", 6}, {"method", "textDocument/hover"}, {"params", {{"textDocument", 3}}}}, -32602},
      {{{"jsonrpc", "2.0"}, {"id", 7}, {"method", "initialize"}, {"params", json::object()}}, -32600},
  };
  for (const auto& c : cases) EXPECT_EQ(error_code(s.call(c.message)), c.code) << c.message.dump();
}

TEST(LspProtocol, DeeplyNestedValuesAreRefusedNotEchoed) {
  Session s;
  s.start();
  s.notify("textDocument/didOpen", {{"textDocument", {{"uri", "file:///d/R_linea.txt"}, {"text", "[generale]\r\n"}}}});
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  for (const std::string& params :
       {"{\"textDocument\":{\"uri\":\"file:///d/R_linea.txt\"},\"context\":{\"diagnostics\":[{\"range\":" + deep +
            ",\"data\":{\"replacement\":\"x\"}}]}}",
        deep}) {
    s.sent.clear();
    s.server.receive("{\"jsonrpc\":\"2.0\",\"id\":8,\"method\":\"textDocument/codeAction\",\"params\":" + params + "}");
    ASSERT_EQ(s.sent.size(), 1u);
    EXPECT_EQ(error_code(s.sent[0]), -32600);
  }
}

TEST(LspProtocol, ShutdownThenExitEndsWell_ExitAloneDoesNot) {
  Session s;
  s.start();
  EXPECT_TRUE(s.request(2, "shutdown").contains("result"));
  EXPECT_EQ(error_code(s.request(3, "textDocument/hover")), -32600);  // after shutdown
  s.notify("exit", json::object());
  EXPECT_TRUE(s.server.exited());
  EXPECT_EQ(s.server.exit_status(), 0);

  Session t;
  t.start();
  t.notify("exit", json::object());
  EXPECT_TRUE(t.server.exited());
  EXPECT_EQ(t.server.exit_status(), 1);
}

TEST(LspText, EditsCountUtf16UnitsOrUtf8Bytes) {
  // "è" is one UTF-16 unit and two UTF-8 bytes; "😀" two units and four bytes.
  const std::string text = "a\u00e8\U0001F600b\r\nx\ny";
  const struct {
    TextPosition at;
    PositionUnits units;
    std::size_t offset;
  } cases[] = {
      {{0, 1}, PositionUnits::Utf16, 1},  {{0, 2}, PositionUnits::Utf16, 3},  {{0, 4}, PositionUnits::Utf16, 7},
      {{0, 5}, PositionUnits::Utf16, 8},  {{0, 99}, PositionUnits::Utf16, 8}, {{1, 0}, PositionUnits::Utf16, 10},
      {{2, 1}, PositionUnits::Utf16, 13}, {{9, 0}, PositionUnits::Utf16, 13}, {{0, 3}, PositionUnits::Utf8, 3},
      {{0, 7}, PositionUnits::Utf8, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(offset_of(text, c.at, c.units), c.offset) << c.at.line << ":" << c.at.character;
  }
  std::string edited = text;
  apply_edit(edited, {0, 2}, {1, 1}, "Z", PositionUnits::Utf16);
  EXPECT_EQ(edited, "a\u00e8Z\ny");
  EXPECT_EQ(to_cp1252_lenient("\u00e8\u20ac\U0001F600"), "\xe8\x80?");
  EXPECT_EQ(character_in_units("\U0001F600ab", 2, PositionUnits::Utf16), 3);
}

// Runs `compile` on two files and keeps its messages as "LINE:COLUMN:
// message" (or "-: message" for those at no place).
std::vector<std::string> compile_messages(const std::string& line, const std::string& service) {
  testing::TempDir dir;
  testing::write_file(dir.path() / "ORSEA_MONTELBA_linea.txt", line);
  testing::write_file(dir.path() / "ORSEA_MONTELBA_RX17-.txt", service);
  CompileOptions options;
  options.line_path = (dir.path() / "ORSEA_MONTELBA_linea.txt").string();
  options.service_path = (dir.path() / "ORSEA_MONTELBA_RX17-.txt").string();
  options.output_directory = (dir.path() / "out").string();
  std::ostringstream err;
  run_compile(options, err);
  std::vector<std::string> out;
  std::istringstream lines(err.str());
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind("    ", 0) == 0) continue;  // the quoted line and the caret
    for (const std::string& path : {options.line_path, options.service_path}) {
      if (l.rfind(path + ":", 0) == 0) l = (path == options.line_path ? "L" : "S") + l.substr(path.size());
    }
    if (l.rfind("scenario-builder: ", 0) == 0) l = "-: " + l.substr(18);
    out.push_back(l);
  }
  return out;
}

// The embedded descriptions as the document writer writes them, under the
// route R and the train T.
MemoryFiles embedded_documents() {
  ScenarioModel model;
  model.RouteName = "R";
  model.TrainCode = "T";
  MemoryFiles docs;
  write_scenario_documents(model, docs);
  return docs;
}

std::vector<std::string> lsp_messages(const std::string& line, const std::string& service) {
  const Analysis a = analyse(&line, &service, {"ORSEA_MONTELBA", "RX17"});
  std::vector<std::string> out;
  for (const auto* list : {&a.line, &a.service}) {
    for (const EditorFinding& f : *list) {
      const bool placed = f.line > 0 || f.column > 0 || f.code == 15;
      out.push_back(placed ? std::string(list == &a.line ? "L" : "S") + ":" + std::to_string(f.line + 1) + ":" +
                                 std::to_string(f.column + 1) + ": " + f.message
                           : "-: " + f.message);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(JsonText, StringsAreWrittenAsTheJsonLibraryWritesThem) {
  const auto library = [](const std::string& s) {
    return json(s).dump(-1, ' ', false, json::error_handler_t::replace);
  };
  std::vector<std::string> cases = {"", "curvas1", "say \"x\" \\ y", "\x7f", "\xc3\xa8 \xe2\x82\xac \xf0\x9f\x9a\x86",
                                    // Not UTF-8: a lone continuation byte, overlong forms, a surrogate,
                                    // past U+10FFFF, cut-off sequences, a lead byte before ASCII.
                                    "a\x80"
                                    "b",
                                    "\xc0\x80", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82",
                                    "\xf0\x9f\x9a", "\xc3("};
  std::string controls;
  for (int c = 0; c < 0x20; ++c) controls += static_cast<char>(c);
  cases.push_back(controls);
  // Short strings of the bytes where the two writers could part.
  const std::string alphabet = std::string("a\"\\\n\x1f\x7f\x80\xbf\xc2\xc3\xe0\xed\xef\xf0\xf4\xf5\xff", 17) + '\0';
  std::uint32_t state = 12345;
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    for (int k = static_cast<int>(n % 9); k > 0; --k) {
      state = state * 1664525u + 1013904223u;
      s += alphabet[(state >> 16) % alphabet.size()];
    }
    cases.push_back(s);
  }
  for (const std::string& s : cases) {
    std::string out = "x";
    append_json_string(out, s);
    ASSERT_EQ(out, "x" + library(s)) << json(s).dump(-1, ' ', true, json::error_handler_t::replace);
  }
}

TEST(LspDiagnostics, TheSameTextGivesTheSameMessagesAsCompile) {
  const std::string general = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n";
  const std::string service = "[generale]\r\nvelocita, 0, 100\r\n[stazioni]\r\n[fine]\r\n";
  const struct {
    std::string line, service;
  } cases[] = {
      {general + "pendenza, 0, 0\r\npendenza,  99990,  7\r\n[fine]\r\n", service},           // error 15
      {general + "pendenzza, 0, 0\r\ncartelo_indicatore, 500, (A)\r\n[fine]\r\n", service},  // warnings
      {general + "curvad, 100, 100\r\n[fine]\r\n", service},                                 // 103
      {general + "pendenza, 12x, 0\r\n[fine]\r\n", service},                                 // read failure
      {general + "[fine]\r\n", "[generale]\r\nvelocta, 0, 100\r\nstazione, 75, 2, 900\r\n[fine]\r\n"},
      {"[generale]\r\n[fine]\r\n", service},  // no route length
      {"", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> expected = compile_messages(c.line, c.service);
    std::sort(expected.begin(), expected.end());
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(lsp_messages(c.line, c.service), expected) << c.line << "\n--\n" << c.service;
  }
}

TEST(LspDiagnostics, AMisspeltKeywordIsRepairedKeepingClassAndSide) {
  const std::string line = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncruvas3, 100, 100\r\n[fine]\r\n";
  const Analysis a = analyse(&line, nullptr, {});
  ASSERT_EQ(a.line.size(), 1u);
  EXPECT_FALSE(a.line[0].error);
  EXPECT_EQ(a.line[0].line, 3);
  EXPECT_EQ(a.line[0].column, 0);
  EXPECT_EQ(a.line[0].length, 7);
  EXPECT_EQ(a.line[0].suggestion, "curva");
  EXPECT_EQ(a.line[0].repair, "curvas3");
}

// The piece of the field nearest the keyword is replaced, the rest kept;
// on a tie the earliest and shortest piece.
TEST(LspDiagnostics, RepairsReplaceTheNearestPieceOfTheField) {
  const struct {
    const char* field;
    const char* repair;
  } cases[] = {
      {"pendenzza", "pendenza"},
      {"cartelo_indicatore", "cartello_indicatore"},
      {"xxcurvxd2yy", "xxcurvaxd2yy"},
      {"PENDEZA", "pendenza"},
      {"montagnna_bassa", "montagnana_bassa"},
      {"xcruvad6", "xcurvad6"},
      {"aaaapendnzabbbbbbbbbbbbbbbbbbbbbbb", "aaaapendenzabbbbbbbbbbbbbbbbbbbbbbb"},
  };
  for (const auto& c : cases) {
    const std::string line =
        "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\ncurvas1, 100, 100\r\n[pendenze]\r\n" +
        std::string(c.field) + ", 100, 100\r\n[fine]\r\n";
    const Analysis a = analyse(&line, nullptr, {});
    std::string repairs;
    for (const auto& f : a.line) repairs += f.repair.value_or("-");
    EXPECT_EQ(repairs, c.repair) << c.field;
  }
}

// An analysis reuses the memory of the last track released: nothing of that
// track may show through. The embedded descriptions fill far more cells
// than a short one.
TEST(LspDiagnostics, AnAnalysisAfterAnotherGivesTheSameTrackAsBefore) {
  MemoryFiles docs = embedded_documents();
  const std::string busy_line = docs.files[line_description_name("R")];
  const std::string busy_service = docs.files[service_description_name("R", "T")];
  const std::string short_line = "[generale]\r\nlunghezza percorso, 200000\r\n[fine]\r\n";
  const std::string short_service = "[generale]\r\nvelocita, 0, 100\r\n[stazioni]\r\n[fine]\r\n";
  const std::string no_length = "[generale]\r\n[fine]\r\n";
  const auto same_cells = [](const ScenarioModel& a, const ScenarioModel& b) {
    if (a.track_allocated() != b.track_allocated() || a.TrackArray.size() != b.TrackArray.size()) return false;
    for (std::size_t i = 0; i < a.TrackArray.size(); ++i) {
      const TrackCell &x = a.TrackArray[i], &y = b.TrackArray[i];
      if (std::tie(x.kind, x.value1, x.value2, x.value3, x.value4, x.signalTime, x.approach, x.scenery, x.speedLimit,
                   x.gradient, x.adhesion) != std::tie(y.kind, y.value1, y.value2, y.value3, y.value4, y.signalTime,
                                                       y.approach, y.scenery, y.speedLimit, y.gradient, y.adhesion)) {
        return false;
      }
    }
    return true;
  };
  const struct {
    const std::string *busy_line, *busy_service, *line, *service;
  } cases[] = {
      {nullptr, &busy_service, nullptr, &short_service},  // a service description alone
      {&busy_line, nullptr, &short_line, nullptr},        // a line description alone
      {&busy_line, &busy_service, &short_line, &short_service},
      {&busy_line, nullptr, &no_length, nullptr},  // no track at all
  };
  for (const auto& c : cases) {
    const Analysis first = analyse(c.line, c.service, {});
    analyse(c.busy_line, c.busy_service, {});  // released at once
    const Analysis again = analyse(c.line, c.service, {});
    EXPECT_TRUE(same_cells(*first.model, *again.model)) << (c.line ? "line" : "") << (c.service ? " service" : "");
  }
}

// Compiles in memory and returns every file written.
std::map<std::string, std::string> compiled(const std::string& line, const std::string& service) {
  ScenarioModel model;
  model.RouteName = "R";
  model.TrainCode = "T";
  MemoryFiles inputs, outputs;
  inputs.files[line_description_name("R")] = line;
  inputs.files[service_description_name("R", "T")] = service;
  try {
    memorizza_percorso(model, 1, inputs, outputs);
  } catch (const std::exception& e) {
    outputs.files["failure"] = e.what();
  }
  outputs.files["error"] = std::to_string(model.ErrorCode);
  return outputs.files;
}

TEST(LspFormatting, NeverChangesTheCompiledBytes) {
  MemoryFiles docs = embedded_documents();
  std::vector<std::pair<std::string, std::string>> pairs{
      {docs.files[line_description_name("R")], docs.files[service_description_name("R", "T")]}};
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    const auto r = testing::random_descriptions(seed);
    pairs.emplace_back(r.line, r.service);
  }
  for (const auto& [line, service] : pairs) {
    const std::string fline = format_description(line), fservice = format_description(service);
    EXPECT_EQ(format_description(fline), fline);  // formatting again changes nothing
    const auto before = compiled(line, service);
    const auto after = compiled(fline, fservice);
    EXPECT_EQ(before.size(), after.size());
    for (const auto& [name, bytes] : before) {
      ASSERT_TRUE(after.count(name)) << name;
      EXPECT_TRUE(after.at(name) == bytes) << name;
    }
  }
  // The columns line up: every station's name starts at the same column.
  const std::string f = format_description(pairs[0].second);
  std::size_t column = std::string::npos;
  for (std::size_t at = f.find("\nstazione,"); at != std::string::npos; at = f.find("\nstazione,", at + 1)) {
    const std::size_t end = f.find('\r', at);
    const std::size_t name = f.rfind(',', end) + 3;
    if (column == std::string::npos) column = name - at;
    EXPECT_EQ(name - at, column);
  }
}

TEST(LspServerFeatures, AServiceDescriptionAloneIsCheckedAloneAndSaysSoOnce) {
  Session s;
  s.start();
  const std::string uri = "file:///d/R_T-.txt";
  s.notify("textDocument/didOpen",
           {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", "[generale]\r\nvelocta, 0, 100\r\n[fine]\r\n"}}}});
  int told = 0;
  for (const json& m : s.sent) told += m.value("method", "") == "window/showMessage";
  EXPECT_EQ(told, 1);
  EXPECT_EQ(s.diagnostics_of(uri).size(), 1u);
  s.notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                      {"contentChanges", json::array({{{"text", "[fine]\r\n"}}})}});
  for (const json& m : s.sent) EXPECT_NE(m.value("method", ""), "window/showMessage");
  EXPECT_TRUE(s.diagnostics_of(uri).empty());

  // With the line description beside it, errors of the pair land in the file they belong to.
  Session p;
  p.disk["/d/R_linea.txt"] = "[generale]\r\nlunghezza percorso, 10000\r\n[curve]\r\n[fine]\r\n";
  p.start();
  p.notify(
      "textDocument/didOpen",
      {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", "[generale]\r\nvelocita, 99990, 100\r\n[fine]\r\n"}}}});
  for (const json& m : p.sent) EXPECT_NE(m.value("method", ""), "window/showMessage");
  const json d = p.diagnostics_of(uri);
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0]["code"], 15);
  EXPECT_EQ(d[0]["range"]["start"]["line"], 1);
}

TEST(LspServerFeatures, ALineDescriptionTakesTheOneServiceDescriptionOfItsRouteBesideIt) {
  for (const bool two : {false, true}) {
    Session s;
    s.disk["/d/R_T-.txt"] = "[generale]\r\n[fine]\r\n";
    s.disk["/d/Q_T-.txt"] = "[generale]\r\n[fine]\r\n";  // another route
    if (two) s.disk["/d/R_U-.txt"] = "[generale]\r\n[fine]\r\n";
    s.server.set_directory_lister([&s](const std::string& dir) {
      std::vector<std::string> names;
      for (const auto& [path, bytes] : s.disk) {
        if (path.rfind(dir, 0) == 0) names.push_back(path.substr(dir.size()));
      }
      return names;
    });
    s.start();
    s.notify("textDocument/didOpen",
             {{"textDocument",
               {{"uri", "file:///d/R_linea.txt"}, {"text", "[generale]\r\nlunghezza percorso, 10000\r\n[fine]\r\n"}}}});
    EXPECT_EQ(s.read, two ? std::vector<std::string>{} : std::vector<std::string>{"/d/R_T-.txt"});
    EXPECT_TRUE(s.diagnostics_of("file:///d/R_linea.txt").empty());
  }
}

// The outline of the embedded descriptions: every section, and in it every
// station, curve, board and signal, with its position as kilometres.
TEST(LspServerFeatures, TheOutlineListsEverySectionAndItsSymbols) {
  MemoryFiles docs = embedded_documents();
  Session s;
  s.start();
  std::string summary;
  for (const std::string& name : {line_description_name("R"), service_description_name("R", "T")}) {
    const std::string uri = "file:///d/" + name;
    s.notify("textDocument/didOpen",
             {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", cp1252_to_utf8(docs.files[name])}}}});
    const json outline = s.request(5, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}})["result"];
    for (const json& section : outline) {
      std::map<int, int> kinds;
      for (const json& c : section["children"]) {
        ++kinds[c["kind"].get<int>()];
        EXPECT_EQ(c["range"], c["selectionRange"]);
        EXPECT_EQ(c["range"]["start"]["line"], c["range"]["end"]["line"]);
      }
      summary += section["name"].get<std::string>();
      for (const auto& [kind, count] : kinds) summary += " " + std::to_string(kind) + "x" + std::to_string(count);
      if (!section["children"].empty()) {
        const json& first = section["children"][0];
        summary += " (" + first["name"].get<std::string>() + "; " + first.value("detail", "") + ")";
      }
      summary += "\n";
    }
    for (const json& section : outline) {
      if (section["name"] != "[stazioni]") continue;
      const json& stations = section["children"];
      ASSERT_EQ(stations.size(), 14u);
      EXPECT_EQ(stations[0]["name"], "ORSEA");
      EXPECT_EQ(stations[13]["name"], "MONTELBA BORGOVECCHIO");
    }
  }
  EXPECT_EQ(
      summary,
      "[generale]\n[curve] 23x21 (curvas6 0+750; 0+750)\n[pendenze]\n[montagne]\n"
      "[cartelli] 14x12 (indicatori_vmax 2+000; 2+000)\n[indicazioni] 14x10 (cartello_indicatore 30+150; 30+150)\n"
      "[fine]\n[generale]\n[aderenze]\n[vel_limite]\n[stazioni] 5x14 (ORSEA; 0+000)\n[rallentamenti]\n"
      "[segnali] 24x38 (segnale 2+800; 2+800)\n[codici]\n[fine]\n");
}

// The labels offered at a place, with the text a section name inserts.
std::string offered(Session& s, const std::string& uri, int line, int character) {
  const json items =
      s.request(12, "textDocument/completion",
                {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}})["result"];
  std::string out;
  for (const json& item : items) {
    out += item["label"].get<std::string>();
    if (item["kind"] == 9 && item.contains("insertText")) out += "=" + item["insertText"].get<std::string>();
    out += " ";
  }
  return out;
}

TEST(LspServerFeatures, CompletionOffersTheEntriesOfTheSectionThenTheSectionNames) {
  const std::string names = "[generale] [aderenze] [vel_limite] [stazioni] [rallentamenti] [segnali] [codici] [fine] ";
  const std::string typed_names =
      "[generale]=generale] [aderenze]=aderenze] [vel_limite]=vel_limite] [stazioni]=stazioni] "
      "[rallentamenti]=rallentamenti] [segnali]=segnali] [codici]=codici] [fine]=fine] ";
  const std::string uri = "file:///d/R_T-.txt";
  const struct {
    int line, character;
    std::string labels;
  } cases[] = {
      {1, 0, "stazione " + names},       // in [stazioni]
      {4, 0, "rallentamento " + names},  // in [rallentamenti]
      {1, 3, "stazione " + names},       // the keyword half typed
      {1, 12, ""},                       // past the comma: values, nothing to offer
      {2, 1, typed_names},               // after a "[": the names without it
      {5, 0, ""},                        // past the last line
  };
  Session s;
  s.start();
  s.notify("textDocument/didOpen",
           {{"textDocument",
             {{"uri", uri}, {"version", 1}, {"text", "[stazioni]\r\nstazion, 1\r\n[\r\n[rallentamenti]\r\n"}}}});
  for (const auto& c : cases) {
    EXPECT_EQ(offered(s, uri, c.line, c.character), c.labels) << c.line << ":" << c.character;
  }
  // A section the author made up offers every entry of the description.
  s.notify("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", 2}}},
                                      {"contentChanges", json::array({{{"text", "[mia]\r\n\r\n"}}})}});
  const std::string all = offered(s, uri, 1, 0);
  for (const char* keyword : {"velocita", "aderenza", "stazione", "segnale", "rallentamento", "orologio"}) {
    EXPECT_NE(all.find(std::string(keyword) + " "), std::string::npos) << keyword;
  }
  EXPECT_EQ(all.substr(all.size() - names.size()), names);
}

TEST(LspServerFeatures, GarbageAndHalfTypedTextNeverBreakTheServer) {
  Session s;
  s.start();
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 128));
  const std::string uri = "file:///d/X_linea.txt";
  s.notify("textDocument/didOpen", {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", garbage}}}});
  EXPECT_FALSE(s.diagnostics_of(uri).is_null());
  for (const char* text : {"[generale]\r\nlunghezza percorso, 1000", "[generale]\r\ncartello_indicatore, ",
                           "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\ncurvas"}) {
    s.notify("textDocument/didChange",
             {{"textDocument", {{"uri", uri}, {"version", 2}}}, {"contentChanges", json::array({{{"text", text}}})}});
    for (int line = 0; line < 5; ++line) {
      for (const char* method : {"textDocument/hover", "textDocument/completion"}) {
        const json a =
            s.request(9, method, {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", 40}}}});
        EXPECT_FALSE(a.contains("error")) << a.dump();
      }
    }
    EXPECT_FALSE(s.request(10, "textDocument/documentSymbol", {{"textDocument", {{"uri", uri}}}}).contains("error"));
    EXPECT_FALSE(s.request(11, "textDocument/formatting", {{"textDocument", {{"uri", uri}}}}).contains("error"));
  }
}

}  // namespace
}  // namespace sb
