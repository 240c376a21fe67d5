#include "ConformerSupport.h"

#include <fstream>

using namespace confsearch;

namespace support {

CBasicConformer from_xyz(const std::string& text, int atoms) {
    TempDir dir;
    dir.write("m.xyz", text);
    CBasicConformer c(atoms);
    EXPECT_TRUE(c.read_xyz(dir.file("m.xyz")));
    return c;
}

CBasicConformer molecule(const std::string& name) {
    const std::string file = (test_data_dir() / "molecules" / (name + ".xyz")).string();
    std::ifstream in(file);
    int atoms = 0;
    in >> atoms;
    CBasicConformer c(atoms);
    EXPECT_TRUE(atoms > 0 && c.read_xyz(file)) << file;
    return c;
}

CBasicConformer conformer_of(const std::vector<Atom>& atoms) {
    CBasicConformer c(static_cast<int>(atoms.size()));
    for (std::size_t i = 0; i < atoms.size(); ++i)
        c.set_exyz(static_cast<int>(i) + 1, CELEMENT(atoms[i].number),
                   CVECTOR(atoms[i].x, atoms[i].y, atoms[i].z));
    return c;
}

CBasicConformer alkane(int n) {
    const double dx = 1.261;
    const double dy = 0.867;
    const auto carbon = [&](int k) { return CVECTOR(k * dx, k % 2 != 0 ? dy : 0.0, 0); };
    std::vector<Atom> atoms;
    for (int k = 0; k < n; ++k) atoms.push_back({6, carbon(k).x, carbon(k).y, 0});
    for (int k = 0; k < n; ++k) {
        const CVECTOR c = carbon(k);
        const double out = k % 2 == 0 ? -0.63 : 0.63;
        atoms.push_back({1, c.x, c.y + out, 0.89});
        atoms.push_back({1, c.x, c.y + out, -0.89});
    }
    for (const auto& [k, next] : {std::pair{0, -1}, std::pair{n - 1, n}}) {
        const CVECTOR h = carbon(k) + (carbon(next) - carbon(k)) * (1.09 / 1.53);
        atoms.push_back({1, h.x, h.y, 0});
    }
    return conformer_of(atoms);
}

void expect_same_geometry(const CBasicConformer& a, const CBasicConformer& b, double tol) {
    ASSERT_EQ(a.get_size(), b.get_size());
    for (int i = 1; i <= a.get_size(); ++i) {
        EXPECT_EQ(a.get_element(i).get_number(), b.get_element(i).get_number()) << i;
        EXPECT_NEAR(a.get_vector(i).distance(b.get_vector(i)), 0.0, tol) << i;
    }
}

}  // namespace support
