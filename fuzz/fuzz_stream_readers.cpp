#include <sstream>
#include <stdexcept>

#include "fuzz_common.h"
#include "mp/exceptions.h"
#include "trx_api/trx_api_bridge_info.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_exchange_object.h"
#include "trx_api/trx_api_result.h"

// The first byte picks the reader, the rest is the text on its stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::wistringstream is(fuzz::wideText(data + 1, size - 1));
    try {
        switch (data[0] % 4) {
        case 0: {
            trx::Command command;
            command.readObject(is);
            std::wostringstream os;
            command.writeObject(os);
            break;
        }
        case 1: {
            trx::Result result;
            result.readObject(is);
            std::wostringstream os;
            result.writeObject(os);
            break;
        }
        case 2: {
            trx::BridgeInfo info;
            info.readObject(is);
            std::wostringstream os;
            info.writeObject(os);
            break;
        }
        default: {
            // Binary objects wait: their segment names are foreign and must not be opened here.
            trx::ExchangeObjectWrapper wrapper;
            wrapper.setDelayedLoading(true);
            wrapper.readObject(is);
            if (auto object = wrapper.get(); object && !object->binary()) {
                std::wostringstream os;
                wrapper.writeObject(os);
            }
            break;
        }
        }
    } catch (const std::invalid_argument&) {
    } catch (const std::runtime_error&) {
    } catch (const mp::Exception&) {
    }
    return 0;
}
