// Writers of realistic test files: Gaussian optimisation outputs, result records and
// collection blocks, and the molecules they hold. Shared by the tests and the benchmarks.
#pragma once

#include <string>
#include <vector>

namespace support {

// One atom of a geometry table: atomic number and position in angstrom.
struct Atom {
    int number;
    double x;
    double y;
    double z;
};

// What a written Gaussian optimisation output holds. Every file carries the decoys of a
// real output: "IROHF=0." in the SCF set-up and "Dipole        =" in the force output.
struct GaussianOutput {
    // One geometry per optimisation step; the last is the final one.
    std::vector<std::vector<Atom>> steps;
    std::string energy = "-154.9876543";  // text after "HF=" in the archive
    std::string dipole = "0.1,-0.2,0.3";  // text after "Dipole=" in the archive
    bool archive = true;                  // false: the job was killed before its archive
    bool crlf = false;                    // Windows line ends throughout
    // Which orientation tables each step prints. A job run with nosym prints only
    // "Input orientation:"; most print both, the input one first.
    enum Orientation { standard_only, input_and_standard, input_only };
    Orientation orientation = standard_only;
    // The job's title and formula as the archive names them.
    std::string title = "conformer";
    std::string formula = "C2H6O1";
    // Everything a real job prints after its final geometry before the archive:
    // orbital energies, Mulliken charges, the dipole moment in debye.
    bool population_analysis = false;
    // Archive entries after "HF=", as a post-HF job writes them: "MP2=-75.0022821".
    std::string post_hf{};
    // A frequency job's thermochemistry before the archive when free_energy is not
    // empty: these sums, then force_constant_lines lines of force constants (about 75
    // bytes each) between them and the archive.
    std::string enthalpy{};
    std::string free_energy{};
    int force_constant_lines = 0;
};

// The text of such a file; the archive block is wrapped at 70 columns with a leading
// blank on every line, as Gaussian writes it.
std::string gaussian_output(const GaussianOutput& output);

// The thermochemistry of a frequency job with these two sums, as Gaussian prints it:
//  Sum of electronic and thermal Enthalpies=            -517.656256
//  Sum of electronic and thermal Free Energies=         -517.707550
std::string thermochemistry(const std::string& enthalpy, const std::string& free_energy);

// One orientation table as Gaussian prints it, under the given title
// ("Standard orientation:" or "Input orientation:").
std::string orientation_table(const std::string& title, const std::vector<Atom>& atoms);

// Anti ethanol with its atoms numbered C C O H(O) H H H H H (methyl hydrogens 7-9).
std::vector<Atom> ethanol();
// Hexanoic acid, C6H12O2 (20 atoms): the carbon chain as a zigzag in the xy plane, the
// carboxyl oxygens (atoms 7, 8) at its end, then the hydrogens.
std::vector<Atom> hexanoic_acid();
// Ethanol with its OH turned from anti to gauche: another conformer.
std::vector<Atom> gauche_ethanol();
// Every atom turned about an oblique axis by angle (radians) and shifted.
std::vector<Atom> turned(std::vector<Atom> atoms, double angle);

// The text of one result record as collect_records copies it: from the blank before the
// record name through the line after the atoms, e.g.
//      conf01.log opt
//      B3LYP/6-31G(d)
//     HF=-154.98
//      SCF
//     Dipole= 0.1 0.2 0.2
//      Standard orientation
//      ----
//     C -1.1685 -0.3884 0
//     ...
//      ----
// A collection block is COLLECTION_LABEL + "<n>:" + body + COLLECTION_SEPARATOR + "\n";
// a record file holds "<head word>" + body + "@\n".
std::string record_body(const std::string& name, const std::string& energy,
                        const std::string& dipole, const std::vector<Atom>& atoms);
std::string collection_block(int label, const std::string& body);

}  // namespace support
