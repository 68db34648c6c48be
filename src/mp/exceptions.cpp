#include "exceptions.h"

#include <utility>

#include "../trx_api/json/json_object.h"

namespace mp {

Exception::Exception(const std::wstring& message) : m_message(trx::toNarrow(message)) {}
Exception::Exception(std::string message) : m_message(std::move(message)) {}
Exception::~Exception() = default;
const char* Exception::what() const noexcept { return m_message.c_str(); }

SharedMemoryException::~SharedMemoryException() = default;

}  // namespace mp
