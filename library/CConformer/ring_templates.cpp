// The torsion templates of the ring forms and the names of the forms.
//
// A form is a pattern of endocyclic torsions; its amplitude is left to the fit, so that a
// ring of longer C-O or C-S bonds or wider angles gets the pucker its own angles allow.
// Five-membered rings follow the pseudorotation of C. Altona and M. Sundaralingam, J. Am.
// Chem. Soc. 1972, 94, 8205-8212: torsion j = A cos(P + 144 j degrees), an envelope where
// one torsion is zero (P = 90), a twist where one is largest (P = 0); every placement of
// both is taken, ten envelopes (each atom the flap, on either face) and ten twists, so that
// the circle is sampled every 18 degrees of P. Six-membered rings: the chair alternates
// +A, -A (A about 55 degrees in cyclohexane), the twist-boat runs A cos(120 j degrees),
// torsions in the ratio 2 : -1 : -1 (GFN2-xTB gives 66, -32, -32 for cyclohexane, 5.4
// kcal/mol above the chair); boats are saddle points between twist-boats and are not
// taken. Seven- and eight-membered rings take the lowest forms of J. B. Hendrickson,
// J. Am. Chem. Soc. 1967, 89, 7036 and 7047: the twist-chair of cycloheptane
// (its chair is a saddle point on the way between twist-chairs), and the boat-chair and
// the crown of cyclooctane; their patterns are the torsions of cycloheptane and
// cyclooctane optimised with GFN2-xTB, within 3 degrees of Hendrickson's.
#include "ring_templates.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "rigid_motion.h"

