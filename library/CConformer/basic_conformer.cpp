#include "CConformer/basic_conformer.h"

#include <iostream>
#include <utility>

using namespace confsearch;

namespace {

const char* const NO_CONFORMER_INFORMATION = "no conformer information!";

void throw_unless_valid_size(int n) {
    if (n < 0 || n > MAX_CONFORMER_SIZE) throw n;
}

}  // namespace

CBasicConformer::CBasicConformer(int n) { reinstall(n); }

CBasicConformer::CBasicConformer(const CBasicConformer& other)
    : size(other.size), elements(other.elements), xyz(other.xyz) {}

// The moved-from conformer is left a valid one of 0 atoms.
CBasicConformer::CBasicConformer(CBasicConformer&& other) noexcept { *this = std::move(other); }

CBasicConformer& CBasicConformer::operator=(const CBasicConformer& other) {
    if (this == &other) return *this;
    std::vector<CELEMENT> new_elements = other.elements;
    CCLUSTER new_xyz = other.xyz;
    size = other.size;
    elements = std::move(new_elements);
    xyz = std::move(new_xyz);
    bondlist.clear();
    return *this;
}

CBasicConformer& CBasicConformer::operator=(CBasicConformer&& other) noexcept {
    if (this == &other) return *this;
    size = std::exchange(other.size, 0);
    elements = std::move(other.elements);
    other.elements.clear();
    xyz = std::move(other.xyz);  // leaves other's point set empty
    bondlist.clear();
    return *this;
}

void CBasicConformer::reinstall(int n) {
    throw_unless_valid_size(n);
    xyz.reinstall(n);
    elements.assign(n > 0 ? n + 1 : 0, CELEMENT());
    size = n;
    GaussionFile_head = PM3_OPT;
    bondlist.clear();
}

bool CBasicConformer::right_size(int n) const { return n >= 1 && n <= MAX_CONFORMER_SIZE; }

CELEMENT CBasicConformer::get_element(int i) const {
    if (i < 1 || i > size) return CELEMENT();
    return elements[i];
}

CVECTOR CBasicConformer::get_vector(int i) const {
    if (i < 1 || i > size) return CVECTOR();
    return xyz[i];
}

void CBasicConformer::set_GaussionFile_head(const std::string& head) { GaussionFile_head = head; }

void CBasicConformer::set_exyz(int i, const CELEMENT& e, const CVECTOR& v) {
    if (i < 1 || i > size) throw i;
    elements[i] = e;
    xyz[i] = v;
}

std::ostream& operator<<(std::ostream& out, const CBasicConformer& conformer) {
    if (conformer.size == 0) {
        out << NO_CONFORMER_INFORMATION << std::endl;
        return out;
    }
    out << std::fixed;
    for (int i = 1; i <= conformer.size; ++i) {
        const CVECTOR& p = conformer.xyz[i];
        out << conformer.elements[i].get_symbol() << '\t' << p.x << '\t' << p.y << '\t' << p.z
            << std::endl;
    }
    return out;
}
