#include "COutFile.h"
