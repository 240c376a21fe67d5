// The layers of the library, checked on the source tree: a module includes headers of the
// modules below it and of itself only, never one above it nor a sibling of its own
// layer, and never another module's private headers. The programs in tools/ stand on top.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

// The modules, lowest first; modules of one layer may not include each other. The
// longest matching folder names the module of a path under the root.
struct Module {
    const char* folder;  // under the root, without a trailing '/'
    const char* name;
    int layer;
};
const Module MODULES[] = {
    {"library/detail", "detail", 0},
    {"library/myfile", "myfile", 1},
    {"library/CMyElement", "CMyElement", 1},
    {"library/CMyMath", "CMyMath", 2},
    {"library/COutFile/formats", "formats", 3},
    {"library/CConformer", "CConformer", 4},
    {"library/COutFile", "COutFile", 5},
    {"library/CSearch", "CSearch", 6},
    {"tools", "tools", 7},
};

const Module* module_of_path(const std::string& relative) {
    const Module* found = nullptr;
    std::size_t longest = 0;
    for (const Module& module : MODULES) {
        const std::string folder = module.folder;
        // "library/CMyMath/vector.h" and the entry header "library/CMyMath.h".
        const bool inside = relative.rfind(folder + "/", 0) == 0 || relative == folder + ".h";
        if (inside && folder.size() > longest) {
            found = &module;
            longest = folder.size();
        }
    }
    return found;
}

// The module an include names: "CMyMath/vector.h" and "CMyMath.h" name CMyMath,
// "COutFile/formats/orca_output.h" formats; none for a module's own private header
// ("record_list.h") or a program's own ("cli.h").
const Module* module_of_include(const std::string& include) {
    return module_of_path("library/" + include);
}

// Every violation in the tree at root, as "<file>: includes <header> (<why>)".
std::vector<std::string> layer_violations(const fs::path& root) {
    static const std::regex INCLUDE(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::vector<std::string> found;
    for (const char* top : {"library", "tools"}) {
        if (!fs::is_directory(root / top)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
            const std::string file = fs::relative(entry.path(), root).generic_string();
            const Module* own = module_of_path(file);
            if (own == nullptr) {
                found.push_back(file + ": lies in no module");
                continue;
            }
            std::ifstream in(entry.path());
            std::smatch match;
            for (std::string line; std::getline(in, line);) {
                if (!std::regex_search(line, match, INCLUDE)) continue;
                const std::string include = match[1];
                const Module* target = module_of_include(include);
                if (target == nullptr || target == own) continue;
                if (include.find("/internal/") != std::string::npos)
                    found.push_back(file + ": includes " + include + " (private to " +
                                    target->name + ")");
                else if (target->layer >= own->layer)
                    found.push_back(file + ": includes " + include + " (" + target->name +
                                    (target->layer == own->layer ? " is beside " : " is above ") +
                                    own->name + ")");
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace

TEST(Layers, NoModuleIncludesOneAboveIt) {
    const fs::path root = fs::path(EXAMPLES_DIR).parent_path();
    ASSERT_TRUE(fs::is_directory(root / "library")) << root;
    const std::vector<std::string> violations = layer_violations(root);
    EXPECT_TRUE(violations.empty()) << joined(violations);
}

TEST(Layers, CheckFindsUpwardSidewaysAndPrivateIncludes) {
    support::TempDir dir;
    const fs::path root = dir.file("tree");
    const auto write = [&](const std::string& file, const std::string& text) {
        fs::create_directories((root / file).parent_path());
        std::ofstream(root / file) << text;
    };
    write("library/detail/text_io.h", "#include <string>\n");
    write("library/CMyMath/vector.cpp",
          "#include \"CMyMath/vector.h\"\n#include \"detail/text_io.h\"\n"
          "#include \"rotation.h\"\n  #  include \"CConformer/basic_conformer.h\"\n");
    write("library/myfile/search.cpp", "#include \"CMyElement.h\"\n");
    write("library/COutFile/formats/orca_output.cpp", "#include \"COutFile/result_list.h\"\n");
    write("library/COutFile/result_list.cpp",
          "#include \"COutFile/formats/orca_output.h\"\n#include \"CConformer.h\"\n");
    write("tools/sort.cpp",
          "#include \"COutFile.h\"\n#include \"CConformer/internal/pairing.h\"\n");
    write("library/stray.cpp", "\n");

    EXPECT_EQ(joined(layer_violations(root)),
              "library/CMyMath/vector.cpp: includes CConformer/basic_conformer.h (CConformer is "
              "above CMyMath)\n"
              "library/COutFile/formats/orca_output.cpp: includes COutFile/result_list.h "
              "(COutFile is above formats)\n"
              "library/myfile/search.cpp: includes CMyElement.h (CMyElement is beside myfile)\n"
              "library/stray.cpp: lies in no module\n"
              "tools/sort.cpp: includes CConformer/internal/pairing.h (private to CConformer)\n");
}
