#include "GaussianFixtures.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "COutFile.h"

using namespace confsearch;

namespace support {

namespace {

const std::string RULE = " " + std::string(69, '-') + "\n";

const char* symbol_of(int number) {
    switch (number) {
        case 1: return "H";
        case 6: return "C";
        case 7: return "N";
        case 8: return "O";
        default: return "X";
    }
}

// The SCF of one step with its "IROHF=0." decoy, the forces with their "Dipole        ="
// decoy, and the convergence test.
std::string step_tail(const GaussianOutput& output, const std::vector<Atom>& atoms) {
    std::string text =
        " Standard basis: 6-31G(d) (6D, 7F)\n"
        " Copying SCF densities to generalized density rwf, IOpCl= 0 IROHF=0.\n"
        " Requested convergence on RMS density matrix=1.00D-08 within 128 cycles.\n"
        " SCF Done:  E(RB3LYP) =  " +
        output.energy +
        "00     A.U. after   10 cycles\n"
        "            NFock=  9  Conv=0.37D-08     -V/T= 2.0089\n" +
        RULE.substr(0, 68) +
        "\n"
        " Center     Atomic                   Forces (Hartrees/Bohr)\n"
        " Number     Number              X              Y              Z\n" +
        RULE.substr(0, 68) + "\n";
    char line[128];
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        const double d = static_cast<double>(i);
        std::snprintf(line, sizeof line, " %6zu %8d      %14.9f %14.9f %14.9f\n", i + 1,
                      atoms[i].number, 1e-4 * std::sin(d), 1e-4 * std::cos(2.0 * d),
                      1e-5 * std::sin(3.0 * d));
        text += line;
    }
    text += RULE.substr(0, 68) +
            "\n"
            " Cartesian Forces:  Max     0.000456789 RMS     0.000123456\n"
            " Dipole        = 1.23456789D-01-2.34567890D-01 3.45678901D-02\n"
            "         Item               Value     Threshold  Converged?\n"
            " Maximum Force            0.000457     0.000450     NO \n"
            " RMS     Force            0.000123     0.000300     YES\n";
    return text;
}

std::string population_analysis(const std::vector<Atom>& atoms) {
    char line[160];
    std::string text =
        " Rotational constants (GHZ):      5.7264911      0.8849402      0.7966130\n"
        " **********************************************************************\n"
        "            Population analysis using the SCF Density.\n"
        " **********************************************************************\n"
        " Orbital symmetries:\n";
    for (int i = 0; i < 30; ++i) text += "       (A) (A) (A) (A) (A) (A) (A) (A) (A) (A)\n";
    text += " The electronic state is 1-A.\n";
    for (int i = 0; i < 7; ++i) {
        std::snprintf(line, sizeof line,
                      " Alpha  occ. eigenvalues -- %10.5f%10.5f%10.5f%10.5f%10.5f\n", -19.2 + i,
                      -19.1 + i, -10.3 + i, -10.2 + 0.5 * i, -1.1 + 0.1 * i);
        text += line;
    }
    for (int i = 0; i < 20; ++i) {
        std::snprintf(line, sizeof line,
                      " Alpha virt. eigenvalues -- %10.5f%10.5f%10.5f%10.5f%10.5f\n", 0.01 + i,
                      0.05 + i, 0.08 + i, 0.11 + i, 0.13 + i);
        text += line;
    }
    text += "          Condensed to atoms (all electrons):\n";
    for (int block = 0; block < 4; ++block) {
        text += "              1          2          3          4          5          6\n";
        for (std::size_t i = 0; i < atoms.size(); ++i) {
            const double d = static_cast<double>(i);
            std::snprintf(line, sizeof line,
                          " %4zu  %s   %10.6f %10.6f %10.6f %10.6f %10.6f %10.6f\n", i + 1,
                          symbol_of(atoms[i].number), 0.3 * std::sin(d + block), 0.01 * d,
                          -0.02 * block, 0.001 * d, 0.3 * std::cos(d), 0.0);
            text += line;
        }
    }
    text += " Mulliken charges:\n               1\n";
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        std::snprintf(line, sizeof line, " %5zu  %s   %10.6f\n", i + 1, symbol_of(atoms[i].number),
                      0.2 * std::sin(static_cast<double>(i)));
        text += line;
    }
    text +=
        " Sum of Mulliken charges =   0.00000\n"
        " Electronic spatial extent (au):  <R**2>=           1856.4321\n"
        " Charge=              0.0000 electrons\n"
        " Dipole moment (field-independent basis, Debye):\n"
        "    X=              1.0481    Y=             -1.8390    Z=              0.2573"
        "  Tot=              2.1323\n"
        " Quadrupole moment (field-independent basis, Debye-Ang):\n"
        "   XX=            -45.1234   YY=            -48.2345   ZZ=            -52.3456\n"
        " N-N= 3.912345678901D+02 E-N=-1.612345678901D+03  KE= 3.831234567890D+02\n";
    return text;
}

