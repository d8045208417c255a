#include "app/lsp_server.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <filesystem>

#include "app/file_system.h"
#include "app/json_nesting.h"
#include "app/json_text.h"
#include "app/lsp_format.h"
#include "app/lsp_framing.h"
#include "app/lsp_knowledge.h"
#include "app/utf8_paths.h"
#include "decode/cell_description.h"
#include "documents/cp1252.h"
#include "reading/plan.h"

namespace sb {

using nlohmann::json;

namespace {

// JSON-RPC and protocol error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

constexpr int kMaxNesting = 64;
struct TooDeep {};

std::string percent_decoded(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// The local path of a file: URI ("file:///c%3A/x" on Windows gives "c:/x").
std::string path_of_uri(const std::string& uri) {
  if (uri.rfind("file://", 0) != 0) return uri;
  std::string path = percent_decoded(std::string_view(uri).substr(7));
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  return path;
}

std::string directory_of(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::string lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::vector<std::string> split_fields(std::string_view line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    out.push_back(trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// The symbol kind (as the protocol numbers them) of a line whose lowered
// first field is `k`; 0 for a line that is no symbol.
constexpr int kStationSymbol = 5;
int symbol_kind(const std::string& k) {
  const auto has = [&k](const char* word) { return k.find(word) != std::string::npos; };
  if (has("stazione")) return kStationSymbol;
  if (has("curva")) return 23;
  if (has("cartello") || has("indicatori_v")) return 14;
  if (has("segnale") && !has("ripetizione")) return 24;
  return 0;
}

std::optional<std::int64_t> integer(const std::string& s) {
  if (s.empty() || s.size() > 12) return std::nullopt;
  std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  std::int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    v = v * 10 + (s[i] - '0');
  }
  return s[0] == '-' ? -v : v;
}

// 47150 m as "47+150".
std::string kilometres(std::int64_t metres) {
  const std::int64_t a = metres < 0 ? -metres : metres;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%lld+%03lld", metres < 0 ? "-" : "", static_cast<long long>(a / 1000),
                static_cast<long long>(a % 1000));
  return buf;
}

std::string field_text(const CellField& f) {
  if (const auto* n = std::get_if<std::int64_t>(&f.value)) return f.label + " " + std::to_string(*n);
  return f.label + " " + cp1252_to_utf8(std::get<std::string>(f.value));
}

// The section a line lies in: the latest "[...]" line above it.
std::string section_at(std::string_view text, const std::vector<std::size_t>& starts, std::size_t line) {
  for (std::size_t n = line + 1; n-- > 0;) {
    const std::string t = trim(line_at(text, starts, n));
    if (!t.empty() && t.front() == '[') {
      const auto close = t.find(']');
      return lower(close == std::string::npos ? t : t.substr(0, close + 1));
    }
  }
  return {};
}

// "cell 944, 47150–47200 m: information board — ..."; the metres are where
// the cell's object stands (a point object at (i - 1) × 50, a station's end
// marker at (i + 1) × 50), `from` where nothing stands.
std::string cell_text(const ScenarioModel& m, std::size_t index, std::int64_t from) {
  if (index >= m.TrackArray.size()) return "beyond the track";
  const TrackCell& c = m.TrackArray[index];
  if (c.kind != 0) from = object_position(c.kind, index);
  std::string s = "cell " + std::to_string(index) + ", " + std::to_string(from) + "\u2013" + std::to_string(from + 50) +
                  " m: " + cell_kind_name(c.kind);
  const auto fields = describe_cell(c, m.ScenarioHeader.data(), kHeaderEntries);
  for (std::size_t k = 0; k < fields.size(); ++k) s += (k == 0 ? " \u2014 " : ", ") + field_text(fields[k]);
  return s;
}

}  // namespace

LspServer::LspServer(Send send, ReadFile read_file) : send_(std::move(send)), read_file_(std::move(read_file)) {}

void LspServer::receive_fault(const std::string& fault) { reply_error(nullptr, kParseError, fault); }

void LspServer::receive(const std::string& body) {
  json message;
  try {
    // No message of the protocol nests deeply; a value nested without end
    // would take the stack with it when copied or written out. Counted
    // before parsing: the parser then builds the value without a callback
    // at every step.
    if (json_nesting(body) > kMaxNesting) throw TooDeep();
    message = json::parse(body);
  } catch (const json::exception& e) {
    reply_error(nullptr, kParseError, std::string("the message is not JSON: ") + e.what());
    return;
  } catch (const TooDeep&) {
    reply_error(nullptr, kInvalidRequest, "the message nests deeper than " + std::to_string(kMaxNesting) + " levels");
    return;
  }
  try {
    handle(message);
  } catch (const json::exception& e) {
    // A field of the wrong type deep in the parameters.
    if (message.is_object() && message.contains("id")) {
      reply_error(message["id"], kInvalidParams, e.what());
    }
  } catch (const std::exception& e) {
    if (message.is_object() && message.contains("id")) reply_error(message["id"], kInternalError, e.what());
  }
}

void LspServer::handle(const json& message) {
  if (!message.is_object() || message.value("jsonrpc", "") != "2.0") {
    reply_error(message.is_object() && message.contains("id") ? message["id"] : json(nullptr), kInvalidRequest,
                "not a JSON-RPC 2.0 message");
    return;
  }
  const bool has_id = message.contains("id");
  if (has_id && !message["id"].is_number_integer() && !message["id"].is_string()) {
    reply_error(nullptr, kInvalidRequest, "the id must be a number or a string");
    return;
  }
  if (!message.contains("method")) return;  // an answer to a request of ours: we send none that need one
  if (!message["method"].is_string()) {
    if (has_id) reply_error(message["id"], kInvalidRequest, "the method must be a string");
    return;
  }
  const std::string method = message["method"];
  static const json no_params = json::object();
  const json& params = message.contains("params") ? message["params"] : no_params;
  if (has_id) {
    request(message["id"], method, params);
  } else {
    notification(method, params);
  }
}

void LspServer::request(const json& id, const std::string& method, const json& params) {
  if (method == "initialize") {
    if (initialized_) return reply_error(id, kInvalidRequest, "initialize was already received");
    initialized_ = true;
    return reply_written(id, initialize(params));
  }
  if (!initialized_) return reply_error(id, kServerNotInitialized, "the server was not initialized");
  if (shutdown_) return reply_error(id, kInvalidRequest, "the server is shut down");
  if (method == "shutdown") {
    shutdown_ = true;
    return reply(id, nullptr);
  }
  if (method == "textDocument/hover") return reply(id, hover(params));
  if (method == "textDocument/completion") return reply_written(id, completion(params));
  if (method == "textDocument/documentSymbol") return reply_written(id, document_symbols(params));
  if (method == "textDocument/codeAction") return reply(id, code_actions(params));
  if (method == "textDocument/formatting") return reply(id, formatting(params));
  reply_error(id, kMethodNotFound, "unknown method " + method);
}

void LspServer::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  // Notifications before initialize are dropped, as the protocol says.
  if (!initialized_ || shutdown_) return;
  if (method == "textDocument/didOpen") did_open(params);
  if (method == "textDocument/didChange") did_change(params);
  if (method == "textDocument/didClose") did_close(params);
}

namespace {

// A value as the server writes it: compact, invalid UTF-8 replaced.
std::string written(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace

// The envelopes are written around their written parts, in the order the
// members of a JSON object are written (by name): the same bytes as the whole
// message built as one value, without copying the parts into it.
void LspServer::reply(const json& id, const json& result) { reply_written(id, written(result)); }

void LspServer::reply_written(const json& id, const std::string& result) {
  send_("{\"id\":" + written(id) + ",\"jsonrpc\":\"2.0\",\"result\":" + result + "}");
}

void LspServer::reply_error(const json& id, int code, const std::string& message) {
  send_("{\"error\":" + written(json{{"code", code}, {"message", message}}) + ",\"id\":" + written(id) +
        ",\"jsonrpc\":\"2.0\"}");
}

void LspServer::notify(const std::string& method, const json& params) { notify_written(method, written(params)); }

void LspServer::notify_written(const std::string& method, const std::string& params) {
  std::string message = "{\"jsonrpc\":\"2.0\",\"method\":";
  append_json_string(message, method);
  send_(message + ",\"params\":" + params + "}");
}

const std::string& LspServer::initialize(const json& params) {
  // UTF-8 positions when the client offers them; UTF-16 otherwise.
  bool utf8 = false;
  if (params.is_object() && params.contains("capabilities")) {
    const json& caps = params["capabilities"];
    if (caps.contains("general") && caps["general"].contains("positionEncodings")) {
      for (const json& e : caps["general"]["positionEncodings"]) {
        if (e == "utf-8") utf8 = true;
      }
    }
  }
  units_ = utf8 ? PositionUnits::Utf8 : PositionUnits::Utf16;
  // What the server offers never changes: written once for each encoding.
  const auto offer = [](const char* encoding) {
    return written(json{{"capabilities",
                         {{"positionEncoding", encoding},
                          {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
                          {"hoverProvider", true},
                          {"completionProvider", {{"triggerCharacters", json::array({"["})}}},
                          {"documentSymbolProvider", true},
                          {"codeActionProvider", {{"codeActionKinds", json::array({"quickfix"})}}},
                          {"documentFormattingProvider", true}}},
                        {"serverInfo", {{"name", "scenario-builder"}}}});
  };
  static const std::string utf8_offer = offer("utf-8");
  static const std::string utf16_offer = offer("utf-16");
  return utf8 ? utf8_offer : utf16_offer;
}

LspServer::Document* LspServer::document(const json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

void LspServer::did_open(const json& params) {
  const json& td = params.at("textDocument");
  Document d;
  d.uri = td.at("uri").get<std::string>();
  d.path = path_of_uri(d.uri);
  d.text = td.at("text").get<std::string>();
  d.version = td.value("version", 0);
  d.kind = description_kind(d.path, d.text);
  documents_[d.uri] = std::move(d);
  pending_.insert(td.at("uri").get<std::string>());
}

void LspServer::did_change(const json& params) {
  Document* d = document(params);
  if (d == nullptr) return;
  for (const json& change : params.at("contentChanges")) {
    if (change.contains("range")) {
      const json& r = change["range"];
      const TextPosition a{r["start"]["line"].get<int>(), r["start"]["character"].get<int>()};
      const TextPosition b{r["end"]["line"].get<int>(), r["end"]["character"].get<int>()};
      apply_edit(d->text, a, b, change.at("text").get<std::string>(), units_);
    } else {
      d->text = change.at("text").get<std::string>();
    }
  }
  if (params["textDocument"].contains("version") && params["textDocument"]["version"].is_number_integer()) {
    d->version = params["textDocument"]["version"].get<int>();
  }
  if (d->kind == DescriptionKind::Unknown) d->kind = description_kind(d->path, d->text);
  pending_.insert(d->uri);
}

void LspServer::did_close(const json& params) {
  Document* d = document(params);
  if (d == nullptr) return;
  const std::string uri = d->uri;
  notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
  documents_.erase(uri);
  pending_.erase(uri);
}

// The other description of the pair: open in the editor, else on disk beside.
std::optional<std::string> LspServer::partner_text(const Document& doc, Document** open_partner,
                                                   std::string* disk_partner) {
  *open_partner = nullptr;
  const ScenarioNames names = scenario_names(doc.path, doc.kind);
  const std::string dir = directory_of(doc.path);
  if (doc.kind == DescriptionKind::Service) {
    if (names.route.empty()) return std::nullopt;
    const std::string line_path = dir + names.route + "_linea.txt";
    for (auto& [uri, other] : documents_) {
      if (other.path == line_path) {
        *open_partner = &other;
        return to_cp1252_lenient(other.text);
      }
    }
    return read_file_(line_path);
  }
  // A line description pairs with a service description of its route open
  // in the editor from the same directory.
  const std::string prefix = dir + names.route + "_";
  for (auto& [uri, other] : documents_) {
    if (other.kind == DescriptionKind::Service && !names.route.empty() && other.path.rfind(prefix, 0) == 0 &&
        scenario_names(other.path, other.kind).route == names.route) {
      *open_partner = &other;
      return to_cp1252_lenient(other.text);
    }
  }
  // Else the one service description of the route on disk beside it; with
  // several, none is taken (which one the author means is not known).
  if (names.route.empty() || !list_directory_) return std::nullopt;
  std::string found;
  for (const std::string& name : list_directory_(dir)) {
    if (description_kind(name, {}) != DescriptionKind::Service ||
        scenario_names(name, DescriptionKind::Service).route != names.route) {
      continue;
    }
    if (!found.empty()) return std::nullopt;
    found = name;
  }
  if (found.empty()) return std::nullopt;
  *disk_partner = dir + found;
  return read_file_(dir + found);
}

void LspServer::analyse_pair(Document& doc) {
  if (doc.kind == DescriptionKind::Unknown) {
    doc.cp1252 = to_cp1252_lenient(doc.text);
    doc.analysis.reset();
    return;
  }
  Document* partner = nullptr;
  std::string disk_partner;
  const std::optional<std::string> other = partner_text(doc, &partner, &disk_partner);
  doc.cp1252 = to_cp1252_lenient(doc.text);
  ScenarioNames names = scenario_names(doc.path, doc.kind);
  if (doc.kind == DescriptionKind::Line && partner != nullptr) {
    names.train = scenario_names(partner->path, partner->kind).train;
  } else if (doc.kind == DescriptionKind::Line && !disk_partner.empty()) {
    names.train = scenario_names(disk_partner, DescriptionKind::Service).train;
  }
  const bool line = doc.kind == DescriptionKind::Line;
  const std::string* line_text = line ? &doc.cp1252 : (other ? &*other : nullptr);
  const std::string* service_text = line ? (other ? &*other : nullptr) : &doc.cp1252;
  auto analysis = std::make_shared<const Analysis>(analyse(line_text, service_text, names));
  doc.analysis = analysis;
  if (partner != nullptr) {
    partner->cp1252 = *other;
    partner->analysis = analysis;
    publish(*partner);
  }
  if (doc.kind == DescriptionKind::Service && !other && !doc.told_alone) {
    doc.told_alone = true;
    notify("window/showMessage",
           {{"type", 3},
            {"message", "No line description beside " + doc.path +
                            " (ROUTE_linea.txt of the same route): the service description is checked alone, "
                            "positions against a route of the greatest length."}});
  }
}

namespace {

// A range as the protocol writes it, members in name order.
std::string range_text(std::int64_t start_line, int start_character, std::int64_t end_line, int end_character) {
  return "{\"end\":{\"character\":" + std::to_string(end_character) + ",\"line\":" + std::to_string(end_line) +
         "},\"start\":{\"character\":" + std::to_string(start_character) + ",\"line\":" + std::to_string(start_line) +
         "}}";
}

}  // namespace

// Written straight as text: at every change of every description, building
// the list as JSON values first took a heap block per member and per string.
// The members are in name order, as nlohmann::json writes an object.
void LspServer::publish(Document& doc) {
  std::string params = "{\"diagnostics\":[";
  if (doc.analysis) {
    const auto& findings = doc.kind == DescriptionKind::Line ? doc.analysis->line : doc.analysis->service;
    // Lines are located once for all findings.
    const auto starts = line_starts(doc.text);
    bool first = true;
    for (const EditorFinding& f : findings) {
      const std::string_view l =
          static_cast<std::size_t>(f.line) < starts.size() ? line_at(doc.text, starts, f.line) : std::string_view();
      if (!first) params += ',';
      first = false;
      params += '{';
      if (f.code != 0) params += "\"code\":" + std::to_string(f.code) + ',';
      if (f.suggestion) {
        params += "\"data\":{\"keyword\":";
        append_json_string(params, *f.suggestion);
        params += ",\"replacement\":";
        append_json_string(params, f.repair.value_or(*f.suggestion));
        params += "},";
      }
      params += "\"message\":";
      append_json_string(params, f.message);
      params += ",\"range\":" +
                range_text(f.line, character_in_units(l, f.column, units_), f.line,
                           character_in_units(l, f.column + f.length, units_)) +
                ",\"severity\":";
      params += f.error ? '1' : '2';
      params += ",\"source\":\"scenario-builder\"}";
    }
  }
  params += "],\"uri\":";
  append_json_string(params, doc.uri);
  params += ",\"version\":" + std::to_string(doc.version) + '}';
  notify_written("textDocument/publishDiagnostics", params);
}

void LspServer::flush() {
  const std::set<std::string> pending = std::move(pending_);
  pending_.clear();
  for (const std::string& uri : pending) {
    auto it = documents_.find(uri);
    if (it == documents_.end()) continue;
    analyse_pair(it->second);
    publish(it->second);
  }
}

namespace {

// A range as the client sent it, rebuilt from its four numbers: nothing of
// the client's own JSON is echoed back, however it is nested.
json clean_range(const json& r) {
  auto at = [&r](const char* end, const char* what) { return r.at(end).at(what).get<int>(); };
  return {{"start", {{"line", at("start", "line")}, {"character", at("start", "character")}}},
          {"end", {{"line", at("end", "line")}, {"character", at("end", "character")}}}};
}

}  // namespace

json LspServer::code_actions(const json& params) {
  json actions = json::array();
  Document* d = document(params);
  if (d == nullptr || !params.contains("context")) return actions;
  for (const json& diag : params["context"].value("diagnostics", json::array())) {
    if (!diag.contains("data") || !diag["data"].contains("replacement")) continue;
    const std::string replacement = diag["data"]["replacement"].get<std::string>();
    const json range = clean_range(diag.at("range"));
    json fixed{
        {"range", range}, {"message", diag.value("message", "")}, {"severity", 2}, {"source", "scenario-builder"}};
    actions.push_back(
        {{"title", "Write '" + replacement + "'"},
         {"kind", "quickfix"},
         {"diagnostics", json::array({fixed})},
         {"isPreferred", true},
         {"edit", {{"changes", {{d->uri, json::array({{{"range", range}, {"newText", replacement}}})}}}}}});
  }
  return actions;
}

json LspServer::hover(const json& params) {
  Document* d = document(params);
  if (d == nullptr) return nullptr;
  if (!pending_.empty()) flush();
  const int line = params.at("position").at("line").get<int>();
  const auto starts = line_starts(d->cp1252);
  if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return nullptr;
  const auto fields = split_fields(line_at(d->cp1252, starts, static_cast<std::size_t>(line)));
  if (fields.size() < 2) return nullptr;
  const std::string keyword = lower(fields[0]);
  const auto position = integer(fields[1]);
  if (!position || keyword.empty()) return nullptr;
  std::string text =
      "**" + cp1252_to_utf8(fields[0]) + "** at " + kilometres(*position) + " (" + std::to_string(*position) + " m)";
  const ScenarioModel* m = d->analysis ? d->analysis->model.get() : nullptr;
  const bool point = keyword.find("cartello") != std::string::npos ||
                     keyword.find("indicatori_v") != std::string::npos ||
                     (keyword.find("segnale") != std::string::npos && keyword.find("ripetizione") == std::string::npos);
  if (point && m != nullptr && m->track_allocated()) {
    // A point object stands in cell nearest(p / 50 + 1).
    const auto cell = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(*position) / 50.0 + 1.0));
    if (cell >= 1) text += "\n\n" + cell_text(*m, static_cast<std::size_t>(cell), (cell - 1) * 50);
  }
  // Profiles change from cell nearest(p / 50) on.
  const struct {
    const char* word;
    CellProperty property;
  } profiles[] = {{"velocit", CellProperty::SpeedLimit},
                  {"aderenza", CellProperty::Adhesion},
                  {"pendenza", CellProperty::Gradient}};
  for (const auto& pr : profiles) {
    if (keyword.find(pr.word) == std::string::npos || m == nullptr || !m->track_allocated()) continue;
    const auto cell = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(*position) / 50.0));
    if (cell < 0 || static_cast<std::size_t>(cell) >= m->TrackArray.size()) continue;
    text += "\n\nfrom cell " + std::to_string(cell) + " (" + std::to_string(cell * 50) +
            " m): " + property_name(pr.property) + " " +
            std::to_string(property_value(m->TrackArray[cell], pr.property)) + property_unit(pr.property) +
            " in the compiled track";
  }
  if (keyword.find("curva") != std::string::npos) {
    if (const auto k = curve_curvature(keyword)) {
      char radius[64];
      std::snprintf(radius, sizeof radius, "%.0f m", 1.0 / std::fabs(*k));
      text += "\n\nradius " + std::string(radius) + ", curving " + (*k < 0 ? "left (s)" : "right (d)");
      if (fields.size() > 2) {
        if (const auto length = integer(fields[2])) text += "; ends at " + kilometres(*position + *length);
      }
    } else {
      text += "\n\nno class digit 1..6: error 103";
    }
  }
  if (keyword.find("stazione") != std::string::npos && m != nullptr) {
    const std::string name = fields.back();
    for (const StationEntry& e : m->ScenarioHeader) {
      if (e.position != *position || e.name.empty()) continue;
      text += "\n\nstation " + cp1252_to_utf8(trim(e.name)) + ": area " + kilometres(e.areaStart) + " \u2013 " +
              kilometres(e.areaEnd) + " (" + std::to_string(e.areaStart) + "\u2013" + std::to_string(e.areaEnd) + " m)";
      bool marker = false;
      for (std::int64_t c = e.areaStart / 50; c <= e.areaEnd / 50 + 1; ++c) {
        if (c >= 0 && static_cast<std::size_t>(c) < m->TrackArray.size() && m->TrackArray[c].kind == 10) {
          text += "; end marker in " + cell_text(*m, static_cast<std::size_t>(c), c * 50);
          marker = true;
          break;
        }
      }
      if (!marker) text += "; no end marker";
      break;
    }
  }
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}};
}

