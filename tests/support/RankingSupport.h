// Test helpers for result records and lists of ethanol conformers.
#pragma once

#include <string>
#include <vector>

#include "COutFile.h"
#include "TestSupport.h"

namespace support {

const int ETHANOL_ATOMS = 9;

// A result with the geometry of the atoms.
COutSort result(const std::string& name, double energy, double dipole,
                const std::vector<Atom>& atoms);
// A list of ethanol results in the order given.
COutSortList list_of(const std::vector<COutSort>& results);
// "name:group " for every entry in list order.
std::string names_and_groups(const COutSortList& list);
// Writes an output file into dir; one step of anti ethanol when output has no steps.
void write_output(const TempDir& dir, const std::string& name, GaussianOutput output);

}  // namespace support
