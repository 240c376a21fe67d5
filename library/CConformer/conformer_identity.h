// Whether two geometries of one molecule are the same conformer, by the rule of conformer
// ensemble tools: energies within a window, rotational constants within a relative
// tolerance, and a best-fit RMSD with the atoms matched over the molecule's symmetry;
// and the grouping of many geometries into distinct conformers.
#pragma once

#include "CConformer/basic_conformer.h"
#include "CConformer/bond_perception.h"
#include "CConformer/symmetry_classes.h"
#include "CMyMath/superposition.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <vector>

namespace confsearch {

// The defaults of the rule, the values conformer-ensemble tools use.
const double DEFAULT_RMSD_TOLERANCE = 0.125;                   // angstrom
const double DEFAULT_ROTATIONAL_TOLERANCE = 0.01;              // relative, 1 %
const double KCAL_PER_HARTREE = 627.509474;                    // kcal/mol in one hartree
const double DEFAULT_ENERGY_WINDOW = 0.05 / KCAL_PER_HARTREE;  // hartree

// When two geometries count as the same conformer: all three tests pass.
struct IdentityCriteria {
    // Best-fit RMSD at most this, angstrom.
    double rmsd_tolerance = DEFAULT_RMSD_TOLERANCE;
    // Each rotational constant differs by at most this fraction of the larger of the two.
    double rotational_tolerance = DEFAULT_ROTATIONAL_TOLERANCE;
    // Energies differ by at most this, in the energies' unit (hartree for the default);
    // used only when both geometries come with an energy.
    double energy_window = DEFAULT_ENERGY_WINDOW;
    // RMSD over every atom; by default over the heavy atoms (all but hydrogen).
    bool all_atoms = false;
    // Mirror images of a chiral molecule count as the same. Those of an achiral molecule
    // always do: a conformer and its mirror image are then one conformer.
    bool mirror = false;
};

// A geometry or criterion that does not fit the molecule; what() is one line for the
// person at the terminal, naming the atoms (1-based) or the geometry at fault.
class IdentityError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A geometry as positions only, in the molecule's atom order: atom i at [i - 1], angstrom.
using Positions = std::vector<CVECTOR>;

// Rotational constants A >= B >= C in GHz (as Gaussian prints them) of point masses
// (daltons) at the positions (angstrom); infinity for a zero moment of inertia (every
// constant of one atom, A of a linear molecule). Throws IdentityError when the counts
// differ.
std::array<double, 3> rotational_constants(const std::vector<double>& masses,
                                           const Positions& positions);
// The same with the standard atomic weights of the conformer's elements.
std::array<double, 3> rotational_constants(const ::CBasicConformer& geometry);

// One geometry made ready for comparisons by a ConformerIdentity: what every comparison
// needs of it is computed once. Only the ConformerIdentity that prepared it (or one of
// the same molecule and criteria) may compare it; one that compares other atoms refuses
// it with IdentityError.
class PreparedConformer {
public:
    const std::array<double, 3>& get_rotational_constants() const { return rotational; }
    std::optional<double> get_energy() const { return energy; }

private:
    friend class ConformerIdentity;
    // The compared atoms in the identity's order, centred on their centroid; the other
    // atoms (hydrogens under the heavy-atom rule) moved by the same shift.
    std::vector<CVECTOR> points;
    std::vector<CVECTOR> others;
    double squares = 0.0;  // sum of |p|^2 over points
    // The distances of the points from their centroid, class by class, each class's
    // sorted: the source of a lower bound on the RMSD that needs no fit.
    std::vector<double> radii;
    PrincipalAxes spread;  // of the points, unit weights
    std::array<double, 3> rotational{};
    std::optional<double> energy;
};

// The best fit found of one geometry on another.
struct BestFit {
    double rmsd = 0.0;      // angstrom, over the compared atoms
    bool mirrored = false;  // the second geometry's mirror image is what fits
    // partner[i] (i = 1..size) is the atom of the second geometry laid on atom i of the
    // first; entry 0 is 0. Atoms left out of the RMSD are matched as well, within their
    // classes, after the fit.
    std::vector<int> partner;
};

// Which test decided a comparison; they run cheapest first.
enum class IdentityVerdict { same, energy_differs, rotational_constants_differ, rmsd_too_large };

struct Comparison {
    IdentityVerdict verdict = IdentityVerdict::same;
    // The largest relative difference of the three rotational constants; absent when the
    // energies decided.
    std::optional<double> rotational_difference;
    // The RMSD found (angstrom); absent when a cheaper test decided. When rmsd_is_bound is
    // true no fit was needed: the atoms' distances from their centroid alone show that
    // the RMSD is at least this value, which exceeds the tolerance.
    std::optional<double> rmsd;
    bool rmsd_is_bound = false;
    bool mirrored = false;

