#!/usr/bin/env bash
# Builds the program and runs its main job: the embedded scenario. The files
# land next to the program, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target scenario-builder
build/scenario-builder
ls -l build/ORSEA_MONTELBA*
