// screen_conformers: every candidate conformer optimised with xtb, the optimised ones
// grouped into distinct conformers, and those within an energy window of the lowest
// ranked and handed on as inputs for the next level, in a run folder that a second start
// goes on with.
//
//   screen_conformers [options] molecule.xyz
//   screen_conformers [options] --candidates FILE_OR_FOLDER [molecule.xyz]

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "CConformer/bond_perception.h"
#include "CConformer/conformer_identity.h"
#include "CSearch.h"
#include "cli.h"

namespace {

using namespace confsearch;
namespace fs = std::filesystem;

const char* const PROGRAM = "screen_conformers";
const char* const USAGE =
    "usage: screen_conformers [options] molecule.xyz\n"
    "       screen_conformers [options] --candidates FILE_OR_FOLDER [molecule.xyz]";

const cli::Help HELP = {
    USAGE,
    "Optimises every candidate conformer with xtb, leaves out those whose optimisation\n"
    "failed, did not converge, ran past the time limit or changed the molecule's bonds,\n"
    "groups the rest into distinct conformers (energies within 0.05 kcal/mol, RMSD over the\n"
    "molecule's symmetry, rotational constants) and writes those within the window of the\n"
    "lowest as inputs for the next level, lowest first. Everything goes into the run\n"
    "folder (<stem>_screen): the sorters' result files, every xtb output, failures.txt,\n"
    "inputs/. A second start on the folder runs only what has not finished, and refuses\n"
    "options that would change finished optimisations. Progress goes to standard error,\n"
    "the summary to standard output.\n"
    "\n"
    "  --candidates FILE_OR_FOLDER  a multi-structure xyz file, a folder of xyz files, or\n"
    "                               the generator's collection file (xyz_collection); the\n"
    "                               molecule, when given, is the reference for bonds\n"
    "  --method M          gfn2 (default), gfnff, or gfnff-then-gfn2 (every candidate\n"
    "                      with GFN-FF, the distinct minima within --gfnff-window again\n"
    "                      with GFN2)\n"
    "  --charge Q          the molecule's charge (default 0)\n"
    "  --multiplicity M    its spin multiplicity (default 1)\n"
    "  --solvent NAME      xtb's implicit solvent (ALPB), e.g. water; default gas phase\n"
    "  --opt LEVEL         xtb's optimisation level: crude .. extreme (default normal)\n"
    "  --jobs N            optimisations at once, each xtb on one thread (default: cores)\n"
    "  --timeout S         seconds per optimisation before xtb is ended (default 600)\n"
    "  --window KCAL       distinct conformers kept above the lowest (default 6)\n"
    "  --gfnff-window KCAL GFN-FF minima taken on to GFN2 (default 12)\n"
    "  --rmsd A            largest RMSD of one conformer, angstrom (default 0.125)\n"
    "  --rotational PCT    largest difference of rotational constants, % (default 1)\n"
    "  --energy-match KCAL largest energy difference of one conformer (default 0.05)\n"
    "  --all-atoms         RMSD over every atom, not the heavy atoms only\n"
    "  --mirror            mirror images of a chiral molecule count as one conformer\n"
    "  --xtb PATH          the xtb program (default: xtb on the PATH)\n"
    "  --folder DIR        the run folder (default <stem>_screen)\n"
    "  -h, --help          print this help\n"};

const cli::Option CANDIDATES{"--candidates", "FILE_OR_FOLDER"};
const cli::Option METHOD{"--method", "M"};
const cli::Option CHARGE{"--charge", "Q"};
const cli::Option MULTIPLICITY{"--multiplicity", "M"};
const cli::Option SOLVENT{"--solvent", "NAME"};
const cli::Option LEVEL{"--opt", "LEVEL"};
const cli::Option JOBS{"--jobs", "N"};
const cli::Option TIMEOUT{"--timeout", "S"};
const cli::Option WINDOW{"--window", "KCAL"};
const cli::Option GFNFF_WINDOW{"--gfnff-window", "KCAL"};
const cli::Option RMSD{"--rmsd", "A"};
const cli::Option ROTATIONAL{"--rotational", "PCT"};
const cli::Option ENERGY_MATCH{"--energy-match", "KCAL"};
const cli::Option ALL_ATOMS{"--all-atoms", ""};
const cli::Option MIRROR{"--mirror", ""};
const cli::Option XTB{"--xtb", "PATH"};
const cli::Option FOLDER{"--folder", "DIR"};

const std::vector<cli::Option> OPTIONS = {
    CANDIDATES,   METHOD, CHARGE,     SOLVENT,      MULTIPLICITY, LEVEL,  JOBS, TIMEOUT, WINDOW,
    GFNFF_WINDOW, RMSD,   ROTATIONAL, ENERGY_MATCH, ALL_ATOMS,    MIRROR, XTB,  FOLDER};

// The longest time limit an optimisation may be given: a week.
const double LONGEST_TIMEOUT = 7 * 24 * 3600.0;
const int MOST_JOBS = 4096;

cli::Failure refused(const std::string& why) { return cli::Failure{why, cli::EXIT_REFUSED}; }
cli::Failure failed(const std::string& why) { return cli::Failure{why, cli::EXIT_FAILED}; }

// A number of an option, the whole text of it, within low..high.
double number_of(const cli::Options& options, const cli::Option& option, double fallback,
                 double low, double high) {
    if (!options.has(option)) return fallback;
    const std::string& text = options.value(option);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || value < low || value > high) {
        std::string range = std::to_string(low);
        range.erase(range.find_last_not_of('0') + 1);
        if (range.back() == '.') range.pop_back();
        throw refused(option.name + " takes a number of at least " + range + ", not \"" + text +
                      "\"");
    }
    return value;
}

