#!/usr/bin/env bash
# What ring forms and nitrogen inversion bring to a search, measured with xtb: for each
# molecule, generate_conformers writes its candidates four ways (ring forms and inverted
# nitrogens, without the ring forms, without the inversion, torsions alone), every
# distinct candidate is optimised once with GFN2-xTB on one thread, and each way's lowest
# minimum is compared with the lowest of all.
#
#   bench/ring_forms_measures.sh BUILD_DIR molecule.xyz ...
#
# Prints one table row per molecule and way: candidates, distinct minima (energies
# 0.01 kcal/mol apart), the lowest energy in hartree, how far it lies above the lowest of
# all in kcal/mol, and whether that lowest conformer was found (within 0.05 kcal/mol).
# XTB (default: xtb on the PATH), JOBS (parallel optimisations, default 2) and LEVEL
# (default 2, GFN2) may be set in the environment.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 BUILD_DIR molecule.xyz ..." >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
generate="$build/tools/generate_conformers"
[ -x "$generate" ] || generate=$(find "$build" -name generate_conformers -type f -perm -u+x | head -1)
[ -x "$generate" ] || { echo "$0: no generate_conformers in $build" >&2; exit 1; }
xtb=${XTB:-xtb}
command -v "$xtb" > /dev/null || { echo "$0: $xtb is not on the PATH" >&2; exit 1; }
jobs=${JOBS:-2}
level=${LEVEL:-2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# 1 hartree in kcal/mol.
kcal=627.509474

# One optimisation: the candidate file $1 into the cache folder named by its coordinates.
optimise() {
    local candidate=$1 cache=$2 key folder
    key=$(tail -n +3 "$candidate" | md5sum | cut -c1-16)
    folder="$cache/$key"
    [ -e "$folder/energy" ] && return 0
    mkdir -p "$folder"
    cp "$candidate" "$folder/start.xyz"
    (cd "$folder" && OMP_NUM_THREADS=1 timeout 600 "$xtb" start.xyz --opt --gfn "$level" \
        > out 2>&1) || true
    if [ -s "$folder/xtbopt.xyz" ] && ! grep -q "FAILED TO CONVERGE" "$folder/out"; then
        sed -n 2p "$folder/xtbopt.xyz" | awk '{print $2}' > "$folder/energy"
    else
        echo failed > "$folder/energy"
    fi
}
export -f optimise
export xtb level

ways=("all:" "no-rings:--no-rings" "no-inversion:--no-inversion"
      "torsions:--no-rings --no-inversion")
printf "%-28s %-13s %10s %8s %7s %16s %8s %6s\n" molecule way candidates minima failed \
    "lowest (Eh)" "above" found
for molecule in "$@"; do
    stem=$(basename "$molecule" .xyz)
    folder="$work/$stem"
    mkdir -p "$folder/cache"
    cp "$molecule" "$folder/$stem.xyz"
    start=$(date +%s)
    for way in "${ways[@]}"; do
        name=${way%%:*}
        # A molecule with nothing to turn is refused: its one candidate is the input.
        # shellcheck disable=SC2086
        if ! (cd "$folder" && "$generate" --max 0 ${way#*:} "$stem.xyz" xyz "$name" \
            > "$name.out" 2> "$name.err"); then
            grep -q "no rotatable bond" "$folder/$name.err" ||
                { echo "$0: $stem ($name):" >&2; cat "$folder/$name.err" >&2; exit 1; }
            mkdir -p "$folder/$name"
            cp "$molecule" "$folder/$name/${stem}_0001.xyz"
        fi
    done
    find "$folder"/{all,no-rings,no-inversion,torsions} -name "*.xyz" -print0 |
        xargs -0 -P "$jobs" -I{} bash -c 'optimise "$1" "$2"' _ {} "$folder/cache"
    seconds=$(($(date +%s) - start))
    best=
    for way in "${ways[@]}"; do
        name=${way%%:*}
        for candidate in "$folder/$name"/*.xyz; do
            key=$(tail -n +3 "$candidate" | md5sum | cut -c1-16)
            cat "$folder/cache/$key/energy"
        done > "$folder/$name.energies"
        [ "$name" = all ] &&
            best=$(grep -v failed "$folder/all.energies" | sort -g | head -1)
        failed=$(grep -c failed "$folder/$name.energies" || true)
        grep -v failed "$folder/$name.energies" | sort -g |
            awk -v name="$name" -v stem="$stem" -v best="$best" -v kcal="$kcal" \
                -v failed="$failed" '
            { minima += (NR == 1 || ($1 - last) * kcal > 0.01); last = $1 }
            NR == 1 { lowest = $1 }
            END {
                above = (lowest - best) * kcal
                printf "%-28s %-13s %10d %8d %7d %16.6f %8.2f %6s\n", stem, name,
                    NR + failed, minima, failed, lowest, above, above < 0.05 ? "yes" : "no"
            }'
    done
    echo "# $stem: $(ls "$folder/cache" | wc -l) distinct candidates optimised in ${seconds} s"
done
