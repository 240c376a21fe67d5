// Between a Z-matrix and Cartesian coordinates: measuring the rows from coordinates,
// placing atoms from rows (all of them, or only those below one row of the bond tree),
// and the in-place edits of a torsion or a bond length.
#include "CMyMath/zmatrix.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "CMyMath/axes.h"

using namespace confsearch;

namespace {

using confsearch::FULL_TURN;
using confsearch::X_AXIS;
using confsearch::Y_AXIS;
using confsearch::Z_AXIS;

// The molecule's frame: a vector of the local frame, in which atom 1 sits at the origin
// and atom 2 on the z axis, turned about y by alfa and then about z by bata, so that the
// z axis points along the bond 1-2 at polar angle alfa and azimuth bata.
CVECTOR to_molecule_frame(const CVECTOR& v, double alfa, double bata) {
    return v.rotate(Y_AXIS, alfa).rotate(Z_AXIS, bata);
}

// The point x at bond from a, whose angle x-a-b (vertex a) and dihedral x-a-b-c come as
// cosine and sine: the point CVECTOR::p_forthpoint places, written out on plain numbers.
// With u = b - a and k = (b - c) x (a - c), the normal of the plane a, b, c pointing
// against u x (c - a), the unit frame is u / |u|, the in-plane direction towards c
// (u x k) / (|u| |k|) and the normal -k / |k|. Neither cross product waits for a length,
// the two lengths are taken side by side, and nothing is called per coordinate: a torsion
// step re-places every atom beyond the bond this way. Throws bond, like p_forthpoint,
// when c lies on the line a-b.
void place_fourth(CVECTOR& x, const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, double bond,
                  double cos_angle, double sin_angle, double cos_dihedral, double sin_dihedral) {
    // k is the cross product of CVECTOR::p_online's collinearity test, == 0 component-wise.
    const double bcx = b.x - c.x, bcy = b.y - c.y, bcz = b.z - c.z;
    const double acx = a.x - c.x, acy = a.y - c.y, acz = a.z - c.z;
    const double kx = bcy * acz - acy * bcz, ky = bcz * acx - acz * bcx, kz = bcx * acy - acx * bcy;
    if (std::fabs(kx) < DOUBLE_PRECISION && std::fabs(ky) < DOUBLE_PRECISION &&
        std::fabs(kz) < DOUBLE_PRECISION)
        throw bond;

    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double mx = uy * kz - uz * ky, my = uz * kx - ux * kz, mz = ux * ky - uy * kx;
    const double u_scale = 1 / std::sqrt(ux * ux + uy * uy + uz * uz);
    const double k_scale = 1 / std::sqrt(kx * kx + ky * ky + kz * kz);

    // Turning the in-plane direction back by the dihedral about u gives the half-plane
    // of x; the bond angle is laid off from u within it.
    const double off_axis = bond * sin_angle;
    const double along_u = bond * cos_angle * u_scale;
    const double toward_c = off_axis * cos_dihedral * u_scale * k_scale;
    const double along_k = off_axis * sin_dihedral * k_scale;
    x.x = a.x + along_u * ux + toward_c * mx + along_k * kx;
    x.y = a.y + along_u * uy + toward_c * my + along_k * ky;
    x.z = a.z + along_u * uz + toward_c * mz + along_k * kz;
}

}  // namespace

bool CZMATRIX::place_row(CCLUSTER& cluster, int i) const {
    const CZ_VECTOR& row = rows[i];
    if (i == 1) {
        cluster[1] = get_origin();
        return true;
    }
    if (i == 2) {
        const CVECTOR bond =
            to_molecule_frame(CVECTOR(0, 0, row.bond_length), get_alfa(), get_bata());
        cluster[2] = cluster[1] + bond;
        return true;
    }
    if (i == 3) {
        // In the local frame atom 2 lies at r12 on the z axis; the bond angle is the
        // angle at the atom that row 3 is bonded to.
        const double r12 = rows[2].bond_length;
        double z = 0.0;
        if (row.bond_ref == 1) {
            z = row.bond_length * std::cos(row.bond_angle);
        } else if (row.bond_ref == 2) {
            z = r12 - std::cos(row.bond_angle) * row.bond_length;
        } else {
            return false;
        }
        const CVECTOR local(row.bond_length * std::sin(row.bond_angle), 0, z);
        const CVECTOR bond_axis = cluster[2] - cluster[1];
        const CVECTOR turned =
            to_molecule_frame(local, get_alfa(), get_bata()).rotate(bond_axis, get_gama());
        cluster[3] = cluster[1] + turned;
        return true;
    }

    const RowTrig& t = trig[i];
    const bool angle_ready = t.angle == row.bond_angle;
    const bool dihedral_ready = t.dihedral == row.dihedral_angle;
    const double cos_angle = angle_ready ? t.cos_angle : std::cos(row.bond_angle);
    const double sin_angle = angle_ready ? t.sin_angle : std::sin(row.bond_angle);
    const double cos_dihedral = dihedral_ready ? t.cos_dihedral : std::cos(row.dihedral_angle);
    const double sin_dihedral = dihedral_ready ? t.sin_dihedral : std::sin(row.dihedral_angle);
    place_fourth(cluster[i], cluster[row.bond_ref], cluster[row.angle_ref],
                 cluster[row.dihedral_ref], row.bond_length, cos_angle, sin_angle, cos_dihedral,
                 sin_dihedral);
    return true;
}