int whole_of(const cli::Options& options, const cli::Option& option, int fallback, int low,
             int high) {
    if (!options.has(option)) return fallback;
    const std::string& text = options.value(option);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        throw refused(option.name + " takes a whole number in " + std::to_string(low) + ".." +
                      std::to_string(high) + ", not \"" + text + "\"");
    return value;
}

// What the command line asks for.
struct Command {
    std::string molecule;  // empty: the first candidate is the molecule
    std::string candidates;
    fs::path folder;
    std::string stem;
    ScreeningConditions conditions;
    ScreeningRequest request;
    std::string xtb;  // as given; empty: the PATH's
};

std::string stem_of(const std::string& path) {
    fs::path p(path);
    if (!p.has_filename()) p = p.parent_path();
    return job_stem(p.stem().string());
}

Command read_command(int argc, char* argv[]) {
    const cli::Options options = cli::read_options(argc, argv, OPTIONS, USAGE);
    const std::vector<std::string> args(argv + options.first, argv + argc);
    Command command;
    if (options.has(CANDIDATES)) command.candidates = options.value(CANDIDATES);
    if (args.size() > 1 || (args.empty() && command.candidates.empty()))
        throw cli::Failure{"give one molecule.xyz, or --candidates", cli::EXIT_REFUSED, USAGE};
    if (!args.empty()) command.molecule = args[0];
    command.stem = stem_of(command.molecule.empty() ? command.candidates : command.molecule);
    command.folder = options.has(FOLDER) ? fs::path(options.value(FOLDER))
                                         : fs::path(command.stem + SCREEN_FOLDER_ENDING);

    ScreeningRequest& request = command.request;
    if (options.has(METHOD)) {
        const auto method = screening_method_named(options.value(METHOD));
        if (!method)
            throw refused(METHOD.name + " takes gfn2, gfnff or gfnff-then-gfn2, not \"" +
                          options.value(METHOD) + "\"");
        request.method = *method;
    }
    ScreeningConditions& conditions = command.conditions;
    conditions.charge = whole_of(options, CHARGE, 0, -1000, 1000);
    conditions.multiplicity = whole_of(options, MULTIPLICITY, 1, 1, 1000);
    if (options.has(SOLVENT)) conditions.solvent = options.value(SOLVENT);
    if (options.has(LEVEL)) conditions.level = options.value(LEVEL);
    request.jobs = static_cast<unsigned>(whole_of(options, JOBS, 0, 1, MOST_JOBS));
    request.timeout_seconds = number_of(options, TIMEOUT, 600.0, 1.0, LONGEST_TIMEOUT);
    request.ranking.window = number_of(options, WINDOW, 6.0, 0.0, 1e6);
    request.gfnff_window = number_of(options, GFNFF_WINDOW, DEFAULT_GFNFF_WINDOW, 0.0, 1e6);
    IdentityCriteria& identity = request.ranking.identity;
    identity.rmsd_tolerance = number_of(options, RMSD, DEFAULT_RMSD_TOLERANCE, 0.0, 1e3);
    identity.rotational_tolerance =
        number_of(options, ROTATIONAL, 100 * DEFAULT_ROTATIONAL_TOLERANCE, 0.0, 100.0) / 100;
    identity.energy_window = number_of(options, ENERGY_MATCH,
                                       DEFAULT_ENERGY_WINDOW * KCAL_PER_HARTREE, 0.0, 1e6) /
                             KCAL_PER_HARTREE;
    identity.all_atoms = options.has(ALL_ATOMS);
    identity.mirror = options.has(MIRROR);
    if (options.has(XTB)) command.xtb = options.value(XTB);
    // xtb's own checks, made before anything runs.
    try {
        xtb_options(stage_settings(conditions, ScreeningStage::gfn2, "xtb", 0));
    } catch (const std::invalid_argument& refusal) {
        throw refused(refusal.what());
    }
    return command;
}

