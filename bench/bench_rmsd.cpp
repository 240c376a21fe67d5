// How fast is the identity of conformers by best-fit RMSD over the molecule's symmetry?
// One RMSD with matching of two 40-atom geometries should take under 20 us, and 10,000
// results of a 40-atom molecule, most of them inside each other's energy windows, should
// be grouped in under 2 s on one core.
//  - BestFit/<all atoms>/<mirror>: best_fit of a result on another result of the same
//    conformer, its symmetric groups turned (tert-butyl, methyls, phenyl flip), shifted
//    by up to 0.005 angstrom per coordinate and moved rigidly: every start is tried;
//  - BestFitDistinct: the same for two different conformers (no early exit at all);
//  - CompareSame: compare() on such a pair: the cheap tests, then a fit that stops once
//    within the tolerance, as the sorters call it;
//  - IdentitySetUp: the once-per-molecule work of a ConformerIdentity;
//  - DistinctConformers/<results>/<jitter>: distinct_conformers on that many results
//    (preparation included) with energies 1 microhartree apart per conformer: all
//    conformers lie within one default window (0.05 kcal/mol), so each result meets every
//    head. With jitter 10 every torsion is off by up to 10 degrees: results between the
//    conformers, many of them distinct by a little, the hard case for the cheap tests.
// The molecule is 1-(4-tert-butylphenyl)-3-methylbutan-1-ol, C15H24O: 40 atoms, a
// para-phenylene, a tert-butyl, an isopropyl, a stereocentre (so mirror images are not
// tried unless asked: the <mirror> variants cost what an achiral molecule costs), and
// three torsions of the heavy-atom frame with 6, 3 and 3 steps (the hydroxyl hydrogen
// stays anti: turning it alone changes no heavy atom); the combinations without close
// contacts (no atoms closer than bonding) are the conformers, and the counter `groups`
// should equal their number, `conformers`.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <stdexcept>
#include <vector>

#include "CConformer.h"

using namespace confsearch;

namespace {

using confsearch::ConformerIdentity;
using confsearch::IdentityCriteria;

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
    int place(int element, int a, int b, int c, double bond, double angle, double dihedral) {
        CVECTOR p;
        p.p_forthpoint(at(a), at(b), at(c), bond, radian(angle), radian(dihedral));
        return add(element, p);
    }
    void methyl(int c, int b, int ref, double turn) {
        for (double d : {180.0, 60.0, -60.0}) place(HYDROGEN, c, b, ref, 1.09, 109.5, d + turn);
    }
};

// One result: a conformer (four torsions) and the symmetric turns that renumber it.
struct Pose {
    // Steps of the torsions ring-carbinol (0..5, 30 degrees apart: the ring's half turn
    // repeats it), carbinol-O, carbinol-CH2 and CH2-CH (0..2).
    std::array<int, 4> torsions{};
    // Degrees added to the four torsions: a geometry between the conformers.
    std::array<double, 4> jitter{};
    int tert_butyl = 0;            // turns of 120 degrees
    std::array<int, 5> methyls{};  // the tert-butyl's three, the isopropyl's two
    bool flipped = false;          // the ring turned half about its para axis
};

