// prepare_inputs: one Gaussian or ORCA input (or xyz file) for every geometry of a
// multi-structure xyz file, with the options of generate_conformers' inputs, so that the
// distinct conformers of one level go on to the next without hand editing.
//
//   prepare_inputs [options] xyz_file [folder]

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "COutFile/formats/xyz_frames.h"
#include "CSearch.h"
#include "cli.h"
#include "input_options.h"

namespace {

using namespace confsearch;

const char* const PROGRAM = "prepare_inputs";
const char* const USAGE = "usage: prepare_inputs [options] xyz_file [folder]";
const cli::Option STEM{"--stem", "NAME"};
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
    inputs::HELP_LINES + "  -h, --help        print this help\n";
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

int run(int argc, char* argv[]) {
    std::vector<cli::Option> known = inputs::options();
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
    std::string first;
    std::string last;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        const std::string name = serial_name(stem, k + 1, width);
        const std::string title = frames[k].comment.empty()
                                      ? name + " frame " + std::to_string(k + 1) + " of " + file
                                      : name + " " + frames[k].comment;
        const InputJob job{name, title, states[k], frames[k].symbols, frames[k].positions};
        if (!writer.write(job)) ++unwritten;
        if (first.empty()) first = input_file_name(request.settings, job);
        last = input_file_name(request.settings, job);
    }
    std::cout << frames.size() << " " << format_words(request.settings.format) << ", "
              << (std::filesystem::path(folder) / first).string() << " to " << last << std::endl;
    if (unwritten != 0)
        throw failed(std::to_string(unwritten) + " of " + std::to_string(frames.size()) +
                     " inputs could not be written into " + folder +
                     " (the first: " + writer.get_first_failure() + ")");
    return cli::EXIT_DONE;
}

}  // namespace

int main(int argc, char* argv[]) {
    return confsearch::cli::run_main(PROGRAM, HELP, run, argc, argv);
}
