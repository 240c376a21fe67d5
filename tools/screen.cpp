// screen_conformers: every candidate conformer optimised with xtb, the optimised ones
// grouped into distinct conformers, and those within an energy window of the lowest
// ranked and handed on as inputs for the next level, in a run folder that a second start
// goes on with.
//
//   screen_conformers [options] molecule.xyz
//   screen_conformers [options] --candidates FILE_OR_FOLDER [molecule.xyz]
//   screen_conformers --task STAGE [--folder DIR] [--xtb PATH] [--timeout S] [--jobs N] NAME...

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "CConformer/bond_perception.h"
#include "CConformer/conformer_identity.h"
#include "CSearch.h"
#include "cli.h"
#include "input_options.h"
#include "one_file_form.h"
#include "slurm_options.h"

namespace {

using namespace confsearch;
namespace fs = std::filesystem;

const char* const PROGRAM = "screen_conformers";
const char* const USAGE =
    "usage: screen_conformers [options] molecule.xyz\n"
    "       screen_conformers [options] --candidates FILE_OR_FOLDER [molecule.xyz]\n"
    "       screen_conformers --task STAGE [--folder DIR] [--xtb PATH] NAME...";

// The help: what the program does, then the options of the screening, of the generator
// and of the inputs.
const char* const HELP_TEXT =
    "Makes the candidate conformers of the molecule with the generator (as\n"
    "generate_conformers molecule.xyz makes them, in memory), or reads them (--candidates),\n"
    "optimises every one with xtb, leaves out those whose optimisation failed, did not\n"
    "converge, ran past the time limit or changed the molecule's bonds, groups the rest\n"
    "into distinct conformers (energies within 0.05 kcal/mol, RMSD over the molecule's\n"
    "symmetry, rotational constants) and writes those within the window of the lowest as\n"
    "inputs for the next level, lowest first (<stem>_001). Everything goes into the run\n"
    "folder (<stem>_screen): the sorters' result files, every xtb output, failures.txt,\n"
    "inputs/. A second start on the folder runs only what has not finished, and refuses\n"
    "options that would change finished optimisations. Progress goes to standard error,\n"
    "the summary to standard output.\n"
    "\n"
    "  --candidates FILE_OR_FOLDER  a multi-structure xyz file, a folder of xyz files, or\n"
    "                    the generator's collection file; the molecule, when given, is\n"
    "                    the reference for bonds\n"
    "  --method M        gfn2 (default), gfnff, or gfnff-then-gfn2 (every candidate with\n"
    "                    GFN-FF, the distinct minima within --gfnff-window again with GFN2)\n"
    "  --solvent NAME    xtb's implicit solvent (ALPB), e.g. water; default gas phase\n"
    "  --opt LEVEL       xtb's optimisation level: crude .. extreme (default normal)\n"
    "  --jobs N          optimisations at once, each xtb on one thread (default: cores)\n"
    "  --timeout S       seconds per optimisation before xtb is ended (default 600)\n"
    "  --window KCAL     distinct conformers kept above the lowest (default 6)\n"
    "  --gfnff-window KCAL  GFN-FF minima taken on to GFN2 (default 12)\n"
    "  --rmsd A          largest RMSD of one conformer, angstrom (default 0.125)\n"
    "  --rotational PCT  largest difference of rotational constants, % (default 1)\n"
    "  --energy-match KCAL  largest energy difference of one conformer (default 0.05)\n"
    "  --all-atoms       RMSD over every atom, not the heavy atoms only\n"
    "  --mirror          mirror images of a chiral molecule count as one conformer\n"
    "  --xtb PATH        the xtb program (default: xtb on the PATH)\n"
    "  --folder DIR      the run folder (default <stem>_screen)\n"
    "The generator, without --candidates:\n"
    "  --steps N         every turned bond in N steps per full turn, 1..9\n"
    "  --fix a-b,...     keep these bonds as in the input\n"
    "  --max N           refuse a run of more than N combinations (5000; 0: no limit)\n"
    "The inputs for the next level (the charge and multiplicity go to xtb too):\n"
    "  --format F        gaussian (.gjf, the default), orca (.inp) or xyz files\n"
    "  --route TEXT      the route: Gaussian \"#p PM7 opt\", ORCA \"! HF-3c Opt\" by default\n"
    "  --charge Q        the charge; default: charge= on the xyz comment line, else 0\n"
    "  --multiplicity M  the multiplicity; default: multiplicity= there, else 1\n"
    "  --nproc N         processors per job (Gaussian %nprocshared, ORCA %pal)\n"
    "  --mem SIZE        memory per job, 4GB or 500MB\n"
    "  -h, --help        print this help\n";

// The cluster's options: those every job-array script takes (their --slurm line is the
// screening's own), then the screening's.
const std::string CLUSTER_HELP =
    std::string(
        "On a cluster (docs/cluster.md), the same command with one of:\n"
        "  --slurm           optimise nothing: make the run folder ready and write the job\n"
        "                    array screen.sbatch into it, a chunk of candidates per task\n"
        "                    (for gfnff-then-gfn2 the GFN-FF stage; once that has finished,\n"
        "                    the same command writes the GFN2 stage's), and print how to\n"
        "                    submit it\n"
        "  --collect         optimise nothing: rank what the tasks have finished, name what\n"
        "                    has not, and write the result files and inputs\n") +
    std::string(slurm::HELP_LINES).substr(std::string(slurm::HELP_LINES).find('\n') + 1) +
    "                    (default --time: enough for every optimisation of a task to reach\n"
    "                    --timeout)\n"
    "  --missing         the array over only the candidates without a result\n"
    "  --per-task N      candidates per task (default 20; more when the array would have\n"
    "                    over 1000 tasks); each task runs --jobs at once (default 1)\n"
    "  --task-mem SIZE   memory per task, 4GB or 500MB (default 1GB per job at once)\n"
    "  --screen-program PATH  screen_conformers on the cluster's nodes (default: this one)\n"
    "  --program CMD     with --collect: the Gaussian or ORCA program of the next level's\n"
    "                    job array over inputs/ (default g16, orca); --partition,\n"
    "                    --account, --time and --max-running there are that array's\n"
    "  --task STAGE      what each task of the script runs: the named candidates of the\n"
    "                    stage (gfn2, gfnff, gfnff_gfn2) of the run folder, with\n"
    "                    --folder, --xtb, --timeout and --jobs only\n";
const std::string DESCRIPTION = std::string(HELP_TEXT) + CLUSTER_HELP;
const cli::Help HELP = {USAGE, DESCRIPTION.c_str()};

const cli::Option CANDIDATES{"--candidates", "FILE_OR_FOLDER"};
const cli::Option METHOD{"--method", "M"};
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
const cli::Option COLLECT{"--collect", ""};
const cli::Option MISSING{"--missing", ""};
const cli::Option PER_TASK{"--per-task", "N"};
const cli::Option TASK_MEM{"--task-mem", "SIZE"};
const cli::Option SCREEN_PROGRAM{"--screen-program", "PATH"};
const cli::Option TASK{"--task", "STAGE"};
const cli::Option QM_PROGRAM{"--program", "CMD"};
// What a task of the array takes besides its candidates' names.
const std::vector<cli::Option> TASK_OPTIONS = {TASK, FOLDER, XTB, TIMEOUT, JOBS};

// The generator's options that make candidates; those of the inputs but --overwrite (the
// inputs folder of a run is its own).
const std::vector<cli::Option> GENERATOR_OPTIONS = {one_file::STEPS, one_file::FIX, one_file::MAX};
const std::vector<cli::Option> INPUT_OPTIONS = {inputs::FORMAT,       inputs::ROUTE, inputs::CHARGE,
                                                inputs::MULTIPLICITY, inputs::NPROC, inputs::MEM};

std::vector<cli::Option> all_options() {
    std::vector<cli::Option> all = {CANDIDATES,   METHOD,    SOLVENT,      LEVEL,    JOBS,
                                    TIMEOUT,      WINDOW,    GFNFF_WINDOW, RMSD,     ROTATIONAL,
                                    ENERGY_MATCH, ALL_ATOMS, MIRROR,       XTB,      FOLDER,
                                    COLLECT,      MISSING,   PER_TASK,     TASK_MEM, SCREEN_PROGRAM,
                                    TASK,         QM_PROGRAM};
    const std::vector<cli::Option> array = slurm::options();
    for (const auto* group : {&GENERATOR_OPTIONS, &INPUT_OPTIONS, &array})
        all.insert(all.end(), group->begin(), group->end());
    return all;
}

// The longest time limit an optimisation may be given: a week.
const double LONGEST_TIMEOUT = 7 * 24 * 3600.0;
const int MOST_JOBS = 4096;
const int DEFAULT_PER_TASK = 20;
const int MOST_PER_TASK = 1000000;
// What SLURM is asked for per xtb job a task runs at once when --task-mem is not given:
// far more than xtb takes for the molecules a conformer search screens.
const long MEGABYTES_PER_JOB = 1024;

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

// A run here, the job array of a cluster, or the ranking of what its tasks left.
enum class Mode { local, slurm, collect };

// What the command line asks for.
struct Command {
    std::string molecule;  // empty: the first candidate is the molecule
    std::string candidates;
    fs::path folder;
    std::string stem;
    ScreeningConditions conditions;
    ScreeningRequest request;
    std::string xtb;              // as given; empty: the PATH's
    one_file::Request generator;  // its options and those of the inputs
    Mode mode = Mode::local;
    // Of the job array: only the candidates without a result, the candidates per task, what
    // each task asks of SLURM, and the program the tasks run (empty: this one). Of
    // --collect, what the array of the next level's inputs asks of SLURM and runs.
    bool missing = false;
    std::size_t per_task = DEFAULT_PER_TASK;
    SlurmResources resources;
    std::string screen_program;
    std::string qm_program;
};

std::string stem_of(const std::string& path) {
    fs::path p(path);
    if (!p.has_filename()) p = p.parent_path();
    return job_stem(p.stem().string());
}

// The options read as the one-file generator reads them: the steps, fixed bonds and
// limit of the candidates, the format, route, charge and multiplicity, processors and
// memory of the inputs.
void read_generator_options(const cli::Options& options, Command& command) {
    command.generator.geometry = command.molecule;
    command.generator.output = one_file::Output::inputs;
    one_file::read_options(options, command.generator);
    if (command.candidates.empty()) return;
    for (const cli::Option& option : GENERATOR_OPTIONS)
        if (options.has(option))
            throw refused(option.name + " goes with the generator's candidates, not with " +
                          CANDIDATES.name);
}

// The options of the cluster: the mode, and those of the job array only with --slurm.
void read_cluster_options(const cli::Options& options, Command& command) {
    if (options.has(COLLECT) && options.has(slurm::SLURM))
        throw refused(COLLECT.name + " ranks what a job array left; it goes without " +
                      slurm::SLURM.name);
    for (const cli::Option& option : {MISSING, PER_TASK, TASK_MEM, SCREEN_PROGRAM})
        if (options.has(option) && !options.has(slurm::SLURM))
            throw refused(option.name + " goes with " + slurm::SLURM.name +
                          ": it is an option of the job-array script");
    if (options.has(QM_PROGRAM) && !options.has(COLLECT))
        throw refused(QM_PROGRAM.name + " goes with " + COLLECT.name +
                      ": it is the program of the next level's job array");
    command.mode = options.has(COLLECT)        ? Mode::collect
                   : options.has(slurm::SLURM) ? Mode::slurm
                                               : Mode::local;
    if (command.mode == Mode::collect) {
        // The array options of --collect are those of the next level's array.
        cli::Options array = options;
        array.given[slurm::SLURM.name] = "";
        command.resources =
            program_resources(command.generator.inputs.settings, slurm::read_resources(array, {}));
        command.resources.job_name = command.stem;
        const InputFormat format = command.generator.inputs.settings.format;
        command.qm_program = options.has(QM_PROGRAM)      ? options.value(QM_PROGRAM)
                             : format == InputFormat::xyz ? ""
                                                          : default_program(format);
        if (options.has(QM_PROGRAM) &&
            (format == InputFormat::xyz || command.qm_program.empty() ||
             command.qm_program.find_first_of("\n\r") != std::string::npos))
            throw refused(QM_PROGRAM.name +
                          " names the Gaussian or ORCA program of the inputs, "
                          "not \"" +
                          command.qm_program + "\"");
        return;
    }
    command.resources = slurm::read_resources(options, {});
    if (command.mode != Mode::slurm) return;
    command.missing = options.has(MISSING);
    command.per_task =
        static_cast<std::size_t>(whole_of(options, PER_TASK, DEFAULT_PER_TASK, 1, MOST_PER_TASK));
    if (options.has(TASK_MEM)) {
        const std::optional<JobMemory> memory = job_memory(options.value(TASK_MEM));
        if (!memory)
            throw refused(TASK_MEM.name + " takes a size as 4GB or 500MB, not \"" +
                          options.value(TASK_MEM) + "\"");
        command.resources.megabytes = memory->megabytes;
    }
    // The cores of this machine say nothing of a node's.
    if (!options.has(JOBS)) command.request.jobs = 1;
    if (options.has(SCREEN_PROGRAM)) command.screen_program = options.value(SCREEN_PROGRAM);
}

Command read_command(const cli::Options& options, int argc, char* argv[]) {
    const std::vector<std::string> args(argv + options.first, argv + argc);
    Command command;
    if (options.has(CANDIDATES)) command.candidates = options.value(CANDIDATES);
    if (args.size() > 1 || (args.empty() && command.candidates.empty()))
        throw cli::Failure{"give one molecule.xyz, or --candidates", cli::EXIT_REFUSED, USAGE};
    if (!args.empty()) command.molecule = args[0];
    command.stem = stem_of(command.molecule.empty() ? command.candidates : command.molecule);
    command.folder = options.has(FOLDER) ? fs::path(options.value(FOLDER))
                                         : fs::path(command.stem + SCREEN_FOLDER_ENDING);
    read_generator_options(options, command);

    ScreeningRequest& request = command.request;
    if (options.has(METHOD)) {
        const auto method = screening_method_named(options.value(METHOD));
        if (!method)
            throw refused(METHOD.name + " takes gfn2, gfnff or gfnff-then-gfn2, not \"" +
                          options.value(METHOD) + "\"");
        request.method = *method;
    }
    ScreeningConditions& conditions = command.conditions;
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
    identity.energy_window =
        number_of(options, ENERGY_MATCH, DEFAULT_ENERGY_WINDOW * KCAL_PER_HARTREE, 0.0, 1e6) /
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
    read_cluster_options(options, command);
    return command;
}

// The one geometry of the molecule's file.
XyzGeometry read_molecule(const Command& command) {
    const std::vector<ScreeningCandidate> molecule =
        read_candidates(command.molecule, command.stem);
    if (molecule.size() != 1)
        throw failed(command.molecule + " holds " + std::to_string(molecule.size()) +
                     " structures: the molecule is one");
    return molecule.front().geometry;
}

// "the generator --steps 3 --fix 1-2,3-4": what made the candidates, for the record.
std::string generator_source(const one_file::Request& generator) {
    std::string source = "the generator";
    if (generator.steps != 0)
        source += " " + one_file::STEPS.name + " " + std::to_string(generator.steps);
    std::string fixed;
    for (const auto& [a, b] : generator.fixed)
        fixed += (fixed.empty() ? "" : ",") + std::to_string(a) + "-" + std::to_string(b);
    if (!fixed.empty()) source += " " + one_file::FIX.name + " " + fixed;
    return source;
}

// The generator's candidates of the molecule, made in memory as generate_conformers
// makes its files, with its checks and its counts on standard error.
std::vector<ScreeningCandidate> generated_candidates(const Command& command,
                                                     const XyzGeometry& molecule) {
    CBasicConformer geometry;
    try {
        geometry = conformer_of(molecule);
    } catch (const std::invalid_argument& refusal) {
        throw failed(command.molecule + ": " + refusal.what());
    }
    const CandidatePlan plan = one_file::checked_plan(command.generator, geometry, PROGRAM);
    ProgressLine progress(std::cerr, standard_error_is_terminal(), PROGRAM, "combinations",
                          plan.get_combinations());
    GeneratedCandidates generated =
        generate_candidates(plan, command.stem, command.molecule,
                            [&progress](Combinations done) { progress.update(done); });
    progress.finish();
    const CandidateCounts& counts = generated.walk.counts;
    const std::size_t bonds = plan.get_turned().size();
    cli::note(PROGRAM, std::to_string(bonds) +
                           (bonds == 1 ? " rotatable bond, " : " rotatable bonds, ") +
                           std::to_string(plan.get_combinations()) + " combinations: " +
                           std::to_string(counts.clashing_bonding + counts.clashing_vdw) +
                           " clashing, " + std::to_string(generated.walk.repeats) + " repeats, " +
                           std::to_string(generated.candidates.size()) + " candidates");
    if (generated.candidates.empty())
        throw failed(command.molecule + ": no candidate: every one of the " +
                     std::to_string(plan.get_combinations()) + " combinations clashes");
    return std::move(generated.candidates);
}

// The molecule and its candidates, as the run records them, and the charge and
// multiplicity: the options', else those on the molecule's comment line.
RunRecord read_record(Command& command) {
    RunRecord record;
    try {
        if (!command.molecule.empty()) record.molecule = read_molecule(command);
        if (command.candidates.empty()) {
            record.candidates = generated_candidates(command, record.molecule);
            record.source = generator_source(command.generator);
        } else {
            record.candidates = read_candidates(command.candidates, command.stem);
        }
        if (command.molecule.empty()) record.molecule = record.candidates.front().geometry;
        // The record names where the molecule came from; its comment line may give the state.
        const std::string comment = record.molecule.comment;
        record.molecule.comment =
            command.molecule.empty() ? record.candidates.front().origin : command.molecule;
        const std::string& where = record.molecule.comment;
        std::vector<int> numbers;
        for (const std::string& symbol : record.molecule.symbols)
            numbers.push_back(CELEMENT(symbol).get_number());
        const ElectronState state =
            inputs::electron_state(command.generator.inputs, comment, numbers, where);
        command.conditions.charge = state.charge;
        command.conditions.multiplicity = state.multiplicity;
        check_candidate_atoms(record.molecule, where, record.candidates);
    } catch (const CandidateError& refusal) {
        throw failed(refusal.what());
    }
    record.conditions = command.conditions;
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

// The inputs of the next level through the toolkit's input writer, in the run's state.
InputMaker input_maker(const InputSettings& settings, const ScreeningConditions& conditions) {
    const ElectronState state{conditions.charge, conditions.multiplicity};
    return [settings, state](const std::string& name, const std::string& title,
                             const XyzGeometry& geometry) {
        const InputJob job{name, title, state, geometry.symbols, geometry.positions};
        return NextLevelInput{input_file_name(settings, job), input_text(settings, job)};
    };
}

// "3 candidates have no result yet: butane_0002, butane_0004, butane_0005".
std::string unfinished_text(const std::vector<std::string>& names) {
    std::string text = std::to_string(names.size()) + " candidates have no result yet";
    for (std::size_t i = 0; i < names.size(); ++i) text += (i == 0 ? ": " : ", ") + names[i];
    return text;
}

void report_left_out(const ScreeningReport& report, Mode mode) {
    for (const std::string& line : report.left_out) cli::note(PROGRAM, "left out " + line);
    if (report.not_finished.empty()) return;
    if (mode == Mode::collect)
        cli::note(PROGRAM, unfinished_text(report.not_finished) + "; the same command with " +
                               slurm::SLURM.name + " " + MISSING.name + " in place of " +
                               COLLECT.name + " writes a job array of them");
    else
        cli::note(PROGRAM, std::to_string(report.not_finished.size()) +
                               " candidates have no result yet; start again to optimise them");
}

// The xtb of a start, with XtbError as the program's failure.
XtbProgram found_xtb(const std::string& path) {
    try {
        return find_xtb(path);
    } catch (const XtbError& missing) {
        throw failed(missing.what());
    }
}

// A number as the script gives it back to the program: shortest, exact.
std::string number_word(double value) {
    std::ostringstream text;
    text.precision(17);
    text << value;
    return text.str();
}

// The tasks of an array share the run folder, from many nodes at once: each keeps its jobs'
// scratch folders in one of its own beside the stage's ("scratch-node7-4711"), which it
// removes once empty, so that no task removes a folder another is about to make one in.
fs::path task_scratch(const fs::path& run, ScreeningStage stage) {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    return stage_folder(run, stage) /
           (XTB_SCRATCH_FOLDER + "-" + (host[0] != '\0' ? host : "node") + "-" +
            std::to_string(getpid()));
}

// One task of a job array: the named candidates of a stage of the run in the folder,
// optimised as a run here optimises them, their results written whole or not at all.
int run_task(const cli::Options& options, int argc, char* argv[]) {
    for (const cli::Option& option : all_options())
        if (options.has(option) &&
            std::none_of(TASK_OPTIONS.begin(), TASK_OPTIONS.end(),
                         [&option](const cli::Option& o) { return o.name == option.name; }))
            throw refused(option.name + " does not go with " + TASK.name +
                          ": a task takes its run's options from the run folder");
    const std::vector<std::string> names(argv + options.first, argv + argc);
    const std::optional<ScreeningStage> stage = stage_named(options.value(TASK));
    if (!stage)
        throw refused(TASK.name + " takes gfn2, gfnff or gfnff_gfn2, not \"" + options.value(TASK) +
                      "\"");
    if (names.empty()) throw refused(TASK.name + " needs the names of its candidates");
    const fs::path folder = options.has(FOLDER) ? fs::path(options.value(FOLDER)) : fs::path(".");
    const double timeout = number_of(options, TIMEOUT, 600.0, 1.0, LONGEST_TIMEOUT);
    const unsigned jobs = static_cast<unsigned>(whole_of(options, JOBS, 1, 1, MOST_JOBS));
    RunRecord record;
    try {
        record = read_run_record(folder);
    } catch (const RunRefusal& refusal) {
        throw refused(refusal.what());
    }
    const XtbProgram xtb = found_xtb(options.has(XTB) ? options.value(XTB) : "");
    if (xtb.version != record.conditions.xtb_version)
        throw refused(xtb.path + " is xtb " + xtb.version + "; the run in " + folder.string() +
                      " was recorded with xtb " + record.conditions.xtb_version +
                      ": its every optimisation runs with the same xtb");
    const std::vector<ScreeningCandidate> all = stage_candidates(folder, record, *stage);
    std::vector<ScreeningCandidate> chunk;
    for (const std::string& name : names) {
        const auto found = std::find_if(all.begin(), all.end(), [&name](const auto& candidate) {
            return candidate.name == name;
        });
        if (found == all.end())
            throw refused(name + " is no candidate of the " + stage_title(*stage) + " stage in " +
                          folder.string());
        chunk.push_back(*found);
    }

    StopFlag stop;
    const StopOnSignals signals(stop);
    ProgressDisplay display(std::cerr, isatty(STDERR_FILENO) != 0, PROGRAM);
    ChunkOutcome outcome;
    try {
        XtbSettings settings =
            prepare_stage(folder, record, *stage,
                          stage_settings(record.conditions, *stage, xtb.path, timeout), &stop);
        settings.scratch_root = task_scratch(folder, *stage);
        outcome = optimise_candidates(
            folder, *stage, settings, chunk, jobs, &stop,
            [&display, &stage](const JobProgress& now) { display.show(stage_title(*stage), now); });
    } catch (const RunRefusal& refusal) {
        display.finish();
        throw refused(refusal.what());
    } catch (const XtbError& error) {
        display.finish();
        throw failed(error.what());
    }
    display.finish();
    if (outcome.stopped || stop.stopped())
        throw failed("stopped; the finished optimisations are kept in " + folder.string());
    cli::note(PROGRAM, std::to_string(chunk.size() - outcome.reused) + " optimisations run, " +
                           std::to_string(outcome.reused) + " found finished");
    return cli::EXIT_DONE;
}

// The program the tasks run: the one given, else this very one.
std::string screen_program(const Command& command, const char* argv0) {
    if (!command.screen_program.empty()) return command.screen_program;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::absolute(argv0).string() : self.string();
}

// --slurm: the run folder made ready as a run here makes it, and the job array of its
// stage to run written into it.
int write_array(const Command& command, const RunRecord& record, const char* argv0) {
    const fs::path& run = command.folder;
    const ScreeningRequest& request = command.request;
    ScreeningStage stage = screening_stages(request.method).front();
    std::vector<ScreeningCandidate> candidates = record.candidates;
    try {
        // The GFN2 stage after GFN-FF starts from the GFN-FF minima: known once every
        // GFN-FF optimisation has finished.
        if (request.method == ScreeningMethod::gfnff_then_gfn2 &&
            unfinished_candidates(run, stage, candidates).empty()) {
            stage = ScreeningStage::gfnff_gfn2;
            candidates = choose_gfn2_candidates(run, record, request);
            cli::note(PROGRAM, "every GFN-FF optimisation has finished; " +
                                   std::to_string(candidates.size()) +
                                   " GFN-FF minima go on to GFN2");
        }
        prepare_stage(
            run, record, stage,
            stage_settings(record.conditions, stage, request.xtb, request.timeout_seconds));
    } catch (const RunRefusal& refusal) {
        throw refused(refusal.what());
    } catch (const XtbError& error) {
        throw failed(error.what());
    }
    std::vector<std::string> names;
    if (command.missing)
        names = unfinished_candidates(run, stage, candidates);
    else
        for (const ScreeningCandidate& candidate : candidates) names.push_back(candidate.name);
    if (names.empty()) {
        cli::note(PROGRAM, std::string("every candidate of the ") + stage_title(stage) +
                               " stage has a result: the same command with " + COLLECT.name +
                               " ranks them");
        return cli::EXIT_DONE;
    }
    const std::size_t per_task = std::max(
        command.per_task, (names.size() + SLURM_DEFAULT_MOST_TASK - 1) / SLURM_DEFAULT_MOST_TASK);
    if (per_task > command.per_task)
        cli::note(PROGRAM, std::to_string(per_task) +
                               " candidates per task, so that the array "
                               "has at most " +
                               std::to_string(SLURM_DEFAULT_MOST_TASK) + " tasks");
    const std::vector<std::vector<std::string>> chunks = task_chunks(names, per_task);
    const unsigned jobs = request.jobs == 0 ? 1 : request.jobs;
    SlurmResources resources = command.resources;
    resources.job_name = command.stem + "_" + stage_word(stage);
    resources.cpus_per_task = static_cast<int>(jobs);
    if (resources.megabytes == 0) resources.megabytes = MEGABYTES_PER_JOB * jobs;
    if (resources.time.empty())
        resources.time = task_time_limit(per_task, jobs, request.timeout_seconds);
    const std::vector<std::string> arguments = {TASK.name,    stage_word(stage),
                                                FOLDER.name,  ".",
                                                XTB.name,     fs::absolute(request.xtb).string(),
                                                TIMEOUT.name, number_word(request.timeout_seconds),
                                                JOBS.name,    std::to_string(jobs)};
    const std::string script =
        screening_array_script(resources, screen_program(command, argv0), arguments, chunks);
    fs::path file;
    try {
        file = write_screening_array(run, script);
    } catch (const std::runtime_error& error) {
        throw failed(error.what());
    }
    std::cout << stage_title(stage) << ": job array of " << chunks.size()
              << (chunks.size() == 1 ? " task over " : " tasks over ") << names.size()
              << " candidates, " << per_task << " per task: " << file.string()
              << "\nsubmit: " << sbatch_command(run.string(), SCREEN_SCRIPT_FILE) << '\n'
              << std::flush;
    return cli::EXIT_DONE;
}

// The job array of the inputs the ranking wrote, one per task, and beside them the
// sorters' list of their outputs.
void write_next_level_array(const Command& command, const ScreeningReport& report) {
    std::vector<std::string> inputs;
    for (const auto& entry : fs::directory_iterator(report.inputs_folder))
        inputs.push_back(entry.path().filename().string());
    // Numbered by rank with padded serials: their names sort as their ranks.
    std::sort(inputs.begin(), inputs.end());
    const std::string folder = report.inputs_folder.string();
    const std::string script = command.stem + SBATCH_ENDING;
    const std::string unwritten =
        write_program_array(folder, script, command.resources,
                            command.generator.inputs.settings.format, command.qm_program, inputs);
    if (!unwritten.empty()) throw failed("cannot write " + unwritten);
    std::cout << "next level: job array of " << inputs.size()
              << " tasks: " << (report.inputs_folder / script).string()
              << "\nsubmit: " << sbatch_command(folder, script) << '\n'
              << std::flush;
}

// --collect: what the tasks have finished ranked and written as a run here writes it,
// nothing optimised.
int collect(const Command& command) {
    const fs::path& run = command.folder;
    const ScreeningRequest& request = command.request;
    if (request.method == ScreeningMethod::gfnff_then_gfn2 &&
        !fs::exists(stage_folder(run, ScreeningStage::gfnff_gfn2) / RUN_CANDIDATES_FILE)) {
        const RunRecord record = read_run_record(run);
        const std::vector<std::string> unfinished =
            unfinished_candidates(run, ScreeningStage::gfnff, record.candidates);
        if (!unfinished.empty()) {
            cli::note(PROGRAM, unfinished_text(unfinished));
            throw failed(
                "the GFN2 stage starts once every GFN-FF optimisation has finished: "
                "the same command with " +
                slurm::SLURM.name + " " + MISSING.name + " in place of " + COLLECT.name +
                " writes a job array of the rest");
        }
        throw failed(
            "every GFN-FF optimisation has finished and the GFN2 stage has not "
            "started: the same command with " +
            slurm::SLURM.name + " in place of " + COLLECT.name + " writes its job array");
    }
    ScreeningReport report;
    try {
        report = rank_screening(run, request);
    } catch (const RunRefusal& refusal) {
        throw refused(refusal.what());
    }
    report_left_out(report, Mode::collect);
    std::cout << summary_text(report) << std::flush;
    if (report.distinct == 0)
        throw failed("no candidate was optimised: see " + (run / FAILURES_FILE).string());
    if (report.inputs > 0 && !command.qm_program.empty()) write_next_level_array(command, report);
    return cli::EXIT_DONE;
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
    const cli::Options options = cli::read_options(argc, argv, all_options(), USAGE);
    if (options.has(TASK)) return run_task(options, argc, argv);
    Command command = read_command(options, argc, argv);
    const XtbProgram xtb = found_xtb(command.xtb);
    command.conditions.xtb_version = xtb.version;
    command.request.xtb = xtb.path;
    const RunRecord record = read_record(command);
    try {
        record_run(command.folder, record);
    } catch (const RunRefusal& refusal) {
        throw refused(refusal.what());
    }
    command.request.output = {command.stem,
                              input_maker(command.generator.inputs.settings, record.conditions)};
    if (command.mode == Mode::slurm) return write_array(command, record, argv[0]);
    if (command.mode == Mode::collect) return collect(command);

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
    report_left_out(report, Mode::local);
    std::cout << summary_text(report) << std::flush;
    note_times(report, std::chrono::steady_clock::now() - start);
    if (report.distinct == 0)
        throw failed("no candidate was optimised: see " +
                     (command.folder / FAILURES_FILE).string());
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) { return cli::run_main(PROGRAM, HELP, run, argc, argv); }
