#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and starts the program on the bundled sample quotes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh -DOQ_BUILD_TESTS=OFF
# The program opens "Quote.txt" in the current folder on its first run.
cd data
exec ../build/bin/ombryquote
