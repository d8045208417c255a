#!/bin/sh
# The command on PATH of an installed scenario-builder. The program itself
# lives in a folder of its own (lib/scenario-builder), because started
# without arguments it writes the embedded scenario next to itself; a system
# folder is no place for that, so here that start-up run is asked for with
# `scenario-builder run DIR`, into a folder the user names.
here=$(dirname "$(readlink -f "$0")")
program="$here/../lib/scenario-builder/scenario-builder"
if [ "$#" -eq 0 ]; then
  echo "scenario-builder: an installed program does not write next to itself." >&2
  echo "  scenario-builder run DIR    runs the embedded scenario into DIR (the start-up run)" >&2
  echo "  scenario-builder --help     lists the commands" >&2
  exit 2
fi
exec "$program" "$@"
