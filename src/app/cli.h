// The command line: no arguments runs the start-up run; subcommands serve
// scenario authors.
#pragma once

namespace sb {

int run_cli(int argc, char** argv);

}  // namespace sb