void CZMATRIX::translate(CCLUSTER& cluster) const {
    if (cluster.get_size() != size || size == 0) throw size;
    if (!is_linked()) throw 0;
    for (int i = 1; i <= size; ++i) {
        if (!place_row(cluster, i)) throw size;
    }
}

bool CZMATRIX::quick_translate(CCLUSTER& cluster, int k) const {
    if (k > size || cluster.get_size() != size || size == 0) throw size;
    if (!is_linked()) throw 0;
    if (k < 0) return false;

    // The rows below k are re-placed in increasing row order, not parent before
    // children: a row's references are all earlier rows, but need not be placed before
    // it when the tree is walked downwards. The second child of atom 1 takes its
    // dihedral from the first child of atom 2, which a walk down from atom 1 reaches
    // only after it. Children have larger numbers than their parents, so one pass marks
    // the subtree. The cluster's size equals n, so n is at most MAX_CLUSTER_NUMBER.
    std::array<bool, MAX_CLUSTER_NUMBER + 1> below{};
    below[k] = true;
    for (int i = k + 1; i <= size; ++i) {
        if (!below[links[i][0]]) continue;
        below[i] = true;
        if (!place_row(cluster, i)) return false;
    }
    return true;
}

void CZMATRIX::combine_zmatrix(const CCLUSTER& cluster) {
    if (cluster.get_size() != size || size == 0) throw size;
    if (!is_linked()) throw 0;

    // The coordinates in Z-matrix order; the caller's cluster keeps its own order.
    CCLUSTER t(size);
    for (int i = 1; i <= size; ++i) t[i] = cluster[order[i]];

    set_origin(t[1]);
    if (size > 1) {
        const CVECTOR d = t[2] - t[1];
        const double alfa = Z_AXIS.angle(d);
        // A bond along the z axis has no azimuth: its projection is the zero vector and
        // angle gives pi/2, which translate applies to atom 3 as well.
        double bata = X_AXIS.angle(d.projection(Z_AXIS));
        if (d * Y_AXIS < 0) bata = FULL_TURN - bata;
        rows[2].bond_angle = alfa;
        rows[2].dihedral_angle = bata;

        if (size > 2) {
            // w is where atom 3 would be with gama = 0; gama is the turn about the bond
            // 1-2 that brings w onto atom 3. For atoms 1, 2, 3 nearly in line the
            // perpendicular part of e can round to a tiny negative square.
            const CVECTOR e = t[3] - t[1];
            const double h = e * d.normal();
            const CVECTOR w = to_molecule_frame(
                CVECTOR(std::sqrt(std::max(0.0, e * e - h * h)), 0, h), alfa, bata);
            double gama = e.projection(d).angle(w.projection(d));
            if ((w % e) * d < 0) gama = FULL_TURN - gama;
            rows[3].dihedral_angle = gama;
        }
        rows[2].bond_length = t[2].distance(t[rows[2].bond_ref]);
    }
    if (size > 2) {
        CZ_VECTOR& third = rows[3];
        third.bond_length = t[3].distance(t[third.bond_ref]);
        third.bond_angle = t[third.bond_ref].p_angle(t[3], t[third.angle_ref]);
    }
    for (int i = 4; i <= size; ++i) {
        CZ_VECTOR& row = rows[i];
        const CVECTOR& bonded = t[row.bond_ref];
        row.bond_length = t[i].distance(bonded);
        row.bond_angle = bonded.p_angle(t[i], t[row.angle_ref]);
        row.dihedral_angle = t[i].p_dihang(bonded, t[row.angle_ref], t[row.dihedral_ref]);
    }
    rows[0].bond_ref = 1;
    refresh_trig();
}

bool CZMATRIX::is_bond(int a, int b) const { return b >= 1 && b <= size && rows[b].bond_ref == a; }

bool CZMATRIX::rotate(int a, int b, double delta) {
    if (!is_bond(a, b)) return false;
    // Every other atom beyond b is placed relative to b's first child, so its dihedral
    // alone turns the whole far side. A bond to an atom without children turns nothing.
    const int c = links[b][1];
    if (c == 0) return true;
    double& dihedral = rows[c].dihedral_angle;
    dihedral += delta;
    if (dihedral >= FULL_TURN) {
        dihedral -= FULL_TURN;
    } else if (dihedral <= -FULL_TURN) {
        dihedral += FULL_TURN;
    }
    refresh_trig(c);
    return true;
}

bool CZMATRIX::librate(int a, int b, double delta) {
    if (!is_bond(a, b)) return false;
    rows[b].bond_length += delta;
    return true;
}
