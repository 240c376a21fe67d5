// Ranking the results of a conformer search: one result per Gaussian output file
// (energy, dipole, final geometry), lists of results read from output files or a
// collection file, sorting by energy, grouping duplicates, and the result files.
#pragma once

#include "CConformer.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

// Files written by the readers and by the sorting programs.
inline const std::string ERROR_FILE = "errorfile.txt";
inline const std::string ALL_LIST_FILE = "all_list2.txt";
inline const std::string UNIQUE_LIST_FILE = "unique_list2.txt";

// One ranked result.
class COutSort {
public:
    std::string name;     // output file name as listed (or the collection record name)
    double energy = 0.0;  // value after the archive's "HF=", in the file's units
    double dipole = 0.0;  // length of the archive's "Dipole=" vector
    int group = 0;        // duplicate group given by the filter
    CBasicConformer conformer;
    // Mean squared distance from the reference atom per element class (calc_D).
    std::array<double, 15> D{};
    int class_count = 0;

    COutSort();

    // Empty name, zero values, a conformer of 0 atoms.
    void clear();
    // Reads energy, dipole and final geometry of a Gaussian output file of atoms atoms.
    // False (and a cleared record) when any of them is missing; the record is untouched
    // when the file cannot be opened.
    bool get_info(const std::string& file, int atoms);
    // Fills D for the classes H, C, N, O from the reference atom (1-based).
    void calc_D(int reference_atom);
    bool equal_D(const COutSort& other, double tolerance) const;
};

// name, tab, energy, tab, dipole, tab, group, line end; 12 significant digits.
std::ostream& operator<<(std::ostream& out, const COutSort& result);

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
    void set_identity_rule(IdentityRule rule) { identity_rule = rule; }
    void set_progress_text(bool on) { progress_text = on; }

    // Fills the list from the Gaussian output files named in a list file; unreadable ones
    // are named in "errorfile.txt".
    bool read_filelist(const std::string& file);
    // Fills the list from the records of a collection file.
    bool read_collectf(const std::string& file, int confsize);
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
    // Groups duplicates by dipole and the distance descriptors of calc_D.
    void filter(double energy_tol, double dipole_tol, double geometry_tol, int reference_atom,
                const int* equiv);

    friend std::ostream& operator<<(std::ostream& out, const COutSortList& list);

    // Writes "all_list2.txt" and "unique_list2.txt" in the working directory. Returns the name
    // of a file that could not be written, or "" when both were.
    std::string out_result_files(const COutSortList& list);

private:
    int count = 0;
    std::vector<COutSort> entries;
    int confsize = 0;
    IdentityRule identity_rule = IdentityRule::superposition;
    bool progress_text = false;
};

std::ostream& operator<<(std::ostream& out, const COutSortList& list);

// Writes "all_list2.txt" and "unique_list2.txt" in the working directory. Returns the name
// of a file that could not be written, or "" when both were.
std::string out_result_files(const COutSortList& list);
