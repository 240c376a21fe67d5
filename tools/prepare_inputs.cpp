// prepare_inputs: one Gaussian or ORCA input (or xyz file) for every geometry of a
// multi-structure xyz file, with the options of generate_conformers' inputs, so that the
// distinct conformers of one level go on to the next without hand editing; with --slurm
// also a job-array script that runs them on a SLURM cluster.
//
//   prepare_inputs [options] xyz_file [folder]

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile/formats/xyz_frames.h"
#include "COutFile/result_list.h"
#include "CSearch.h"
#include "cli.h"
#include "input_options.h"
#include "slurm_options.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "prepare_inputs";
const char* const USAGE = "usage: prepare_inputs [options] xyz_file [folder]";
const cli::Option STEM{"--stem", "NAME"};
const cli::Option QM_PROGRAM{"--program", "CMD"};
// A rank needs fewer digits than a candidate's serial: "ibuprofen_001".
const int SERIAL_DIGITS = 3;

const std::string DESCRIPTION =
    std::string(
        "Writes one input per geometry of a multi-structure xyz file (the unique_conformers.xyz\n"
        "of a sorter, an ensemble of xtb, CREST or any other program), in the order of the\n"
        "file: <stem>_001.gjf, <stem>_002.gjf, ... into folder (<stem>_inputs), the title of\n"
        "each its frame's comment line. The charge and multiplicity are checked for every\n"
        "frame against its electrons; without the options they come from charge= and\n"
        "multiplicity= on the frame's comment line, else 0 and 1. Options may stand before\n"
        "or after the files; \"--\" ends them.\n"
        "\n"
        "  --stem NAME       the name the files begin with (the xyz file's, without ending)\n") +
    inputs::HELP_LINES +
    "With --slurm, <stem>.sbatch in the folder runs one input per task of a job array, its\n"
    "output beside it (<stem>_001.log of Gaussian, .out of ORCA), and list.txt names the\n"
    "outputs for sort_outputs; --nproc and --mem size each task.\n" +
    slurm::HELP_LINES +
    "  --program CMD     the program the tasks run: a name on the PATH or a path (g16;\n"
    "                    orca, called by its full path)\n"
    "  -h, --help        print this help\n";
const cli::Help HELP = {USAGE, DESCRIPTION.c_str()};

cli::Failure failed(const std::string& why) { return cli::Failure{why, cli::EXIT_FAILED}; }

std::string format_words(InputFormat format) {
    switch (format) {
        case InputFormat::gaussian: return "Gaussian inputs";
        case InputFormat::orca: return "ORCA inputs";
        case InputFormat::xyz: return "xyz files";
    }
    return "";
}

// The job array's script, its program and resources; none without --slurm.
struct JobArray {
    bool wanted = false;
    std::string program;
    SlurmResources resources;
};

JobArray read_job_array(const cli::Options& options, const inputs::Request& request,
                        const std::string& stem) {
    JobArray array;
    SlurmResources given;
    given.job_name = stem;
    array.resources = slurm::read_resources(options, program_resources(request.settings, given));
    array.wanted = options.has(slurm::SLURM);
    if (!array.wanted) {
        if (options.has(QM_PROGRAM))
            throw cli::Failure{QM_PROGRAM.name + " goes with " + slurm::SLURM.name +
                               ": it is the program of the job-array script"};
        return array;
    }
    if (request.settings.format == InputFormat::xyz)
        throw cli::Failure{slurm::SLURM.name +
                           " goes with --format gaussian or orca: xyz files run no program"};
    array.program = options.has(QM_PROGRAM) ? options.value(QM_PROGRAM)
                                            : default_program(request.settings.format);
    if (array.program.empty() || array.program.find_first_of("\n\r") != std::string::npos)
        throw cli::Failure{QM_PROGRAM.name + " must name a program, not \"" + array.program + "\""};
    return array;
}

