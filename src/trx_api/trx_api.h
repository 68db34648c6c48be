#pragma once

// Everything the library offers.

#include "json/json_object.h"
#include "json/enum_strings.h"
#include "../log/logger.h"
#include "trx_api_exchange_common.h"
