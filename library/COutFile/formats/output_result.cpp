#include "COutFile/formats/output_result.h"

namespace confsearch {

const char* program_name(OutputProgram program) {
    switch (program) {
        case OutputProgram::gaussian: return "Gaussian";
        case OutputProgram::orca: return "ORCA";
        case OutputProgram::xtb: return "xtb";
    }
    return "";
}

}  // namespace confsearch
