#pragma once

// The modeller layer: everything it offers.

#include "acis_object.h"
#include "errors.h"
#include "entity.h"
#include "attrib.h"
#include "body.h"
#include "savres.h"
#include "api.h"
