// A conformer driven by its Z-matrix: turned about the bonds of its tree, tested for
// clashes, and searched for intramolecular hydrogen bonds.
#pragma once

#include "CConformer/basic_conformer.h"

#include <array>
#include <string>
#include <vector>

// Hydrogen bonds X-H...Y: the heavy atoms X and Y must be closer than the length (angstrom)
// of their element pair; each bond found scores the energy value of its pair.
const double HbondLen_NHN = 2.8;
const double HbondLen_NHO = 2.8;
const double HbondLen_OHN = 2.8;
const double HbondLen_OHO = 2.8;
const double HbondEn_NHN = 3.1;
const double HbondEn_NHO = 1.9;
const double HbondEn_OHN = 6.9;
const double HbondEn_OHO = 5.0;

// One hydrogen bond: the donor X (N or O), its hydrogen H and the acceptor Y (N or O), as
// current atom numbers, with the energy value of its element pair. In entry 0 of a
// hydrogen-bond list, donor holds the count and energy the sum.
class CHbond {
public:
    int donor = 0;
    int hydrogen = 0;
    int acceptor = 0;
    double energy = 0.0;

    CHbond() = default;
    CHbond(int donor, int hydrogen, int acceptor, double energy)
        : donor(donor), hydrogen(hydrogen), acceptor(acceptor), energy(energy) {}
};

namespace confsearch {

// How a Z-matrix file of a rotatable conformer was read.
struct ZmatrixFileStatus {
    enum Outcome {
        none,
        cannot_open,          // no file of that name, or not a readable file
        other_size,           // its first line gives `atoms` atoms (0: no number there)
        links_refused,        // the link-matrix block is short or its connectivity wrong
        contacts_unreadable,  // the block was taken, but not every contact pair is there
    };
    Outcome outcome = none;
    int atoms = 0;

    bool ok() const { return outcome == none; }
};

// Two atoms, not bonded in the Z-matrix and not an allowed contact, that are no further
// apart than their bonding distance. first is 0 when there is none.
struct Clash {
    int first = 0;
    int second = 0;
    double distance = 0.0;
    double bonding_distance = 0.0;
};

}  // namespace confsearch

class CRotatableConformer : public CBasicConformer {
public:
    // n atoms with an empty Z-matrix of n rows; throws the int n outside
    // 0..MAX_CONFORMER_SIZE.
    explicit CRotatableConformer(int n = 0);

    // Empties the conformer and its Z-matrix for n atoms; no contacts, no donor table, no
    // hydrogen bonds. Throws the int n outside 0..MAX_CONFORMER_SIZE.
    void reinstall(int n);

    // Reads the Z-matrix file of this conformer: the link-matrix block (in the atom numbers
    // of the geometry file), one separator line, then the count of allowed contacts and
    // their pairs, also in the geometry file's numbers. Measures the Z-matrix from the
    // coordinates and renumbers the atoms into Z-matrix row order. The coordinates must be
    // read first. Throws 0 for a conformer of no atoms, and the double of the vectors when
    // the geometry cannot be measured (atoms 1 and 2 on one spot, three reference atoms on
    // one line).
    bool read_Zmatrix(const std::string& file);
    // The same, telling why a file was refused.
    confsearch::ZmatrixFileStatus read_Zmatrix_file(const std::string& file);

    // Turns the atoms below b by angle radians about the bond a-b (current numbers),
    // right-handed about the direction a to b; the others stay. False, with nothing
    // changed, when row b of the Z-matrix is not bonded to a.
    bool rotate(int a, int b, double angle);
    // Whether no two atoms clash: pairs bonded in the Z-matrix and allowed contacts never
    // do; any other pair clashes at or within the bonding distance of its elements.
    bool conformer_legit() const;
    // The first clashing pair, in the order i < j, i then j.
    confsearch::Clash first_clash() const;

    // Write check_zmatrix.txt and check_linking.txt; throw 0 for a conformer of no atoms
    // or a file that cannot be written.
    void check_Zmatrix() const;
    void check_linking() const;

    // Builds the donor table: every N and O atom with the hydrogens bonded to it in the
    // Z-matrix.
    void search_XHY();
    // Finds the hydrogen bonds of the current coordinates; false for no atoms.
    bool find_Hbond();
    // The count of hydrogen bonds, and the energy of bond k (1..count) or their sum (k = 0),
    // 0.0 for any other k; both search first when there is no list yet.
    int get_Hbond_number();
    double get_Hbond_energy(int k);
    // Bond k (1..count) of the list; entry 0 is the header. Empty before a search.
    const std::vector<CHbond>& get_Hbonds() const { return hbonds; }

    const CZMATRIX& get_zmatrix() const { return zmatrix; }
    int get_contact_count() const { return contact_count; }
    // The current number of the atom that has the given number in the geometry file
    // (its Z-matrix row); a number that no atom has is given back as it is.
    int current_number(int input_number) const;

protected:
    CZMATRIX zmatrix;
    int contact_count = 0;
    // contact_count + 1 pairs, entry 0 unused; empty when there are none.
    std::vector<std::array<int, 2>> contacts;
    // Row 0 holds m, the number of N and O atoms; row r (1..m) an N or O atom and then the
    // hydrogens bonded to it, padded with 0. An atom has at most MAX_LINKS neighbours in
    // the tree, so a row holds all of them. Empty when there is no table.
    std::vector<std::array<int, MAX_LINKS + 1>> xhy_table;
    // Entry 0 the header (count, sum of energies), entries 1..count the bonds found, in
    // the order donor, acceptor, hydrogen. Empty before the first search.
    std::vector<CHbond> hbonds;

private:
    // The clash test's table for the elements it was built for: per pair i < j, in the
    // test's order, the smallest squared distance that does not clash, or -1 for pairs
    // that never do. Built when the Z-matrix is read; a conformer whose elements have
    // changed since is tested pair by pair.
    std::vector<int> clash_elements;
    std::vector<double> clash_bounds;

    void clear_generator_state();
    void build_clash_table();
    bool clash_table_fits() const;
    bool is_contact(int i, int j) const;
    bool read_contacts(const std::string& file);
};
