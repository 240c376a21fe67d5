// Where a run's candidates go and what they are called: one input file per candidate in a
// folder of the molecule's own (ibuprofen_candidates/ibuprofen_0001.gjf), or one record
// each in a collection file; the folder checked before anything is written, and the
// title line that says which turns made the candidate.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "CConformer/torsion_choice.h"
#include "CMyMath/vector.h"
#include "CSearch/input_files.h"

namespace confsearch {

// The folder of a molecule's candidates and of its inputs, after its stem.
inline const std::string CANDIDATES_ENDING = "_candidates";
inline const std::string INPUTS_ENDING = "_inputs";
// The collection file of the one-file form's collect mode, after the stem.
inline const std::string COLLECTION_ENDING = "_collection.txt";
// The run log of the one-file form, after the stem, in the working directory.
inline const std::string CANDIDATE_LOG_ENDING = "_candidates.log";

// The serial number's width for a run of at most `most` files: 4 digits for candidates
// ("ibuprofen_0001"), more when the count needs them.
int serial_width(unsigned long long most, int least = 4);
// "<stem>_<serial>" with the serial zero-padded to width.
std::string serial_name(const std::string& stem, unsigned long long serial, int width);

// The title of a candidate: its name and the turn of each bond from the input, in whole
// degrees 0..359 (one decimal when not whole), bonds named by their input atoms:
// "ibuprofen_0007 turns 1:7=60 7:9=0 4:12=120 9:11=180 12:13=240". No character in it
// needs changing for a Gaussian title but the "_" of the name.
std::string candidate_title(const std::string& name, const std::vector<TorsionChoice>& bonds,
                            const std::vector<double>& turns);

// Why a folder cannot take the files of a new run; empty when it can or does not exist
// yet. It cannot when it holds files of an earlier run ("<stem>_<serial>" input and xyz
// files, a serial of three digits or more) unless `overwrite`; nor, with or without it,
// when it holds anything else (an output, a checkpoint file, a folder), which is never
// deleted.
std::string folder_fault(const std::string& folder, bool overwrite);
// Makes the folder ready: created with its parents when missing, emptied of the files of
// an earlier run (with `overwrite`). Returns why it cannot be; empty when done.
std::string prepare_folder(const std::string& folder, bool overwrite);

// Writes the candidates of a run one by one, as input files into a folder or as records
// of one collection file.
class CandidateWriter {
public:
    // Input files of settings' format into folder (already prepared).
    CandidateWriter(const std::string& folder, const InputSettings& settings);
    // Records of a collection file, created anew.
    explicit CandidateWriter(const std::string& collection);

    // Writes one candidate; false when its file or record could not be written whole.
    bool write(const InputJob& job);
    // Where a failure left the candidates: the file that could not be written first.
    const std::string& get_first_failure() const { return first_failure; }
    // Flushes and closes a collection; false when a write failed on the way.
    bool close();

private:
    std::string folder;
    InputSettings settings;
    std::string collection_file;
    std::ofstream collection;
    unsigned long long records = 0;
    std::string first_failure;
};

}  // namespace confsearch