// The molecule and its candidates, as the run records them.
RunRecord read_record(const Command& command) {
    RunRecord record;
    record.conditions = command.conditions;
    const std::string stem = command.stem;
    if (command.candidates.empty())
        throw failed("the candidates of " + command.molecule +
                     " are made by generate_conformers; " + "give them with --candidates");
    try {
        record.candidates = read_candidates(command.candidates, stem);
        if (command.molecule.empty()) {
            record.molecule = record.candidates.front().geometry;
            record.molecule.comment = record.candidates.front().origin;
        } else {
            const std::vector<ScreeningCandidate> molecule =
                read_candidates(command.molecule, stem);
            if (molecule.size() != 1)
                throw failed(command.molecule + " holds " + std::to_string(molecule.size()) +
                             " structures: the molecule is one");
            record.molecule = molecule.front().geometry;
            record.molecule.comment = command.molecule;
        }
        check_candidate_atoms(
            record.molecule,
            command.molecule.empty() ? record.candidates.front().origin : command.molecule,
            record.candidates);
    } catch (const CandidateError& refusal) {
        throw failed(refusal.what());
    }
    // The molecule's bonds judge every optimisation: a molecule they cannot be perceived
    // for is refused before anything runs.
    try {
        const ConformerIdentity identity(conformer_of(record.molecule),
                                         command.request.ranking.identity);
    } catch (const std::exception& refusal) {
        throw failed(record.molecule.comment + ": " + refusal.what());
    }
    return record;
}

// Interim input maker: the geometry as an xyz file, titled.
NextLevelInput xyz_input(const std::string& name, const std::string& title,
                         const XyzGeometry& geometry) {
    std::string text = std::to_string(geometry.symbols.size()) + "\n" + title + "\n";
    for (std::size_t i = 0; i < geometry.symbols.size(); ++i) {
        char line[128];
        const CVECTOR& p = geometry.positions[i];
        std::snprintf(line, sizeof line, "%-2s %15.8f %15.8f %15.8f\n", geometry.symbols[i].c_str(),
                      p.x, p.y, p.z);
        text += line;
    }
    return {name + ".xyz", text};
}

void report_left_out(const ScreeningReport& report) {
    for (const std::string& line : report.left_out) cli::note(PROGRAM, "left out " + line);
    if (!report.not_finished.empty())
        cli::note(PROGRAM, std::to_string(report.not_finished.size()) +
                               " candidates have no result yet; start again to optimise them");
}

// The wall time of this start against xtb's own, summed over the jobs of every stage: how
// much the program adds shows at one job at a time.
void note_times(const ScreeningReport& report, std::chrono::steady_clock::duration wall) {
    double xtb_seconds = 0.0;
    for (const StageSummary& stage : report.stages) xtb_seconds += stage.xtb_seconds;
    char text[128];
    std::snprintf(text, sizeof text, "wall time %.1f s, xtb %.1f s summed over the jobs",
                  std::chrono::duration<double>(wall).count(), xtb_seconds);
    cli::note(PROGRAM, text);
}

int run(int argc, char* argv[]) {
    Command command = read_command(argc, argv);
    XtbProgram xtb;
    try {
        xtb = find_xtb(command.xtb);
    } catch (const XtbError& missing) {
        throw failed(missing.what());
    }
    command.conditions.xtb_version = xtb.version;
    command.request.xtb = xtb.path;
    const RunRecord record = read_record(command);
    try {
        record_run(command.folder, record);
    } catch (const RunRefusal& refusal) {
        throw refused(refusal.what());
    }
    command.request.output = {command.stem, xyz_input};

    StopFlag stop;
    const StopOnSignals signals(stop);
    ProgressDisplay display(std::cerr, isatty(STDERR_FILENO) != 0, PROGRAM);
    const auto start = std::chrono::steady_clock::now();
    ScreeningReport report;
    try {
        report = run_screening(command.folder, command.request, &stop,
                               [&display](ScreeningStage stage, const JobProgress& progress) {
                                   display.show(stage_title(stage), progress);
                               });
    } catch (const RunRefusal& refusal) {
        display.finish();
        throw refused(refusal.what());
    } catch (const XtbError& error) {
        display.finish();
        throw failed(error.what());
    }
    display.finish();
    if (report.stopped)
        throw failed("stopped; the finished optimisations are kept in " + command.folder.string() +
                     ": the same command goes on with the rest");
    if (report.reused > 0)
        cli::note(PROGRAM, std::to_string(report.reused) +
                               " optimisations were found finished by an earlier start");
    report_left_out(report);
    std::cout << summary_text(report) << std::flush;
    note_times(report, std::chrono::steady_clock::now() - start);
    if (report.distinct == 0)
        throw failed("no candidate was optimised: see " +
                     (command.folder / FAILURES_FILE).string());
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) { return cli::run_main(PROGRAM, HELP, run, argc, argv); }
