// The result of one ORCA job (ORCA 4.0 to 6.1) read from its output file.
#pragma once

#include <string>

#include "COutFile/formats/output_result.h"
#include "myfile/read_error.h"

namespace confsearch {

class OutputText;

// Reads the final energy, geometry and dipole, the termination, the frequencies and
// thermochemistry when the job computed them, charge, multiplicity, method, basis set,
// solvent and version of an ORCA output file into result. Refused, with the reason and
// the line where there is one: a file another program wrote, a run that did not end with
// "****ORCA TERMINATED NORMALLY****" (an error termination gives ORCA's own reason line),
// a final energy from an unconverged SCF, a GOAT search (an ensemble, not one result),
// and a missing or damaged energy or geometry. result is complete only when the error is
// ok(); on a refusal it holds no result.
ReadError read_orca_output(const std::string& file, OutputResult& result);
// The same on a text already opened and known to be ORCA's (read_output_file opens a file
// once to recognise the program and read it).
ReadError read_orca_output(OutputText& text, OutputResult& result);

}  // namespace confsearch
