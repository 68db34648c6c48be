#pragma once

// Everything the library offers.

#include "json/json_object.h"
#include "json/enum_strings.h"
#include "../log/logger.h"
#include "trx_api_exchange_common.h"
#include "trx_api_exchange_visualization_camera.h"
#include "trx_api_exchange_visualization_attributes.h"
#include "trx_api_exchange_visualization_primitives.h"
#include "trx_api_exchange_visualization.h"
