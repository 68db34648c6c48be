// The picture renderer: see picture.h.
#include "picture.h"
