// generate_conformers: the candidate conformers of a flexible molecule, one for every
// combination of positions of its rotatable bonds that does not clash, written as
// Gaussian input files (gjf, the default) or xyz files into a folder, as records of one
// collection file "xyz_collection" (collect), or only counted (test). The run is logged
// in "GenerateConformer.log".
//
//   generate_conformers xyz_file zmatrix_file freedom_file [mode [folder]]

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CConformer.h"
#include "cli.h"
#include "myfile.h"

namespace {

const char* const PROGRAM = "generate_conformers";
const char* const USAGE =
    "usage: generate_conformers xyz_file zmatrix_file freedom_file [gjf|xyz|collect|test "
    "[folder]]";

enum class Mode { gjf, xyz, collect, test };

struct Request {
    std::string geometry;
    std::string zmatrix;
    std::string freedom;
    Mode mode = Mode::gjf;
    bool folder_given = false;
    std::string folder;
};

cli::Failure failed(const std::string& why) { return cli::Failure{why, cli::EXIT_FAILED}; }

std::string fixed3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The atom count on the first line of an xyz file ("22" or "22  leucine"), read as the
// geometry reader reads it.
int atom_count(const std::string& file) {
    if (!readable_file(file)) throw failed("cannot read file: " + file);
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    std::istringstream words(line);
    int atoms = 0;
    if (!(words >> atoms) || atoms < 1 || atoms > MAX_CONFORMER_SIZE) {
        std::istringstream again(line);
        std::string first;
        again >> first;
        throw failed(file + ": the atom count on the first line must lie in 1.." +
                     std::to_string(MAX_CONFORMER_SIZE) + ", not \"" + first + "\"");
    }
    return atoms;
}

void warn_about_elements(const CBasicConformer& conformer, const std::string& file) {
    for (int i = 1; i <= conformer.get_size(); ++i)
        if (conformer.get_element(i).get_number() == 0)
            cli::warn(PROGRAM, file + ": atom " + std::to_string(i) +
                                   " has no known element symbol: its candidate lines "
                                   "carry none, and its bonding radius is 0");
}

// The geometry and the Z-matrix file, as the generator reads them; a refusal names the
// file and the cause.
void read_structure(CRotatableConformer& conformer, const Request& request) {
    const int atoms = conformer.get_size();
    if (!conformer.read_xyz(request.geometry))
        throw failed(request.geometry + ": not a geometry of " + std::to_string(atoms) +
                     " atoms: an atom line is missing or holds a field that is not a number");

    const std::string& file = request.zmatrix;
    ZmatrixFileStatus status;
    try {
        status = conformer.read_Zmatrix_file(file);
    } catch (double) {
        throw failed(file + ": the geometry of " + request.geometry +
                     " cannot be measured on this tree: two of its reference atoms coincide "
                     "or three lie on one line");
    } catch (int) {
        throw failed(file +
                     ": the link-matrix block is refused: an atom has more than three "
                     "atoms hanging on it in the tree");
    }
    switch (status.outcome) {
        case ZmatrixFileStatus::read: return;
        case ZmatrixFileStatus::cannot_open: throw failed("cannot read file: " + file);
        case ZmatrixFileStatus::other_size:
            if (status.atoms == 0) throw failed(file + ": the first line holds no atom count");
            throw failed(file + ": a Z-matrix of " + std::to_string(status.atoms) + " atoms, but " +
                         request.geometry + " holds " + std::to_string(atoms));
        case ZmatrixFileStatus::links_refused:
            throw failed(file +
                         ": the link-matrix block is refused: a row line is missing or short, "
                         "an atom number lies outside 1.." +
                         std::to_string(atoms) +
                         " or is given twice, or a reference does not follow the bond tree");
        case ZmatrixFileStatus::contacts_unreadable:
            throw failed(file +
                         ": the contact pairs after the link-matrix block cannot all be "
                         "read");
    }
}

// The freedom file checked against the Z-matrix of conformer, without a generator.
void check_freedom_file(const CRotatableConformer& conformer, const Request& request) {
    const std::string& file = request.freedom;
    if (!readable_file(file)) throw failed("cannot read file: " + file);
    std::ifstream in(file);
    std::vector<CRotatableBond> bonds;
    const FreedomFileStatus status = read_freedom_list(in, conformer, bonds);
    const std::string entry = file + ": bond entry " + std::to_string(status.entry);
    const std::string bond = " (" + std::to_string(status.a) + "-" + std::to_string(status.b) +
                             " " + std::to_string(status.steps) + ")";
    switch (status.outcome) {
        case FreedomFileStatus::read: return;
        case FreedomFileStatus::bad_count:
            throw failed(file + ": the count of rotatable bonds must lie in 1.." +
                         std::to_string(MAX_FREEDOM_NUMBER) +
                         (status.count != 0 ? ", not " + std::to_string(status.count) : ""));
        case FreedomFileStatus::unreadable_entry:
            throw failed(entry +
                         " is not \"a-b steps\": two atom numbers joined by one "
                         "character, then the number of steps");
        case FreedomFileStatus::atom_out_of_range:
            throw failed(entry + bond + " names an atom outside 1.." +
                         std::to_string(conformer.get_size()));
        case FreedomFileStatus::not_a_bond:
            throw failed(entry + bond + ": atoms " + std::to_string(status.a) + " and " +
                         std::to_string(status.b) + " are not bonded in the tree of " +
                         request.zmatrix);
        case FreedomFileStatus::bad_steps:
            throw failed(entry + bond + ": the steps must lie in 1.." +
                         std::to_string(MAX_FREEDOM));
    }
}

// The mode word, or false for one that is not a mode.
bool parse_mode(const std::string& word, Mode& mode) {
    const std::pair<const char*, Mode> modes[] = {
        {"gjf", Mode::gjf}, {"xyz", Mode::xyz}, {"collect", Mode::collect}, {"test", Mode::test}};
    for (const auto& [name, value] : modes) {
        if (word != name) continue;
        mode = value;
        return true;
    }
    return false;
}

void run_mode(CGenerateConformer& generator, Mode mode) {
    try {
        switch (mode) {
            case Mode::gjf: generator.generate(); break;
            case Mode::xyz: generator.generate_xyz(); break;
            case Mode::collect: generator.collect_xyz(); break;
            case Mode::test: generator.generate_test(); break;
        }
    } catch (double) {
        throw failed("the run stopped: a turned geometry put three reference atoms on one line");
    } catch (int value) {
        throw failed("the run stopped on an atom or row number out of range (" +
                     std::to_string(value) + ")");
    }
}

// The outcome of the run, once its own output is complete.
void check_outcome(const CGenerateConformer& generator, const Request& request,
                   const Clash& input_clash) {
    const CRunHeader& header = generator.get_header();
    if (input_clash.first != 0) {
        const CZMATRIX& zmatrix = generator.get_zmatrix();
        const auto atom = [&](int i) {
            return std::to_string(zmatrix.get_order(i)) + " (" +
                   generator.get_element(i).get_symbol() + ")";
        };
        throw failed(request.geometry + ": the input geometry clashes: atoms " +
                     atom(input_clash.first) + " and " + atom(input_clash.second) + " are " +
                     fixed3(input_clash.distance) + " angstrom apart, within their bonding " +
                     "distance of " + fixed3(input_clash.bonding_distance) +
                     "; nothing was generated");
    }
    if (generator.get_unwritten() != 0) {
        const std::string where =
            request.mode == Mode::collect
                ? " candidate records could not be written to " + CANDIDATE_COLLECTION_FILE
                : " candidate files could not be written into " + generator.get_folder();
        throw failed(std::to_string(generator.get_unwritten()) + " of " +
                     std::to_string(header.generated) + where);
    }
    if (header.generated == 0)
        throw failed("no candidate: every one of the " + std::to_string(header.total) +
                     " combinations clashes, and no side correction frees it");
}

int run(int argc, char* argv[]) {
    if (argc < 4 || argc > 6) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    Request request;
    request.geometry = argv[1];
    request.zmatrix = argv[2];
    request.freedom = argv[3];
    if (argc > 4 && !parse_mode(argv[4], request.mode)) {
        std::cerr << PROGRAM << ": unknown mode \"" << argv[4] << "\": gjf, xyz, collect or test\n"
                  << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    request.folder_given = argc > 5;
    if (request.folder_given) request.folder = argv[5];
    const int atoms = atom_count(request.geometry);

    // Every input is checked before the generator opens (and empties) its log.
    CRotatableConformer probe(atoms);
    read_structure(probe, request);
    check_freedom_file(probe, request);
    warn_about_elements(probe, request.geometry);
    const Clash input_clash = probe.first_clash();
    // The run would create the collection file anyway; one that cannot be is known now.
    if (request.mode == Mode::collect && !std::ofstream(CANDIDATE_COLLECTION_FILE, std::ios::app))
        throw failed("cannot create file: " + CANDIDATE_COLLECTION_FILE);

    CGenerateConformer generator = [&] {
        try {
            return CGenerateConformer(atoms);
        } catch (int) {
            throw failed("cannot create the run log GenerateConformer.log");
        }
    }();
    read_structure(generator, request);
    if (!generator.read_freedom(request.freedom))
        throw failed(request.freedom + ": refused when read a second time (changed meanwhile?)");
    if (request.folder_given) generator.set_path(request.folder);

    run_mode(generator, request.mode);
    check_outcome(generator, request, input_clash);
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) { return cli::run_main(PROGRAM, run, argc, argv); }
