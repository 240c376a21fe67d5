#include <gtest/gtest.h>

#include "TestSupport.h"
