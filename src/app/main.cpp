#include "app/cli.h"

int main(int argc, char** argv) { return sb::run_cli(argc, argv); }
