// generate_conformers: the candidate conformers of a flexible molecule, one for every
// combination of positions of its rotatable bonds that does not clash.
//
//   generate_conformers [options] xyz_file [mode [folder]]
//   generate_conformers xyz_file zmatrix_file freedom_file [mode [folder]]
//
// From one xyz file the bonds are perceived, the Z-matrix and freedom files written into
// the working directory as <stem>.zmat and <stem>.freedom, where the chemist can read and
// edit them, and the candidates written in the input's atom order under the molecule's
// name (one_file_form.h). With three files the generator runs them as written: Gaussian
// input files (gjf, the default) or xyz files into a folder, records of one collection
// file "xyz_collection" (collect), or only counted (test), logged in
// "GenerateConformer.log".

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CConformer.h"
#include "cli.h"
#include "myfile.h"
#include "one_file_form.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "generate_conformers";
const char* const USAGE =
    "usage: generate_conformers [--steps N] [--dry-run] xyz_file [gjf|xyz|collect|test "
    "[folder]]\n"
    "       generate_conformers xyz_file zmatrix_file freedom_file [gjf|xyz|collect|test "
    "[folder]]";

// The help: what both forms do, the options of the one-file form, then the three-file
// form's own choices.
const std::string DESCRIPTION =
    std::string(
        "Writes the candidate conformers of a flexible molecule: every combination of the\n"
        "positions of its rotatable bonds that does not clash, as input files (gjf, the\n"
        "default), xyz files (xyz), collection records (collect), or only counted (test).\n"
        "\n"
        "From one xyz file the bonds are perceived and turned as a chemist would (amides\n"
        "and esters kept, a symmetric side turned only until it repeats), <stem>.zmat and\n"
        "<stem>.freedom are written into the working directory, candidates with atoms\n"
        "within 0.7 of their van der Waals radii are corrected or skipped, and the others\n"
        "are written in the input's atom order as <stem>_0001.gjf ... into folder\n"
        "(<stem>_candidates), or as records of <stem>_collection.txt; the run is logged\n"
        "in <stem>_candidates.log, its progress goes to standard error. The options, for\n"
        "one xyz file only:\n"
        "\n") +
    one_file::HELP_LINES + inputs::HELP_LINES +
    "  -h, --help        print this help\n"
    "\n"
    "With three files the Z-matrix and freedom files are run as written: Gaussian inputs\n"
    "(gjf) or xyz files in folder (GaussionFiles), records of xyz_collection (collect),\n"
    "the run logged in GenerateConformer.log.\n";
const cli::Help HELP = {USAGE, DESCRIPTION.c_str()};

enum class Mode { gjf, xyz, collect, test };

struct Request {
    std::string geometry;
    std::string zmatrix;
    std::string freedom;
    Mode mode = Mode::gjf;
    bool folder_given = false;
    std::string folder;
    // The one-file form: zmatrix and freedom are derived from the geometry.
    bool one_file = false;
};

cli::Failure failed(const std::string& why) { return cli::Failure{why, cli::EXIT_FAILED}; }

