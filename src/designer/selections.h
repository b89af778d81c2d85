// The item selection of a design surface; it lives beside the surface contract, so that module
// roots keep theirs in one too.
#pragma once

#include "designintf/selections.h"