CBasicConformer build(const Pose& pose) {
    const double step[3] = {60.0, 180.0, -60.0};
    Builder m;
    std::vector<int> ring;
    for (int k = 0; k < 6; ++k) {
        const double a = radian(60.0 * k);
        ring.push_back(m.add(
            CARBON, CVECTOR(1.39 * std::cos(a), 1.39 * std::sin(a) * (pose.flipped ? -1 : 1), 0)));
    }
    // Ghosts in the ring plane fix the substituents whatever the ring does; they are
    // dropped from the molecule below.
    const int quaternary = m.add(CARBON, CVECTOR(-1.39 - 1.53, 0, 0));
    const int ghost_q = m.add(0, CVECTOR(-1.39 - 1.53, 1, 0));
    std::vector<int> tert;
    for (double d : {90.0, -30.0, 210.0})
        tert.push_back(m.place(CARBON, quaternary, ring[3], ghost_q, 1.53, 109.5,
                               d + 120.0 * pose.tert_butyl));
    const int carbinol = m.add(CARBON, CVECTOR(1.39 + 1.51, 0, 0));
    const int ghost_c = m.add(0, CVECTOR(1.39 + 1.51, 1, 0));
    const int oxygen = m.place(OXYGEN, carbinol, ring[0], ghost_c, 1.43, 109.5,
                               15.0 + 30.0 * pose.torsions[0] + pose.jitter[0]);
    const int ch2 = m.place(CARBON, carbinol, ring[0], oxygen, 1.53, 109.5, 120);
    m.place(HYDROGEN, carbinol, ring[0], oxygen, 1.10, 109.5, -120);
    m.place(HYDROGEN, oxygen, carbinol, ring[0], 0.96, 108.5,
            step[pose.torsions[1]] + pose.jitter[1]);
    const int ch =
        m.place(CARBON, ch2, carbinol, ring[0], 1.53, 112, step[pose.torsions[2]] + pose.jitter[2]);
    for (double d : {120.0, -120.0}) m.place(HYDROGEN, ch2, carbinol, ch, 1.09, 109.5, d);
    const double isopropyl = step[pose.torsions[3]] + pose.jitter[3];
    const int m1 = m.place(CARBON, ch, ch2, carbinol, 1.53, 111, isopropyl);
    const int m2 = m.place(CARBON, ch, ch2, carbinol, 1.53, 111, isopropyl + 120);
    m.place(HYDROGEN, ch, ch2, carbinol, 1.10, 108, isopropyl - 120);
    for (int k : {1, 2, 4, 5}) {
        const CVECTOR p = m.at(ring[static_cast<std::size_t>(k)]);
        m.add(HYDROGEN, p + p.normal() * 1.08);
    }
    for (std::size_t k = 0; k < 3; ++k)
        m.methyl(tert[k], quaternary, ring[3], 120.0 * pose.methyls[k]);
    m.methyl(m1, ch, ch2, 120.0 * pose.methyls[3]);
    m.methyl(m2, ch, ch2, 120.0 * pose.methyls[4]);

    std::vector<std::size_t> atoms;
    for (std::size_t i = 0; i < m.points.size(); ++i)
        if (m.elements[i] != 0) atoms.push_back(i);
    CBasicConformer molecule(static_cast<int>(atoms.size()));
    for (std::size_t k = 0; k < atoms.size(); ++k)
        molecule.set_exyz(static_cast<int>(k) + 1, CELEMENT(m.elements[atoms[k]]),
                          m.points[atoms[k]]);
    if (molecule.get_size() != 40) throw std::logic_error("not 40 atoms");
    return molecule;
}

// A result: the conformer with random symmetric turns, its torsions off by up to
// `jitter` degrees, shifted by up to 0.005 angstrom per coordinate (two optimisations
// ending in one minimum differ by about that; at 0.01 angstrom the smallest moment of
// inertia of this rod-like molecule already moves by 1 % now and then), turned and
// moved at random.
CBasicConformer result(int conformer, std::mt19937& random, double jitter = 0.0) {
    std::uniform_int_distribution<int> turn(0, 2);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Pose pose;
    pose.torsions = {conformer % 6, 1, (conformer / 6) % 3, conformer / 18};
    pose.tert_butyl = turn(random);
    for (int& m : pose.methyls) m = turn(random);
    pose.flipped = turn(random) == 0;
    for (double& j : pose.jitter) j = jitter * unit(random);
    CBasicConformer c = build(pose);
    const CVECTOR axis(unit(random), unit(random), unit(random) + 2.0);
    const double angle = PI * unit(random);
    const CVECTOR shift(5 * unit(random), 5 * unit(random), 5 * unit(random));
    for (int i = 1; i <= c.get_size(); ++i) {
        const CVECTOR noise(0.005 * unit(random), 0.005 * unit(random), 0.005 * unit(random));
        c.set_exyz(i, c.get_element(i), (c.get_vector(i) + noise).rotate(axis, angle) + shift);
    }
    return c;
}

// The torsion combinations whose perceived bonds are exactly the molecule's 40.
std::vector<int> clean_conformers() {
    std::vector<int> clean;
    for (int conformer = 0; conformer < 54; ++conformer) {
        Pose pose;
        pose.torsions = {conformer % 6, 1, (conformer / 6) % 3, conformer / 18};
        try {
            if (CBondGraph(build(pose)).get_bonds().size() == 40) clean.push_back(conformer);
        } catch (const PerceptionError&) {
            // Two atoms on top of each other: not a conformer.
        }
    }
    return clean;
}

