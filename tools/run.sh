#!/usr/bin/env bash
# Builds the program and runs its main job: the embedded scenario. The files
# land next to the program, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target scenario-builder
build/scenario-builder
ls -l build/ORSEA_MONTELBA*
