#include "myfile.h"

#include <cstring>

using namespace confsearch;

namespace {

// The one-letter element symbols, in the order of their classes 1..14.
const char element_letters[] = "HCNOSPKBFIWUVY";
const int element_class_count = 14;

}  // namespace

int index(char letter) {
    const char* hit = std::strchr(element_letters, letter);
    if (letter == '\0' || hit == nullptr) return 0;
    return static_cast<int>(hit - element_letters) + 1;
}

char name(int element_class) {
    if (element_class < 1 || element_class > element_class_count) return '\0';
    return element_letters[element_class - 1];
}
