// The chemical elements 1..118: symbols, atomic numbers and bonding radii.
#pragma once

#include "CMyElement/element.h"
