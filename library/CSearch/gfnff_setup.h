// The one GFN-FF set-up of a screening run, made from the input molecule before any
// candidate is optimised and shared by all of them.
#pragma once

#include "CSearch/stop_flag.h"
#include "CSearch/xtb_settings.h"
#include "CSearch/xyz_geometry.h"

#include <filesystem>

namespace confsearch {

// Runs one GFN-FF single point of the molecule (with the settings' charge, multiplicity
// and solvent) in <run>/gfnff_setup and keeps the topology xtb writes there; a set-up
// found from an earlier start is used again. Set the result as settings.gfnff. Throws
// XtbError with xtb's own words when the single point fails or is stopped, and when the
// set-up found was made from another molecule or with other options.
GfnffSetup prepare_gfnff_setup(const XtbSettings& settings, const XyzGeometry& molecule,
                               const std::filesystem::path& run, const StopFlag* stop = nullptr);

}  // namespace confsearch
