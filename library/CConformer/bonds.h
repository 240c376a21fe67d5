// A bond between two atoms of a conformer.
#pragma once

// One bond between two atoms (1-based indices).
class CBonds {
public:
    int atom1;
    int atom2;
    CBonds(int a = 0, int b = 0) : atom1(a), atom2(b) {}
};
