// One writer for all five documents: a buffer of up to 1001 lines ending at
// the line "riferimento fine del file", written as cp1252 with CR LF line
// ends, replacing any earlier file of the same name.
#pragma once

#include <string>
#include <vector>

#include "model/file_door.h"
#include "model/scenario_model.h"

namespace sb {

inline constexpr const char* kEndMarker = "riferimento fine del file";
constexpr int kDocumentSlots = 1001;  // indices 0 .. 1000

// Slots hold UTF-8 text in the source; the writer converts to cp1252.
using DocumentBuffer = std::vector<std::string>;

// 1001 empty slots.
DocumentBuffer make_document_buffer();

// 1001 slots holding `lines` from slot 0 and the end marker after them.
DocumentBuffer make_document_buffer(const std::vector<std::string>& lines);

// `text` right-aligned in `width` characters (never cut when longer).
std::string right_aligned(const std::string& text, std::size_t width);
// `text` followed by blanks up to `width` characters (never cut when longer).
std::string left_aligned(const std::string& text, std::size_t width);

// The bytes the writer puts on disk for a buffer: lines up to the end marker
// (compared as a whole line), each in cp1252 followed by CR LF. `lines_written`
// receives the index of the end marker.
std::string document_bytes(const DocumentBuffer& buffer, int* lines_written = nullptr);

// Replaces file `name` with the buffer's lines; LoopIndex ends holding the
// number of lines written.
void write_document(ScenarioModel& model, FileDoor& files, const std::string& name, const DocumentBuffer& buffer);

}  // namespace sb
