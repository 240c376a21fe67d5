#include "GeneratorSupport.h"

#include <cmath>
#include <sstream>

using namespace confsearch;

namespace support {

std::string xyz_text(const TreeMolecule& m) {
    std::ostringstream text;
    text.precision(17);
    text << m.atoms.size() << "\ntest molecule\n";
    for (const TreeAtom& a : m.atoms)
        text << a.symbol << ' ' << a.at.x << ' ' << a.at.y << ' ' << a.at.z << '\n';
    return text.str();
}

std::string zmatrix_text(const TreeMolecule& m) {
    const int n = static_cast<int>(m.atoms.size());
    std::vector<int> rows = m.rows;
    if (rows.empty())
        for (int i = 1; i <= n; ++i) rows.push_back(i);
    CZMATRIX z(n);
    for (int i = 1; i <= n; ++i) {
        z.set_order(i, rows[i - 1]);
        z[i].bond_ref = m.atoms[rows[i - 1] - 1].parent;
    }
    EXPECT_TRUE(z.standardize_linkrelation()) << "the test tree is refused";

    std::ostringstream text;
    text << n << '\n';
    for (int i = 1; i <= n; ++i) {
        text << z.get_order(i);
        const int refs[] = {z[i].bond_ref, z[i].angle_ref, z[i].dihedral_ref};
        for (int k = 0; k < 3 && k < i - 1; ++k) text << ' ' << z.get_order(refs[k]);
        text << '\n';
    }
    text << "----\n" << m.contacts.size() << '\n';
    for (const auto& c : m.contacts) text << c[0] << ' ' << c[1] << '\n';
    return text.str();
}

void load(CRotatableConformer& conformer, const TreeMolecule& m, const TempDir& dir) {
    dir.write("m.xyz", xyz_text(m));
    dir.write("m.zmat", zmatrix_text(m));
    ASSERT_TRUE(conformer.read_xyz(dir.file("m.xyz")));
    ASSERT_TRUE(conformer.read_Zmatrix(dir.file("m.zmat")));
}

TreeMolecule dial(const std::vector<double>& blockers) {
    TreeMolecule m;
    m.atoms = {{"C", {1.0, 0, -2.5}, 0},
               {"C", {0, 0, -1.5}, 1},
               {"C", {0, 0, 0}, 2},
               {"H", {2, 0, 0}, 3},
               {"H", {2.334, 0, 0.943}, 4}};
    for (std::size_t k = 0; k < blockers.size(); ++k) {
        const double t = blockers[k] * PI / 180;
        m.atoms.push_back({"H", {2 * std::cos(t), 2 * std::sin(t), 0}, k < 2 ? 2 : 1});
    }
    return m;
}

double dial_angle(const CVECTOR& d) {
    const double degrees = std::atan2(d.y, d.x) * 180 / PI;
    return degrees < -1e-9 ? degrees + 360 : degrees;
}

std::string freedom_text(const std::vector<std::array<int, 3>>& bonds) {
    std::ostringstream text;
    text << bonds.size() << '\n';
    for (const auto& b : bonds) text << b[0] << '-' << b[1] << ' ' << b[2] << '\n';
    return text.str();
}

std::vector<CollectedCandidate> read_collection(const std::string& text, int atoms) {
    std::vector<CollectedCandidate> records;
    std::istringstream in(text);
    std::string label;
    while (in >> label) {
        CollectedCandidate record;
        EXPECT_EQ(label.substr(0, 5), "NAME_");
        record.serial = std::stoi(label.substr(5));
        in >> record.name;
        record.symbols.resize(1);
        record.points.resize(1);
        for (int i = 1; i <= atoms; ++i) {
            std::string symbol;
            CVECTOR p;
            in >> symbol >> p.x >> p.y >> p.z;
            record.symbols.push_back(symbol);
            record.points.push_back(p);
        }
        std::string end;
        in >> end;
        EXPECT_EQ(end, std::string(45, '-')) << "record " << record.serial;
        if (!in) {
            ADD_FAILURE() << "record " << record.serial << " is cut short";
            break;
        }
        records.push_back(record);
    }
    return records;
}

}  // namespace support
