// Placeholder until the conversions are built.
#include "text/charsets.h"
