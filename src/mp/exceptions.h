#pragma once

#include <exception>
#include <string>

#include "../trx_api/trx_api_export.h"

namespace mp {

// Failures of the shared-memory layer. The message is kept as narrow (UTF-8) text.
class TRX_API Exception : public std::exception {
public:
    explicit Exception(const std::wstring& message);
    explicit Exception(std::string message);
    Exception(const Exception&) = default;
    Exception& operator=(const Exception&) = default;
    ~Exception() override;
    const char* what() const noexcept override;

private:
    std::string m_message;
};

class TRX_API SharedMemoryException : public Exception {
public:
    using Exception::Exception;
    SharedMemoryException(const SharedMemoryException&) = default;
    SharedMemoryException& operator=(const SharedMemoryException&) = default;
    ~SharedMemoryException() override;
};

}  // namespace mp
