#include "CSearch/run_record.h"

#include "CSearch/done_marker.h"
#include "CSearch/screening_messages.h"
#include "CSearch/screening_names.h"
#include "whole_file.h"

namespace confsearch {

namespace fs = std::filesystem;

namespace {

const char FIELD = '\t';
const std::string NO_SOLVENT = "none";

std::string one_line(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == FIELD) c = ' ';
    return text;
}

std::string frame_text(const XyzGeometry& geometry, const std::string& comment) {
    return std::to_string(geometry.symbols.size()) + "\n" + comment + "\n" +
           xyz_atom_lines(geometry);
}

DoneMarker settings_of(const RunRecord& record) {
    const ScreeningConditions& c = record.conditions;
    DoneMarker settings;
    settings.set(SETTING_XTB, c.xtb_version);
    settings.set(SETTING_LEVEL, c.level);
    settings.set(SETTING_CHARGE, std::to_string(c.charge));
    settings.set(SETTING_MULTIPLICITY, std::to_string(c.multiplicity));
    settings.set(SETTING_SOLVENT, c.solvent.empty() ? NO_SOLVENT : c.solvent);
    settings.set(SETTING_CANDIDATES, std::to_string(record.candidates.size()));
    settings.set(SETTING_SOURCE, record.source);
    return settings;
}

// The settings as the chemist gave them: the option and how it reads.
struct Setting {
    const std::string& key;
    const char* option;
};
const Setting SETTINGS[] = {
    {SETTING_XTB, "xtb version"},   {SETTING_LEVEL, "--opt"},
    {SETTING_CHARGE, "--charge"},   {SETTING_MULTIPLICITY, "--multiplicity"},
    {SETTING_SOLVENT, "--solvent"}, {SETTING_SOURCE, "candidates made by"},
};

// Why a folder that holds no record cannot take one: it holds files of something else,
// which the run's files could mix with or (the inputs folder) replace.
bool only_record_files(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        bool ours = false;
        for (const std::string& file : {RUN_MOLECULE_FILE, RUN_CANDIDATES_FILE, RUN_SETTINGS_FILE})
            ours = ours || name == file || fs::path(name) == partial_file(file).filename();
        if (!ours) return false;
    }
    return !error;
}

XyzGeometry read_recorded_molecule(const fs::path& folder) {
    const std::vector<ScreeningCandidate> frames =
        read_candidates(folder / RUN_MOLECULE_FILE, "molecule");
    if (frames.size() != 1)
        throw RunRefusal(message::damaged_run_record((folder / RUN_MOLECULE_FILE).string()));
    return frames.front().geometry;
}

void check_against(const fs::path& folder, const RunRecord& record) {
    const std::string shown = folder.string();
    const DoneMarker recorded = DoneMarker::read(folder / RUN_SETTINGS_FILE);
    const DoneMarker asked = settings_of(record);
    for (const Setting& setting : SETTINGS)
        if (recorded.get(setting.key) != asked.get(setting.key))
            throw RunRefusal(message::other_setting(
                shown, setting.option, recorded.get(setting.key), asked.get(setting.key)));
    const XyzGeometry molecule = read_recorded_molecule(folder);
    if (xyz_atom_lines(molecule) != xyz_atom_lines(record.molecule))
        throw RunRefusal(message::other_molecule(shown));
    const std::vector<ScreeningCandidate> candidates =
        read_candidates_file(folder / RUN_CANDIDATES_FILE);
    if (candidates.size() != record.candidates.size())
        throw RunRefusal(
            message::other_candidate_count(shown, candidates.size(), record.candidates.size()));
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const ScreeningCandidate& asked_for = record.candidates[i];
        if (candidates[i].name != asked_for.name ||
            xyz_atom_lines(candidates[i].geometry) != xyz_atom_lines(asked_for.geometry))
            throw RunRefusal(message::other_candidate(shown, candidates[i].name, asked_for.origin));
    }
}

}  // namespace

