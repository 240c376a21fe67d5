#!/usr/bin/env bash
# Installs what the build, the tests and the demo need on a Debian machine (xtb included),
# only what is missing. Where apt-get is not there, names the Debian packages to install
# and stops.
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
# The engine of screen_conformers, run as a program (Debian's xtb 6.5.1).
command -v xtb >/dev/null 2>&1 || missing+=(xtb)

[ ${#missing[@]} -eq 0 ] && exit 0
if ! command -v apt-get >/dev/null 2>&1; then
    echo "install-deps: missing: ${missing[*]}" >&2
    echo "install-deps: no apt-get here; install these (Debian package names) and run again" >&2
    exit 1
fi
"$(dirname "$0")/apt-install.sh" "${missing[@]}"
