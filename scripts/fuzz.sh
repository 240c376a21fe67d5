#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ and runs each of them for a bounded time:
#
#     scripts/fuzz.sh [seconds-per-target]      (20 by default)
#
# Each target first runs the inputs of fuzz/regressions/<target>/ (inputs that once found
# a fault) as plain inputs, then fuzzes a copy of its corpus fuzz/corpus/<target>/ in a
# scratch directory, so the tree is never changed. A finding (a crash, a sanitizer report,
# a failed check, a timeout, a leak, running out of memory) fails the script: it prints the
# end of the fuzzer's log and the reproducing input, and keeps the input in
# build-fuzz/findings/<target>/. Reproduce it with build-fuzz/fuzz/<target> <input>.
#
# Needs clang and its fuzzer runtime (scripts/install-fuzz-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=build-fuzz
root=$(pwd)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCONFORMER_BUILD_FUZZ=ON -DCONFORMER_BUILD_TESTS=OFF \
    -DCONFORMER_BUILD_BENCH=OFF -DCONFORMER_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_targets

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
findings="$root/$build/findings"
rm -rf "$findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
options=(-timeout=10 -rss_limit_mb=2048)

# Prints what a failed run left: the end of its log and each input it kept.
report() {
    local target=$1 log=$2 kept=$3
    echo "=== $target: FINDING; the end of the fuzzer's log:"
    tail -n 60 "$log"
    local input
    for input in "$kept"/*; do
        [ -f "$input" ] || continue
        mkdir -p "$findings/$target"
        cp "$input" "$findings/$target/"
        echo "=== reproducing input $findings/$target/$(basename "$input")" \
            "($(wc -c <"$input") bytes; first 2 KB):"
        hexdump -C -n 2048 "$input"
    done
}

failed=()
targets=$(sed -n 's/^ *\([a-z_]*_fuzz\)$/\1/p' fuzz/CMakeLists.txt)
for target in $targets; do
    exe="$root/$build/fuzz/$target"
    work="$scratch/$target"
    mkdir -p "$work/corpus" "$work/kept" "$work/tmp"
    cp fuzz/corpus/"$target"/* "$work/corpus/" 2>/dev/null || echo "=== $target: no seed corpus"
    # The real outputs beside the checkout, when they are there, seed the reader of their
    # program too: copied into the scratch corpus only, never into the tree. Each gets the
    # leading byte the target reads first; files over 256 KB would slow every run down.
    case $target in
        orca_output_fuzz) shared=../shared/data/orca ;;
        xtb_output_fuzz) shared=../shared/data/xtb ;;
        *) shared= ;;
    esac
    if [ -n "$shared" ] && [ -d "$shared" ]; then
        find "$shared" -type f \( -name '*.out' -o -name '*.log' \) -size -256k -print0 |
            while IFS= read -r -d '' file; do
                { printf '\100'; cat "$file"; } >"$work/corpus/shared-$(basename "$file")"
            done
    fi
    log="$work/log"

    regressions=(fuzz/regressions/"$target"/*)
    if [ -f "${regressions[0]}" ]; then
        if ! TMPDIR="$work/tmp" "$exe" "${options[@]}" -artifact_prefix="$work/" \
            "${regressions[@]}" >"$log" 2>&1; then
            # The run stops at the first input that fails.
            cp "$(sed -n 's/^Running: //p' "$log" | tail -n 1)" "$work/kept/"
            report "$target" "$log" "$work/kept"
            failed+=("$target")
            continue
        fi
    fi

    if TMPDIR="$work/tmp" "$exe" "${options[@]}" -max_total_time="$seconds" \
        -artifact_prefix="$work/kept/" -print_final_stats=1 "$work/corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cover=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
        echo "=== $target: ${seconds} s, ${runs:-?} runs, ${cover:-no coverage line}, no finding"
    else
        report "$target" "$log" "$work/kept"
        failed+=("$target")
    fi
done

passed=$(($(wc -w <<<"$targets") - ${#failed[@]}))
echo "fuzz: $passed passed, ${#failed[@]} failed"
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]}"
    exit 1
fi
