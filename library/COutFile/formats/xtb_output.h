// The result of one xtb run (xtb 6.1 to 6.7: single point, optimisation, --hess, --ohess)
// read from its standard output.
#pragma once

#include <string>

#include "COutFile/formats/output_result.h"
#include "myfile/read_error.h"

namespace confsearch {

class OutputText;

// Reads the final energy, geometry and dipole, the frequencies and thermochemistry of a
// --hess or --ohess run, charge, multiplicity, method ("GFN2-xTB", "GFN1-xTB", "GFN-FF"),
// implicit solvent and version of an xtb output file into result. A run without an
// optimisation prints no geometry: the coordinate file it names is then read from beside
// the output file, and must hold the job's molecule. Refused, with the reason and the line
// where there is one: a file another program wrote (an ORCA GOAT run holds fifty xtb
// outputs), a run that did not finish (xtb's own error line when it printed one), an
// optimisation that did not converge, a missing or damaged energy or geometry. result is
// complete only when the error is ok(); on a refusal it holds no result.
ReadError read_xtb_output(const std::string& file, OutputResult& result);
// The same on a text already opened and known to be xtb's; the coordinate file of a
// single point is looked for beside text.file().
ReadError read_xtb_output(OutputText& text, OutputResult& result);

}  // namespace confsearch
