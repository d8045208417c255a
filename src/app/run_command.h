// `run DIR`: the start-up run into a folder the user names, for a program
// installed where it cannot (or should not) write next to itself.
#pragma once

#include <ostream>
#include <string>

namespace sb {

// Writes the embedded documents into `directory` (created when missing),
// reads them back, deletes the two descriptions and writes the compiled
// files, exactly as the start-up run does next to the program. Messages go
// to `err`; the exit status is the start-up run's.
int run_embedded(const std::string& directory, std::ostream& err);

}  // namespace sb