std::string archive_block(const GaussianOutput& output) {
    std::string entries = "1\\1\\GINC-NODE7\\FOpt\\RB3LYP\\6-31G(d)\\" + output.formula +
                          "\\TESTER\\08-Dec-2026\\0\\\\#p b3lyp/6-31g(d) opt\\\\" + output.title +
                          "\\\\0,1";
    char field[96];
    for (const Atom& a : output.steps.back()) {
        std::snprintf(field, sizeof field, "\\%s,%.10f,%.10f,%.10f", symbol_of(a.number), a.x, a.y,
                      a.z);
        entries += field;
    }
    entries += "\\\\Version=ES64L-G16RevC.01\\State=1-A\\HF=" + output.energy +
               (output.post_hf.empty() ? "" : "\\" + output.post_hf) +
               "\\RMSD=3.412e-09\\RMSF=2.118e-05\\Dipole=" + output.dipole +
               "\\Quadrupole=-1.2,0.8,0.4,0.1,0.,0.\\PG=C01 [X(" + output.formula + ")]\\\\@";
    std::string text;
    for (std::size_t at = 0; at < entries.size(); at += 70)
        text += " " + entries.substr(at, 70) + "\n";
    return text;
}

// Lines of "Force constants in Cartesian coordinates", which a frequency job prints after
// its thermochemistry.
std::string force_constants(int lines) {
    std::string text = " Force constants in Cartesian coordinates: \n";
    char line[96];
    for (int i = 0; i < lines; ++i) {
        const double d = static_cast<double>(i);
        std::snprintf(line, sizeof line, " %6d  %13.6E %13.6E %13.6E %13.6E %13.6E\n", i + 1,
                      0.5 * std::sin(d), 0.1 * std::cos(d), -0.02 * std::sin(2 * d), 1e-3 * d, 0.3);
        text += line;
    }
    return text;
}

}  // namespace

std::string thermochemistry(const std::string& enthalpy, const std::string& free_energy) {
    return " Zero-point correction=                           0.206534 (Hartree/Particle)\n"
           " Thermal correction to Energy=                    0.217965\n"
           " Thermal correction to Enthalpy=                  0.218909\n"
           " Thermal correction to Gibbs Free Energy=         0.167615\n"
           " Sum of electronic and zero-point Energies=           -517.668631\n"
           " Sum of electronic and thermal Energies=              -517.657200\n"
           " Sum of electronic and thermal Enthalpies=            " +
           enthalpy +
           "\n"
           " Sum of electronic and thermal Free Energies=         " +
           free_energy + "\n \n";
}

std::string orientation_table(const std::string& title, const std::vector<Atom>& atoms) {
    std::string text = std::string(25, ' ') + title + std::string(25, ' ') + "\n" + RULE +
                       " Center     Atomic      Atomic             Coordinates (Angstroms)\n"
                       " Number     Number       Type             X           Y           Z\n" +
                       RULE;
    char line[128];
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        std::snprintf(line, sizeof line, " %6zu %10d %11d %15.6f %11.6f %11.6f\n", i + 1,
                      atoms[i].number, 0, atoms[i].x, atoms[i].y, atoms[i].z);
        text += line;
    }
    return text + RULE;
}

std::string gaussian_output(const GaussianOutput& output) {
    std::string text =
        " Entering Gaussian System, Link 0=g16\n"
        " #p b3lyp/6-31g(d) opt\n"
        " " +
        output.title +
        "\n"
        " Charge =  0 Multiplicity = 1\n";
    for (const auto& step : output.steps) {
        text += " Berny optimization.\n";
        if (output.orientation != GaussianOutput::standard_only)
            text += orientation_table("Input orientation:", step);
        if (output.orientation != GaussianOutput::input_only)
            text += orientation_table("Standard orientation:", step);
        text += step_tail(output, step);
    }
    if (output.archive) {
        text += " Optimization completed.\n";
        // A finished optimisation prints its final geometry once more before the
        // analysis, as the last orientation tables of the file.
        if (output.population_analysis && !output.steps.empty()) {
            text += "    -- Stationary point found.\n";
            if (output.orientation != GaussianOutput::standard_only)
                text += orientation_table("Input orientation:", output.steps.back());
            if (output.orientation != GaussianOutput::input_only)
                text += orientation_table("Standard orientation:", output.steps.back());
            text += population_analysis(output.steps.back());
        }
        if (!output.free_energy.empty())
            text += thermochemistry(output.enthalpy, output.free_energy) +
                    force_constants(output.force_constant_lines);
        text += archive_block(output);
        text += "\n\n AN EXPERT IS ONE WHO KNOWS MORE AND MORE ABOUT LESS AND LESS.\n";
        text += " Job cpu time:       0 days  1 hours 12 minutes 34.5 seconds.\n";
        text += " Normal termination of Gaussian 16 at Tue Dec  8 19:05:54 2026.\n";
    }
    if (!output.crlf) return text;
    std::string windows;
    for (const char c : text) {
        if (c == '\n') windows += '\r';
        windows += c;
    }
    return windows;
}

