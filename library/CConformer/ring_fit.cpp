// Levenberg-Marquardt over the positions of a few ring atoms (and the amplitudes of their
// torsion templates), with a numerical Jacobian: at most a few dozen unknowns, so plain
// dense algebra is quick.
#include "detail/ring_fit.h"

#include <algorithm>
#include <cmath>

#include "detail/rigid_motion.h"

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
// Step of the numerical derivatives, in angstrom and radians.
const double STEP = 1e-6;

using Matrix = std::vector<std::vector<double>>;

class Fit {
public:
    Fit(const FitProblem& problem, std::vector<CVECTOR> positions)
        : problem(problem), positions(std::move(positions)), amplitudes(problem.amplitudes) {}

    std::vector<double> variables() const {
        std::vector<double> x;
        for (int atom : problem.moving) {
            const CVECTOR& p = positions[static_cast<std::size_t>(atom)];
            x.insert(x.end(), {p.x, p.y, p.z});
        }
        x.insert(x.end(), amplitudes.begin(), amplitudes.end());
        return x;
    }

    void set(const std::vector<double>& x) {
        std::size_t k = 0;
        for (int atom : problem.moving) {
            positions[static_cast<std::size_t>(atom)] = CVECTOR(x[k], x[k + 1], x[k + 2]);
            k += 3;
        }
        for (double& amplitude : amplitudes) amplitude = x[k++];
    }

    // Bonds, angles, torsions, volumes, in that order; each over its spread.
    std::vector<double> residuals() const {
        std::vector<double> r;
        for (const auto& t : problem.bonds)
            r.push_back((at(t.a).distance(at(t.b)) - t.length) / BOND_SPREAD);
        for (const auto& t : problem.angles)
            r.push_back((bond_angle(at(t.a), at(t.centre), at(t.b)) - t.value) / ANGLE_SPREAD);
        for (const auto& t : problem.torsions) r.push_back(torsion_deviation(t) / TORSION_SPREAD);
        for (const auto& t : problem.volumes)
            r.push_back((signed_volume(at(t.centre), at(t.a), at(t.b), at(t.c)) - t.value) /
                        VOLUME_SPREAD);
        return r;
    }

    std::size_t first_torsion() const { return problem.bonds.size() + problem.angles.size(); }

    FitOutcome outcome() const {
        FitOutcome out{positions, amplitudes};
        for (const auto& t : problem.bonds)
            out.worst_bond =
                std::max(out.worst_bond, std::fabs(at(t.a).distance(at(t.b)) - t.length));
        for (const auto& t : problem.angles)
            out.worst_angle = std::max(
                out.worst_angle, std::fabs(bond_angle(at(t.a), at(t.centre), at(t.b)) - t.value));
        for (const auto& t : problem.torsions)
            out.worst_torsion = std::max(out.worst_torsion, std::fabs(torsion_deviation(t)));
        for (const auto& t : problem.volumes)
            out.worst_volume = std::max(
                out.worst_volume,
                std::fabs(signed_volume(at(t.centre), at(t.a), at(t.b), at(t.c)) - t.value));
        return out;
    }

private:
    const FitProblem& problem;
    std::vector<CVECTOR> positions;
    std::vector<double> amplitudes;

    const CVECTOR& at(int atom) const { return positions[static_cast<std::size_t>(atom)]; }

    double torsion_deviation(const TorsionTerm& t) const {
        const double aim = t.amplitude < 0
                               ? t.target
                               : amplitudes[static_cast<std::size_t>(t.amplitude)] * t.pattern;
        return wrap_angle(dihedral(at(t.a), at(t.b), at(t.c), at(t.d)) - aim);
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
    std::vector<double> x = fit.variables();
    std::vector<double> r = fit.residuals();
    double current = cost(r);
    const std::size_t n = x.size();
    const std::size_t m = r.size();
    const std::size_t torsions_from = fit.first_torsion();
    const std::size_t torsions_to = torsions_from + problem.torsions.size();
    double lambda = 1e-3;
    bool settled = false;
    for (int iteration = 0; iteration < iterations && !settled && current > 1e-20; ++iteration) {
        // Central differences; a torsion's difference is wrapped, so that a torsion near
        // 180 degrees does not jump by a full turn between the two sides.
        Matrix jacobian(m, std::vector<double>(n, 0.0));
        for (std::size_t k = 0; k < n; ++k) {
            std::vector<double> probe = x;
            probe[k] = x[k] + STEP;
            fit.set(probe);
            const std::vector<double> up = fit.residuals();
            probe[k] = x[k] - STEP;
            fit.set(probe);
            const std::vector<double> down = fit.residuals();
            for (std::size_t i = 0; i < m; ++i) {
                double d = up[i] - down[i];
                if (i >= torsions_from && i < torsions_to)
                    d = wrap_angle(d * TORSION_SPREAD) / TORSION_SPREAD;
                jacobian[i][k] = d / (2 * STEP);
            }
        }
        fit.set(x);
        Matrix normal(n, std::vector<double>(n, 0.0));
        std::vector<double> gradient(n, 0.0);
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t a = 0; a < n; ++a) {
                if (jacobian[i][a] == 0.0) continue;
                gradient[a] -= jacobian[i][a] * r[i];
                for (std::size_t b = 0; b < n; ++b) normal[a][b] += jacobian[i][a] * jacobian[i][b];
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
    n = n / n.module();
    const CVECTOR m = n % bc;
    return c + bc * (-bond * std::cos(angle)) + m * (bond * std::sin(angle) * std::cos(torsion)) +
           n * (bond * std::sin(angle) * std::sin(torsion));
}

}  // namespace confsearch::detail
