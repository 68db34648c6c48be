#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "../mp/serializable.h"
#include "trx_api_export.h"

namespace trx {

// The bridge's answer to a command: a status, an optional text and whether the requested
// operation has finished. Travels as one pretty-printed JSON document:
//   {"code": "ok", "message": "...", "is_finished": false}   ("message" only when set)
class TRX_API Result : public mp::ISerializable {
public:
    enum ECode : std::int32_t { Unknown = 0, Ok = 1, Warning = 2, Error = 3, Interrupted = 4 };

    Result() = default;

    ECode code() const { return m_code; }
    void setCode(ECode code) { m_code = code; }
    const std::wstring& message() const { return m_message; }
    void setMessage(const std::wstring& message) { m_message = message; }
    bool isFinished() const { return m_finished; }
    void setFinished(bool finished) { m_finished = finished; }

    // Throws std::runtime_error "Cannot write object into json document" when the text
    // cannot be written.
    void writeObject(std::wostream& os) const override;
    // Throws std::invalid_argument "Invalid json document" unless the stream holds one JSON
    // object, and "Json document has no result code." unless "code" is a string. An
    // unknown code name reads as Unknown; "message" and "is_finished" are taken only when
    // present and of their type.
    void readObject(std::wistream& is) override;

    bool operator==(const Result& o) const;
    bool operator!=(const Result& o) const { return !(*this == o); }

private:
    template <class Self, class F>
    static void fields(Self& s, F&& f);

    ECode m_code = Ok;
    std::wstring m_message;
    bool m_finished = false;
};

}  // namespace trx
