#!/usr/bin/env bash
# What does a screening cost and what does it leave the chemist? For each molecule and each
# of its methods: candidates, xtb optimisations, distinct minima, minima within 3 kcal/mol,
# inputs written (the expensive jobs left), wall time. Then, for the first molecule with
# the first of its methods: the time screen_conformers adds to xtb's own (the same xtb
# commands run two at a time by xargs, against the program at --jobs 2), and the speed-up
# from one job to two. Runs the installed xtb; every run starts in a fresh folder. The
# machine's load is shown before and after: on a shared machine the second core is not
# always free.
#   bench/screening_measures.sh [build-folder] [molecule.xyz[=method,method...] ...]
# (methods: gfnff, gfnff-then-gfn2, gfn2; all three when none are given).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
shift || true
molecules=("$@")
[ ${#molecules[@]} -eq 0 ] && molecules=("$top/examples/generator/leucine.xyz"
                                         "$top/examples/ibuprofen/ibuprofen.xyz=gfnff")
screen="$build/screen_conformers"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }
seconds() { date +%s.%N; }

# One run of screen_conformers in a fresh folder; prints the table row.
measure() {
    local molecule=$1 method=$2 stem folder start end
    stem=$(basename "$molecule" .xyz)
    folder="$work/${stem}_$method"
    start=$(seconds)
    "$screen" --method "$method" --folder "$folder" "$molecule" >"$folder.out" 2>"$folder.err" ||
        { echo "$stem $method: failed, see below"; tail -n 3 "$folder.err"; return; }
    end=$(seconds)
    awk -v stem="$stem" -v method="$method" -v wall="$(echo "$end - $start" | bc)" \
        -v within3="$(awk -F'\t' '!/^#/ && $4 <= 3.0 { n++ } END { print n + 0 }' "$folder/ensemble.txt")" '
        /^candidates:/ { candidates = $2 }
        !/^candidates:/ { for (i = 2; i <= NF; i++) if ($i ~ /^candidates/) { jobs += $(i - 1); break } }
        /^distinct conformers:/ { distinct = $3 }
        /^inputs written:/ { inputs = $3 }
        END { printf "| %s | %s | %d | %d | %d | %d | %d | %.0f s |\n",
                     stem, method, candidates, jobs, distinct, within3, inputs, wall }' "$folder.out"
}

echo "load before: $(load)"
echo "| molecule | method | candidates | optimisations | distinct | within 3 kcal/mol | inputs | wall time |"
echo "|---|---|---|---|---|---|---|---|"
for entry in "${molecules[@]}"; do
    molecule="${entry%%=*}"
    methods="gfnff,gfnff-then-gfn2,gfn2"
    [ "$entry" != "$molecule" ] && methods="${entry#*=}"
    for method in ${methods//,/ }; do measure "$molecule" "$method"; done
done
echo "load after: $(load)"

# The program against xtb alone, on the first molecule's candidates with its first method
# at two jobs: the same xtb command line, a scratch folder each, GFN-FF's one set-up.
first="${molecules[0]%%=*}"
method=gfnff
[ "${molecules[0]}" != "$first" ] && method="${molecules[0]#*=}" && method="${method%%,*}"
case "$method" in
    gfn2) options="--gfn 2" ;;
    gfnff) options="--gfnff" ;;
    *) echo "the comparison with xtb alone takes gfn2 or gfnff first"; exit 0 ;;
esac
stem=$(basename "$first" .xyz)
folder="$work/${stem}_$method"
topology="$folder/gfnff/gfnff_setup/gfnff_topo"
mkdir -p "$work/direct"
awk -v dir="$work/direct" '
    NR == 1 || line == count + 2 { if (NR > 1) close(file); count = $1; n++; line = 0
                                   file = sprintf("%s/c%05d.xyz", dir, n) }
    { line++; print > file }' "$folder/candidates.xyz"
echo "load before: $(load)"
start=$(seconds)
# shellcheck disable=SC2016  # $1, $2 and $d belong to the inner shell
find "$work/direct" -name '*.xyz' | sort | xargs -P 2 -I{} sh -c \
    'd="${1%.xyz}"; mkdir "$d" && cd "$d" && { [ ! -f "$2" ] || cp "$2" .; } &&
     OMP_NUM_THREADS=1 OMP_STACKSIZE=1G xtb "$1" --opt normal $3 --chrg 0 --uhf 0 >out 2>err ||
     true' sh {} "$topology" "$options"
direct=$(echo "$(seconds) - $start" | bc)
start=$(seconds)
"$screen" --method "$method" --jobs 2 --folder "$work/again2" "$first" >/dev/null 2>"$work/again2.err"
two=$(echo "$(seconds) - $start" | bc)
start=$(seconds)
"$screen" --method "$method" --jobs 1 --folder "$work/again1" "$first" >/dev/null 2>"$work/again1.err"
one=$(echo "$(seconds) - $start" | bc)
echo "load after: $(load)"
printf "%s %s, %s candidates: xtb alone (xargs -P 2) %.1f s, screen_conformers --jobs 2 %.1f s (%+.1f %%)\n" \
    "$stem" "$method" "$(find "$work/direct" -maxdepth 1 -name '*.xyz' | wc -l)" "$direct" "$two" \
    "$(echo "100 * ($two - $direct) / $direct" | bc -l)"
printf "  its own note: %s\n" "$(grep 'wall time' "$work/again2.err" | sed 's/.*note: //')"
printf "%s %s: --jobs 1 %.1f s, --jobs 2 %.1f s, speed-up %.2f\n" "$stem" "$method" "$one" "$two" \
    "$(echo "$one / $two" | bc -l)"
