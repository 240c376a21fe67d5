// The generation run: every combination of bond positions walked bond by bond, each
// intermediate geometry tested for clashes, a clashing bond nudged sideways or the block
// of combinations below it skipped, and the progress shown on standard output.
#include "CConformer/generator.h"

#include <sys/stat.h>

#include <charconv>
#include <ctime>
#include <iostream>

#include "CMyMath/axes.h"

using namespace confsearch;

namespace {

const char* const WAITING = "waiting>>>   ";
const char* const COMPLETED = "Mission completed!";
const char* const SCHEDULE = "\rSchedule  ";
const char* const PER_CENT = "%     ";
using confsearch::FULL_TURN;

// The side correction unit of a bond: a sixth of its step.
double correction_unit(const CRotatableBond& bond) { return FULL_TURN / bond.steps / 6; }

}  // namespace

void CGenerateConformer::step_rotate(CRotatableBond& bond) {
    rotate(bond.atom_a, bond.atom_b, FULL_TURN / bond.steps);
    if (++bond.position > bond.steps) bond.position = 1;
}

void CGenerateConformer::check_level(int i, int last) const {
    if (i < 0 || i > last) throw i;
}

bool CGenerateConformer::correct(int i) {
    check_level(i, freedom_number);
    if (conformer_legit()) {
        header.pending = 0;
        return true;
    }
    if (i == 0) {
        header.pending = 1;
        return false;
    }
    CRotatableBond& bond = freedom[i];
    const double unit = correction_unit(bond);
    // +1, +2, +3 units, then -1, -2, -3: the first clash-free one wins, never more than
    // half a step away from the grid.
    for (const int direction : {1, -1}) {
        for (int k = 1; k <= MAX_SIDE_CORRECTION; ++k) {
            rotate(bond.atom_a, bond.atom_b, direction * unit);
            if (conformer_legit()) {
                bond.correction = direction * k;
                header.pending = 0;
                modify_name();
                log_correction(bond, k);
                return true;
            }
        }
        // Back to the grid. Before the tries of the other side only the rows turn: their
        // first turn places the moving atoms again from the rows, as this one would.
        if (direction == 1)
            zmatrix.rotate(bond.atom_a, bond.atom_b, -MAX_SIDE_CORRECTION * unit);
        else
            rotate(bond.atom_a, bond.atom_b, MAX_SIDE_CORRECTION * unit);
    }

    header.failed_level = i;
    header.pending = 1;
    modify_name();
    Combinations skipped = 1;
    for (int j = i + 1; j <= freedom_number; ++j)
        skipped *= static_cast<Combinations>(freedom[j].steps);
    header.pending = skipped;
    header.ignored += skipped;
    log_failed_correction(bond);
    return false;
}

void CGenerateConformer::reposit(int i) {
    check_level(i, freedom_number);
    if (i == 0) {
        header.pending = 0;
        return;
    }
    CRotatableBond& bond = freedom[i];
    if (bond.correction == 0) return;
    zmatrix.rotate(bond.atom_a, bond.atom_b, -bond.correction * correction_unit(bond));
    bond.correction = 0;
}

void CGenerateConformer::show_schedule() const {
    const double done = static_cast<double>(header.ignored + header.generated);
    // The figure as a fresh stream prints a double (printf's %g, 6 digits: 33.3333, 100),
    // written once per combination without the stream's formatting machinery.
    char figure[32];
    const std::to_chars_result end = std::to_chars(figure, figure + sizeof figure,
                                                   done / static_cast<double>(header.total) * 100,
                                                   std::chars_format::general, 6);
    std::cout << SCHEDULE;
    std::cout.write(figure, end.ptr - figure);
    std::cout << PER_CENT;
}

void CGenerateConformer::walk(int i, Candidate what, bool tested) {
    if (i < 1) throw i;
    check_level(i, freedom_number + 1);
    const bool placed_all = i == freedom_number + 1;
    // A geometry that the level above has just found clash-free (its first step turns
    // nothing) is not tested again: correct would only find it clash-free once more.
    if (tested || correct(i - 1)) {
        if (placed_all) {
            take(what);
        } else {
            // Bond i turns a full circle under the walk of the bonds after it, so it is
            // back at position 1 and its input dihedral when the loop ends.
            CRotatableBond& bond = freedom[i];
            for (int s = 0; s < bond.steps; ++s) {
                walk(i + 1, what, s == 0);
                step_rotate(bond);
            }
        }
    }
    reposit(i - 1);
    if (placed_all) show_schedule();
}

void CGenerateConformer::take(Candidate what) {
    switch (what) {
        case Candidate::gaussian_file:
            if (!putout_GaussionFile()) note_unwritten(candidate_path(".txt"));
            ++header.generated;
            break;
        case Candidate::xyz_file:
            if (!putout_xyzfile()) note_unwritten(candidate_path(".xyz"));
            ++header.generated;
            break;
        case Candidate::counted: ++header.generated; break;
        case Candidate::collected:
            ++header.generated;
            if (!push_xyz()) note_unwritten(CANDIDATE_COLLECTION_FILE);
            break;
    }
}

void CGenerateConformer::generate(int i) { walk(i, Candidate::gaussian_file); }

void CGenerateConformer::generate_xyz(int i) { walk(i, Candidate::xyz_file); }

void CGenerateConformer::generate_test(int i) { walk(i, Candidate::counted); }

void CGenerateConformer::collect_xyz(int i) { walk(i, Candidate::collected); }

void CGenerateConformer::run(Candidate what) {
    log_begin();
    const std::time_t start = std::time(nullptr);
    // An existing folder is fine; one that cannot be made shows in the files not written.
    if (what == Candidate::gaussian_file || what == Candidate::xyz_file)
        ::mkdir(folder.c_str(), S_IRWXU);
    std::cout << WAITING << '\n';
    header.generated = 0;
    unwritten = 0;
    walk(1, what);
    std::cout << '\n' << COMPLETED << '\n';
    log_end();
    const std::string cost = time_cost(std::time(nullptr) - start);
    logfile << cost << std::endl;
    std::cout << cost << std::endl;
}

void CGenerateConformer::generate() { run(Candidate::gaussian_file); }

void CGenerateConformer::generate_xyz() { run(Candidate::xyz_file); }

void CGenerateConformer::generate_test() { run(Candidate::counted); }

void CGenerateConformer::collect_xyz() {
    const std::time_t start = std::time(nullptr);
    collection.open(CANDIDATE_COLLECTION_FILE, std::ios::out | std::ios::trunc);
    if (collection.is_open()) {
        std::cout << WAITING << '\n';
        header.generated = 0;
        unwritten = 0;
        walk(1, Candidate::collected);
        std::cout << '\n' << COMPLETED << '\n';
    }
    collection.close();
    collection.clear();
    std::cout << time_cost(std::time(nullptr) - start) << std::endl;
}
