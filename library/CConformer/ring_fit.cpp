// Levenberg-Marquardt over the positions of a few ring atoms (and the amplitudes of their
// torsion templates). Each term reads at most four atoms, so each row of the Jacobian is
// taken by numerical differences over those atoms alone; the normal equations, a few
// dozen unknowns, are solved densely.
#include "ring_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "rigid_motion.h"

namespace confsearch::detail {

namespace {

// The spread each kind of term is allowed: a residual is its deviation over this. Bonds
// are held hardest, so that the forms keep the input's lengths to a thousandth of an
// angstrom; torsions are held loosest, since a template's torsions and the ring's own
// angles cannot both be met exactly.
const double BOND_SPREAD = 0.001;
const double ANGLE_SPREAD = radian(1.5);
const double TORSION_SPREAD = radian(4.0);
const double VOLUME_SPREAD = 0.02;
// Step of the numerical derivatives, in angstrom.
const double STEP = 1e-6;

using Matrix = std::vector<std::vector<double>>;

struct Term {
    enum Kind { bond, angle, torsion, volume } kind;
    std::array<int, 4> atoms;
    double aim;
    double pattern;
    int amplitude;  // -1: the aim is fixed
};

std::vector<Term> terms_of(const FitProblem& problem) {
    std::vector<Term> terms;
    for (const auto& t : problem.bonds)
        terms.push_back({Term::bond, {t.a, t.b, 0, 0}, t.length, 0, -1});
    for (const auto& t : problem.angles)
        terms.push_back({Term::angle, {t.a, t.centre, t.b, 0}, t.value, 0, -1});
    for (const auto& t : problem.torsions)
        terms.push_back({Term::torsion, {t.a, t.b, t.c, t.d}, t.target, t.pattern, t.amplitude});
    for (const auto& t : problem.volumes)
        terms.push_back({Term::volume, {t.centre, t.a, t.b, t.c}, t.value, 0, -1});
    return terms;
}

int atoms_read(const Term& term) {
    switch (term.kind) {
        case Term::bond: return 2;
        case Term::angle: return 3;
        default: return 4;
    }
}

// The deviation of a term from its aim (angstrom, radians or volume units), the atoms it
// reads at p; a torsion's deviation wrapped into (-pi, pi].
double deviation(const Term& term, const std::array<CVECTOR, 4>& p,
                 const std::vector<double>& amplitudes) {
    switch (term.kind) {
        case Term::bond: return p[0].distance(p[1]) - term.aim;
        case Term::angle: return bond_angle(p[0], p[1], p[2]) - term.aim;
        case Term::torsion: {
            const double aim =
                term.amplitude < 0
                    ? term.aim
                    : amplitudes[static_cast<std::size_t>(term.amplitude)] * term.pattern;
            return wrap_angle(dihedral(p[0], p[1], p[2], p[3]) - aim);
        }
        case Term::volume: return signed_volume(p[0], p[1], p[2], p[3]) - term.aim;
    }
    return 0.0;
}

double spread(const Term& term) {
    switch (term.kind) {
        case Term::bond: return BOND_SPREAD;
        case Term::angle: return ANGLE_SPREAD;
        case Term::torsion: return TORSION_SPREAD;
        case Term::volume: return VOLUME_SPREAD;
    }
    return 1.0;
}

// One row of the Jacobian: (variable, derivative) pairs.
using Row = std::vector<std::pair<std::size_t, double>>;

class Fit {
public:
    Fit(const FitProblem& problem, std::vector<CVECTOR> start)
        : terms(terms_of(problem)),
          positions(std::move(start)),
          amplitudes(problem.amplitudes),
          variable_of(positions.size(), -1),
          moving(problem.moving) {
        for (std::size_t k = 0; k < moving.size(); ++k)
            variable_of[static_cast<std::size_t>(moving[k])] = static_cast<int>(3 * k);
    }

    std::size_t variables() const { return 3 * moving.size() + amplitudes.size(); }
    std::size_t residual_count() const { return terms.size(); }

    std::vector<double> residuals() const {
        std::vector<double> r;
        for (const Term& term : terms)
            r.push_back(deviation(term, read(term), amplitudes) / spread(term));
        return r;
    }

    Row jacobian_row(std::size_t i) const {
        const Term& term = terms[i];
        Row row;
        std::array<CVECTOR, 4> p = read(term);
        for (int k = 0; k < atoms_read(term); ++k) {
            const int first =
                variable_of[static_cast<std::size_t>(term.atoms[static_cast<std::size_t>(k)])];
            if (first < 0) continue;
            for (int axis = 0; axis < 3; ++axis) {
                const CVECTOR saved = p[static_cast<std::size_t>(k)];
                const CVECTOR step(axis == 0 ? STEP : 0, axis == 1 ? STEP : 0,
                                   axis == 2 ? STEP : 0);
                p[static_cast<std::size_t>(k)] = saved + step;
                const double up = deviation(term, p, amplitudes);
                p[static_cast<std::size_t>(k)] = saved - step;
                const double down = deviation(term, p, amplitudes);
                p[static_cast<std::size_t>(k)] = saved;
                // A wrapped torsion must not jump a full turn between the two sides.
                const double difference =
                    term.kind == Term::torsion ? wrap_angle(up - down) : up - down;
                row.emplace_back(static_cast<std::size_t>(first + axis),
                                 difference / (2 * STEP) / spread(term));
            }
        }
        if (term.kind == Term::torsion && term.amplitude >= 0) {
            row.emplace_back(3 * moving.size() + static_cast<std::size_t>(term.amplitude),
                             -term.pattern / spread(term));
        }
        return row;
    }

