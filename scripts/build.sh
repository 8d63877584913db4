#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds the program and the tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# Installed under /usr, as the Debian package is, so the package test can pack this build.
# Warnings are shown, not fatal, unless the caller asks (the test command does).
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF "$@"
cmake --build build
