// Lists of results of one molecule: reading them from output files, collection files and
// result files, sorting by energy, grouping duplicates, and the result files.
#pragma once

#include "CConformer/conformer_identity.h"
#include "COutFile/result_record.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace confsearch {

// The list of files to read, one name per line: output files for sort_outputs, record
// files for collect_records.
inline const std::string LIST_FILE = "list.txt";
// Files written by the readers and by the sorting programs.
inline const std::string ERROR_FILE = "errorfile.txt";
inline const std::string ALL_LIST_FILE = "all_list2.txt";
inline const std::string UNIQUE_LIST_FILE = "unique_list2.txt";

// An output file or collection record that gave no result, and why.
struct LeftOut {
    std::string label;   // collection label ("NAME_3"); empty for an output file
    std::string name;    // output file or record name ("conf07.log"); empty when unreadable
    std::string reason;  // what was missing or wrong, in words
    long line = 0;       // the line of the file at fault; 0 where none is named

    // "conf07.out, line 18342" or "conf07.out": the name with the line where there is one.
    std::string where() const;
};

// A result that joined a group under the RMSD rule: its name, the name of its group's
// head, and the RMSD (angstrom) of the fit that matched it, on the head's mirror image
// when mirrored.
struct Duplicate {
    std::string name;
    std::string head;
    double rmsd = 0.0;
    bool mirrored = false;
};

// What a grouping by the RMSD rule found beside the groups: every duplicate in list
// order, and the results whose geometry could not be compared with the molecule's
// (another molecule, bonds broken), each kept as a conformer of its own.
struct RmsdGrouping {
    std::vector<Duplicate> duplicates;
    std::vector<LeftOut> incomparable;
};

// The file of duplicates: a "#" line naming the columns, then per duplicate its name,
// its group head and the RMSD, tab-separated.
inline const std::string DUPLICATES_FILE = "duplicates.txt";
// Writes it; false when it cannot be written.
bool write_duplicates(const std::string& file, const std::vector<Duplicate>& duplicates);

// An output file ranked by its "HF=" energy whose archive also holds post-HF energies.
struct OtherEnergies {
    std::string name;               // output file name as listed
    std::vector<std::string> keys;  // archive keys in archive order: "MP2", ..., "CCSD(T)"
};

}  // namespace confsearch

// A 1-based list of results of one molecule (confsize atoms each). Position 0 is the
// sort's scratch slot.
class COutSortList {
public:
    explicit COutSortList(int confsize = 0, int count = 0);
    COutSortList(const COutSortList& other) = default;
    COutSortList& operator=(const COutSortList& other);

    // Discards every result and makes count default results.
    void reinstall(int confsize, int count);
    // Appends the other list; prints "Error for adding different conformer!" and throws
    // the int confsize when the atom counts differ.
    COutSortList& operator+=(const COutSortList& other);
    COutSortList operator+(const COutSortList& other) const;

    int get_confsize() const { return confsize; }
    int get_count() const { return count; }
    // Result i, 1-based; throws the int i outside 1..count.
    COutSort& operator[](int i);
    const COutSort& operator[](int i) const;

    // The geometry comparison used by the filter, and whether it prints a progress text
    // before every comparison (the collection sorter does).
    void set_identity_rule(confsearch::IdentityRule rule) { identity_rule = rule; }
    void set_progress_text(bool on) { progress_text = on; }
    // How read_filelist reads the output files: which energy, which geometry table.
    void set_read_options(const confsearch::ResultReadOptions& options) { read_options = options; }
    const confsearch::ResultReadOptions& get_read_options() const { return read_options; }

    // Fills the list from the Gaussian output files named in a list file; unreadable ones
    // are named in "errorfile.txt".
    bool read_filelist(const std::string& file);
    // Fills the list from the records of a collection file.
    bool read_collectf(const std::string& file, int confsize);
    // What the last read_filelist or read_collectf left out, in file order, with reasons.
    const std::vector<confsearch::LeftOut>& left_out() const { return left_out_list; }
    // The files of the last read_filelist, ranked by "HF=", whose archive holds post-HF
    // energies, in list order.
    const std::vector<confsearch::OtherEnergies>& other_energies() const {
        return other_energies_list;
    }
    // False when the last read_filelist created "errorfile.txt" but could not write it
    // whole (a full disk): the names of the unreadable files are then lost.
    bool error_file_written() const { return error_file_complete; }

    // Fills names, energies and dipoles from a result file ("name energy dipole ...").
    bool read_energylist(const std::string& file);
    // Every result; throws the int count when the file cannot be created.
    void out_all(const std::string& file) const;
    // The first result of every group.
    bool out_unique(const std::string& file) const;

    // Sorts positions low..high by ascending energy.
    void QSort(int low, int high);
    int Partition(int low, int high);
    // Sorts, then groups duplicates with filter_old.
    void QuickSort(double energy_tol, double dipole_tol, double geometry_tol, int reference_atom,
                   const int* equiv);
    // Groups duplicates: energy window, identical geometry, close dipole.
    void filter_old(double energy_tol, double dipole_tol, double geometry_tol, int reference_atom,
                    const int* equiv);
    // The same with the interchangeable atoms in groups, each matched within its group by
    // the pairing of least total squared deviation (CBasicConformer::identical_xyz).
    void filter_old(double energy_tol, double dipole_tol, double geometry_tol, int reference_atom,
                    const confsearch::InterchangeableGroups& groups);
    // Groups duplicates by the RMSD rule of identity (rotational constants, then best-fit
    // RMSD over the molecule's symmetry) within the energy window, with the dipoles
    // within dipole_tol; prints the RMSD and verdict of each comparison.
    confsearch::RmsdGrouping filter_rmsd(double energy_tol, double dipole_tol,
                                         const confsearch::ConformerIdentity& identity);
    // Groups duplicates by dipole and the distance descriptors of calc_D.
    void filter(double energy_tol, double dipole_tol, double geometry_tol, int reference_atom,
                const int* equiv);

    friend std::ostream& operator<<(std::ostream& out, const COutSortList& list);

private:
    int count = 0;
    std::vector<COutSort> entries;
    int confsize = 0;
    confsearch::IdentityRule identity_rule = confsearch::IdentityRule::superposition;
    bool progress_text = false;
    confsearch::ResultReadOptions read_options;
    std::vector<confsearch::LeftOut> left_out_list;
    std::vector<confsearch::OtherEnergies> other_energies_list;
    bool error_file_complete = true;
};

std::ostream& operator<<(std::ostream& out, const COutSortList& list);

namespace confsearch {

// Writes "all_list2.txt" and "unique_list2.txt" in the working directory. Returns the name
// of a file that could not be written, or "" when both were.
std::string out_result_files(const COutSortList& list);

}  // namespace confsearch
