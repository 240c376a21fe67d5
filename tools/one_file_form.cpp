#include "one_file_form.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "CConformer/perception_messages.h"
#include "CSearch.h"

namespace confsearch::one_file {

namespace {

namespace fs = std::filesystem;

const char* const PROGRAM = "generate_conformers";
// After a refusal, before any file is written.
const char* const NOTHING_WRITTEN = "; nothing was written";
// The files the set-up writes, the geometry file's stem with these endings.
const char* const ZMATRIX_ENDING = ".zmat";
const char* const FREEDOM_ENDING = ".freedom";
const char* const COMBINATIONS = "combinations";
const char* const STARTS = " start geometries (ring forms and nitrogen pyramids)";

cli::Failure failed(const std::string& why) { return cli::Failure{why, cli::EXIT_FAILED}; }

// "12-13,9-11": bonds by their two atoms, joined by one character, separated by commas.
std::vector<std::pair<int, int>> bonds_option(const std::string& text) {
    std::vector<std::pair<int, int>> bonds;
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        std::istringstream words(item);
        int a = 0;
        int b = 0;
        char separator = 0;
        std::string rest;
        if (!(words >> a >> separator >> b) || (words >> rest) || a < 1 || b < 1)
            throw cli::Failure{FIX.name + " takes bonds as atom pairs, \"12-13,9-11\", not \"" +
                               text + "\""};
        bonds.emplace_back(a, b);
    }
    if (bonds.empty())
        throw cli::Failure{FIX.name + " takes bonds as atom pairs, \"12-13,9-11\", not \"\""};
    return bonds;
}

Combinations max_option(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || text[0] == '-' || text.size() > 18)
        throw cli::Failure{MAX.name +
                           " must be a whole number of combinations (0: no limit), not \"" + text +
                           "\""};
    return value;
}

int steps_option(const std::string& text) {
    char* end = nullptr;
    const long steps = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || steps < 1 || steps > MAX_FREEDOM)
        throw cli::Failure{STEPS.name + " must be a whole number of steps in 1.." +
                           std::to_string(MAX_FREEDOM) + ", not \"" + text + "\""};
    return static_cast<int>(steps);
}

