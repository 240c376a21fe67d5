#!/usr/bin/env bash
# Writes every program's --help output into its block of docs/programs.md (the fenced
# block after the line "<!-- help: NAME -->"), from the programs built in a build folder.
# The test HelpText fails until this is run after a help text changes.
#   scripts/help-docs.sh [build-folder]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
doc="$top/docs/programs.md"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

program=""
in_block=0
while IFS= read -r line || [ -n "$line" ]; do
    if [ "$in_block" -eq 1 ]; then
        # The old block is dropped up to its closing fence.
        [ "$line" = '```' ] && in_block=0
        continue
    fi
    printf '%s\n' "$line" >>"$out"
    if [[ "$line" =~ ^'<!-- help: '([a-z_]+)' -->'$ ]]; then
        program="${BASH_REMATCH[1]}"
        IFS= read -r fence
        [ "$fence" = '```' ] || { echo "help-docs: no block after the $program marker" >&2; exit 1; }
        { echo '```'; "$build/$program" --help; echo '```'; } >>"$out"
        in_block=1
    fi
done <"$doc"
cp "$out" "$doc"
