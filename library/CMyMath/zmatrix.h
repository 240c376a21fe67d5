// Internal coordinates of a molecule: Z-matrix rows, the bond tree that says which atoms
// move with a torsion, their text files, and conversion to and from Cartesian coordinates.
#pragma once

#include "CMyMath/cluster.h"
#include "CMyMath/vector.h"

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

// Places per entry of the link matrix: the parent and up to three children.
const int MAX_LINKS = 4;

namespace confsearch {

// Files written to the working directory by the two check writers.
inline const std::string CHECK_ZMATRIX_FILE = "check_zmatrix.txt";
inline const std::string CHECK_LINKING_FILE = "check_linking.txt";
// Written to standard error when a Z-matrix cannot be read from a stream.
inline const std::string ZMATRIX_INPUT_ERROR = "ZMatrix error input!";
// Written to a check file in place of values or links that do not exist yet.
inline const std::string ZMATRIX_NO_INFORMATION = "No information of the zmatrix!";

}  // namespace confsearch

// One Z-matrix row: the atom is bond_length from row bond_ref, makes bond_angle with
// angle_ref at the bond_ref atom, and the dihedral dihedral_angle with dihedral_ref.
// References are row numbers (atom numbers while a connectivity file is being read);
// angles in radians, lengths in angstrom.
class CZ_VECTOR {
public:
    int bond_ref;
    double bond_length;
    int angle_ref;
    double bond_angle;
    int dihedral_ref;
    double dihedral_angle;

    CZ_VECTOR(int bond_ref = 0, double bond_length = 0, int angle_ref = 0, double bond_angle = 0,
              int dihedral_ref = 0, double dihedral_angle = 0);
};

// The six fields separated by single spaces, no line end.
std::ostream& operator<<(std::ostream& out, const CZ_VECTOR& row);
std::istream& operator>>(std::istream& in, CZ_VECTOR& row);

// The Z-matrix of an n-atom molecule: rows 1..n in Z-matrix order, the atom each row
// stands for (order), the bond tree (links) and the placement of the molecule in space.
// Slots that no atom needs hold the frame and the flags: row 1's three values are the
// origin (atom 1), row 2's angle and dihedral alfa and bata (direction of the bond 1-2),
// row 3's dihedral gama (turn of atom 3 about that bond); row 0 and order[0] hold flags.
// Size, index and order errors are thrown as bare ints.
class CZMATRIX {
public:
    // n rows, every entry zero; throws the int n when n < 0.
    explicit CZMATRIX(int n = 0);

    // Discards everything and re-creates the matrix for n rows; throws the int n when
    // n < 0, before anything is discarded.
    void reinstall(int n);
    // Rows, order, links and flags back to zero; the size stays.
    void clear();

    int get_size() const { return size; }
    // Row i, 1-based; throws the int i outside 1..n.
    CZ_VECTOR& operator[](int i);
    const CZ_VECTOR& operator[](int i) const;
    // The atom number (position before reordering) of row i; throws 0 on an empty
    // matrix, i outside 1..n.
    int get_order(int i) const;
    // Throws the int n when i or k lies outside 1..n.
    void set_order(int i, int k);

    // Position of atom 1; both throw 0 on an empty matrix.
    CVECTOR get_origin() const;
    void set_origin(const CVECTOR& p);
    // The orientation angles in radians; throw 0 on an empty matrix. A matrix without a
    // row 2 (alfa, bata) or a row 3 (gama) gives 0 for them.
    double get_alfa() const;
    double get_bata() const;
    double get_gama() const;
    // Stores alfa and bata, and gama when there is a row 3; throws the int n when n < 2.
    void set_orientation(double alfa, double bata, double gama);

    // The flags. values: lengths and angles measured from coordinates; standardized:
    // references are row numbers; linked: references complete and the link tree valid;
    // reordered: some row stands for an atom of another number.
    bool has_values() const;
    bool is_standardized() const;
    bool is_linked() const;
    bool is_reordered() const;

    // Reads a link-matrix file (count, then per row its atom number and up to three
    // reference atoms). False for a missing file or a wrong count (the matrix is then
    // untouched), a missing or short row line (the matrix is then cleared), or
    // connectivity that standardize_linkmatrix refuses. Throws 0 on an empty matrix.
    bool read_linkmatrix(const std::string& file);
    // Reads a link-relation file (count, then per row its atom number and its bond
    // partner); the angle and dihedral references are chosen from the tree. Results and
    // throws as read_linkmatrix.
    bool read_linkrelation(const std::string& file);
    // Write CHECK_ZMATRIX_FILE and CHECK_LINKING_FILE; throw 0 on an empty matrix or a
    // file that cannot be written.
    void putout_check_zmatrix() const;
    void putout_check_linking() const;