std::string candidates_text(const std::vector<ScreeningCandidate>& candidates) {
    std::string text;
    for (const ScreeningCandidate& c : candidates)
        text += frame_text(
            c.geometry, c.name + FIELD + one_line(c.origin) + FIELD + one_line(c.geometry.comment));
    return text;
}

std::vector<ScreeningCandidate> read_candidates_file(const fs::path& file) {
    std::vector<ScreeningCandidate> recorded;
    try {
        recorded = read_candidates(file, "recorded");
    } catch (const CandidateError& damage) {
        throw RunRefusal(message::damaged_run_record(damage.what()));
    }
    for (ScreeningCandidate& candidate : recorded) {
        // "name<TAB>origin<TAB>comment"
        const std::string& line = candidate.geometry.comment;
        const std::size_t first = line.find(FIELD);
        const std::size_t second = first == std::string::npos ? first : line.find(FIELD, first + 1);
        if (second == std::string::npos)
            throw RunRefusal(message::damaged_run_record(candidate.origin));
        candidate.name = line.substr(0, first);
        candidate.origin = line.substr(first + 1, second - first - 1);
        candidate.geometry.comment = line.substr(second + 1);
    }
    return recorded;
}

void record_run(const fs::path& folder, const RunRecord& record) {
    try {
        if (fs::exists(folder / RUN_SETTINGS_FILE)) return check_against(folder, record);
    } catch (const CandidateError& damage) {
        throw RunRefusal(message::damaged_run_record(damage.what()));
    } catch (const RunRefusal&) {
        throw;
    } catch (const std::runtime_error& damage) {
        throw RunRefusal(message::damaged_run_record(damage.what()));
    }
    std::error_code error;
    if (fs::exists(folder, error) && !only_record_files(folder))
        throw RunRefusal(message::not_a_run_folder(folder.string()) +
                         " and holds other files: give a new or empty folder");
    fs::create_directories(folder);
    replace_file(folder / RUN_MOLECULE_FILE,
                 frame_text(record.molecule, one_line(record.molecule.comment)));
    replace_file(folder / RUN_CANDIDATES_FILE, candidates_text(record.candidates));
    replace_file(folder / RUN_SETTINGS_FILE, settings_of(record).text());
}

RunRecord read_run_record(const fs::path& folder) {
    if (!fs::exists(folder / RUN_SETTINGS_FILE))
        throw RunRefusal(message::not_a_run_folder(folder.string()));
    RunRecord record;
    try {
        const DoneMarker settings = DoneMarker::read(folder / RUN_SETTINGS_FILE);
        ScreeningConditions& c = record.conditions;
        c.xtb_version = settings.get(SETTING_XTB);
        c.level = settings.get(SETTING_LEVEL);
        c.charge = std::stoi(settings.get(SETTING_CHARGE));
        c.multiplicity = std::stoi(settings.get(SETTING_MULTIPLICITY));
        c.solvent = settings.get(SETTING_SOLVENT);
        if (c.solvent == NO_SOLVENT) c.solvent.clear();
        record.source = settings.get(SETTING_SOURCE);
        record.molecule = read_recorded_molecule(folder);
        record.candidates = read_candidates_file(folder / RUN_CANDIDATES_FILE);
        if (std::to_string(record.candidates.size()) != settings.get(SETTING_CANDIDATES))
            throw RunRefusal(message::damaged_run_record(
                (folder / RUN_CANDIDATES_FILE).string() + " holds " +
                std::to_string(record.candidates.size()) + " candidates, " + RUN_SETTINGS_FILE +
                " says " + settings.get(SETTING_CANDIDATES)));
    } catch (const RunRefusal&) {
        throw;
    } catch (const std::exception& damage) {
        throw RunRefusal(message::damaged_run_record(damage.what()));
    }
    return record;
}

}  // namespace confsearch