// The completion list and the outline are written as text, as the
// diagnostics are: built as JSON values, a list of some sixty entries took a
// heap block per member and per string.
std::string LspServer::completion(const json& params) {
  std::string items = "[";
  const auto add = [&items](std::string_view label, int kind, std::string_view detail, const std::string* insert,
                            bool snippet) {
    if (items.size() > 1) items += ',';
    items += '{';
    if (!detail.empty() || snippet) {
      items += "\"detail\":";
      append_json_string(items, detail);
      items += ',';
    }
    if (insert != nullptr) {
      items += "\"insertText\":";
      append_json_string(items, *insert);
      items += snippet ? ",\"insertTextFormat\":2," : ",";
    }
    items += "\"kind\":" + std::to_string(kind) + ",\"label\":";
    append_json_string(items, label);
    items += '}';
  };
  Document* d = document(params);
  if (d == nullptr) return "[]";
  const int line = params.at("position").at("line").get<int>();
  const int character = params.at("position").at("character").get<int>();
  const auto starts = line_starts(d->text);
  if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return "[]";
  const std::size_t cursor = offset_of(d->text, {line, character}, units_);
  const std::string before(std::string_view(d->text).substr(starts[line], cursor - starts[line]));
  const DescriptionKind kind = d->kind == DescriptionKind::Unknown ? DescriptionKind::Line : d->kind;
  // After the keyword come values: nothing to complete.
  if (before.find(',') != std::string::npos) return "[]";
  // Typed after a "[", the bracket is already there.
  const bool bracket = !trim(before).empty() && trim(before).front() == '[';
  if (!bracket) {
    const std::string section = line > 0 ? section_at(d->text, starts, static_cast<std::size_t>(line - 1)) : "";
    for (const EntryShape& e : entries_of(kind, section)) {
      const std::string snippet = entry_snippet(e);
      add(e.keyword, 14, e.meaning, &snippet, true);
    }
  }
  for (std::string_view s : section_names(kind)) {
    const std::string rest(s.substr(bracket ? 1 : 0));
    add(s, 9, {}, bracket ? &rest : nullptr, false);
  }
  return items + ']';
}

