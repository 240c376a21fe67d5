#!/usr/bin/env bash
# Installs what the build needs on a Debian machine, only when it is missing.
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
command -v clang-format >/dev/null 2>&1 || missing+=(clang-format)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)

"$(dirname "$0")/apt-install.sh" ${missing[@]+"${missing[@]}"}
