// What the language server knows about a pair of descriptions: the readers
// and the track completion run on the editor's text exactly as `compile` runs
// them on the files, and what they record is kept per description.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/scenario_model.h"

namespace sb {

enum class DescriptionKind { Line, Service, Unknown };

// By the file name (NAME_linea.txt, NAME_TRAIN-.txt), else by the sections
// the text holds.
DescriptionKind description_kind(std::string_view file_name, std::string_view text);

// The route and train identifiers a file name carries (empty when it carries
// none): ROUTE_linea.txt, ROUTE_TRAIN-.txt.
struct ScenarioNames {
  std::string route;
  std::string train;
};
ScenarioNames scenario_names(std::string_view file_name, DescriptionKind kind);

struct EditorFinding {
  int line = 0;    // 0-based; the description's first line when the reader gave no place
  int column = 0;  // 0-based character
  int length = 1;  // characters
  bool error = true;
  int code = 0;                           // error number; 0 for warnings and errors without one
  std::string message;                    // UTF-8
  std::optional<std::string> suggestion;  // the keyword a misspelt field was meant to be
  std::optional<std::string> repair;      // the field with the keyword put right (UTF-8)
};

struct Analysis {
  std::vector<EditorFinding> line;
  std::vector<EditorFinding> service;
  // The model as the compiled files would be written from it.
  std::shared_ptr<const ScenarioModel> model;
};

// Runs the readers (and, with a line description, the track completion) on
// cp1252 texts. Either text may be missing; the service description alone is
// read against a track of the greatest length.
Analysis analyse(const std::string* line_text, const std::string* service_text, const ScenarioNames& names);

// The field that starts at `column` (0-based) of a cp1252 line: up to the
// next comma or the line's end, trailing blanks dropped; at least 1 long.
int field_length(std::string_view line, int column);

}  // namespace sb
