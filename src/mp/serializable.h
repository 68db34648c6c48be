#pragma once

#include <iosfwd>

#include "../trx_api/trx_api_export.h"

namespace mp {

// A message that writes itself to, and reads itself from, a wide stream as exactly one
// JSON document.
class TRX_API ISerializable {
public:
    ISerializable() = default;
    ISerializable(const ISerializable&) = default;
    ISerializable& operator=(const ISerializable&) = default;
    virtual ~ISerializable() = default;

    virtual void writeObject(std::wostream& os) const = 0;
    virtual void readObject(std::wistream& is) = 0;
};

}  // namespace mp
