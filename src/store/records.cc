// Placeholder until the store is built.
#include "store/records.h"
