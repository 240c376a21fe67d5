// The conformer generator: rotatable bonds stepped through equal angles over the
// Z-matrix, clashing combinations corrected sideways or skipped, and every accepted
// candidate written as a Gaussian input file, an xyz file or a collection record, with a
// run log.
#pragma once

#include "CConformer/rotatable_conformer.h"

#include <cstdint>
#include <ctime>
#include <fstream>
#include <iosfwd>
#include <limits>
#include <string>
#include <vector>

// Folder that receives the candidate files unless set_path names another.
inline const std::string DEFAULT_FOLDER = "GaussionFiles";
// The run log, opened and emptied by the generator's constructor.
inline const std::string LOGFILE_NAME = "GenerateConformer.log";
// Rotatable bonds of one generator, steps of one bond, and the widest side correction
// in sixths of a step.
const int MAX_FREEDOM_NUMBER = 20;
const int MAX_FREEDOM = 9;
const int MAX_SIDE_CORRECTION = 3;
// Between the folder and a candidate's name.
const char SLASH = '/';

namespace confsearch {

// Files written to the working directory: the freedom check file and the candidate
// collection of collect_xyz.
inline const std::string CHECK_FREEDOM_FILE = "check_freedom.txt";
inline const std::string CANDIDATE_COLLECTION_FILE = "xyz_collection";

// Counts of combinations: twenty bonds of nine steps make 9^20 (about 1.2e19).
using Combinations = std::uint64_t;

// a * b, or the largest count when the product would not fit: a limit test on it then
// refuses the run rather than letting a wrapped product through.
inline Combinations saturating_product(Combinations a, Combinations b) {
    const Combinations most = std::numeric_limits<Combinations>::max();
    return b != 0 && a > most / b ? most : a * b;
}

}  // namespace confsearch

// One rotatable bond: atom_b, on the moving side, hangs on atom_a in the Z-matrix (current
// numbers in the generator; the input geometry's numbers where the automatic set-up
// chooses the bonds). It takes steps positions 2pi/steps apart; position 1 is the input geometry,
// and correction is the side correction in force, in sixths of a step (-3..3).
class CRotatableBond {
public:
    int atom_a = 0;
    int atom_b = 0;
    int steps = 0;
    int position = 1;
    int correction = 0;

    CRotatableBond() = default;
    CRotatableBond(int atom_a, int atom_b, int steps, int position, int correction)
        : atom_a(atom_a),
          atom_b(atom_b),
          steps(steps),
          position(position),
          correction(correction) {}
};

namespace confsearch {

// The run header, entry 0 of the freedom list, kept beside the bonds so that its counts
// have room: total, the product of all steps; ignored, the candidates skipped by failed
// corrections (over every run since read_freedom); generated, the candidates of the
// current run; failed_level, the bond of the last failed correction; pending, non-zero
// while a failed correction is being reported, then the count it skips.
struct CRunHeader {
    Combinations total = 1;
    Combinations ignored = 0;
    Combinations generated = 0;
    int failed_level = 1;
    Combinations pending = 0;
};

// How a freedom list was read: for a refused entry (1..count), its numbers as read, in
// the geometry file's numbering.
struct FreedomFileStatus {
    enum Outcome {
        none,
        bad_count,          // count is not a number in 1..MAX_FREEDOM_NUMBER (0 if none)
        unreadable_entry,   // not "a-b s": an int, a separator, two ints
        atom_out_of_range,  // a or b is no atom of the conformer
        not_a_bond,         // a and b are not bonded in the Z-matrix
        bad_steps,          // steps outside 1..MAX_FREEDOM
    };
    Outcome outcome = none;
    int count = 0;
    int entry = 0;
    int a = 0;
    int b = 0;
    int steps = 0;

    bool ok() const { return outcome == none; }
};

// Reads a freedom list, the count N and then N entries "a-b s" (any one non-blank
// character between a and b; line breaks free), for a conformer whose Z-matrix has been
// read: bonds gets N + 1 entries, entry 0 unused and entries 1..N oriented so that atom_b
// hangs on atom_a, in current numbers, at position 1. bonds is left alone on a refusal.
FreedomFileStatus read_freedom_list(std::istream& in, const CRotatableConformer& conformer,
                                    std::vector<CRotatableBond>& bonds);

}  // namespace confsearch