std::string fixed3(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

void warn_about_elements(const CBasicConformer& conformer, const std::string& file) {
    for (int i = 1; i <= conformer.get_size(); ++i)
        if (conformer.get_element(i).get_number() == 0)
            cli::warn(PROGRAM, file + ": atom " + std::to_string(i) +
                                   " has no known element symbol: its candidate lines "
                                   "carry none, and its bonding radius is 0");
}

// The geometry of an xyz file; refused with the file and the fault.
void read_geometry(CBasicConformer& conformer, const std::string& file) {
    const ReadError error = read_xyz_file(file, conformer);
    if (error.ok()) return;
    if (!readable_file(file)) throw failed("cannot read file: " + file);
    throw failed(file + ": " + error.what);
}

// The geometry read and the Z-matrix file, as the generator reads them; a refusal names
// the file and the cause.
void read_structure(CRotatableConformer& conformer, const Request& request,
                    const CBasicConformer& geometry) {
    const int atoms = conformer.get_size();
    for (int i = 1; i <= atoms; ++i)
        conformer.set_exyz(i, geometry.get_element(i), geometry.get_vector(i));

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
        case ZmatrixFileStatus::none: return;
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
        case FreedomFileStatus::none: return;
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

// The mode a word names; none for a word that is not a mode.
std::optional<Mode> mode_of(const std::string& word) {
    const std::pair<const char*, Mode> modes[] = {
        {"gjf", Mode::gjf}, {"xyz", Mode::xyz}, {"collect", Mode::collect}, {"test", Mode::test}};
    for (const auto& [name, mode] : modes)
        if (word == name) return mode;
    return std::nullopt;
}

// One xyz file when it stands alone or a mode word follows it; else the three files.
bool one_file_form(const std::vector<std::string>& args) {
    return args.size() == 1 || (args.size() > 1 && mode_of(args[1]));
}

// The arguments after the options, one_file_form's choice made: the files, then the
// mode and the folder.
Request read_request(const cli::Options& options, const std::vector<std::string>& args) {
    Request request;
    request.geometry = args[0];
    request.one_file = one_file_form(args);
    std::size_t next = 1;
    if (!request.one_file && args.size() >= 3) {
        request.zmatrix = args[1];
        request.freedom = args[2];
        next = 3;
    }
    if (next < args.size()) {
        const std::optional<Mode> mode = mode_of(args[next]);
        if (!mode)
            throw cli::Failure{"unknown mode \"" + args[next] + "\": gjf, xyz, collect or test",
                               cli::EXIT_REFUSED, USAGE};
        request.mode = *mode;
    }
    request.folder_given = next + 1 < args.size();
    if (request.folder_given) request.folder = args[next + 1];

    for (const cli::Option& option : one_file::options())
        if (!request.one_file && options.has(option))
            throw cli::Failure{option.name +
                                   " goes with one xyz file only: the three-file form runs its "
                                   "freedom file as written",
                               cli::EXIT_REFUSED, USAGE};
    if (request.one_file && options.has(one_file::DRY_RUN) && next < args.size())
        cli::warn(PROGRAM, "the mode and folder have no effect with " + one_file::DRY_RUN.name +
                               ": nothing is generated");
    return request;
}

// The one-file form's request: the mode word says what becomes of each candidate.
one_file::Request one_file_request(const cli::Options& options, const Request& request) {
    one_file::Request form;
    form.geometry = request.geometry;
    switch (request.mode) {
        case Mode::gjf: form.output = one_file::Output::inputs; break;
        case Mode::xyz: form.output = one_file::Output::xyz_files; break;
        case Mode::collect: form.output = one_file::Output::collection; break;
        case Mode::test: form.output = one_file::Output::count; break;
    }
    if (request.folder_given) form.folder = request.folder;
    one_file::read_options(options, form);
    return form;
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
    // The log is the record of the run (of test mode, the only one): a full disk must not
    // pass for a complete run.
    if (!generator.log_complete())
        throw failed("cannot write file: " + LOGFILE_NAME + ": the log of the run is incomplete");
    if (header.generated == 0)
        throw failed("no candidate: every one of the " + std::to_string(header.total) +
                     " combinations clashes, and no side correction frees it");
}

// Every input is checked before the generator opens (and empties) its log; a dry run
// stops there.
int run(int argc, char* argv[]) {
    const cli::Options options = cli::read_options(argc, argv, one_file::options(), USAGE);
    const std::vector<std::string> args(argv + options.first, argv + argc);
    if (args.empty() || args.size() > (one_file_form(args) ? 3u : 5u)) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    Request request = read_request(options, args);
    if (request.one_file) {
        const one_file::Request form = one_file_request(options, request);
        CBasicConformer geometry;
        read_geometry(geometry, request.geometry);
        return one_file::run(form, geometry);
    }
    CBasicConformer geometry;
    read_geometry(geometry, request.geometry);
    const int atoms = geometry.get_size();

    CRotatableConformer probe(atoms);
    read_structure(probe, request, geometry);
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
            throw failed("cannot create the run log " + LOGFILE_NAME);
        }
    }();
    read_structure(generator, request, geometry);
    if (!generator.read_freedom(request.freedom))
        throw failed(request.freedom + ": refused when read a second time (changed meanwhile?)");
    if (request.folder_given) generator.set_path(request.folder);

    run_mode(generator, request.mode);
    check_outcome(generator, request, input_clash);
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
