// The list-file readers of both result lists, COutSortList::read_filelist and
// CConfSortList::read_filelist, over a list file and two output files it may name. Every
// result kept comes from a file the list names, in list order; every file refused has a
// reason; what the list with geometry reads, the one without reads the same.
//
// Input: the atom count (one byte: -1..101), then the list file, the output file "a.log"
// and the output file "b.log", parted by FILE_SEPARATOR. Lists that name a path outside the
// working directory (a name with "/", such as a device) are not tried.

#include <string>

#include "COutFile.h"
#include "fuzz_support.h"

using namespace confsearch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::ScratchDirectory scratch;
    fuzz::Input input(data, size);
    const int atoms = input.atom_count();
    const std::vector<std::string_view> files = input.files(fuzz::FILE_SEPARATOR, 3);
    if (files[0].find('/') != std::string_view::npos) return 0;
    fuzz::write_file("list.txt", files[0]);
    if (files.size() > 1) fuzz::write_file("a.log", files[1]);
    if (files.size() > 2) fuzz::write_file("b.log", files[2]);

    CConfSortList plain;
    const bool plain_listed = plain.read_filelist("list.txt");
    fuzz::check(plain_listed, "a readable list file was not read");

    COutSortList results(atoms);
    bool listed = false;
    if (!fuzz::runs_unless_bad_count(atoms, [&] { listed = results.read_filelist("list.txt"); }))
        return 0;
    fuzz::check(listed == (atoms > 0), "a readable list file was not read");
    for (const LeftOut& refused : results.left_out())
        fuzz::check(!refused.name.empty() && !refused.reason.empty(), "a refusal without reason");

    // The results with geometry are those without it that also have a final table.
    int j = 1;
    for (int i = 1; i <= results.get_count(); ++i) {
        const COutSort& result = results[i];
        fuzz::check(result.conformer.get_size() == atoms, "a result of another atom count");
        while (j <= plain.get_count() && plain[j].name != result.name) ++j;
        fuzz::check(j <= plain.get_count(), result.name + " was read with geometry only");
        fuzz::check(plain[j].energy == result.energy && plain[j].dipole == result.dipole,
                    result.name + " has two different energies or dipoles");
        ++j;
    }
    return 0;
}
