// The writers of job inputs and the checks of what goes into them.
#include "CSearch/input_files.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "candidate_messages.h"

namespace confsearch {

namespace {

const std::size_t TITLE_WIDTH = 72;
const std::size_t TITLE_LINES = 5;
// ORCA's manual: %maxcore at about three quarters of the physical memory per process.
const long MAXCORE_SHARE_NUMERATOR = 3;
const long MAXCORE_SHARE_DENOMINATOR = 4;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<int> whole(const std::string& text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

// A title Gaussian takes: "The following characters should be avoided in the title
// section: @ # ! - _ \ all control characters" (Gaussian manual, The Title Section).
std::string gaussian_title_text(const std::string& title) {
    std::string text;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(title[i]);
        if (c == '-') {
            const bool number_follows =
                i + 1 < title.size() &&
                (std::isdigit(static_cast<unsigned char>(title[i + 1])) || title[i + 1] == '.');
            text += number_follows ? "minus " : " ";
        } else if (c < 0x20 || c == 0x7f || c == '@' || c == '#' || c == '!' || c == '_' ||
                   c == '\\') {
            text += ' ';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

// Words into lines of at most `width` characters (a longer word stands alone), at most
// `most` lines; a title with nothing to show becomes one word, so that the section is
// never empty.
std::vector<std::string> wrapped(const std::string& text, std::size_t width, std::size_t most) {
    std::istringstream words(text);
    std::vector<std::string> lines;
    std::string line;
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) lines.push_back(line);
    if (lines.empty()) lines.push_back("candidate");
    if (lines.size() > most) lines.resize(most);
    return lines;
}

std::string one_line(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

void write_atoms(std::ostream& out, const InputJob& job) {
    char line[128];
    for (std::size_t i = 0; i < job.positions.size(); ++i) {
        const CVECTOR& p = job.positions[i];
        std::snprintf(line, sizeof line, "%-2s %15.8f %15.8f %15.8f\n", job.symbols[i].c_str(), p.x,
                      p.y, p.z);
        out << line;
    }
}

std::string route_of(const InputSettings& settings) {
    return settings.route.empty() ? default_route(settings.format) : settings.route;
}

}  // namespace

std::optional<InputFormat> input_format_named(const std::string& word) {
    if (word == "gaussian") return InputFormat::gaussian;
    if (word == "orca") return InputFormat::orca;
    if (word == "xyz") return InputFormat::xyz;
    return std::nullopt;
}

std::string input_extension(InputFormat format) {
    switch (format) {
        case InputFormat::gaussian: return ".gjf";
        case InputFormat::orca: return ".inp";
        case InputFormat::xyz: return ".xyz";
    }
    return "";
}

std::string default_route(InputFormat format) {
    switch (format) {
        case InputFormat::gaussian: return "#p PM7 opt";
        case InputFormat::orca: return "! HF-3c Opt";
        case InputFormat::xyz: return "";
    }
    return "";
}

StateWords state_words(const std::string& comment) {
    StateWords said;
    std::istringstream words(comment);
    for (std::string word; words >> word;) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = lower(word.substr(0, equals));
        const std::optional<int> value = whole(word.substr(equals + 1));
        if (!value) continue;
        if (key == "charge") said.charge = value;
        if (key == "multiplicity" || key == "mult") said.multiplicity = value;
    }
    return said;
}

std::string electron_state_fault(const std::vector<int>& numbers, const ElectronState& state) {
    long electrons = -static_cast<long>(state.charge);
    for (const int z : numbers) electrons += z;
    if (state.multiplicity < 1) return detail::bad_multiplicity_message(state.multiplicity);
    if (electrons < state.multiplicity - 1)
        return detail::too_few_electrons_message(state.charge, state.multiplicity, electrons);
    if ((electrons % 2 != 0) == (state.multiplicity % 2 != 0))
        return detail::wrong_parity_message(state.charge, state.multiplicity, electrons);
    return "";
}

std::optional<JobMemory> job_memory(const std::string& text) {
    const std::string unit = lower(text.size() >= 2 ? text.substr(text.size() - 2) : "");
    if (unit != "mb" && unit != "gb") return std::nullopt;
    const std::string number = text.substr(0, text.size() - 2);
    if (number.empty() || number.size() > 7) return std::nullopt;
    long value = 0;
    for (const char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1) return std::nullopt;
    return JobMemory{unit == "gb" ? value * 1024 : value, text};
}

std::string route_fault(InputFormat format, const std::string& route) {
    if (route.find_first_of("\r\n") != std::string::npos) return detail::route_lines_message();
    const std::size_t first = route.find_first_not_of(" \t");
    const char lead = first == std::string::npos ? '\0' : route[first];
    if (format == InputFormat::gaussian && lead != '#')
        return detail::gaussian_route_message(route);
    if (format == InputFormat::orca && lead != '!') return detail::orca_route_message(route);
    return "";
}

std::string input_file_name(const InputSettings& settings, const InputJob& job) {
    return job.name + input_extension(settings.format);
}

std::string input_text(const InputSettings& settings, const InputJob& job) {
    std::ostringstream out;
    const std::string state =
        std::to_string(job.state.charge) + " " + std::to_string(job.state.multiplicity);
    switch (settings.format) {
        case InputFormat::gaussian:
            if (settings.processors > 0) out << "%nprocshared=" << settings.processors << '\n';
            if (settings.memory) out << "%mem=" << settings.memory->text << '\n';
            out << "%chk=" << job.name << ".chk\n" << route_of(settings) << "\n\n";
            for (const std::string& line :
                 wrapped(gaussian_title_text(job.title), TITLE_WIDTH, TITLE_LINES))
                out << line << '\n';
            out << '\n' << state << '\n';
            write_atoms(out, job);
            // Gaussian reads atoms up to an empty line, and some versions stop with an
            // error when the file ends right after it.
            out << "\n\n";
            break;
        case InputFormat::orca: {
            std::istringstream title(job.title);
            for (std::string line; std::getline(title, line);) out << "# " << line << '\n';
            out << route_of(settings) << '\n';
            const int processes = settings.processors > 0 ? settings.processors : 1;
            if (settings.processors > 1) out << "%pal nprocs " << settings.processors << " end\n";
            if (settings.memory)
                out << "%maxcore "
                    << settings.memory->megabytes * MAXCORE_SHARE_NUMERATOR /
                           (MAXCORE_SHARE_DENOMINATOR * processes)
                    << '\n';
            out << "\n* xyz " << state << '\n';
            write_atoms(out, job);
            out << "*\n";
            break;
        }
        case InputFormat::xyz:
            out << job.positions.size() << '\n' << one_line(job.title) << '\n';
            write_atoms(out, job);
            break;
    }
    return out.str();
}

}  // namespace confsearch