IdentityCriteria criteria_of(bool all_atoms, bool mirror) {
    IdentityCriteria criteria;
    criteria.all_atoms = all_atoms;
    criteria.mirror = mirror;
    return criteria;
}

void BestFit(benchmark::State& state) {
    std::mt19937 random(7);
    const CBasicConformer first = result(clean_conformers().front(), random);
    const CBasicConformer second = result(clean_conformers().front(), random);
    const ConformerIdentity identity(first, criteria_of(state.range(0) != 0, state.range(1) != 0));
    const auto a = identity.prepare(first);
    const auto b = identity.prepare(second);
    double rmsd = 0.0;
    for (auto _ : state) {
        rmsd = identity.best_fit(a, b).rmsd;
        benchmark::DoNotOptimize(rmsd);
    }
    state.counters["rmsd"] = rmsd;
}
BENCHMARK(BestFit)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"all_atoms", "mirror"})
    ->Unit(benchmark::kMicrosecond);

void BestFitDistinct(benchmark::State& state) {
    std::mt19937 random(7);
    const CBasicConformer first = result(clean_conformers().front(), random);
    const CBasicConformer second = result(clean_conformers().back(), random);
    const ConformerIdentity identity(first, criteria_of(state.range(0) != 0, state.range(1) != 0));
    const auto a = identity.prepare(first);
    const auto b = identity.prepare(second);
    double rmsd = 0.0;
    for (auto _ : state) {
        rmsd = identity.best_fit(a, b).rmsd;
        benchmark::DoNotOptimize(rmsd);
    }
    state.counters["rmsd"] = rmsd;
}
BENCHMARK(BestFitDistinct)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"all_atoms", "mirror"})
    ->Unit(benchmark::kMicrosecond);

void CompareSame(benchmark::State& state) {
    std::mt19937 random(7);
    const CBasicConformer first = result(clean_conformers().front(), random);
    const CBasicConformer second = result(clean_conformers().front(), random);
    const ConformerIdentity identity(first, criteria_of(state.range(0) != 0, false));
    const auto a = identity.prepare(first);
    const auto b = identity.prepare(second);
    bool same = false;
    for (auto _ : state) {
        same = identity.compare(a, b).same();
        benchmark::DoNotOptimize(same);
    }
    if (!same) state.SkipWithError("the two results were not found the same");
}
BENCHMARK(CompareSame)->Arg(0)->Arg(1)->ArgName("all_atoms")->Unit(benchmark::kMicrosecond);

// The set-up once per molecule: bonds, symmetry classes, stereocentres and chirality.
void IdentitySetUp(benchmark::State& state) {
    std::mt19937 random(7);
    const CBasicConformer molecule = result(clean_conformers().front(), random);
    for (auto _ : state) {
        const ConformerIdentity identity(molecule);
        benchmark::DoNotOptimize(identity.is_chiral());
    }
}
BENCHMARK(IdentitySetUp)->Unit(benchmark::kMicrosecond);

void DistinctConformers(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const double jitter = static_cast<double>(state.range(1));
    const std::vector<int> conformers = clean_conformers();
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> pick(0, conformers.size() - 1);
    std::uniform_real_distribution<double> noise(-5e-7, 5e-7);
    std::vector<CBasicConformer> geometries;
    std::vector<double> energies;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t conformer = pick(random);
        geometries.push_back(result(conformers[conformer], random, jitter));
        energies.push_back(-657.0 + 1e-6 * static_cast<double>(conformer) + noise(random));
    }
    const ConformerIdentity identity(geometries.front());
    std::size_t groups = 0;
    for (auto _ : state) {
        groups = confsearch::distinct_conformers(identity, geometries, energies).heads.size();
        benchmark::DoNotOptimize(groups);
    }
    state.counters["groups"] = static_cast<double>(groups);
    state.counters["conformers"] = static_cast<double>(conformers.size());
}
BENCHMARK(DistinctConformers)
    ->ArgsProduct({{1000, 10000}, {0, 10}})
    ->ArgNames({"results", "jitter"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
