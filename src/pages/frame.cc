// Placeholder until the frame is built.
#include "pages/frame.h"
