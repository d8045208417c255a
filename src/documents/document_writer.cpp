#include "documents/document_writer.h"

#include "documents/cp1252.h"

#include <algorithm>
#include <stdexcept>

namespace sb {

DocumentBuffer make_document_buffer() { return DocumentBuffer(kDocumentSlots); }

DocumentBuffer make_document_buffer(const std::vector<std::string>& lines) {
  // The last slot must stay free for the marker.
  if (lines.size() >= static_cast<std::size_t>(kDocumentSlots)) {
    throw std::length_error("a document holds at most " + std::to_string(kDocumentSlots - 1) + " lines");
  }
  DocumentBuffer b = make_document_buffer();
  std::copy(lines.begin(), lines.end(), b.begin());
  b[lines.size()] = kEndMarker;
  return b;
}

std::string right_aligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string left_aligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string document_bytes(const DocumentBuffer& buffer, int* lines_written) {
  std::string bytes;
  int i = 0;
  // Every buffer carries the marker; one without it stops at its last slot
  // rather than running past it.
  for (; i < static_cast<int>(buffer.size()); ++i) {
    if (buffer[static_cast<std::size_t>(i)] == kEndMarker) break;
    bytes += utf8_to_cp1252(buffer[static_cast<std::size_t>(i)]);
    bytes += "\r\n";
  }
  if (lines_written != nullptr) *lines_written = i;
  return bytes;
}

void write_document(ScenarioModel& model, FileDoor& files, const std::string& name, const DocumentBuffer& buffer) {
  int lines = 0;
  const std::string bytes = document_bytes(buffer, &lines);
  files.replace(name, [&](OutputSink& sink) { sink.write_at(0, bytes.data(), bytes.size()); });
  model.LoopIndex = lines;
}

}  // namespace sb