// The second line of an xyz file: where other programs write the charge and multiplicity.
std::string comment_line(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// The text of a regular file; none for anything else. A derived file's name may stand
// for a device (a link to /dev/full or /dev/zero), which would be read without end.
std::optional<std::string> file_text(const std::string& file) {
    std::error_code unknown;
    if (!fs::is_regular_file(file, unknown)) return std::nullopt;
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A derived file that held something else is named: the chemist may have edited it, and
// an edited file runs in the three-file form.
void warn_if_replaced(const std::string& file, const std::optional<std::string>& before) {
    if (before && before != file_text(file))
        cli::warn(PROGRAM, file +
                               " held other text and is replaced; to run an edited file, "
                               "give the three files");
}

// Writes one derived file with write(file). The text it held is named when that changed,
// also when the writing failed after the file was emptied: an edit lost stays no secret.
template <class Write>
void write_derived(const std::string& file, Write write) {
    const std::optional<std::string> before = file_text(file);
    try {
        write(file);
    } catch (const PerceptionError& error) {
        warn_if_replaced(file, before);
        throw failed(error.what());
    }
    warn_if_replaced(file, before);
}

std::string bond_list(const std::vector<TorsionChoice>& bonds, bool with_positions) {
    std::string text;
    for (const TorsionChoice& t : bonds) {
        if (!text.empty()) text += ", ";
        text += std::to_string(t.fixed_atom) + "-" + std::to_string(t.moving_atom);
        if (with_positions) text += " (" + std::to_string(t.positions) + ")";
    }
    return text;
}

std::string fix_list(const std::vector<TorsionChoice>& bonds) {
    std::string text;
    for (const TorsionChoice& t : bonds) {
        if (!text.empty()) text += ",";
        text += std::to_string(t.fixed_atom) + "-" + std::to_string(t.moving_atom);
    }
    return text;
}

CandidatePlan plan_of(const CBasicConformer& geometry, const Request& request) {
    TorsionOptions options;
    options.steps = request.steps;
    options.fixed = request.fixed;
    try {
        return CandidatePlan(geometry, options, request.starts);
    } catch (const PerceptionError& error) {
        throw failed(request.geometry + ": " + error.what());
    }
}

// Every bond of --fix must be one; one that would not be turned anyway is named.
void check_fixed(const CandidatePlan& plan, const Request& request, const char* program) {
    const CBondGraph& graph = plan.get_setup().get_bonds();
    for (const auto& [a, b] : request.fixed) {
        const std::string bond = std::to_string(a) + "-" + std::to_string(b);
        if (a > graph.get_size() || b > graph.get_size() || !graph.bonded(a, b))
            throw failed(request.geometry + ": " + FIX.name + " " + bond + ": atoms " +
                         std::to_string(a) + " and " + std::to_string(b) + " are not bonded" +
                         NOTHING_WRITTEN);
        bool kept = false;
        for (const TorsionChoice& t : plan.get_torsions())
            kept = kept ||
                   (t.kind == TorsionKind::fixed && ((t.fixed_atom == a && t.moving_atom == b) ||
                                                     (t.fixed_atom == b && t.moving_atom == a)));
        if (!kept) cli::warn(program, FIX.name + " " + bond + ": the bond is not turned anyway");
    }
}

// A run beyond the limit is refused before anything is written, with the bonds that make
// the combinations and what would bring them under it.
void check_limit(const CandidatePlan& plan, const Request& request, const char* program) {
    const Combinations total = plan.get_combinations();
    if (request.max == 0 || total <= request.max) return;
    const std::vector<TorsionChoice> turned = plan.get_turned();
    const std::uint64_t starts = plan.get_starts().count();
    cli::note(program, "the " + std::to_string(total) + " combinations come from " +
                           (starts > 1 ? std::to_string(starts) + STARTS + " and " : "") +
                           std::to_string(turned.size()) +
                           " bonds (positions): " + bond_list(turned, true));
    const LimitAdvice advice = limit_advice(plan, request.max);
    std::string ways;
    if (advice.three_steps <= request.max)
        ways += STEPS.name + " 3 gives " + std::to_string(advice.three_steps) + "; ";
    else if (advice.two_steps <= request.max)
        ways += STEPS.name + " 2 gives " + std::to_string(advice.two_steps) + "; ";
    if (advice.without_inversion < total)
        ways += NO_INVERSION.name + " gives " + std::to_string(advice.without_inversion) + "; ";
    if (advice.without_rings < total)
        ways += NO_RINGS.name + " gives " + std::to_string(advice.without_rings) + "; ";
    if (!advice.to_fix.empty())
        ways += FIX.name + " " + fix_list(advice.to_fix) +
                " (those bonds kept as in the input) gives " + std::to_string(advice.after_fixing) +
                "; ";
    ways += MAX.name + " 0 lifts the limit";
    cli::note(program, ways);
    throw failed(request.geometry + ": " + std::to_string(total) + " combinations, more than " +
                 MAX.name + " " + std::to_string(request.max) + NOTHING_WRITTEN);
}

std::string output_words(const Request& request, const InputSettings& settings,
                         Combinations count) {
    const std::string many = std::to_string(count);
    switch (request.output) {
        case Output::count: return many + " counted";
        case Output::collection: return many + " records";
        case Output::xyz_files: return many + " xyz files";
        case Output::inputs:
            switch (settings.format) {
                case InputFormat::gaussian: return many + " Gaussian inputs";
                case InputFormat::orca: return many + " ORCA inputs";
                case InputFormat::xyz: return many + " xyz files";
            }
    }
    return many;
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

}  // namespace

const char* const HELP_LINES =
    "  --steps N         every turned bond in N steps per full turn, 1..9\n"
    "  --fix a-b,...     keep these bonds as in the input\n"
    "  --max N           refuse a run of more than N combinations (5000; 0: no limit)\n"
    "  --dry-run         write and check the two files, generate nothing\n"
    "  --no-rings        keep every ring's pucker as in the input\n"
    "  --no-inversion    keep every amine nitrogen's pyramid as in the input\n";

std::vector<cli::Option> options() {
    std::vector<cli::Option> all = {STEPS, DRY_RUN, MAX, FIX, NO_RINGS, NO_INVERSION};
    for (const cli::Option& option : inputs::options()) all.push_back(option);
    return all;
}

void read_options(const cli::Options& options, Request& request) {
    if (options.has(STEPS)) request.steps = steps_option(options.value(STEPS));
    request.dry_run = options.has(DRY_RUN);
    if (options.has(MAX)) request.max = max_option(options.value(MAX));
    if (options.has(FIX)) request.fixed = bonds_option(options.value(FIX));
    request.starts.rings = !options.has(NO_RINGS);
    request.starts.inversion = !options.has(NO_INVERSION);
    request.inputs = inputs::read_request(options);
    const bool xyz_format = request.inputs.settings.format == InputFormat::xyz;
    if (request.output == Output::xyz_files && request.inputs.format_given && !xyz_format)
        throw cli::Failure{"the mode xyz writes xyz files: it goes without " + inputs::FORMAT.name +
                           " or with " + inputs::FORMAT.name + " xyz"};
    if (request.output == Output::inputs && xyz_format) request.output = Output::xyz_files;
    if (request.output == Output::xyz_files) {
        if (!request.inputs.settings.route.empty())
            throw cli::Failure{inputs::ROUTE.name +
                               " goes with Gaussian or ORCA inputs: an xyz "
                               "file has no route"};
        request.inputs.settings.format = InputFormat::xyz;
    }
}

CandidatePlan checked_plan(const Request& request, const CBasicConformer& geometry,
                           const char* program) {
    const std::string& file = request.geometry;
    CandidatePlan plan = plan_of(geometry, request);
    check_fixed(plan, request, program);
    const auto found = static_cast<int>(plan.get_turned().size());
    // A rigid chain on a flexible ring still has its ring forms; only the freedom file,
    // which cannot list no bond, is left out.
    if (found == 0 && plan.get_starts().count() <= 1)
        throw failed(file + ": " + no_rotatable_bond_message() + NOTHING_WRITTEN);
    if (found > MAX_FREEDOM_NUMBER)
        throw failed(file + ": " + too_many_rotatable_message(found, MAX_FREEDOM_NUMBER) +
                     NOTHING_WRITTEN);
    check_limit(plan, request, program);
    return plan;
}

int run(const Request& request, const CBasicConformer& geometry) {
    const auto start = std::chrono::steady_clock::now();
    const std::string& file = request.geometry;
    const std::string stem = fs::path(file).stem().string();
    const CandidatePlan plan = checked_plan(request, geometry, PROGRAM);
    const int found = static_cast<int>(plan.get_turned().size());
    const std::uint64_t starts = plan.get_starts().count();
    const std::string zmatrix = stem + ZMATRIX_ENDING;
    const std::string freedom = stem + FREEDOM_ENDING;
    for (const std::string& derived : {zmatrix, freedom}) {
        std::error_code error;
        if (fs::equivalent(derived, file, error))
            throw failed(file + ": the set-up would write " + derived +
                         " over it; give the geometry a name ending in .xyz");
    }

    InputSettings settings = request.inputs.settings;
    ElectronState state;
    const bool inputs = request.output == Output::inputs;
    std::vector<int> numbers;
    for (int i = 1; i <= geometry.get_size(); ++i)
        numbers.push_back(geometry.get_element(i).get_number());
    const std::string folder = request.folder.empty() ? stem + CANDIDATES_ENDING : request.folder;
    const std::string collection = stem + COLLECTION_ENDING;
    if (!request.dry_run) {
        if (inputs)
            state = inputs::electron_state(request.inputs, comment_line(file), numbers, file);
        if (request.output == Output::inputs || request.output == Output::xyz_files) {
            const std::string fault = folder_fault(folder, request.inputs.overwrite);
            if (!fault.empty()) throw failed(fault + NOTHING_WRITTEN);
        } else if (request.output == Output::collection && fs::exists(collection) &&
                   !request.inputs.overwrite) {
            throw failed(collection + " holds the candidates of an earlier run; " +
                         inputs::OVERWRITE.name + " replaces it" + NOTHING_WRITTEN);
        }
    }

    write_derived(zmatrix, [&](const std::string& f) { plan.write_zmatrix_file(f); });
    if (found > 0)
        write_derived(freedom, [&](const std::string& f) { plan.write_freedom_file(f); });
    const Combinations total = plan.get_combinations();
    std::cout << "Z-matrix file: " << zmatrix << '\n';
    if (found > 0)
        std::cout << "freedom file: " << freedom << ", " << found << " rotatable bonds, "
                  << plan.get_torsion_combinations() << " combinations"
                  << (starts > 1 ? " of turns" : "") << '\n';
    else
        std::cout << "freedom file: none written (no rotatable bond)\n";
    if (starts > 1)
        std::cout << starts << STARTS << ", " << total << " " << COMBINATIONS << " in all\n";
    std::istringstream lines(plan.listing());
    for (std::string line; std::getline(lines, line);) std::cout << "  " << line << '\n';
    std::cout.flush();
    if (request.dry_run) return cli::EXIT_DONE;

    const std::string log_file = stem + CANDIDATE_LOG_ENDING;
    std::ofstream log(log_file, std::ios::trunc);
    if (!log) throw failed("cannot create the run log " + log_file);
    if (request.output == Output::inputs || request.output == Output::xyz_files) {
        const std::string fault = prepare_folder(folder, request.inputs.overwrite);
        if (!fault.empty()) throw failed(fault);
    }
    writetime(log) << '\n' << file << ": " << geometry.get_size() << " atoms\n" << plan.listing();
    log << "combinations: " << total << std::endl;

    std::optional<CandidateWriter> writer;
    if (request.output == Output::collection) writer.emplace(collection);
    if (request.output == Output::inputs || request.output == Output::xyz_files)
        writer.emplace(folder, settings);
    ProgressLine progress(std::cerr, standard_error_is_terminal(), PROGRAM, COMBINATIONS, total);
    Combinations unwritten = 0;
    std::string first_name;
    std::string last_name;
    const WalkCounts walked = walk_named_candidates(
        plan, stem,
        [&](const NamedCandidate& candidate) {
            if (first_name.empty()) first_name = candidate.name;
            last_name = candidate.name;
            if (!writer) return;
            const InputJob job{candidate.name, candidate.title, state, candidate.symbols,
                               candidate.positions};
            if (!writer->write(job)) ++unwritten;
        },
        [&](Combinations done) { progress.update(done); },
        [&](const std::string& line) { log << line << '\n'; });
    const CandidateCounts& counts = walked.counts;
    const Combinations repeated = walked.repeats;
    const Combinations serial = walked.kept;
    progress.finish();
    if (writer && !writer->close() && unwritten == 0) ++unwritten;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::ostringstream summary;
    summary << "skipped as clashing: " << counts.clashing_bonding + counts.clashing_vdw
            << " (within the bonding distance: " << counts.clashing_bonding
            << "; within 0.7 of the van der Waals radii: " << counts.clashing_vdw << ")\n"
            << "side corrections: " << counts.corrections << '\n';
    if (counts.starts > 1) {
        summary << "start geometries: " << counts.starts << " (dropped: " << counts.dropped_starts;
        if (counts.dropped_starts > 0)
            summary << ", their " << counts.dropped
                    << " combinations: a centre turned inside out or a clash no turn moves, "
                       "named in the log";
        summary << ")\n";
    }
    summary << "repeats left out: " << repeated << " (within " << REPEAT_RMSD
            << " angstrom of a candidate before, over the heavy atoms and over all atoms)\n"
            << "candidates: " << output_words(request, settings, serial);
    if (serial > 0 && request.output != Output::count) {
        const std::string extension =
            request.output == Output::collection ? std::string() : input_extension(settings.format);
        if (request.output == Output::collection)
            summary << " in " << collection;
        else
            summary << ", " << (fs::path(folder) / (first_name + extension)).string() << " to "
                    << last_name + extension;
    }
    summary << "\nlog: " << log_file << "\ntime: " << seconds_text(seconds) << '\n';
    std::cout << summary.str() << std::flush;
    log << summary.str() << std::flush;

    if (unwritten != 0) {
        const std::string where = request.output == Output::collection
                                      ? " candidate records could not be written to " + collection
                                      : " candidate files could not be written into " + folder +
                                            " (the first: " + writer->get_first_failure() + ")";
        throw failed(std::to_string(unwritten) + " of " + std::to_string(serial) + where);
    }
    if (!log.good())
        throw failed("cannot write file: " + log_file + ": the log of the run is incomplete");
    if (serial == 0)
        throw failed("no candidate: every one of the " + std::to_string(total) +
                     " combinations clashes, and no side correction frees it");
    return cli::EXIT_DONE;
}

}  // namespace confsearch::one_file
