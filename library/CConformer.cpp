#include "CConformer.h"
