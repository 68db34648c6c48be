#include <stdexcept>
#include <string>

#include <unistd.h>

#include "acis/acis.h"
#include "fuzz_common.h"
#include "mp/exceptions.h"
#include "mp/shared_buffer.h"
#include "trx_api/trx_api_exchange_geometry.h"

// The bytes arrive in a segment, as from the bridge; the buffer takes them back (expanding
// them when they look compressed) and the modeller restores from it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::wstring name = L"fuzz_acis_" + std::to_wstring(getpid());
    {
        mp::SharedBuffer<char> segment(name, false);
        segment.write(reinterpret_cast<const char*>(data), size);
    }
    trx::ExcSharedAcisBuffer buffer(name, true);
    try {
        buffer.load();
    } catch (const std::runtime_error&) {
        return 0;
    }
    ENTITY_LIST list;
    outcome result = api_restore_entity_list_file(&buffer, list);
    if (result.ok()) {
        fuzz::loseRestored(list);
    }
    return 0;
}
