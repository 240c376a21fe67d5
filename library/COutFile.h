// Ranking the results of a conformer search: one result per Gaussian output file
// (energy, dipole, final geometry), lists of results read from output files or a
// collection file, sorting by energy, grouping duplicates, and the result files; the
// same without geometry; the distinct conformers as an ensemble with their populations; and
// the summary of one output file.
#pragma once

#include "COutFile/collection_file.h"
#include "COutFile/conf_sort.h"
#include "COutFile/ensemble.h"
#include "COutFile/out_info.h"
#include "COutFile/result_list.h"
#include "COutFile/result_record.h"
