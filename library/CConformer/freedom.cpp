// The generator's set-up: its log, the freedom file naming the rotatable bonds and their
// steps, the folder and the names of the candidates.
#include "CConformer/generator.h"

#include <istream>
#include <utility>

#include "detail/text_io.h"

using namespace confsearch;

namespace {

const char* const NO_FREEDOM = "No information !";

}  // namespace

FreedomFileStatus confsearch::read_freedom_list(std::istream& in,
                                                const CRotatableConformer& conformer,
                                                std::vector<CRotatableBond>& bonds) {
    FreedomFileStatus status;
    if (!(in >> status.count) || status.count < 1 || status.count > MAX_FREEDOM_NUMBER) {
        status.outcome = FreedomFileStatus::bad_count;
        return status;
    }
    const CZMATRIX& zmatrix = conformer.get_zmatrix();
    const int atoms = conformer.get_size();
    std::vector<CRotatableBond> list(static_cast<std::size_t>(status.count) + 1);
    for (status.entry = 1; status.entry <= status.count; ++status.entry) {
        // "5-7 3": any one non-blank character stands between the atoms, so "5:7 3" reads
        // alike; "5 7 3" does not, its 7 is taken for the separator.
        char separator = 0;
        if (!(in >> status.a >> separator >> status.b >> status.steps)) {
            status.outcome = FreedomFileStatus::unreadable_entry;
            return status;
        }
        int a = conformer.current_number(status.a);
        int b = conformer.current_number(status.b);
        if (a < 1 || a > atoms || b < 1 || b > atoms) {
            status.outcome = FreedomFileStatus::atom_out_of_range;
            return status;
        }
        // The moving side is the one that hangs on the other in the tree, whichever way
        // round the file names the bond.
        if (zmatrix[b].bond_ref != a) {
            if (zmatrix[a].bond_ref != b) {
                status.outcome = FreedomFileStatus::not_a_bond;
                return status;
            }
            std::swap(a, b);
        }
        if (status.steps < 1 || status.steps > MAX_FREEDOM) {
            status.outcome = FreedomFileStatus::bad_steps;
            return status;
        }
        list[status.entry] = CRotatableBond(a, b, status.steps, 1, 0);
    }
    status.entry = 0;
    bonds = std::move(list);
    return status;
}

CGenerateConformer::CGenerateConformer(int n) : CRotatableConformer(n) {
    logfile.open(LOGFILE_NAME);
    if (!logfile.is_open()) throw n;
}

void CGenerateConformer::reinstall(int n) {
    CRotatableConformer::reinstall(n);
    freedom_number = 0;
    freedom.clear();
    header = CRunHeader();
    name.clear();
    folder = DEFAULT_FOLDER;
}

bool CGenerateConformer::read_freedom(const std::string& file) {
    std::ifstream in;
    if (!detail::open_readable(in, file)) return false;
    std::vector<CRotatableBond> bonds;
    if (read_freedom_list(in, *this, bonds).outcome != FreedomFileStatus::none) {
        freedom_number = 0;
        freedom.clear();
        header = CRunHeader();
        name.clear();
        return false;
    }
    freedom = std::move(bonds);
    freedom_number = static_cast<int>(freedom.size()) - 1;
    header = CRunHeader();
    for (int i = 1; i <= freedom_number; ++i)
        header.total *= static_cast<Combinations>(freedom[i].steps);
    modify_name();
    return true;
}

void CGenerateConformer::check_freedom() const {
    std::ofstream out(CHECK_FREEDOM_FILE);
    if (!out) return;
    if (freedom_number == 0) {
        out << NO_FREEDOM << '\n';
        return;
    }
    out << freedom_number << "\n\n";
    for (int i = 1; i <= freedom_number; ++i)
        out << freedom[i].atom_a << '-' << freedom[i].atom_b << '\t' << freedom[i].steps << '\n';
}

void CGenerateConformer::set_path(const std::string& path) { folder = path; }

void CGenerateConformer::modify_name() {
    const int placed = header.pending != 0 && header.failed_level < freedom_number
                           ? header.failed_level
                           : freedom_number;
    name.clear();
    for (int i = 1; i <= placed; ++i) name += static_cast<char>('0' + freedom[i].position);
    name.append(static_cast<std::size_t>(freedom_number - placed), '?');
}

const CRotatableBond& CGenerateConformer::get_bond(int i) const {
    if (i < 1 || i > freedom_number) throw i;
    return freedom[i];
}
