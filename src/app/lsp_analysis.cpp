#include "app/lsp_analysis.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "app/field_repair.h"
#include "app/lsp_text.h"
#include "compile/track_completion.h"
#include "documents/cp1252.h"
#include "model/error_codes.h"
#include "model/file_names.h"
#include "model/memory_files.h"
#include "model/runtime_failure.h"
#include "model/spare_buffer.h"
#include "reading/memorizza_dati.h"

namespace sb {

namespace {

bool ends_with(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

std::string_view base_name(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

struct Recorded {
  std::string file;
  SourcePlace where;
  bool error = true;
  int code = 0;
  std::string text;  // cp1252
};

class CollectingSink : public DiagnosticSink {
 public:
  std::vector<Recorded> recorded;
  void recorded_error(int code, const SourcePlace& where, const std::string& detail) override {
    std::string text = "error " + std::to_string(code) + ": " + error_meaning(code);
    if (!detail.empty()) text += " (" + detail + ")";
    recorded.push_back({where.file, where, true, code, text});
  }
  void warning(const std::string& message, const SourcePlace& where) override {
    recorded.push_back({where.file, where, false, 0, "warning: " + message});
  }
};

// An error of the whole run, at no place (the track completion's).
Recorded unplaced_error(const std::string& file, int code, std::string text) {
  Recorded r;
  r.file = file;
  r.error = true;
  r.code = code;
  r.text = std::move(text);
  return r;
}

// The keyword a passed-over field's warning proposes.
std::optional<std::string> proposed_keyword(const std::string& message) {
  const std::string_view marker = "did you mean '";
  const auto at = message.rfind(marker);
  if (at == std::string::npos) return std::nullopt;
  const auto start = at + marker.size();
  const auto end = message.find('\'', start);
  if (end == std::string::npos) return std::nullopt;
  return message.substr(start, end - start);
}

EditorFinding finding_of(const Recorded& r, const std::string* text) {
  EditorFinding f;
  f.error = r.error;
  f.code = r.code;
  f.message = cp1252_to_utf8(r.text);
  if (!r.error) f.suggestion = proposed_keyword(f.message);
  if (r.where.known()) {
    f.line = r.where.line - 1;
    f.column = r.where.column > 0 ? r.where.column - 1 : 0;
    if (text != nullptr) {
      // Only the one line is needed: find its start without indexing the text.
      std::size_t start = 0;
      for (int n = 0; n < f.line && start < text->size(); ++n) {
        while (start < text->size() && (*text)[start] != '\n' && (*text)[start] != '\r') ++start;
        if (start < text->size() && (*text)[start] == '\r' && start + 1 < text->size() && (*text)[start + 1] == '\n') {
          ++start;
        }
        ++start;
      }
      std::size_t end = start;
      while (end < text->size() && (*text)[end] != '\n' && (*text)[end] != '\r') ++end;
      if (start <= text->size()) {
        const std::string_view line = std::string_view(*text).substr(start, end - start);
        f.length = field_length(line, f.column);
        if (f.suggestion && static_cast<std::size_t>(f.column) < line.size()) {
          f.repair = cp1252_to_utf8(
              repaired_field(line.substr(static_cast<std::size_t>(f.column), static_cast<std::size_t>(f.length)),
                             to_cp1252_lenient(*f.suggestion)));
        }
      }
    }
  }
  return f;
}

// A service description alone is read against a track of the greatest
// length: 20,141 cells, 322 kB. Under the sanitizers (the fuzzer's build)
// taking them fresh from the system at every analysis, page by page, was
// half of an editing session's time; so the memory of the last track
// released is kept for the next analysis. The track itself is allocated and
// cleared by the reader as before. Never destroyed: a model may be released
// after static destruction began.
SpareBuffer<std::vector<TrackCell>>& spare_track() {
  static auto* spare = new SpareBuffer<std::vector<TrackCell>>;
  return *spare;
}

std::shared_ptr<ScenarioModel> new_model() {
  auto* model = new ScenarioModel;
  model->TrackArray = spare_track().take();
  return std::shared_ptr<ScenarioModel>(model, [](ScenarioModel* m) {
    spare_track().keep(std::move(m->TrackArray));
    delete m;
  });
}

// A reader run with the failure path memorizza_dati gives both readers: a
// run-time failure is recorded as error 25 at its field.
template <class Read>
void read_guarded(ScenarioModel& model, Read read) {
  try {
    read();
  } catch (const RuntimeFailure& e) {
    const SourcePlace& at = e.where().known() ? e.where() : model.diagnostics.last_field;
    record_error(model, err::kReadFailure, at, e.cause());
  } catch (const std::bad_alloc&) {
    record_error(model, err::kReadFailure, model.diagnostics.last_field, "out of memory");
  } catch (const std::length_error& e) {
    record_error(model, err::kReadFailure, model.diagnostics.last_field, e.what());
  }
}

// The line reader alone.
void read_line_only(ScenarioModel& model, MemoryFiles& inputs) {
  ReadingContext context{model, inputs};
  read_guarded(model, [&] { read_line_description(context); });
}

void read_service_only(ScenarioModel& model, MemoryFiles& inputs) {
  ReadingContext context{model, inputs};
  read_guarded(model, [&] {
    model.allocate_track(kMaxRouteLength);
    read_service_description(context);
  });
}

}  // namespace

DescriptionKind description_kind(std::string_view file_name, std::string_view text) {
  const std::string_view name = base_name(file_name);
  if (ends_with(name, "_linea.txt")) return DescriptionKind::Line;
  if (ends_with(name, "-.txt")) return DescriptionKind::Service;
  for (std::string_view s : {"[stazioni]", "[vel_limite]", "[aderenze]", "[segnali]"}) {
    if (text.find(s) != std::string_view::npos) return DescriptionKind::Service;
  }
  for (std::string_view s : {"[curve]", "[pendenze]", "[montagne]", "[indicazioni]", "lunghezza percorso"}) {
    if (text.find(s) != std::string_view::npos) return DescriptionKind::Line;
  }
  return DescriptionKind::Unknown;
}

ScenarioNames scenario_names(std::string_view file_name, DescriptionKind kind) {
  const std::string_view name = base_name(file_name);
  ScenarioNames n;
  if (kind == DescriptionKind::Line && ends_with(name, "_linea.txt")) {
    n.route = std::string(name.substr(0, name.size() - 10));
  } else if (kind == DescriptionKind::Service && ends_with(name, "-.txt")) {
    const std::string_view stem = name.substr(0, name.size() - 5);
    const auto us = stem.rfind('_');
    if (us != std::string_view::npos && us > 0) {
      n.route = std::string(stem.substr(0, us));
      n.train = std::string(stem.substr(us + 1));
    }
  }
  return n;
}

int field_length(std::string_view line, int column) {
  if (column < 0 || static_cast<std::size_t>(column) >= line.size()) return 1;
  std::size_t end = line.find(',', static_cast<std::size_t>(column));
  if (end == std::string_view::npos) end = line.size();
  while (end > static_cast<std::size_t>(column) + 1 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
  return std::max(1, static_cast<int>(end) - column);
}

Analysis analyse(const std::string* line_text, const std::string* service_text, const ScenarioNames& names) {
  std::shared_ptr<ScenarioModel> model = new_model();
  model->RouteName = names.route.empty() ? "ORSEA_MONTELBA" : to_cp1252_lenient(names.route);
  model->TrainCode = names.train.empty() ? "RX17" : to_cp1252_lenient(names.train);
  const std::string line_name = line_description_name(model->RouteName);
  const std::string service_name = service_description_name(model->RouteName, model->TrainCode);
  MemoryFiles inputs;
  if (line_text != nullptr) inputs.files[line_name] = *line_text;
  if (service_text != nullptr) inputs.files[service_name] = *service_text;
  CollectingSink sink;
  model->diagnostics.sink = &sink;
  model->ErrorCode = 0;
  model->reset_header();
  std::vector<Recorded> unplaced;
  if (line_text != nullptr) {
    // What `compile` does, short of writing the files.
    model->ProfileWanted = 1;
    if (service_text != nullptr) {
      memorizza_dati(*model, inputs);
    } else {
      read_line_only(*model, inputs);
    }
    try {
      complete_track(*model);
    } catch (const FatalError& e) {
      unplaced.push_back(unplaced_error(line_name, e.code(), " Errore n. " + std::to_string(e.code())));
    } catch (const NoTrackError& e) {
      unplaced.push_back(unplaced_error(line_name, 0, std::string(e.what()) + "; no compiled file written"));
    } catch (const std::exception& e) {
      unplaced.push_back(unplaced_error(line_name, 0, e.what()));
    }
  } else if (service_text != nullptr) {
    model->ProfileWanted = 0;
    read_service_only(*model, inputs);
  }
  model->diagnostics.sink = nullptr;
  Analysis a;
  for (const Recorded& r : sink.recorded) {
    const bool to_service = r.file == service_name || (line_text == nullptr && !r.where.known());
    if (to_service) {
      a.service.push_back(finding_of(r, service_text));
    } else {
      a.line.push_back(finding_of(r, line_text));
    }
  }
  for (const Recorded& r : unplaced) a.line.push_back(finding_of(r, line_text));
  a.model = std::move(model);
  return a;
}

}  // namespace sb
