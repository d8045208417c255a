// A run-time failure while reading (a field that cannot be read, a value its
// target cannot hold, a table never allocated, an index outside a table).
// The description reader catches it in one place: its failure path.
#pragma once

#include <stdexcept>
#include <string>

#include "model/diagnostics.h"

namespace sb {

class RuntimeFailure : public std::runtime_error {
 public:
  explicit RuntimeFailure(const std::string& cause) : std::runtime_error(cause), cause_(cause) {}
  // A failure at a field of a description: what() leads with FILE:LINE:COLUMN.
  RuntimeFailure(const SourcePlace& where, const std::string& cause)
      : std::runtime_error(where.file + ":" + std::to_string(where.line) + ":" + std::to_string(where.column) + ": " +
                           cause),
        where_(where),
        cause_(cause) {}

  // The field it happened at; unknown (line 0) when it came from no field.
  const SourcePlace& where() const { return where_; }
  const std::string& cause() const { return cause_; }

 private:
  SourcePlace where_;
  std::string cause_;
};

}  // namespace sb
