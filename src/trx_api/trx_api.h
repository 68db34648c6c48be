#pragma once

// Everything the library offers.

#include "json/json_object.h"
#include "json/enum_strings.h"
#include "../log/logger.h"
#include "trx_api_exchange_common.h"
#include "trx_api_exchange_mechanical_common.h"
#include "trx_api_exchange_pmi_annotation.h"
#include "trx_api_exchange_pmi_gdt.h"
#include "trx_api_exchange_pmi_dimension.h"
