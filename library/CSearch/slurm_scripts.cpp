// The #SBATCH head of a job-array script, the checks of what it asks for, and the script
// of one quantum-chemistry input per task.
#include "CSearch/slurm_scripts.h"

#include <cctype>
#include <filesystem>
#include <sstream>

#include "COutFile/result_list.h"
#include "detail/text_io.h"

namespace confsearch {

namespace {

// What lies outside Gaussian's %mem: its executables, shared libraries and buffers.
const long GAUSSIAN_OVERHEAD_MEGABYTES = 1024;
// A field of a time limit: more digits than a year of minutes is a slip of the keyboard.
const std::size_t MOST_TIME_DIGITS = 6;

bool all_digits(const std::string& text) {
    if (text.empty() || text.size() > MOST_TIME_DIGITS) return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The characters bash takes as part of a word as they are.
bool plain_character(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '-' ||
           c == '/' || c == '+' || c == ',' || c == ':' || c == '@' || c == '%' || c == '=';
}

// sbatch reads its #SBATCH lines with a tokenizer of its own: a job name that needs no
// quoting at all is the one it surely reads as meant.
std::string job_name_word(const std::string& name) {
    std::string word = name;
    for (char& c : word)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '-')
            c = '_';
    return word;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t cut; (cut = text.find(separator, start)) != std::string::npos; start = cut + 1)
        parts.push_back(text.substr(start, cut - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The task's part of a program's script: which input, a check that it is here and that
// the program is, the run into a .partial output, and the output put in place when the
// program ended by itself. A task the scheduler killed (time limit, scancel, a node lost)
// never gets past the program's line, so only its .partial is left; a program that failed
// still has its output put in place, since Gaussian's log is the record of what went
// wrong and the sorters refuse it for want of its "Normal termination".
const char* const TASK_BODY = R"(task=${SLURM_ARRAY_TASK_ID:-}
if [[ ! $task =~ ^[1-9][0-9]*$ ]] || ((task > ${#inputs[@]})); then
    echo "task \"$task\" is not one of 1..${#inputs[@]}: submit this script with sbatch" >&2
    exit 2
fi
input=${inputs[task - 1]}
output=${input%.*}.@OUTPUT_ENDING@
if [[ ! -f $input ]]; then
    echo "$input is not in $PWD: submit this script from the folder of the inputs" >&2
    exit 2
fi
# ORCA runs its parallel steps only when it is called by its full path.
if ! path=$(command -v -- "$program"); then
    echo "$program: no such program on this node: load its module, or name it in program=" >&2
    exit 127
fi
@RUN@
status=$?
if ((status > 128)); then
    echo "$input: $program was ended by signal $((status - 128)); its output so far is $output@PARTIAL@" >&2
    exit "$status"
fi
if ! mv -f -- "$output@PARTIAL@" "$output"; then
    echo "$input: cannot put $output in place" >&2
    exit 1
fi
if ((status != 0)); then
    echo "$input: $program ended with exit status $status; its output is $output" >&2
fi
exit "$status"
)";

void replace_all(std::string& text, const std::string& key, const std::string& value) {
    for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += value.size())
        text.replace(at, key.size(), value);
}

std::string program_words(InputFormat format) {
    return format == InputFormat::orca ? "ORCA jobs" : "Gaussian jobs";
}

}  // namespace

std::string slurm_time_fault(const std::string& time) {
    const std::string shape =
        "a time limit is minutes, hours:minutes:seconds or days-hours:minutes:seconds "
        "(\"90\", \"12:00:00\", \"2-00:00:00\"), not \"" +
        time + "\"";
    const std::vector<std::string> day_parts = split(time, '-');
    if (day_parts.size() > 2) return shape;
    const bool days = day_parts.size() == 2;
    if (days && !all_digits(day_parts[0])) return shape;
    const std::vector<std::string> clock = split(day_parts.back(), ':');
    if (clock.size() > 3) return shape;
    for (const std::string& field : clock)
        if (!all_digits(field)) return shape;
    return "";
}

std::string slurm_name_fault(const std::string& name) {
    bool good = !name.empty();
    for (const char c : name)
        good = good && (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' ||
                        c == '-' || c == ',');
    if (good) return "";
    return "a partition or account is named by letters, digits and _ . - , only, not \"" + name +
           "\"";
}

std::string shell_word(const std::string& word) {
    if (word.empty()) return "''";
    bool control = false;
    for (const char c : word) control = control || std::iscntrl(static_cast<unsigned char>(c));
    // A line end cannot be escaped by a backslash; single quotes take it as it is.
    if (control) {
        std::string quoted = "'";
        for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }
    // Backslashes rather than quotes: "'$HOME/g16'" would read as a slip to shellcheck.
    std::string escaped;
    for (const char c : word) {
        if (!plain_character(c)) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string sbatch_head(const SlurmResources& resources, std::size_t tasks) {
    std::ostringstream head;
    head << "#!/bin/bash\n";
    if (!resources.job_name.empty())
        head << "#SBATCH --job-name=" << job_name_word(resources.job_name) << '\n';
    head << "#SBATCH --array=1-" << tasks;
    if (resources.max_running > 0) head << '%' << resources.max_running;
    head << "\n#SBATCH --nodes=1\n#SBATCH --ntasks=" << resources.tasks
         << "\n#SBATCH --cpus-per-task=" << resources.cpus_per_task << '\n';
    if (resources.megabytes > 0) head << "#SBATCH --mem=" << resources.megabytes << "M\n";
    if (!resources.time.empty()) head << "#SBATCH --time=" << resources.time << '\n';
    if (!resources.partition.empty()) head << "#SBATCH --partition=" << resources.partition << '\n';
    if (!resources.account.empty()) head << "#SBATCH --account=" << resources.account << '\n';
    head << "#SBATCH --output=" << SLURM_LOG_PATTERN << '\n';
    return head.str();
}

std::string default_program(InputFormat format) {
    return format == InputFormat::orca ? "orca" : "g16";
}

std::string program_output_name(InputFormat format, const std::string& input) {
    const std::size_t dot = input.rfind('.');
    const std::string stem = dot == std::string::npos ? input : input.substr(0, dot);
    return stem + (format == InputFormat::orca ? ".out" : ".log");
}

SlurmResources program_resources(const InputSettings& settings, SlurmResources resources) {
    const int processors = settings.processors > 0 ? settings.processors : 1;
    const bool orca = settings.format == InputFormat::orca;
    resources.tasks = orca ? processors : 1;
    resources.cpus_per_task = orca ? 1 : processors;
    if (settings.memory)
        resources.megabytes = settings.memory->megabytes + (orca ? 0 : GAUSSIAN_OVERHEAD_MEGABYTES);
    return resources;
}

std::string program_array_script(const SlurmResources& resources, InputFormat format,
                                 const std::string& program,
                                 const std::vector<std::string>& inputs) {
    std::ostringstream script;
    script
        << sbatch_head(resources, inputs.size()) << "#\n# " << program_words(format)
        << ", one input of this folder per task, each output beside its input.\n"
           "# Submit from this folder with sbatch; one task by hand: SLURM_ARRAY_TASK_ID=1 bash\n"
           "# <this script>. An output is written as <output>"
        << RUNNING_OUTPUT_ENDING
        << " and takes its own name when the\n"
           "# program has ended by itself: a task that was killed leaves only the "
        << RUNNING_OUTPUT_ENDING << " file.\n\nset -u\n\nprogram=" << shell_word(program)
        << "\ninputs=(\n";
    for (const std::string& input : inputs) script << "    " << shell_word(input) << '\n';
    script << ")\n\n";
    std::string body = TASK_BODY;
    const std::string ending = program_output_name(format, "").substr(1);
    replace_all(body, "@OUTPUT_ENDING@", ending);
    replace_all(body, "@PARTIAL@", RUNNING_OUTPUT_ENDING);
    replace_all(body, "@RUN@",
                format == InputFormat::orca
                    ? "\"$path\" \"$input\" > \"$output" + RUNNING_OUTPUT_ENDING + "\""
                    : "\"$path\" < \"$input\" > \"$output" + RUNNING_OUTPUT_ENDING + "\"");
    script << body;
    return script.str();
}

std::string write_program_array(const std::string& folder, const std::string& script,
                                const SlurmResources& resources, InputFormat format,
                                const std::string& program,
                                const std::vector<std::string>& inputs) {
    const std::string script_file = (std::filesystem::path(folder) / script).string();
    if (!detail::write_whole_file(script_file, [&](std::ostream& out) {
            out << program_array_script(resources, format, program, inputs);
        }))
        return script_file;
    const std::string list_file = (std::filesystem::path(folder) / LIST_FILE).string();
    if (!detail::write_whole_file(list_file, [&](std::ostream& out) {
            for (const std::string& input : inputs)
                out << program_output_name(format, input) << '\n';
        }))
        return list_file;
    return "";
}

std::string sbatch_command(const std::string& folder, const std::string& script) {
    return "cd " + shell_word(folder) + " && sbatch " + shell_word(script);
}

}  // namespace confsearch
