#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds the program and the tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build
