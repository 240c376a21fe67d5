// Helpers for the tests of the search engine: molecules as xyz geometries, settings that
// run the stand-in xtb in a chosen mode, what an optimised geometry file says, and
// whether a program is still running.
#pragma once

#include <gtest/gtest.h>
#include "CSearch.h"

#include "TestSupport.h"

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace xtb_support {

// A molecule of tests/data/molecules as an xyz geometry.
inline confsearch::XyzGeometry molecule(const std::string& name) {
    confsearch::XyzGeometry geometry;
    const auto file = support::test_data_dir() / "molecules" / (name + ".xyz");
    const confsearch::ReadError error = confsearch::read_xyz_geometry(file.string(), geometry);
    EXPECT_TRUE(error.ok()) << error.message(file.string());
    return geometry;
}

// Settings that run the stand-in xtb (tests/support/fake_xtb.sh) in mode.
inline confsearch::XtbSettings fake_settings(const std::string& mode = "succeed") {
    confsearch::XtbSettings settings;
    settings.program = FAKE_XTB;
    settings.timeout_seconds = 60.0;
    if (!mode.empty()) settings.environment = {{"FAKE_XTB_MODE", mode}};
    return settings;
}

// The energy (hartree) in the comment line of an xtbopt.xyz:
// " energy: -5.070544357549 gnorm: 0.000174989677 xtb: 6.5.1 (unknown)".
inline double energy_in(const std::filesystem::path& xtbopt) {
    std::ifstream in(xtbopt);
    std::string line;
    std::getline(in, line);
    std::getline(in, line);
    const auto at = line.find("energy:");
    if (at == std::string::npos) {
        ADD_FAILURE() << xtbopt << " has no energy in its comment line";
        return 0.0;
    }
    return std::stod(line.substr(at + 7));
}

// Whether a process still runs: not when it is gone or a zombie waiting for whoever
// inherited it.
inline bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pid_text, name, state;
    if (!(stat >> pid_text >> name >> state)) return false;
    return state != "Z" && state != "X";
}

// Expects the process to be gone within two seconds.
inline void expect_gone(pid_t pid) {
    for (int i = 0; i < 200 && running(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(running(pid)) << "process " << pid << " was left running";
}

// The process id a program wrote into file, once it is there (waits up to 10 s).
inline pid_t pid_in(const std::filesystem::path& file) {
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(file);
        pid_t pid = 0;
        if (in >> pid && pid > 0) return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no process id in " << file;
    return 0;
}

}  // namespace xtb_support
