// Why an output file of Gaussian, ORCA or xtb gave no result: the reasons the readers
// give, spelled once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "COutFile/formats/output_result.h"

namespace confsearch {

inline const std::string CANNOT_OPEN = "cannot open";
inline const std::string CANNOT_READ =
    "cannot read the whole file (it changed or the disk failed while it was read)";
inline const std::string NOT_AN_OUTPUT = "not an output of Gaussian, ORCA or xtb";
inline const std::string GAUSSIAN_READ_ELSEWHERE =
    "a Gaussian output: read by the Gaussian reader, not by read_output_file";

// A file given to the reader of one program that another program wrote, or none of the
// three: "not an xtb output (ORCA wrote it)".
std::string wrong_program_reason(OutputProgram expected, std::optional<OutputProgram> found);

// ORCA
inline const std::string ORCA_GOAT =
    "a GOAT global optimisation: its result is an ensemble of conformers (the "
    ".finalensemble.xyz file), not one structure";
inline const std::string ORCA_NOT_TERMINATED =
    "no \"****ORCA TERMINATED NORMALLY****\" line (the job may have been killed before it ended)";
inline const std::string ORCA_ERROR_TERMINATION = "ORCA stopped with an error: ";
inline const std::string ORCA_NO_ENERGY = "no \"FINAL SINGLE POINT ENERGY\" line";
inline const std::string ORCA_NO_ENERGY_NUMBER = "no number after \"FINAL SINGLE POINT ENERGY\"";
inline const std::string ORCA_NOT_CONVERGED =
    "the final energy comes from an SCF that did not converge (\"(Wavefunction not fully "
    "converged!)\")";
inline const std::string ORCA_ENERGY_TRAILER = "unexpected text after the final energy: ";
inline const std::string ORCA_NO_GEOMETRY = "no \"CARTESIAN COORDINATES (ANGSTROEM)\" block";
inline const std::string ORCA_EMPTY_GEOMETRY =
    "the last \"CARTESIAN COORDINATES (ANGSTROEM)\" block holds no atom";
inline const std::string ORCA_GEOMETRY_WITHOUT_ENERGY =
    "no \"FINAL SINGLE POINT ENERGY\" after the last \"CARTESIAN COORDINATES (ANGSTROEM)\" "
    "block (the job ended before the energy of its last geometry)";
inline const std::string ORCA_BAD_DIPOLE = "no three numbers after \"Total Dipole Moment :\"";
inline const std::string ORCA_NO_CHARGE =
    "no charge and multiplicity (neither \"Total Charge\" and \"Multiplicity\" lines nor an "
    "input line \"* xyz <charge> <multiplicity>\")";
// "row 3 of the last \"CARTESIAN COORDINATES (ANGSTROEM)\" block is not ..."
std::string orca_geometry_row_reason(int row);
std::string orca_frequency_row_reason(int row);
std::string orca_frequency_count_reason(std::size_t modes, std::size_t atoms);
// "no number after \"Final Gibbs free energy\""
std::string no_number_after(std::string_view keyword);

// xtb
inline const std::string XTB_NOT_FINISHED =
    "no \"* finished run on\" line (xtb was stopped before it ended)";
inline const std::string XTB_ERROR = "xtb stopped with an error: ";
inline const std::string XTB_NOT_CONVERGED = "the geometry optimisation did not converge: ";
inline const std::string XTB_NO_ENERGY = "no \"| TOTAL ENERGY\" line";
inline const std::string XTB_NO_FINAL_STRUCTURE =
    "an optimisation without a \"final structure:\" block";
inline const std::string XTB_BAD_DIPOLE = "no three numbers of the dipole after its title";
inline const std::string XTB_NO_GEOMETRY =
    "no geometry: neither a \"final structure:\" block nor a \"coordinate file\" line";
// The geometry of a single point or frequency run, which the output names by its file.
std::string xtb_input_missing_reason(std::string_view name);
std::string xtb_input_unreadable_reason(std::string_view name, std::string_view why);
std::string xtb_input_other_molecule_reason(std::string_view name, std::string_view how);
// What is wrong with the final structure: "the \"final structure:\" block: row 3 is not an
// element symbol and three numbers".
std::string xtb_structure_reason(std::string_view what);
std::string xtb_frequency_count_reason(std::size_t modes, std::size_t atoms);
// A block of atoms in xyz, $coord or molfile form: "row 3 is not an element symbol and
// three numbers", "the atoms end after 12 of 15".
inline const std::string STRUCTURE_XYZ_ROW = "an element symbol and three numbers";
inline const std::string STRUCTURE_COORD_ROW = "three numbers and an element symbol";
std::string structure_row_reason(int row, const std::string& form);
std::string structure_cut_reason(int atoms, int count);
std::string structure_count_reason(int count);
inline const std::string STRUCTURE_NO_END = "no \"$end\" after the atoms";
inline const std::string STRUCTURE_NO_ATOM = "no atom";
inline const std::string STRUCTURE_NO_COUNT = "no atom count in the counts line";
inline const std::string STRUCTURE_UNKNOWN_FORM =
    "a form not read here (xyz, Turbomole $coord and MDL molfile V2000 are)";
inline const std::string XTB_BAD_FREQUENCY =
    "a line of the last \"projected vibrational frequencies\" list is not \"eigval :\" and "
    "numbers";

}  // namespace confsearch
