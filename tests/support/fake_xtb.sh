#!/usr/bin/env bash
# A stand-in for xtb in the tests of the search engine. It takes xtb's command line
# (xtb input.xyz --opt normal --gfn 2 ...) and behaves as FAKE_XTB_MODE says or, when that
# is unset, as the comment line of the input asks ("... fake_xtb: hang"); by default it
# succeeds. Modes:
#   succeed           xtbopt.xyz is the input, "converged", exit status 0
#   error             xtb's "[ERROR]" report, exit status 1
#   segfault          killed by SIGSEGV
#   killed            killed by SIGKILL (as by the kernel's out-of-memory killer)
#   hang              sleeps until killed (its sleep runs as a child in its group)
#   stubborn          as hang, but ignores SIGTERM
#   garbage           prints junk, writes no xtbopt.xyz, exit status 0
#   garbage_geometry  an xtbopt.xyz that is not an xyz file
#   wrong_atoms       an xtbopt.xyz missing the last atom
#   broken_bond       xtbopt.xyz with the last atom moved 5 angstrom along x
#   not_converged     xtb 6.5.1's "FAILED TO CONVERGE" line, otherwise a success
#   ignore_topology   with --gfnff, makes its own topology even when gfnff_topo is there
#   slow              sleeps FAKE_XTB_SECONDS (default 1), then succeeds
# A success prints the tail of an xtb 6.5.1 optimisation (final structure, energy box,
# dipole, finished line), so that the toolkit's reader of xtb outputs takes it. Its energy
# is -5.070544357549 Eh unless the input's comment line holds "energy=<hartree>".
# When FAKE_XTB_LOG names a folder, each call appends its working folder and process id
# to FAKE_XTB_LOG/calls, and hang and stubborn write their sleep's id to
# FAKE_XTB_LOG/<input>.sleep.
set -u

if [ "${1:-}" = "--version" ]; then
    echo "   * xtb version 6.5.1 (fake) compiled by 'tests' on 2026-01-01"
    echo "normal termination of xtb" >&2
    exit 0
fi

input="$1"
gfnff=no
for arg in "$@"; do [ "$arg" = "--gfnff" ] && gfnff=yes; done
mode="${FAKE_XTB_MODE:-}"
if [ -z "$mode" ]; then
    mode=$(sed -n '2s/.*fake_xtb: *\([a-z_]*\).*/\1/p' "$input")
    [ -z "$mode" ] && mode=succeed
fi
if [ -n "${FAKE_XTB_LOG:-}" ]; then
    echo "$PWD $$" >> "$FAKE_XTB_LOG/calls"
fi

echo "      -----------------------------------------------------------"
echo "     |                   =====================                   |"
echo "     |                           x T B                           |"
echo "     |                   =====================                   |"
echo "      -----------------------------------------------------------"
echo "   * xtb version 6.5.1 (fake) compiled by 'tests' on 2026-01-01"
echo "   program call               : xtb $*"
echo "   threads                    : OMP_NUM_THREADS=${OMP_NUM_THREADS:-} MKL_NUM_THREADS=${MKL_NUM_THREADS:-} OMP_STACKSIZE=${OMP_STACKSIZE:-}"

energy=$(sed -n '2s/.*energy=\([-+0-9.eE]*\).*/\1/p' "$input")
[ -z "$energy" ] && energy=-5.070544357549

write_optimised() {
    awk -v e="$energy" 'NR == 2 { print " energy: " e " gnorm: 0.000174989677 xtb: 6.5.1 (fake)"; next }
         { print }' "$input" > xtbopt.xyz
}

topology() {
    [ "$gfnff" = yes ] || return 0
    if [ -f gfnff_topo ] && [ "$mode" != ignore_topology ]; then
        echo "          GFN-FF topology read from file successfully!"
    else
        echo "          generating topology and atomic info file ..."
        echo "fake topology of $input" > gfnff_topo
    fi
}

# The tail of a converged optimisation, its final structure from xtbopt.xyz.
report_success() {
    echo "   *** GEOMETRY OPTIMIZATION CONVERGED AFTER 4 ITERATIONS ***"
    echo " final structure:"
    echo " ================"
    cat xtbopt.xyz
    echo
    echo "molecular dipole:"
    echo "                 x           y           z       tot (Debye)"
    echo " q only:       -0.094       0.425      -0.000"
    echo "   full:        0.000       0.300       0.400       1.271"
    echo "          | TOTAL ENERGY              $energy Eh   |"
    echo "optimized geometry written to: xtbopt.xyz"
    echo " * finished run on 2026/01/01 at 00:00:00.000"
    echo "normal termination of xtb" >&2
    exit 0
}

succeed() {
    topology
    write_optimised
    report_success
}

sleep_until_killed() {
    sleep 1000 &
    [ -n "${FAKE_XTB_LOG:-}" ] && echo $! > "$FAKE_XTB_LOG/$input.sleep"
    wait
}

case "$mode" in
    succeed|ignore_topology) succeed ;;
    error)
        echo "[ERROR] Program stopped due to fatal error"
        echo "-2- fake outer failure"
        echo "-1- fake inner failure"
        echo "abnormal termination of xtb" >&2
        exit 1 ;;
    segfault)
        echo "Program received signal SIGSEGV: Segmentation fault - invalid memory reference." >&2
        kill -SEGV $$ ;;
    killed) kill -KILL $$ ;;
    hang) sleep_until_killed ;;
    stubborn)
        trap '' TERM
        sleep_until_killed ;;
    garbage)
        printf 'W\x01\x02 ?? %%%% 12e+ \xff\xfe NaN\n%.0s' {1..20}
        exit 0 ;;
    garbage_geometry)
        printf '3\nfake\nO 0.0 0.0 zero\n' > xtbopt.xyz
        exit 0 ;;
    wrong_atoms)
        write_optimised
        n=$(head -n 1 xtbopt.xyz)
        { echo $((n - 1)); sed -n "2,$((n + 1))p" xtbopt.xyz; } > short.xyz
        mv short.xyz xtbopt.xyz
        exit 0 ;;
    broken_bond)
        write_optimised
        awk 'NR == 1 { n = $1 } NR == n + 2 { $2 = $2 + 5.0 } { print }' xtbopt.xyz > moved.xyz
        mv moved.xyz xtbopt.xyz
        report_success ;;
    not_converged)
        write_optimised
        echo "   *** FAILED TO CONVERGE GEOMETRY OPTIMIZATION IN 3 ITERATIONS ***"
        exit 0 ;;
    slow)
        sleep "${FAKE_XTB_SECONDS:-1}"
        succeed ;;
    *)
        echo "fake_xtb: unknown mode $mode" >&2
        exit 2 ;;
esac