    bool same() const { return verdict == IdentityVerdict::same; }
};

// The molecule whose geometries are compared: its bond graph, symmetry classes,
// stereocentres and chirality, found once from a reference geometry, with the criteria.
// Geometries are given in the reference's atom order (see in_reference_order). The const
// members may be called from several threads at once.
class ConformerIdentity {
public:
    // Perceives the bonds of `reference` as the automatic set-up does. Throws
    // PerceptionError (no atoms, unknown element, overlapping atoms) and IdentityError
    // for a criterion that is negative or not a number.
    explicit ConformerIdentity(const ::CBasicConformer& reference,
                               const IdentityCriteria& criteria = {});
    // The same with the bonds already perceived from `reference`.
    ConformerIdentity(const CBondGraph& graph, const ::CBasicConformer& reference,
                      const IdentityCriteria& criteria = {});

    const IdentityCriteria& get_criteria() const { return criteria; }
    int get_size() const { return graph.get_size(); }
    const CBondGraph& get_graph() const { return graph; }
    const SymmetryClasses& get_classes() const { return classes; }
    const std::vector<Stereocentre>& get_stereocentres() const { return stereocentres; }
    bool is_chiral() const { return chiral; }
    // Whether fits try mirror images: the molecule is achiral, or the criteria allow it.
    bool compares_mirror_images() const { return !chiral || criteria.mirror; }

    // Throws IdentityError for another atom count, an atom of another element, a position
    // or energy that is not a finite number, or a bond of the molecule stretched past
    // bonding (the atoms listed in another order, or another molecule).
    PreparedConformer prepare(const ::CBasicConformer& geometry,
                              std::optional<double> energy = std::nullopt) const;
    PreparedConformer prepare(const Positions& positions,
                              std::optional<double> energy = std::nullopt) const;

    // The rule: energy window (when both have energies), then rotational constants, then
    // RMSD. The RMSD search stops at the first fit within the tolerance, so for a "same"
    // verdict the RMSD given may lie a little above the least.
    Comparison compare(const PreparedConformer& a, const PreparedConformer& b) const;

    // The least RMSD of b on a found over rigid motions (and mirror images when compared)
    // and over the matchings of atoms within their symmetry classes: the Hungarian method
    // per class alternated with a closed-form superposition, from several starts.
    BestFit best_fit(const PreparedConformer& a, const PreparedConformer& b) const;
    BestFit best_fit(const ::CBasicConformer& a, const ::CBasicConformer& b) const;
    // The RMSD of b on a with atom i on atom i, over the compared atoms: no matching, no
    // mirror image (angstrom).
    double fixed_order_rmsd(const PreparedConformer& a, const PreparedConformer& b) const;

    // A geometry of the molecule with its atoms listed in another order (another program's
    // output), renumbered into the molecule's order by matching its perceived bonds.
    // Throws PerceptionError as CBondGraph does, and IdentityError when the atom count or
    // the bonds differ from the molecule's.
    ::CBasicConformer in_reference_order(const ::CBasicConformer& geometry) const;

private:
    struct Fit {
        double msd = 0.0;  // mean square deviation, angstrom^2
        bool mirrored = false;
        Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
        std::vector<int> matching;  // compared position i of a takes position matching[i] of b
    };

