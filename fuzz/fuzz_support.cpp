#include "fuzz_support.h"

#include "documents/description_documents.h"
#include "model/file_names.h"

namespace sb::fuzz {

const std::string& embedded_line_description() {
  static const std::string bytes = document_bytes(line_description_buffer());
  return bytes;
}

const std::string& embedded_service_description() {
  static const std::string bytes = document_bytes(service_description_buffer());
  return bytes;
}

MemoryFiles description_files(const std::string& line, const std::string& service) {
  MemoryFiles files;
  files.files[line_description_name(kRoute)] = line;
  files.files[service_description_name(kRoute, kTrain)] = service;
  return files;
}

void check_after_reading(const ScenarioModel& model, const MemoryFiles& files) {
  require(model.ErrorCode >= 0, "ErrorCode negative after reading");
  require(files.files.count(line_description_name(kRoute)) == 0, "line description left on disk");
  if (model.track_allocated()) {
    require(model.track_upper() == track_upper_index(model.ExtendedLength), "track size differs from the route");
  }
}

}  // namespace sb::fuzz
