// PNG files of pictures: see picture.h.
#include "picture.h"
