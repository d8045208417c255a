// A run-time failure while reading (a field that cannot be read, a value its
// target cannot hold, a table never allocated, an index outside a table).
// The description reader catches it in one place: its failure path.
#pragma once

#include <stdexcept>
#include <string>

namespace sb {

class RuntimeFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sb
