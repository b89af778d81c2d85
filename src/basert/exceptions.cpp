#include "basert/exceptions.h"
