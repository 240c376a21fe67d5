#include "CMyElement.h"
