// Ranking without geometry: results that are only a name, an energy and a dipole, read
// from Gaussian output files or from an energy list, sorted by energy, grouped by an
// energy window and a dipole tolerance, and written to the same result files.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// One ranked result without geometry.
class CConfSort {
public:
    std::string name;     // output file name as listed
    double energy = 0.0;  // value after the archive's "HF=", in the file's units
    double dipole = 0.0;  // length of the archive's "Dipole=" vector
    int group = 0;        // duplicate group given by the filter

    // Empty name, zero values.
    void clear();
    // Reads energy and dipole of a Gaussian output file. False (and a cleared result) when
    // either is missing; the result is untouched when the file cannot be opened.
    bool get_info(const std::string& file);
};

// name, tab, energy, tab, dipole, tab, group, line end; 12 significant digits (the
// precision stays set on the stream).
std::ostream& operator<<(std::ostream& out, const CConfSort& result);

// A 1-based list of results without geometry. Position 0 is the sort's scratch slot.
class CConfSortList {
public:
    explicit CConfSortList(int count = 0);
    CConfSortList(const CConfSortList& other) = default;
    CConfSortList& operator=(const CConfSortList& other);

    // Discards every result and makes count default results; throws the int count when
    // it is negative.
    void reinstall(int count);
    // This list's results followed by the other's.
    CConfSortList& operator+=(const CConfSortList& other);
    CConfSortList operator+(const CConfSortList& other) const;

    int get_count() const { return count; }
    // Result i, 1-based; throws the int i outside 1..count.
    CConfSort& operator[](int i);
    const CConfSort& operator[](int i) const;

    // Fills the list from the Gaussian output files named in a list file, echoing each
    // name on standard output; unreadable ones are named in "errorfile.txt".
    bool read_filelist(const std::string& file);
    // Fills names, energies and dipoles from a result file ("name energy dipole ...").
    bool read_energylist(const std::string& file);
    // Every result; throws the int count when the file cannot be created.
    void out_all(const std::string& file) const;
    // The first result of every group.
    bool out_unique(const std::string& file) const;

    // Sorts the whole list by ascending energy; does not group.
    void QuickSort();
    // Sorts positions low..high by ascending energy.
    void QSort(int low, int high);
    int Partition(int low, int high);
    // Groups duplicates of a sorted list: energies within energy_tol of the group's
    // head and dipoles within dipole_tol of it. Prints nothing.
    void filter(double energy_tol, double dipole_tol);

    friend std::ostream& operator<<(std::ostream& out, const CConfSortList& list);

private:
    int count = 0;
    std::vector<CConfSort> entries;
};

std::ostream& operator<<(std::ostream& out, const CConfSortList& list);
