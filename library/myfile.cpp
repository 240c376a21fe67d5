#include "myfile.h"
