// How fast are the Z-matrix conversions, and what does one torsion step of the conformer
// generator cost? The generator turns a bond with rotate and re-places the atoms beyond
// it with quick_translate, once per step and candidate, so a step on a 30-atom molecule
// should take well under a microsecond, and a step that moves three atoms should cost at
// most a tenth of a full translate of the molecule.
//  - Translate/100, CombineZmatrix/100: all coordinates from the rows of a 100-atom chain,
//    and all rows from the coordinates;
//  - TorsionStepChainEnd: rotate + quick_translate about the bond 96-97 of that chain,
//    which moves atoms 98 to 100;
//  - TorsionStepNonanol: rotate + quick_translate about C4-C5 of nonan-1-ol, C9H19OH:
//    30 atoms, 15 of them beyond the bond.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <vector>

#include "CMyMath.h"

using namespace confsearch;

namespace {

// One atom of a Z-matrix built in row order: the row it is bonded to and its internal
// coordinates (angstrom, degrees). The dihedral is taken as make_linkmatrix reads it:
// for the first child of an atom against the grandparent chain, for a later child
// against that first sibling. Rows 2 and 3 take their frame angles from the orientation.
struct Atom {
    int parent;
    double length;
    double angle;
    double dihedral;
};

struct Molecule {
    CZMATRIX zmatrix;
    CCLUSTER xyz;
};

Molecule build(const std::vector<Atom>& atoms) {
    const int n = static_cast<int>(atoms.size());
    Molecule m{CZMATRIX(n), CCLUSTER(n)};
    CZMATRIX& z = m.zmatrix;
    for (int i = 1; i <= n; ++i) {
        z.set_order(i, i);
        z[i].bond_ref = atoms[static_cast<std::size_t>(i) - 1].parent;
    }
    if (!z.standardize_linkrelation()) throw std::runtime_error("tree refused");
    for (int i = 2; i <= n; ++i) {
        const Atom& a = atoms[static_cast<std::size_t>(i) - 1];
        z[i].bond_length = a.length;
        z[i].bond_angle = radian(a.angle);
        z[i].dihedral_angle = radian(a.dihedral);
    }
    z.set_origin(CVECTOR(0.3, -0.2, 0.1));
    z.set_orientation(1.0, 0.5, 0.3);
    z.translate(m.xyz);
    // Measured back, so the rows hold what the generator works on.
    z.combine_zmatrix(m.xyz);
    return m;
}

// A carbon chain, staggered, its torsions anti and gauche in turn.
std::vector<Atom> chain(int n) {
    std::vector<Atom> atoms = {{0, 0, 0, 0}};
    const double torsions[] = {180, 60, 180, -60};
    for (int i = 2; i <= n; ++i) atoms.push_back({i - 1, 1.53, 112.0, torsions[i % 4]});
    return atoms;
}

// Nonan-1-ol from its hydroxyl hydrogen: H, O, C1, then for each carbon Ck the next
// carbon (its first child, anti) and Ck's two hydrogens; C9 carries three. C4 is row 10,
// C5 row 13.
std::vector<Atom> nonanol() {
    std::vector<Atom> atoms = {{0, 0, 0, 0}, {1, 0.96, 0, 0}, {2, 1.43, 108.5, 0}};
    int carbon = 3;
    for (int k = 1; k <= 8; ++k) {
        const int next = static_cast<int>(atoms.size()) + 1;
        atoms.push_back({carbon, 1.53, 109.5, 180});
        atoms.push_back({carbon, 1.09, 109.5, 120});
        atoms.push_back({carbon, 1.09, 109.5, -120});
        carbon = next;
    }
    atoms.push_back({carbon, 1.09, 109.5, 180});
    atoms.push_back({carbon, 1.09, 109.5, 120});
    atoms.push_back({carbon, 1.09, 109.5, -120});
    return atoms;
}

const int CHAIN_ATOMS = 100;

void Translate(benchmark::State& state) {
    Molecule m = build(chain(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        m.zmatrix.translate(m.xyz);
        benchmark::DoNotOptimize(m.xyz[m.xyz.get_size()]);
    }
}
BENCHMARK(Translate)->Arg(CHAIN_ATOMS)->Unit(benchmark::kMicrosecond);

void CombineZmatrix(benchmark::State& state) {
    Molecule m = build(chain(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        m.zmatrix.combine_zmatrix(m.xyz);
        benchmark::DoNotOptimize(m.zmatrix[m.zmatrix.get_size()]);
    }
}
BENCHMARK(CombineZmatrix)->Arg(CHAIN_ATOMS)->Unit(benchmark::kMicrosecond);

// Steps of a twelfth of a turn, as a generator run with twelve positions takes them.
void torsion_steps(benchmark::State& state, Molecule& m, int a, int b) {
    const double step = 2 * PI / 12;
    for (auto _ : state) {
        m.zmatrix.rotate(a, b, step);
        m.zmatrix.quick_translate(m.xyz, b);
        benchmark::DoNotOptimize(m.xyz[m.xyz.get_size()]);
    }
    int moved = 0;
    for (int i = 1; i <= m.zmatrix.get_size(); ++i) {
        for (int up = m.zmatrix.get_linking(i, 0); up != 0; up = m.zmatrix.get_linking(up, 0))
            moved += up == b ? 1 : 0;
    }
    state.counters["moved_atoms"] = moved;
}

void TorsionStepChainEnd(benchmark::State& state) {
    Molecule m = build(chain(CHAIN_ATOMS));
    torsion_steps(state, m, CHAIN_ATOMS - 4, CHAIN_ATOMS - 3);
}
BENCHMARK(TorsionStepChainEnd);

void TorsionStepNonanol(benchmark::State& state) {
    Molecule m = build(nonanol());
    torsion_steps(state, m, 10, 13);
}
BENCHMARK(TorsionStepNonanol);

}  // namespace

BENCHMARK_MAIN();