// Writes the script and the sorters' list beside the inputs, and says how to submit it.
void write_job_array(const JobArray& array, const std::string& folder, const std::string& stem,
                     InputFormat format, const std::vector<std::string>& inputs) {
    const std::string script = stem + SBATCH_ENDING;
    const std::string unwritten =
        write_program_array(folder, script, array.resources, format, array.program, inputs);
    if (!unwritten.empty()) throw failed("cannot write " + unwritten);
    if (inputs.size() > SLURM_DEFAULT_MOST_TASK)
        cli::warn(PROGRAM, std::to_string(inputs.size()) +
                               " tasks: a cluster of SLURM's default MaxArraySize takes at most " +
                               std::to_string(SLURM_DEFAULT_MOST_TASK) +
                               " (scontrol show config | grep MaxArraySize)");
    std::cout << "job array of " << inputs.size()
              << " tasks: " << (std::filesystem::path(folder) / script).string()
              << ", its outputs in " << (std::filesystem::path(folder) / LIST_FILE).string()
              << "\nsubmit: " << sbatch_command(folder, script) << std::endl;
}

int run(int argc, char* argv[]) {
    std::vector<cli::Option> known = inputs::options();
    const std::vector<cli::Option> array_options = slurm::options();
    known.insert(known.end(), array_options.begin(), array_options.end());
    known.push_back(QM_PROGRAM);
    known.push_back(STEM);
    const cli::Options options = cli::read_options_anywhere(argc, argv, known, USAGE);
    const std::vector<std::string>& args = options.positional;
    if (args.empty() || args.size() > 2) {
        std::cerr << USAGE << std::endl;
        return cli::EXIT_REFUSED;
    }
    const inputs::Request request = inputs::read_request(options);
    const std::string& file = args[0];
    const std::string stem =
        options.has(STEM) ? options.value(STEM) : std::filesystem::path(file).stem().string();
    if (stem.empty() || stem.find('/') != std::string::npos)
        throw cli::Failure{STEM.name + " must be a name without \"/\", not \"" + stem + "\"",
                           cli::EXIT_REFUSED, USAGE};
    const std::string folder = args.size() > 1 ? args[1] : stem + INPUTS_ENDING;
    const JobArray array = read_job_array(options, request, stem);

    std::vector<XyzFrame> frames;
    const ReadError error = read_xyz_frames(file, frames);
    if (!error.ok()) {
        if (error.what == "cannot read file") throw failed("cannot read file: " + file);
        throw failed(error.message(file));
    }
    // Every frame's state is checked before anything is written.
    std::vector<ElectronState> states;
    for (std::size_t k = 0; k < frames.size(); ++k)
        states.push_back(inputs::electron_state(request, frames[k].comment, frames[k].numbers,
                                                file + ", frame " + std::to_string(k + 1) +
                                                    " (line " + std::to_string(frames[k].line) +
                                                    ")"));
    const std::string fault = prepare_folder(folder, request.overwrite);
    if (!fault.empty()) throw failed(fault + "; nothing was written");

    const int width = serial_width(frames.size(), SERIAL_DIGITS);
    CandidateWriter writer(folder, request.settings);
    std::size_t unwritten = 0;
    std::vector<std::string> names;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const std::string name = serial_name(stem, k + 1, width);
        const std::string title = frames[k].comment.empty()
                                      ? name + " frame " + std::to_string(k + 1) + " of " + file
                                      : name + " " + frames[k].comment;
        const InputJob job{name, title, states[k], frames[k].symbols, frames[k].positions};
        if (!writer.write(job)) ++unwritten;
        names.push_back(input_file_name(request.settings, job));
    }
    std::cout << frames.size() << " " << format_words(request.settings.format) << ", "
              << (std::filesystem::path(folder) / names.front()).string() << " to " << names.back()
              << std::endl;
    if (unwritten != 0)
        throw failed(std::to_string(unwritten) + " of " + std::to_string(frames.size()) +
                     " inputs could not be written into " + folder +
                     " (the first: " + writer.get_first_failure() + ")");
    if (array.wanted) write_job_array(array, folder, stem, request.settings.format, names);
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