class CGenerateConformer : public CRotatableConformer {
public:
    // n atoms; opens and empties the run log LOGFILE_NAME in the working
    // directory. Throws the int n outside 0..MAX_CONFORMER_SIZE or when the log cannot be
    // opened.
    explicit CGenerateConformer(int n);

    // Empties the generator for n atoms, drops the freedom list and restores the default
    // folder; the log stays open and keeps what it holds.
    void reinstall(int n);

    // Reads the freedom file; read_Zmatrix must have succeeded. False, with nothing changed,
    // when the file cannot be opened; false, with no freedom list, when it is refused.
    bool read_freedom(const std::string& file);
    // Writes CHECK_FREEDOM_FILE: the bonds in current numbers, fixed side first.
    void check_freedom() const;
    // Candidate files go to folder + SLASH + name; folder is taken as it is.
    void set_path(const std::string& folder);
    // The candidate's name: the position of every bond, one digit each; while a failed
    // correction is reported, "?" for the bonds after the failing one.
    void modify_name();

    // The runs: every combination of bond positions, each clash-free candidate written as
    // a Gaussian input file, an xyz file, a record of CANDIDATE_COLLECTION_FILE, or only counted.
    void generate();
    void generate_xyz();
    void generate_test();
    void collect_xyz();
    // Their recursive steps for bond level i (1..N + 1); throw the int i outside that range.
    void generate(int i);
    void generate_xyz(int i);
    void generate_test(int i);
    void collect_xyz(int i);
    // Tests the current geometry and, when it clashes, turns bond i (1..N) by up to half a
    // step either way to free it; false when nothing frees it or for i = 0 (the input
    // geometry). Throws the int i outside 0..N.
    bool correct(int i);
    // Takes the side correction of bond i back in the Z-matrix; the coordinates follow at
    // the bond's next step. Throws the int i outside 0..N.
    void reposit(int i);
    // Turns one bond by one step and moves it to its next position.
    void step_rotate(CRotatableBond& bond);
    // "\rSchedule  " and the share of combinations done, in per cent, on standard output.
    void show_schedule() const;

    // Write the current geometry as a candidate under its name; false when the file (or
    // for push_xyz the open collection) cannot be written.
    bool putout_GaussionFile();
    bool putout_xyzfile();
    bool push_xyz();
    // The begin and end entries of the run log.
    void log_begin();
    void log_end();

    int get_freedom_number() const { return freedom_number; }
    // Bond i, 1..N; throws the int i outside that range.
    const CRotatableBond& get_bond(int i) const;
    const confsearch::CRunHeader& get_header() const { return header; }
    const std::string& get_name() const { return name; }
    const std::string& get_folder() const { return folder; }
    // Candidates of the last run whose file or record could not be written.
    confsearch::Combinations get_unwritten() const { return unwritten; }
    // Whether everything written to the run log so far reached it (false after a write
    // failed, on a full disk).
    bool log_complete() const { return logfile.good(); }

protected:
    int freedom_number = 0;
    // freedom_number + 1 entries; entry 0 stands for the header below. Empty when there is
    // no freedom list.
    std::vector<CRotatableBond> freedom;
    confsearch::CRunHeader header;
    std::string name;
    std::string folder = DEFAULT_FOLDER;
    std::ofstream logfile;
    std::ofstream collection;

private:
    enum class Candidate { gaussian_file, xyz_file, counted, collected };

    confsearch::Combinations unwritten = 0;

    void run(Candidate what);
    void walk(int i, Candidate what, bool tested = false);
    void take(Candidate what);
    void note_unwritten(const std::string& file);
    void check_level(int i, int last) const;
    std::string candidate_path(const char* extension) const;
    std::string steps_text() const;
    void log_correction(const CRotatableBond& bond, int units);
    void log_failed_correction(const CRotatableBond& bond);
};

// The local date and time, "2026.3.7 9:5:3" (no leading zeros, no line end).
std::ostream& writetime(std::ostream& out);

namespace confsearch {
// The time line of a run that took the given whole seconds, "Time cost 1hours 2mins 5secs".
std::string time_cost(std::time_t seconds);

}  // namespace confsearch