    IdentityCriteria criteria;
    CBondGraph graph;
    SymmetryClasses classes;
    std::vector<Stereocentre> stereocentres;
    bool chiral = false;
    std::vector<double> masses;  // atom i at [i - 1]
    // The compared atoms (1-based, increasing) and the others.
    std::vector<int> compared;
    std::vector<int> left_out;
    // The classes as positions in `compared` (every class) and in `left_out` (those of two
    // or more); class_of_position[k] indexes compared_classes.
    std::vector<std::vector<int>> compared_classes;
    std::vector<int> class_of_position;
    std::vector<std::vector<int>> left_out_classes;
    // The positions in `compared` of the atoms alone in their class.
    std::vector<int> unique_positions;
    // Classes of two or more compared atoms: those of inner atoms (indexes into
    // compared_classes), and those of terminal atoms (hydrogens, a carbonyl oxygen), which
    // are matched parent by parent: the atoms on one parent only with the atoms on the
    // parent it was matched with.
    std::vector<int> inner_classes;
    struct TerminalClass {
        std::vector<std::vector<int>> on_parent;  // the members, parent by parent
        std::vector<int> parents;                 // the position of each group's parent
        std::vector<int> group_of_parent;         // by the parent's position; -1 for none
    };
    std::vector<TerminalClass> terminal_classes;

    class FitSearch;
    void set_up(const ::CBasicConformer& reference);
    Positions positions_of(const ::CBasicConformer& geometry) const;
    // Throws IdentityError unless both were prepared by an identity of this layout.
    void check_prepared(const PreparedConformer& a, const PreparedConformer& b) const;
    // The fit search; it returns as soon as a start reaches stop_msd or less.
    Fit search(const PreparedConformer& a, const PreparedConformer& b, double stop_msd) const;
    double radial_bound(const PreparedConformer& a, const PreparedConformer& b) const;
};

// The best fit of b on a under the criteria, the molecule taken from a. For one pair;
// to compare many, make one ConformerIdentity and prepare each geometry once.
BestFit best_fit_rmsd(const ::CBasicConformer& a, const ::CBasicConformer& b,
                      const IdentityCriteria& criteria = {});

// Geometries grouped into conformers. Positions in the input are 0-based.
struct ConformerGroups {
    // The group (0-based) of each input geometry.
    std::vector<int> group;
    // The head of each group, as its input position. Groups are in the order of their
    // heads: by energy when energies were given (equal energies in input order), in input
    // order otherwise.
    std::vector<int> heads;
    // For each input, the RMSD to its head found when it joined (0 for a head), angstrom,
    // and whether it was the head's mirror image.
    std::vector<double> rmsd;
    std::vector<bool> mirrored;
};

// Groups geometries one at a time: each joins the first group whose head it matches by
// the rule, or heads a new group.
class ConformerGrouper {
public:
    // The identity must outlive the grouper.
    explicit ConformerGrouper(const ConformerIdentity& identity) : identity(identity) {}
    explicit ConformerGrouper(ConformerIdentity&&) = delete;

    struct Placement {
        int group = 0;         // 0-based
        bool founded = false;  // the geometry heads a new group
        double rmsd = 0.0;     // to the head, angstrom; 0 when founded
        bool mirrored = false;
    };
    // Compares the conformer with each head in turn (compare(head, conformer)); the
    // conformer joins the first it is the same as, or founds a group.
    Placement add(PreparedConformer conformer);

    int get_group_count() const { return static_cast<int>(heads.size()); }
    const PreparedConformer& get_head(int group) const {
        return heads.at(static_cast<std::size_t>(group));
    }

private:
    const ConformerIdentity& identity;
    std::vector<PreparedConformer> heads;
};

// The distinct conformers among geometries of one molecule in the identity's atom order,
// with the energies (one per geometry, or none). With energies, geometries are taken in
// ascending energy, so each group's head is its lowest. Throws IdentityError naming the
// geometry (1-based: "geometry 5: ...") for one that prepare refuses, and for a count of
// energies that is neither 0 nor the count of geometries.
ConformerGroups distinct_conformers(const ConformerIdentity& identity,
                                    const std::vector<::CBasicConformer>& geometries,
                                    const std::vector<double>& energies = {});
ConformerGroups distinct_conformers(const ConformerIdentity& identity,
                                    const std::vector<Positions>& geometries,
                                    const std::vector<double>& energies = {});
// The same with the molecule taken from the first geometry (no geometries, no groups).
ConformerGroups distinct_conformers(const std::vector<::CBasicConformer>& geometries,
                                    const std::vector<double>& energies = {},
                                    const IdentityCriteria& criteria = {});

}  // namespace confsearch