std::vector<Atom> hexanoic_acid() {
    std::vector<Atom> atoms;
    for (int i = 0; i < 6; ++i) atoms.push_back({6, 1.26 * i, i % 2 == 0 ? -0.435 : 0.435, 0.0});
    const Atom c6 = atoms[5];
    atoms.push_back({8, c6.x + 0.60, c6.y + 1.05, 0.0});  // C=O
    atoms.push_back({8, c6.x + 0.75, c6.y - 1.00, 0.0});  // C-OH
    const Atom c1 = atoms[0];
    atoms.push_back({1, c1.x - 1.02, c1.y - 0.10, 0.0});
    atoms.push_back({1, c1.x + 0.05, c1.y - 0.63, 0.89});
    atoms.push_back({1, c1.x + 0.05, c1.y - 0.63, -0.89});
    for (int i = 1; i <= 4; ++i) {
        const Atom c = atoms[static_cast<std::size_t>(i)];
        const double out = c.y > 0 ? 0.63 : -0.63;
        atoms.push_back({1, c.x, c.y + out, 0.89});
        atoms.push_back({1, c.x, c.y + out, -0.89});
    }
    const Atom o = atoms[7];
    atoms.push_back({1, o.x + 0.97, o.y - 0.05, 0.0});
    return atoms;
}

std::vector<Atom> ethanol() {
    return {
        {6, -1.1685, -0.3884, 0.0}, {6, 0.0142, 0.5560, 0.0},      {8, 1.1849, -0.2540, 0.0},
        {1, 1.9492, 0.3350, 0.0},   {1, -0.0196, 1.2026, 0.8830},  {1, -0.0196, 1.2026, -0.8830},
        {1, -2.1024, 0.1754, 0.0},  {1, -1.1372, -1.0317, 0.8847}, {1, -1.1372, -1.0317, -0.8847}};
}

std::vector<Atom> gauche_ethanol() {
    auto atoms = ethanol();
    atoms[3] = {1, 1.5840, -0.4390, 0.8560};
    return atoms;
}

std::vector<Atom> turned(std::vector<Atom> atoms, double angle) {
    // Rodrigues' rotation about the unit axis (2, -1, 2) / 3, then a shift.
    const double n[3] = {2.0 / 3, -1.0 / 3, 2.0 / 3};
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (Atom& a : atoms) {
        const double v[3] = {a.x, a.y, a.z};
        const double dot = n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
        const double cross[3] = {n[1] * v[2] - n[2] * v[1], n[2] * v[0] - n[0] * v[2],
                                 n[0] * v[1] - n[1] * v[0]};
        a.x = v[0] * c + cross[0] * s + n[0] * dot * (1 - c) + 3.0;
        a.y = v[1] * c + cross[1] * s + n[1] * dot * (1 - c) - 1.5;
        a.z = v[2] * c + cross[2] * s + n[2] * dot * (1 - c) + 0.25;
    }
    return atoms;
}

std::string record_body(const std::string& name, const std::string& energy,
                        const std::string& dipole, const std::vector<Atom>& atoms) {
    std::ostringstream text;
    text << " " << name << " opt\n B3LYP/6-31G(d)\nHF=" << energy << "\n SCF\nDipole= " << dipole
         << "\n Standard orientation\n ----\n";
    for (const Atom& a : atoms)
        text << symbol_of(a.number) << " " << a.x << " " << a.y << " " << a.z << "\n";
    text << " ----\n";
    return text.str();
}

std::string collection_block(int label, const std::string& body) {
    return COLLECTION_LABEL + std::to_string(label) + ":" + body + COLLECTION_SEPARATOR + "\n";
}

}  // namespace support
