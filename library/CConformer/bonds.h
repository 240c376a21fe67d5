// A bond between two atoms of a conformer.
#pragma once

// One bond between two atoms (1-based indices), kept in the order given. In a
// conformer's bond list entry 0 is no bond: its atom1 holds the number of bonds, and
// every bond after it is stored with atom1 < atom2.
class CBonds {
public:
    int atom1;
    int atom2;
    CBonds(int a = 0, int b = 0) : atom1(a), atom2(b) {}
};
