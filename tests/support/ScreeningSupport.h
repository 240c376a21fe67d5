// Candidates for the tests of the screening: butane turned about its central bond, and
// multi-structure xyz files whose comment lines tell the stand-in xtb what to do.
#pragma once

#include <gtest/gtest.h>
#include "CSearch.h"

#include "TestSupport.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace screening_support {

// Butane (tests/data/molecules/butane.xyz, anti) with the C3 end (its hydrogens, C4 and
// C4's) turned about the C2-C3 bond by `degrees`: 120 gives gauche, 240 its mirror image.
inline confsearch::XyzGeometry butane(double degrees) {
    confsearch::XyzGeometry geometry;
    const auto file = support::test_data_dir() / "molecules" / "butane.xyz";
    const confsearch::ReadError error = confsearch::read_xyz_geometry(file.string(), geometry);
    EXPECT_TRUE(error.ok()) << error.message(file.string());
    const CVECTOR origin = geometry.positions[2];
    const CVECTOR axis = (geometry.positions[2] - geometry.positions[1]).normal();
    const double turn = degrees * std::acos(-1.0) / 180.0;
    // Rodrigues' rotation of each moving atom about the axis through C3.
    for (const std::size_t atom : {3u, 9u, 10u, 11u, 12u, 13u}) {
        const CVECTOR v = geometry.positions[atom] - origin;
        const double along = axis.x * v.x + axis.y * v.y + axis.z * v.z;
        const CVECTOR cross(axis.y * v.z - axis.z * v.y, axis.z * v.x - axis.x * v.z,
                            axis.x * v.y - axis.y * v.x);
        geometry.positions[atom] = origin + v * std::cos(turn) + cross * std::sin(turn) +
                                   axis * (along * (1 - std::cos(turn)));
    }
    geometry.comment.clear();
    return geometry;
}

// A multi-structure xyz text: each geometry with its comment line.
inline std::string frames(
    const std::vector<std::pair<confsearch::XyzGeometry, std::string>>& list) {
    std::string text;
    for (const auto& [geometry, comment] : list) {
        text += std::to_string(geometry.symbols.size()) + "\n" + comment + "\n";
        for (std::size_t i = 0; i < geometry.symbols.size(); ++i) {
            char line[128];
            const CVECTOR& p = geometry.positions[i];
            std::snprintf(line, sizeof line, "%s %.6f %.6f %.6f\n", geometry.symbols[i].c_str(),
                          p.x, p.y, p.z);
            text += line;
        }
    }
    return text;
}

// The comment line that makes the stand-in xtb behave as mode, with the energy it gives
// a success (hartree).
inline std::string fake(const std::string& mode, const std::string& energy = "") {
    return "fake_xtb: " + mode + (energy.empty() ? "" : " energy=" + energy);
}

}  // namespace screening_support