    std::vector<double> get() const {
        std::vector<double> x;
        for (int atom : moving) {
            const CVECTOR& p = positions[static_cast<std::size_t>(atom)];
            x.insert(x.end(), {p.x, p.y, p.z});
        }
        x.insert(x.end(), amplitudes.begin(), amplitudes.end());
        return x;
    }

    void set(const std::vector<double>& x) {
        std::size_t k = 0;
        for (int atom : moving) {
            positions[static_cast<std::size_t>(atom)] = CVECTOR(x[k], x[k + 1], x[k + 2]);
            k += 3;
        }
        for (double& amplitude : amplitudes) amplitude = x[k++];
    }

    FitOutcome outcome() const {
        FitOutcome out{positions, amplitudes};
        for (const Term& term : terms) {
            const double d = std::fabs(deviation(term, read(term), amplitudes));
            double& worst = term.kind == Term::bond      ? out.worst_bond
                            : term.kind == Term::angle   ? out.worst_angle
                            : term.kind == Term::torsion ? out.worst_torsion
                                                         : out.worst_volume;
            worst = std::max(worst, d);
        }
        return out;
    }

private:
    std::vector<Term> terms;
    std::vector<CVECTOR> positions;
    std::vector<double> amplitudes;
    // For each atom, the first of its three variables; -1 for an atom that stays.
    std::vector<int> variable_of;
    std::vector<int> moving;

    std::array<CVECTOR, 4> read(const Term& term) const {
        std::array<CVECTOR, 4> p;
        for (int k = 0; k < atoms_read(term); ++k)
            p[static_cast<std::size_t>(k)] =
                positions[static_cast<std::size_t>(term.atoms[static_cast<std::size_t>(k)])];
        return p;
    }
};

double cost(const std::vector<double>& r) {
    double sum = 0.0;
    for (double v : r) sum += v * v;
    return sum;
}

// Solves a x = b in place by Gaussian elimination with partial pivoting; false when the
// matrix is singular.
bool solve(Matrix a, std::vector<double>& b) {
    const std::size_t n = b.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < n; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        if (std::fabs(a[pivot][col]) < 1e-300) return false;
        std::swap(a[pivot], a[col]);
        std::swap(b[pivot], b[col]);
        for (std::size_t row = col + 1; row < n; ++row) {
            const double f = a[row][col] / a[col][col];
            if (f == 0.0) continue;
            for (std::size_t k = col; k < n; ++k) a[row][k] -= f * a[col][k];
            b[row] -= f * b[col];
        }
    }
    for (std::size_t row = n; row-- > 0;) {
        double sum = b[row];
        for (std::size_t k = row + 1; k < n; ++k) sum -= a[row][k] * b[k];
        b[row] = sum / a[row][row];
    }
    return true;
}

}  // namespace

FitOutcome fit_ring(const FitProblem& problem, std::vector<CVECTOR> positions, int iterations) {
    Fit fit(problem, std::move(positions));
    const std::size_t n = fit.variables();
    std::vector<double> x = fit.get();
    std::vector<double> r = fit.residuals();
    double current = cost(r);
    double lambda = 1e-3;
    bool settled = false;
    for (int iteration = 0; iteration < iterations && !settled && current > 1e-20; ++iteration) {
        Matrix normal(n, std::vector<double>(n, 0.0));
        std::vector<double> gradient(n, 0.0);
        for (std::size_t i = 0; i < fit.residual_count(); ++i) {
            const Row row = fit.jacobian_row(i);
            for (const auto& [a, da] : row) {
                gradient[a] -= da * r[i];
                for (const auto& [b, db] : row) normal[a][b] += da * db;
            }
        }
        bool improved = false;
        while (!improved && lambda < 1e12) {
            Matrix damped = normal;
            for (std::size_t a = 0; a < n; ++a) damped[a][a] += lambda * (normal[a][a] + 1e-6);
            std::vector<double> step = gradient;
            if (!solve(damped, step)) {
                lambda *= 10;
                continue;
            }
            std::vector<double> trial = x;
            for (std::size_t a = 0; a < n; ++a) trial[a] += step[a];
            fit.set(trial);
            const std::vector<double> tried = fit.residuals();
            const double trial_cost = cost(tried);
            if (trial_cost < current) {
                const double gain = current - trial_cost;
                x = trial;
                r = tried;
                current = trial_cost;
                lambda = std::max(lambda * 0.3, 1e-9);
                improved = true;
                settled = gain < 1e-12 * (1.0 + current);
            } else {
                fit.set(x);
                lambda *= 10;
            }
        }
        settled = settled || !improved;
    }
    fit.set(x);
    return fit.outcome();
}

CVECTOR place_atom(const CVECTOR& a, const CVECTOR& b, const CVECTOR& c, double bond, double angle,
                   double torsion) {
    const CVECTOR bc = (c - b) / (c - b).module();
    CVECTOR n = (b - a) % bc;
    // a on the line b-c (a straight angle) leaves the sense of the torsion free.
    if (n.module() < 1e-12) n = bc % (std::fabs(bc.x) < 0.9 ? CVECTOR(1, 0, 0) : CVECTOR(0, 1, 0));
    n = n / n.module();
    const CVECTOR m = n % bc;
    return c + bc * (-bond * std::cos(angle)) + m * (bond * std::sin(angle) * std::cos(torsion)) +
           n * (bond * std::sin(angle) * std::sin(torsion));
}

}  // namespace confsearch::detail
