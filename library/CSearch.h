// The search pipeline: running external programs (xtb) in parallel with time limits and
// early stops, one xtb optimisation per candidate with its results kept whole in the run
// folder, and the GFN-FF set-up a run shares; the candidates of a molecule from its xyz
// file (the bonds turned as a chemist would, physical clashes and repeats left out), their
// input files for Gaussian and ORCA, the progress of long runs, and job-array scripts
// that run them on a SLURM cluster; the screening of candidates built on them: their
// sources, the run's record, the stages, the ranking and its files.
#pragma once

#include "CSearch/candidate_files.h"
#include "CSearch/candidate_plan.h"
#include "CSearch/candidate_run.h"
#include "CSearch/candidate_sources.h"
#include "CSearch/generated_candidates.h"
#include "CSearch/gfnff_setup.h"
#include "CSearch/input_files.h"
#include "CSearch/job_pool.h"
#include "CSearch/process.h"
#include "CSearch/progress_line.h"
#include "CSearch/repeat_filter.h"
#include "CSearch/run_record.h"
#include "CSearch/screening.h"
#include "CSearch/screening_array.h"
#include "CSearch/screening_names.h"
#include "CSearch/screening_progress.h"
#include "CSearch/screening_results.h"
#include "CSearch/screening_run.h"
#include "CSearch/search_names.h"
#include "CSearch/slurm_scripts.h"
#include "CSearch/stop_flag.h"
#include "CSearch/stop_on_signals.h"
#include "CSearch/xtb_job.h"
#include "CSearch/xtb_program.h"
#include "CSearch/xtb_settings.h"
#include "CSearch/xyz_geometry.h"
