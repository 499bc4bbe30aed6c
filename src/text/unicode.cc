// Placeholder until the UTF-8 conversion is built.
#include "text/unicode.h"
