// The chemical elements 1..118: symbols, atomic numbers, bonding radii and standard
// atomic weights.
#pragma once

#include "CMyElement/atomic_weights.h"
#include "CMyElement/element.h"