    // Builds the link tree from the bond references. Throws 0 on an empty or
    // unstandardized matrix, 4 for an atom with a fourth child, and the int i when row i
    // is not bonded to an earlier row.
    void make_link();
    // Chooses the angle and dihedral references of rows 3..n from the tree so that one
    // dihedral carries each torsion; false when the tree offers none. Throws as make_link.
    bool make_linkmatrix();
    // Turn the atom-number references of a freshly read connectivity into row numbers,
    // check them and build the tree; false for bad connectivity. Throw 0 on an empty
    // matrix and pass make_link's throws on.
    bool standardize_linkrelation();
    bool standardize_linkmatrix();
    // Whether rows a and b are neighbours in the tree; false for 0 or numbers outside 1..n.
    bool belinking(int a, int b) const;
    // Place k (0 parent, 1..3 children) of the link entry of row i (entry 0 is the root,
    // whose only child is row 1); 0 without links; throws the int n for i outside 0..n
    // or k outside 0..3.
    int get_linking(int i, int k) const;
    int get_max_links() const { return MAX_LINKS; }

    // Writes the coordinates of every row into cluster (point i is the atom of row i).
    // Throws the int n when the cluster's size is not n or n is 0, 0 when the matrix is
    // not linked, n for a row 3 bonded to neither row 1 nor row 2, and the bond length
    // (a double) when the three references of a row lie on one line.
    void translate(CCLUSTER& cluster) const;
    // Re-places the atoms below row k in the tree (every atom for k = 0) from their rows;
    // all other points of cluster must be current and stay as they are. Throws as
    // translate (and n for k > n); false for k < 0 or a row 3 bonded to neither 1 nor 2.
    bool quick_translate(CCLUSTER& cluster, int k) const;
    // Measures origin, orientation and every row's values from cluster, which is in the
    // molecule's own atom order (point order[i] is row i's atom). Throws the int n when the
    // cluster's size is not n or n is 0, 0 when the matrix is not linked, and passes the
    // vectors' throws on (atoms 1 and 2 on one spot, collinear dihedral references).
    void combine_zmatrix(const CCLUSTER& cluster);
    // Turns the torsion about the bond from row a to row b by delta radians (right-handed
    // about the direction a to b): the dihedral of b's first child changes, kept within
    // -2pi..2pi. False, with nothing changed, when row b is not bonded to row a.
    bool rotate(int a, int b, double delta);
    // Lengthens the bond from row a to row b by delta angstrom; false as rotate.
    bool librate(int a, int b, double delta);

    friend std::istream& operator>>(std::istream& in, CZMATRIX& matrix);

private:
    // Cosines and sines of a row's bond angle and dihedral, with the angles they were
    // taken of. A torsion step re-places many atoms whose angles did not change; a row
    // whose angles no longer match (edited through operator[]) is worked out afresh.
    struct RowTrig {
        double angle = 0.0;
        double cos_angle = 1.0;
        double sin_angle = 0.0;
        double dihedral = 0.0;
        double cos_dihedral = 1.0;
        double sin_dihedral = 0.0;
    };

    int size = 0;
    // n + 1 entries each; row 0 and order[0] hold the flags. Empty when n is 0.
    std::vector<CZ_VECTOR> rows;
    std::vector<int> order;
    std::vector<std::array<int, MAX_LINKS>> links;
    std::vector<RowTrig> trig;

    void refresh_trig(int i);
    void refresh_trig();
    // Sets the reordered flag and checks that order holds every number 1..n once.
    bool check_order();
    bool read_link_file(const std::string& file, bool full_matrix);
    // Places row i from the current points of its references; false for a row 3
    // bonded to neither row 1 nor row 2.
    bool place_row(CCLUSTER& cluster, int i) const;
    bool is_bond(int a, int b) const;
};

// For people to read: the count, "<origin>\t(alfa bata gama)", then one line per row,
// "i\t" and the row, with 15 significant digits. Throws 0 on an empty matrix.
std::ostream& operator<<(std::ostream& out, const CZMATRIX& matrix);
// Reads a count (which must equal the matrix's size, else the int n is thrown), the
// origin and orientation, then per row its atom number and six fields. On bad text every
// entry of the matrix goes back to zero, its size kept, and ZMATRIX_INPUT_ERROR goes to
// standard error.
std::istream& operator>>(std::istream& in, CZMATRIX& matrix);
