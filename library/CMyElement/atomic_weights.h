// Standard atomic weights of the elements, for masses of molecules and their moments of
// inertia.
#pragma once

namespace confsearch {

// Standard atomic weight of element z (1..118) in daltons (unified atomic mass units),
// the abridged value of IUPAC; for an element without stable isotopes, the mass number of
// its longest-lived isotope. 0 for any other z.
double standard_atomic_weight(int z);

}  // namespace confsearch
