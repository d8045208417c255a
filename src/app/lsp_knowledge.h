// What the editor is told about the descriptions' vocabulary: the sections
// and the entries each holds, with the fields an entry takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/lsp_analysis.h"

namespace sb {

struct EntryShape {
  std::string_view keyword;              // as the documents write it
  std::vector<std::string_view> fields;  // names of the values after it
  std::string_view meaning;
};

// The sections of a description, in the documents' order.
const std::vector<std::string_view>& section_names(DescriptionKind kind);

// The entries a section holds; an unknown section gets every entry of the
// region it lies in (`general` for the line description's first section).
std::vector<EntryShape> entries_of(DescriptionKind kind, std::string_view section);

// "keyword, ${1:field}, ${2:field}" for an editor's snippet.
std::string entry_snippet(const EntryShape& shape);

}  // namespace sb
