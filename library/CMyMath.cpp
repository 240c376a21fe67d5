#include "CMyMath.h"
