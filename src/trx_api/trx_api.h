#pragma once

// Everything the library offers.

#include "json/json_object.h"
#include "json/enum_strings.h"
#include "../log/logger.h"
#include "trx_api_exchange_common.h"
#include "trx_api_compression.h"
#include "trx_api_binary_json.h"
#include "../mp/exceptions.h"
#include "../mp/serializable.h"
#include "../mp/shared_buffer.h"
#include "trx_api_result.h"
#include "trx_api_exchange_object.h"
#include "trx_api_exchange_messages.h"
#include "trx_api_exchange_structure.h"
#include "trx_api_command.h"
#include "trx_api_bridge_info.h"
