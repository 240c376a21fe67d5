// The combinations of ring forms and nitrogen pyramids: counted, named and built one by
// one, so that a caller can weigh their number before building any.
#include "CConformer/start_geometries.h"

#include <limits>
#include <stdexcept>

#include "start_geometry_messages.h"

namespace confsearch {

namespace {

const std::uint64_t SATURATED = std::numeric_limits<std::uint64_t>::max();

std::vector<int> invertible_atoms(const std::vector<AmineNitrogen>& nitrogens) {
    std::vector<int> atoms;
    for (const auto& nitrogen : nitrogens)
        if (nitrogen.invertible) atoms.push_back(nitrogen.atom);
    return atoms;
}

}  // namespace

StartGeometries::StartGeometries(const CBasicConformer& input, const CBondGraph& graph,
                                 const StartOptions& options)
    : input(input),
      graph(graph),
      rings(find_rings(input, graph)),
      units(options.rings ? find_ring_units(input, graph, rings) : std::vector<RingUnit>{}),
      nitrogens(find_amine_nitrogens(input, graph, rings)),
      contacts(input, graph),
      centres(input, graph, invertible_atoms(nitrogens)) {
    for (std::size_t u = 0; u < units.size(); ++u)
        if (!units[u].get_forms().empty()) varied_units.push_back(u);
    if (options.inversion) {
        for (std::size_t k = 0; k < nitrogens.size(); ++k)
            if (nitrogens[k].invertible) varied_nitrogens.push_back(k);
    }
}

std::uint64_t StartGeometries::count() const {
    std::uint64_t total = 1;
    auto times = [&](std::uint64_t factor) {
        total = total > SATURATED / factor ? SATURATED : total * factor;
    };
    for (std::size_t u : varied_units) times(units[u].get_forms().size() + 1);
    for (std::size_t k = 0; k < varied_nitrogens.size(); ++k) times(2);
    return total;
}

std::vector<int> StartGeometries::digits(std::uint64_t k) const {
    if (k >= count()) throw std::out_of_range("start geometry " + std::to_string(k));
    std::vector<int> result(varied_units.size() + varied_nitrogens.size(), 0);
    for (std::size_t place = result.size(); place-- > 0;) {
        const std::uint64_t base =
            place < varied_units.size() ? units[varied_units[place]].get_forms().size() + 1 : 2;
        result[place] = static_cast<int>(k % base);
        k /= base;
    }
    return result;
}

std::string StartGeometries::name(std::uint64_t k) const {
    const std::vector<int> choice = digits(k);
    std::string text;
    auto add = [&](const std::string& part) {
        text += (text.empty() ? "" : detail::PART_SEPARATOR) + part;
    };
    for (std::size_t place = 0; place < choice.size(); ++place) {
        if (choice[place] == 0) continue;
        if (place < varied_units.size()) {
            const RingUnit& unit = units[varied_units[place]];
            add(unit.get_label() + detail::NAME_SEPARATOR +
                unit.get_forms()[static_cast<std::size_t>(choice[place] - 1)].name);
        } else {
            const AmineNitrogen& nitrogen =
                nitrogens[varied_nitrogens[place - varied_units.size()]];
            add(atom_label(graph, nitrogen.atom) + detail::NAME_SEPARATOR + detail::INVERTED);
        }
    }
    return text.empty() ? detail::INPUT_NAME : text;
}

StartGeometry StartGeometries::build(std::uint64_t k) const {
    const std::vector<int> choice = digits(k);
    StartGeometry start;
    start.index = k;
    start.name = name(k);
    start.geometry = input;
    for (std::size_t place = 0; place < choice.size(); ++place) {
        if (choice[place] == 0) continue;
        if (place < varied_units.size()) {
            start.geometry = units[varied_units[place]].apply(start.geometry, choice[place] - 1);
        } else {
            start.geometry = invert_nitrogen(
                start.geometry, graph, nitrogens[varied_nitrogens[place - varied_units.size()]]);
        }
    }
    start.inverted_centre = centres.first_inverted(start.geometry);
    if (start.inverted_centre != 0) {
        start.rejection = detail::inverted_rejection(atom_label(graph, start.inverted_centre));
    } else if (const auto clash = contacts.first_clash(start.geometry)) {
        start.rejection =
            detail::clash_rejection(clash->atom1, clash->atom2, clash->distance, clash->limit);
    }
    return start;
}

std::vector<StartGeometry> StartGeometries::build_accepted() const {
    std::vector<StartGeometry> accepted;
    for (std::uint64_t k = 0; k < count(); ++k) {
        StartGeometry start = build(k);
        if (start.accepted()) accepted.push_back(std::move(start));
    }
    return accepted;
}

}  // namespace confsearch
