// The molecules the perception tests share: small fixtures of tests/data/molecules, the
// butan-2-ol of the example search and real Gaussian outputs, each read as a conformer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CConformer.h"
#include "ConformerSupport.h"
#include "TestSupport.h"

namespace support {

// The final geometry of a Gaussian output of `atoms` atoms; a failed read fails the test.
inline CBasicConformer output_geometry(const std::filesystem::path& file, int atoms) {
    CBasicConformer c(atoms);
    EXPECT_TRUE(c.read_xyz_inout(file.string())) << file;
    return c;
}

// The example search's first output: butan-2-ol, C1 carrying the methyl C2, the ethyl C6
// (its methyl C7) and the hydroxyl O11.
inline CBasicConformer butan_2_ol() {
    return output_geometry(std::filesystem::path(EXAMPLES_DIR) / "outputs" / "conf01.log", 15);
}

// Real outputs beside the checkout, by file name and atom count.
struct RealOutput {
    std::string file;
    int atoms;
};
const RealOutput DIVINYLBENZENE = {"g16_dvb_gopt.out", 20};
const RealOutput AMINOX_CATALYST = {"aminox_cat_conf65_S.log", 24};
const RealOutput WATER_MP2 = {"g16_water_mp2.log", 3};

inline CBasicConformer real_output(const RealOutput& output) {
    return output_geometry(real_outputs_dir() / output.file, output.atoms);
}

// The message of the PerceptionError that action throws; fails the test when it throws
// nothing.
template <typename Action>
std::string refusal(Action action) {
    try {
        action();
    } catch (const confsearch::PerceptionError& error) {
        return error.what();
    }
    ADD_FAILURE() << "nothing was refused";
    return "";
}

}  // namespace support
