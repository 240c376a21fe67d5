// One chemical element: atomic number, symbol and bonding radius.
#pragma once

#include <iosfwd>
#include <string>

// Margin in angstrom added to the two radii in CELEMENT::bond_distance.
const double MIN_ELEMENT_DISTANCE = 0.0;

// One element; number 0 (symbol "", radius 0) stands for no element or an unknown one.
class CELEMENT {
public:
    explicit CELEMENT(int n = 0);
    explicit CELEMENT(const std::string& s);

    void reinstall(int n);
    void reinstall(const std::string& s);

    int get_number() const { return number; }
    std::string get_symbol() const { return symbol; }
    double get_radius() const { return radius; }

    // Atomic number of an exact, case-sensitive symbol; 0 when there is none.
    int search_number(const std::string& s) const;
    // Symbol and radius from the table row n (0 and out-of-range give "" and 0);
    // the number itself is left as it is.
    void set_all_information(int n);
    // Largest distance in angstrom at which atoms of the two elements count as bonded.
    double bond_distance(const CELEMENT& other) const;

private:
    int number = 0;
    std::string symbol;
    double radius = 0.0;
};

// Three lines: "atomic number: ", "atomic symbol: ", "atomic radius: ".
std::ostream& operator<<(std::ostream& out, const CELEMENT& element);
