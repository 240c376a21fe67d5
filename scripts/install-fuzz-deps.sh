#!/usr/bin/env bash
# Installs what scripts/fuzz.sh needs on a Debian machine, only when it is missing: clang
# with its fuzzer and sanitizer runtimes, llvm-symbolizer for readable stack traces, and
# hexdump for printing a reproducing input.
set -euo pipefail

# The fuzzer runtime comes in its own package; linking a trivial target tells whether it
# is there, whatever clang version Debian ships.
fuzzer_links() {
    command -v clang++ >/dev/null 2>&1 || return 1
    local dir
    dir=$(mktemp -d)
    echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' \
        >"$dir/probe.cpp"
    clang++ -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" >/dev/null 2>&1
    local status=$?
    rm -rf "$dir"
    return $status
}

missing=()
fuzzer_links || missing+=(clang libclang-rt-dev)
command -v llvm-symbolizer >/dev/null 2>&1 || missing+=(llvm)
command -v hexdump >/dev/null 2>&1 || missing+=(bsdextrautils)

"$(dirname "$0")/apt-install.sh" ${missing[@]+"${missing[@]}"}
