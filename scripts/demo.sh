#!/usr/bin/env bash
# Runs the whole ranking chain on the bundled example search, in a scratch copy of
# examples/ inside the build folder, and shows the result lists; then counts the
# candidates of the generator's example molecule and derives the generator's input of
# the drug example from its xyz file alone.
#   scripts/demo.sh [build-folder]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
work="$build/demo"
rm -rf "$work"
cp -r "$top/examples" "$work"

show() {
    for file in "$@"; do
        echo "--- $file"
        cat "$file"
    done
}

# The first frame of unique_conformers.xyz: its atom count line says how long it is.
first_frame() {
    local atoms
    atoms="$(head -n 1 unique_conformers.xyz)"
    echo "--- unique_conformers.xyz (first of $(grep -c '  E=' unique_conformers.xyz) frames)"
    head -n "$((atoms + 2))" unique_conformers.xyz
}

echo "=== sort_outputs on examples/outputs (15 atoms, reference atom 1, methyl H 3 4 5)"
cd "$work/outputs"
"$build/sort_outputs" 15 0.00002 0.05 0.15 1 3 4 5 > sort_outputs.log
show all_list2.txt unique_list2.txt errorfile.txt ensemble.txt
first_frame

echo
echo "=== collect_records, then sort_collection on examples/records"
cd "$work/records"
"$build/collect_records"
"$build/sort_collection" all_collection.txt 15 1 3 4 5 > sort_collection.log
show all_list2.txt unique_list2.txt ensemble.txt
first_frame

echo
echo "=== generate_conformers on examples/generator (L-leucine, 4 rotatable bonds), test mode"
cd "$work/generator"
"$build/generate_conformers" leucine.xyz leucine.zmat leucine.freedom test > generate_conformers.log
echo "side corrections: $(grep -c 'correction succeeded' GenerateConformer.log)"
tail -n 6 GenerateConformer.log

echo
echo "=== generate_conformers from one xyz file: (S)-ibuprofen, dry run (the derived files only)"
mkdir "$work/ibuprofen/run" && cd "$work/ibuprofen/run"
"$build/generate_conformers" --dry-run ../ibuprofen.xyz
show ibuprofen.freedom

echo
echo "Progress output and all files are in $work"