namespace confsearch::detail {

namespace {

const char* const CHAIR = "chair";
const char* const FLIPPED_CHAIR = "flipped chair";
const char* const TWIST_BOAT = "twist-boat ";
const char* const ENVELOPE = "envelope ";
const char* const TWIST = "twist ";
const char* const TWIST_CHAIR = "twist-chair ";
const char* const BOAT_CHAIR = "boat-chair ";
const char* const CROWN = "crown";
const char* const FLIPPED_CROWN = "flipped crown";
const char* const UP = " up";
const char* const DOWN = " down";
const char* const PLUS = " +";
const char* const MINUS = " -";
const char* const HALF_CHAIR = "half-chair";
const char* const PLANAR = "planar";
const char* const IRREGULAR = "irregular";

// A ring whose torsions all stay within this is planar; a ring that is no template within
// MATCH_SPREAD (root mean square) is irregular.
const double PLANAR_TORSION = radian(10.0);
const double MATCH_SPREAD = radian(8.0);

struct Template {
    RingFormFamily family;
    int size;
    std::vector<double> base;
    double amplitude_degrees;
};

std::vector<double> cosine_pattern(int n, double phase_degrees, double step_degrees) {
    std::vector<double> pattern;
    for (int j = 0; j < n; ++j)
        pattern.push_back(std::cos(radian(phase_degrees + step_degrees * j)));
    return pattern;
}

std::vector<double> scaled(std::vector<double> values, double by) {
    for (double& v : values) v /= by;
    return values;
}

// The half-chair of cyclohexene, torsions from the double bond on in the ratio 0, 1, -3, 4,
// -3, 1 (GFN2-xTB gives 0, 16, -47, 64, -47, 16 degrees): only to name an input ring,
// since a ring holding a double bond is only ever flipped.
const std::vector<double> HALF_CHAIR_PATTERN = {0.0, 0.25, -0.75, 1.0, -0.75, 0.25};

// Twist-chair: the C2 axis through position 0 and the middle of bond 3. Boat-chair: the
// mirror plane through positions 0 and 4.
const std::vector<Template>& templates() {
    static const std::vector<Template> all = {
        {RingFormFamily::envelope, 5, cosine_pattern(5, 90.0, 144.0), 43.0},
        {RingFormFamily::twist, 5, cosine_pattern(5, 0.0, 144.0), 43.0},
        {RingFormFamily::chair, 6, cosine_pattern(6, 0.0, 180.0), 55.0},
        {RingFormFamily::twist_boat, 6, cosine_pattern(6, 0.0, 120.0), 65.0},
        {RingFormFamily::twist_chair, 7,
         scaled({-39.3, 88.9, -73.2, 55.1, -73.2, 88.9, -39.3}, 88.9), 88.9},
        {RingFormFamily::boat_chair, 8,
         scaled({65.9, 43.6, -102.1, 68.3, -68.3, 102.1, -43.6, -65.9}, 102.1), 102.1},
        {RingFormFamily::crown, 8, cosine_pattern(8, 0.0, 180.0), 87.2},
    };
    return all;
}

bool same_pattern(const std::vector<double>& a, const std::vector<double>& b) {
    for (std::size_t j = 0; j < a.size(); ++j)
        if (std::fabs(a[j] - b[j]) > 1e-9) return false;
    return true;
}

// The normal of the ring's mean plane, oriented so that the ring positions run
// anticlockwise seen from its tip ("up").
CVECTOR ring_normal(const std::vector<CVECTOR>& positions) {
    CVECTOR centre;
    for (const auto& p : positions) centre = centre + p;
    centre = centre / static_cast<double>(positions.size());
    CVECTOR normal;
    for (std::size_t k = 0; k < positions.size(); ++k)
        normal =
            normal + (positions[k] - centre) % (positions[(k + 1) % positions.size()] - centre);
    const double length = normal.module();
    return length > 0 ? normal / length : normal;
}

// " up" or " down": the side of the mean plane of the other ring atoms on which position k
// lies.
const char* side(const std::vector<CVECTOR>& positions, std::size_t k,
                 const std::vector<std::size_t>& others) {
    CVECTOR centre;
    for (std::size_t o : others) centre = centre + positions[o];
    centre = centre / static_cast<double>(others.size());
    return (positions[k] - centre) * ring_normal(positions) >= 0 ? UP : DOWN;
}

std::size_t position(int n, int k) { return static_cast<std::size_t>(((k % n) + n) % n); }

std::vector<std::size_t> all_but(int n, std::initializer_list<std::size_t> left_out) {
    std::vector<std::size_t> rest;
    for (int k = 0; k < n; ++k) {
        const auto place = static_cast<std::size_t>(k);
        if (std::find(left_out.begin(), left_out.end(), place) == left_out.end())
            rest.push_back(place);
    }
    return rest;
}

// The root mean square deviation of the torsions from the pattern at the amplitude that
// fits them best; infinite when that amplitude is not positive (the mirror placement).
double pattern_spread(const std::vector<double>& torsions, const std::vector<double>& pattern) {
    double along = 0.0;
    double square = 0.0;
    for (std::size_t j = 0; j < torsions.size(); ++j) {
        along += torsions[j] * pattern[j];
        square += pattern[j] * pattern[j];
    }
    const double amplitude = along / square;
    if (amplitude <= 0) return std::numeric_limits<double>::infinity();
    double spread = 0.0;
    for (std::size_t j = 0; j < torsions.size(); ++j) {
        const double d = torsions[j] - amplitude * pattern[j];
        spread += d * d;
    }
    return std::sqrt(spread / static_cast<double>(torsions.size()));
}

}  // namespace

std::vector<Placement> ring_placements(int n) {
    std::vector<Placement> placements;
    for (const Template& t : templates()) {
        if (t.size != n) continue;
        for (int shift = 0; shift < n; ++shift) {
            for (int sign : {1, -1}) {
                std::vector<double> pattern(static_cast<std::size_t>(n));
                for (int j = 0; j < n; ++j)
                    pattern[position(n, j)] = sign * t.base[position(n, j - shift)];
                const bool known =
                    std::any_of(placements.begin(), placements.end(), [&](const Placement& p) {
                        return p.family == t.family && same_pattern(p.pattern, pattern);
                    });
                if (!known)
                    placements.push_back(
                        {t.family, pattern, radian(t.amplitude_degrees), shift, sign});
            }
        }
    }
    return placements;
}

std::string form_name(const Placement& placement, const std::vector<std::string>& labels,
                      const std::vector<CVECTOR>& positions, double correlation) {
    const int n = static_cast<int>(labels.size());
    const int s = placement.shift;
    auto label = [&](int k) { return labels[position(n, k)]; };
    switch (placement.family) {
        case RingFormFamily::chair: return correlation >= 0 ? CHAIR : FLIPPED_CHAIR;
        case RingFormFamily::crown: return correlation >= 0 ? CROWN : FLIPPED_CROWN;
        case RingFormFamily::twist_boat: {
            // The two bonds of largest torsion, s and s + 3, and their sign.
            const int first = s % 3;
            return std::string(TWIST_BOAT) + label(first) + "-" + label(first + 1) + "/" +
                   label(first + 3) + "-" + label(first + 4) +
                   (placement.pattern[position(n, first)] > 0 ? PLUS : MINUS);
        }
        case RingFormFamily::envelope: {
            // The zero torsion is about bond s; the flap faces it across the ring.
            const std::size_t flap = position(n, s + 3);
            return std::string(ENVELOPE) + label(s + 3) + side(positions, flap, all_but(n, {flap}));
        }
        case RingFormFamily::twist: {
            // The largest torsion is about bond s: its two atoms leave the plane of the
            // other three on opposite faces.
            const std::size_t a = position(n, s);
            const std::size_t b = position(n, s + 1);
            return std::string(TWIST) + label(s) + side(positions, a, all_but(n, {a, b})) + ", " +
                   label(s + 1) + side(positions, b, all_but(n, {a, b}));
        }
        case RingFormFamily::twist_chair:
            return std::string(TWIST_CHAIR) + label(s) +
                   (placement.pattern[position(n, s + 3)] > 0 ? PLUS : MINUS);
        case RingFormFamily::boat_chair:
            return std::string(BOAT_CHAIR) + label(s) + "/" + label(s + 4) +
                   (placement.pattern[position(n, s)] > 0 ? PLUS : MINUS);
        case RingFormFamily::flipped: break;
    }
    return "";
}

std::string start_form_name(int n, const std::vector<double>& torsions,
                            const std::vector<std::string>& labels,
                            const std::vector<CVECTOR>& positions) {
    if (std::all_of(torsions.begin(), torsions.end(),
                    [](double t) { return std::fabs(t) < PLANAR_TORSION; }))
        return PLANAR;
    const std::vector<Placement> placements = ring_placements(n);
    std::size_t best = placements.size();
    double best_spread = MATCH_SPREAD;
    for (std::size_t k = 0; k < placements.size(); ++k) {
        const double spread = pattern_spread(torsions, placements[k].pattern);
        if (spread < best_spread) {
            best_spread = spread;
            best = k;
        }
    }
    if (n == static_cast<int>(HALF_CHAIR_PATTERN.size())) {
        for (int shift = 0; shift < n; ++shift) {
            for (int sign : {1, -1}) {
                std::vector<double> pattern(static_cast<std::size_t>(n));
                for (int j = 0; j < n; ++j)
                    pattern[position(n, j)] = sign * HALF_CHAIR_PATTERN[position(n, j - shift)];
                if (pattern_spread(torsions, pattern) < best_spread) return HALF_CHAIR;
            }
        }
    }
    if (best == placements.size()) return IRREGULAR;
    return form_name(placements[best], labels, positions, 1.0);
}

}  // namespace confsearch::detail