std::string LspServer::document_symbols(const json& params) {
  Document* d = document(params);
  if (d == nullptr) return "[]";
  const std::string& text = d->text;
  const auto starts = line_starts(text);
  // Lines `from` to `to`, from the first's start to the last's end.
  const auto range = [&](std::size_t from, std::size_t to) {
    const std::string_view last = line_at(text, starts, to);
    return range_text(static_cast<std::int64_t>(from), 0, static_cast<std::int64_t>(to),
                      character_in_units(last, static_cast<int>(last.size()), units_));
  };
  std::string sections = "[";
  // The open section: its line, its name and its symbols so far.
  std::optional<std::size_t> header;
  std::string name;
  std::string children;
  const auto close = [&](std::size_t last) {
    if (!header) return;
    if (sections.size() > 1) sections += ',';
    sections += "{\"children\":[" + children + "],\"kind\":3,\"name\":";
    append_json_string(sections, name);
    sections += ",\"range\":" + range(*header, last) + ",\"selectionRange\":" + range(*header, *header) + '}';
  };
  for (std::size_t n = 0; n < starts.size(); ++n) {
    const std::string_view l = line_at(text, starts, n);
    std::string t = trim(l);
    if (!t.empty() && t.front() == '[') {
      if (n > 0) close(n - 1);
      header = n;
      name = std::move(t);
      children.clear();
      continue;
    }
    if (!header) continue;
    // Only a line whose first field names a symbol is split into its fields.
    const std::size_t comma = l.find(',');
    if (comma == std::string_view::npos) continue;
    const int kind = symbol_kind(lower(trim(l.substr(0, comma))));
    if (kind == 0) continue;
    const auto fields = split_fields(l);
    const auto p = integer(fields[1]);
    std::string symbol = kind == kStationSymbol ? fields.back() : std::string();
    if (symbol.empty()) symbol = fields[0] + (p ? " " + kilometres(*p) : "");
    if (symbol.empty()) continue;
    if (!children.empty()) children += ',';
    children += '{';
    if (p) children += "\"detail\":\"" + kilometres(*p) + "\",";
    children += "\"kind\":" + std::to_string(kind) + ",\"name\":";
    append_json_string(children, symbol);
    const std::string whole = range(n, n);
    children += ",\"range\":" + whole + ",\"selectionRange\":" + whole + '}';
  }
  if (!starts.empty()) close(starts.size() - 1);
  return sections + ']';
}

