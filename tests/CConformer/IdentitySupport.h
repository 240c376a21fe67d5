// Molecules built in code for the symmetry and identity tests: a builder that places atoms
// by bond length, angle and dihedral, the small molecules with symmetric groups, and the
// moves that turn, mirror and renumber a geometry.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CConformer.h"
#include "ConformerSupport.h"

namespace support {

// Atoms placed one by one, each from three atoms (or ghosts: reference points that are not
// atoms) already placed; numbers are 1-based.
class Builder {
public:
    int add(int element, const CVECTOR& p) {
        elements.push_back(element);
        points.push_back(p);
        return static_cast<int>(points.size());
    }
    int ghost(const CVECTOR& p) { return add(0, p); }
    const CVECTOR& at(int i) const { return points[static_cast<std::size_t>(i - 1)]; }
    // The atom `bond` angstrom from a, with the angle to b and the dihedral to c in degrees.
    int place(int element, int a, int b, int c, double bond, double angle, double dihedral) {
        CVECTOR p;
        p.p_forthpoint(at(a), at(b), at(c), bond, radian(angle), radian(dihedral));
        return add(element, p);
    }
    // Three hydrogens on an sp3 carbon c bonded to b, staggered about b's neighbour ref,
    // all turned by `turn` degrees.
    void methyl_hydrogens(int c, int b, int ref, double turn = 0) {
        for (double d : {180.0, 60.0, -60.0}) place(1, c, b, ref, 1.09, 109.5, d + turn);
    }
    ::CBasicConformer conformer() const {
        std::vector<Atom> atoms;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (elements[i] != 0)
                atoms.push_back({elements[i], points[i].x, points[i].y, points[i].z});
        return conformer_of(atoms);
    }

private:
    std::vector<int> elements;
    std::vector<CVECTOR> points;
};

// tert-Butyl methyl ether: O1, the tert-butyl carbon C2, the methyl C3 on O, the
// tert-butyl's methyls C4, C5, C6 with hydrogens 7-15 (three each), the O-methyl's
// hydrogens 16-18. The tert-butyl group is turned by `turn` degrees about O-C2.
inline ::CBasicConformer tert_butyl_methyl_ether(double turn = 0) {
    Builder m;
    const int o = m.add(8, CVECTOR(0, 0, 0));
    const int ct = m.add(6, CVECTOR(1.43, 0, 0));
    const int cm = m.add(6, CVECTOR(1.42 * std::cos(radian(112)), 1.42 * std::sin(radian(112)), 0));
    std::vector<int> methyls;
    for (double d : {180.0, 60.0, -60.0})
        methyls.push_back(m.place(6, ct, o, cm, 1.53, 109.5, d + turn));
    for (int c : methyls) m.methyl_hydrogens(c, ct, o);
    m.methyl_hydrogens(cm, o, ct);
    return m.conformer();
}

// Toluene: ring carbons 1-6 (C1 ipso, C4 para) in the xy plane, methyl C7 on C1 along x,
// ring hydrogens 8-12 on C2..C6, methyl hydrogens 13-15 turned by methyl_turn degrees.
// With `para` other than hydrogen, that element stands on C4 instead (4-fluorotoluene
// for 9). flipped turns the ring half a turn about the C1-C7 axis: C2 and C6, C3 and
// C5 trade places.
inline ::CBasicConformer toluene(double methyl_turn = 0, bool flipped = false, int para = 1) {
    Builder m;
    std::vector<int> ring;
    for (int k = 0; k < 6; ++k) {
        const double a = radian(60.0 * k);
        const double y = 1.39 * std::sin(a) * (flipped ? -1 : 1);
        ring.push_back(m.add(6, CVECTOR(1.39 * std::cos(a), y, 0)));
    }
    const int c7 = m.add(6, CVECTOR(1.39 + 1.51, 0, 0));
    for (int k = 1; k < 6; ++k) {
        const CVECTOR p = m.at(ring[k]);
        const bool on_para = k == 3;
        const double bond = on_para && para != 1 ? 1.35 : 1.08;
        m.add(on_para ? para : 1, p + p.normal() * bond);
    }
    const int reference = m.ghost(CVECTOR(1.39 + 1.51, 0, 1));
    m.methyl_hydrogens(c7, ring[0], reference, methyl_turn);
    return m.conformer();
}

// Ethylbenzene: ring carbons 1-6 (C1 ipso) in the xy plane, the CH2 carbon C7 on C1 along
// x, the methyl carbon C8 standing perpendicular to the ring; then the ring hydrogens 9-13
// on C2..C6, the CH2 hydrogens 14-15 and the methyl hydrogens 16-18. flipped turns the
// ring half a turn about the C1-C7 axis.
inline ::CBasicConformer ethylbenzene(bool flipped = false) {
    Builder m;
    std::vector<int> ring;
    for (int k = 0; k < 6; ++k) {
        const double a = radian(60.0 * k);
        ring.push_back(
            m.add(6, CVECTOR(1.39 * std::cos(a), 1.39 * std::sin(a) * (flipped ? -1 : 1), 0)));
    }
    const int c7 = m.add(6, CVECTOR(1.39 + 1.51, 0, 0));
    const int in_plane = m.ghost(CVECTOR(1.39 + 1.51, 1, 0));
    const int c8 = m.place(6, c7, ring[0], in_plane, 1.53, 109.5, 90);
    for (int k = 1; k < 6; ++k) {
        const CVECTOR p = m.at(ring[k]);
        m.add(1, p + p.normal() * 1.08);
    }
    for (double d : {120.0, -120.0}) m.place(1, c7, ring[0], c8, 1.09, 109.5, d);
    m.methyl_hydrogens(c8, c7, ring[0]);
    return m.conformer();
}

// Propan-2-ol: C1 (central), O2, the methyls C3 and C4, the hydroxyl H5, the C-H 6, the
// hydrogens of C3 (7-9) and of C4 (10-12).
inline ::CBasicConformer propan_2_ol() {
    Builder m;
    const int c = m.add(6, CVECTOR(0, 0, 0));
    const int o = m.add(8, CVECTOR(1.43, 0, 0));
    const int c3 = m.add(6, CVECTOR(1.53 * std::cos(radian(110)), 1.53 * std::sin(radian(110)), 0));
    const int c4 = m.place(6, c, o, c3, 1.53, 110, 120);
    m.place(1, o, c, c3, 0.96, 108.5, 60);
    m.place(1, c, o, c3, 1.10, 108, -120);
    m.methyl_hydrogens(c3, c, o);
    m.methyl_hydrogens(c4, c, o);
    return m.conformer();
}

// Neopentane, C(CH3)4: the centre C1, methyl carbons 2-5 at the corners of a
// tetrahedron, then their hydrogens three by three.
inline ::CBasicConformer neopentane() {
    Builder m;
    const int c = m.add(6, CVECTOR(0, 0, 0));
    const double s = 1.53 / std::sqrt(3.0);
    std::vector<int> methyls;
    for (const CVECTOR& d :
         {CVECTOR(1, 1, 1), CVECTOR(1, -1, -1), CVECTOR(-1, 1, -1), CVECTOR(-1, -1, 1)})
        methyls.push_back(m.add(6, d * s));
    for (std::size_t k = 0; k < methyls.size(); ++k)
        m.methyl_hydrogens(methyls[k], c, methyls[(k + 1) % methyls.size()]);
    return m.conformer();
}

// Cyclopropane C3H6 centred at `centre`, ring in the xy plane: carbons, then hydrogens.
inline std::vector<Atom> cyclopropane(const CVECTOR& centre) {
    std::vector<Atom> atoms;
    const double r = 1.51 / std::sqrt(3.0);
    for (int k = 0; k < 3; ++k) {
        const double a = radian(120.0 * k);
        atoms.push_back({6, centre.x + r * std::cos(a), centre.y + r * std::sin(a), centre.z});
    }
    for (int k = 0; k < 3; ++k) {
        const double a = radian(120.0 * k);
        for (double z : {0.9, -0.9})
            atoms.push_back({1, centre.x + (r + 0.55) * std::cos(a),
                             centre.y + (r + 0.55) * std::sin(a), centre.z + z});
    }
    return atoms;
}

// Butane-2,3-diol with C2 and C3 related by an inversion through the middle of their bond
// (meso, R,S) or by a half turn about an axis across it (R,R or S,S). Atoms: C2, C3, then
// on C2: O, C1, H, the hydroxyl H; then the same on C3.
inline ::CBasicConformer butane_2_3_diol(bool meso) {
    Builder m;
    const int c2 = m.add(6, CVECTOR(0, 0, 0));
    const int c3 = m.add(6, CVECTOR(1.53, 0, 0));
    const int g = m.ghost(CVECTOR(0, 1, 0));
    const int o = m.place(8, c2, c3, g, 1.43, 109.5, 60);
    m.place(6, c2, c3, g, 1.53, 109.5, 180);
    m.place(1, c2, c3, g, 1.10, 109.5, -60);
    m.place(1, o, c2, c3, 0.96, 108.5, 180);
    std::vector<Atom> atoms;
    ::CBasicConformer half = m.conformer();
    for (int i = 1; i <= half.get_size(); ++i) {
        const CVECTOR p = half.get_vector(i);
        atoms.push_back({half.get_element(i).get_number(), p.x, p.y, p.z});
    }
    for (int i = 3; i <= half.get_size(); ++i) {
        const CVECTOR p = half.get_vector(i);
        atoms.push_back({half.get_element(i).get_number(), 1.53 - p.x, -p.y, meso ? -p.z : p.z});
    }
    return conformer_of(atoms);
}

// The geometry turned about an oblique axis and shifted, mirrored in the yz plane first
// when asked.
inline ::CBasicConformer moved(const ::CBasicConformer& c, bool mirrored = false) {
    ::CBasicConformer m(c);
    for (int i = 1; i <= c.get_size(); ++i) {
        CVECTOR p = c.get_vector(i);
        if (mirrored) p.x = -p.x;
        m.set_exyz(i, c.get_element(i), p.rotate(CVECTOR(1, 2, -0.5), 1.1) + CVECTOR(5, -3, 2));
    }
    return m;
}

// The atoms listed in another order: new atom k is old atom order[k - 1].
inline ::CBasicConformer renumbered(const ::CBasicConformer& c, const std::vector<int>& order) {
    ::CBasicConformer m(c.get_size());
    for (int k = 1; k <= c.get_size(); ++k) {
        const int old = order[static_cast<std::size_t>(k - 1)];
        m.set_exyz(k, c.get_element(old), c.get_vector(old));
    }
    return m;
}

// A fixed scrambling of 1..n: every seventh atom counted round (n not a multiple of 7).
inline std::vector<int> scrambled(int n) {
    std::vector<int> order;
    for (int k = 0; k < n; ++k) order.push_back((k * 7) % n + 1);
    return order;
}

}  // namespace support
