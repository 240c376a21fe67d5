// How long does the automatic set-up of the generator take for a molecule of the largest
// size a conformer holds? Perceiving the bonds, building the Z-matrix tree (with the check
// that it rebuilds the geometry) and choosing the rotatable bonds of a 100-atom molecule
// should take well under a millisecond.
//  - BondPerception: the bond graph with its rings (every pair of atoms is measured);
//  - ConformerSetup: all of it, as the generator's one-file form calls it.
// The molecule is 29-phenylnonacosan-1-ol, C6H5(CH2)29OH: 100 atoms, one ring, 30
// rotatable bonds.
#include <benchmark/benchmark.h>

#include <cmath>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "CConformer.h"

using namespace confsearch;

namespace {

const int CARBON = 6;
const int HYDROGEN = 1;
const int OXYGEN = 8;

struct Builder {
    std::vector<int> elements;
    std::vector<CVECTOR> points;

    int add(int element, const CVECTOR& p) {
        elements.push_back(element);
        points.push_back(p);
        return static_cast<int>(points.size()) - 1;
    }
    const CVECTOR& at(int i) const { return points[static_cast<std::size_t>(i)]; }
    // The atom at `bond` from atom a, with the angle to b (degrees) and the dihedral to c.
    int place(int element, int a, int b, int c, double bond, double angle, double dihedral) {
        CVECTOR p;
        p.p_forthpoint(at(a), at(b), at(c), bond, radian(angle), radian(dihedral));
        return add(element, p);
    }
};

CBasicConformer phenyl_nonacosanol() {
    const int chain = 29;
    Builder m;
    // The hydroxyl oxygen, then the chain all anti; c[k] is carbon k + 1.
    const int o = m.add(OXYGEN, CVECTOR(0, 0, 0));
    std::vector<int> c = {m.add(CARBON, CVECTOR(1.43, 0, 0))};
    c.push_back(m.add(
        CARBON, CVECTOR(1.43 + 1.53 * std::cos(radian(70.5)), 1.53 * std::sin(radian(70.5)), 0)));
    for (int k = 2; k < chain; ++k) {
        c.push_back(m.place(CARBON, c[k - 1], c[k - 2], k >= 3 ? c[k - 3] : o, 1.53, 112, 180));
    }
    // The ring on the last carbon, perpendicular to the chain's plane.
    const int last = c.back();
    const int ipso = m.place(CARBON, last, c[chain - 2], c[chain - 3], 1.51, 112, 180);
    const int o1 = m.place(CARBON, ipso, last, c[chain - 2], 1.39, 120, 90);
    const int o2 = m.place(CARBON, ipso, last, c[chain - 2], 1.39, 120, -90);
    const int m1 = m.place(CARBON, o1, ipso, last, 1.39, 120, 180);
    const int m2 = m.place(CARBON, o2, ipso, last, 1.39, 120, 180);
    const int para = m.place(CARBON, m1, o1, ipso, 1.39, 120, 0);

    m.place(HYDROGEN, o, c[0], c[1], 0.96, 108.5, 180);
    m.place(HYDROGEN, c[0], o, c[1], 1.09, 109.5, 120);
    m.place(HYDROGEN, c[0], o, c[1], 1.09, 109.5, -120);
    for (int k = 1; k < chain; ++k) {
        const int next = k + 1 < chain ? c[k + 1] : ipso;
        m.place(HYDROGEN, c[k], c[k - 1], next, 1.09, 109.5, 120);
        m.place(HYDROGEN, c[k], c[k - 1], next, 1.09, 109.5, -120);
    }
    for (const auto& [atom, a, b] :
         {std::tuple{o1, ipso, m1}, std::tuple{o2, ipso, m2}, std::tuple{m1, o1, para},
          std::tuple{m2, o2, para}, std::tuple{para, m1, m2}}) {
        const CVECTOR& p = m.at(atom);
        const CVECTOR out = (p * 2 - m.at(a) - m.at(b)).normal();
        m.add(HYDROGEN, p + out * 1.08);
    }

    CBasicConformer molecule(static_cast<int>(m.points.size()));
    for (std::size_t i = 0; i < m.points.size(); ++i) {
        molecule.set_exyz(static_cast<int>(i) + 1, CELEMENT(m.elements[i]), m.points[i]);
    }
    return molecule;
}

void BondPerception(benchmark::State& state) {
    const CBasicConformer molecule = phenyl_nonacosanol();
    for (auto _ : state) {
        CBondGraph graph(molecule);
        benchmark::DoNotOptimize(graph.get_bonds().data());
    }
    state.counters["atoms"] = molecule.get_size();
}
BENCHMARK(BondPerception)->Unit(benchmark::kMicrosecond);

void ConformerSetup(benchmark::State& state) {
    const CBasicConformer molecule = phenyl_nonacosanol();
    int rotatable = 0;
    for (auto _ : state) {
        CConformerSetup setup(molecule);
        rotatable = static_cast<int>(setup.get_rotatable_bonds().size());
        benchmark::DoNotOptimize(rotatable);
    }
    if (molecule.get_size() != MAX_CONFORMER_SIZE) throw std::logic_error("not 100 atoms");
    state.counters["atoms"] = molecule.get_size();
    state.counters["rotatable"] = rotatable;
}
BENCHMARK(ConformerSetup)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