json LspServer::formatting(const json& params) {
  Document* d = document(params);
  if (d == nullptr) return json::array();
  std::string formatted = format_description(d->text);
  if (formatted == d->text) return json::array();
  const auto starts = line_starts(d->text);
  const std::size_t last = starts.size() - 1;
  const std::string_view l = line_at(d->text, starts, last);
  json end{{"line", last}, {"character", character_in_units(l, static_cast<int>(l.size()), units_)}};
  return json::array({{{"range", {{"start", {{"line", 0}, {"character", 0}}}, {"end", std::move(end)}}},
                       {"newText", std::move(formatted)}}});
}

int run_lsp() {
#ifdef _WIN32
  // Content-Length counts bytes: no CR LF translation on the wire.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::ios::sync_with_stdio(false);
  std::istream& in = std::cin;
  LspServer server([](const std::string& body) { write_message(std::cout, body); },
                   [](const std::string& path) -> std::optional<std::string> {
                     std::FILE* f = open_for_reading(path);
                     if (f == nullptr) return std::nullopt;
                     std::string bytes;
                     char buf[65536];
                     for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
                     std::fclose(f);
                     return bytes;
                   });
  server.set_directory_lister([](const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(utf8_path(dir.empty() ? "." : dir), ec), end; !ec && it != end;
         it.increment(ec)) {
      names.push_back(path_utf8(it->path().filename()));
    }
    return names;
  });
  while (!server.exited()) {
    // Changes already waiting are taken together before anything is analysed.
    if (server.has_pending() && in.rdbuf()->in_avail() <= 0) server.flush();
    auto message = read_message(in);
    if (!message) break;
    if (!message->fault.empty()) {
      server.receive_fault(message->fault);
    } else {
      server.receive(message->body);
    }
  }
  return server.exited() ? server.exit_status() : 1;
}

}  // namespace sb
