#include "shared_buffer.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/uuid/name_generator_md5.hpp>
#include <boost/uuid/string_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include "../trx_api/detail/trace.h"

namespace mp {
namespace {

[[noreturn]] void fail(int error) {
    throw SharedMemoryException(std::system_category().message(error));
}

[[noreturn]] void failWithErrno() { fail(errno); }

bool validName(const std::wstring& name) {
    if (name.size() > SharedBuffer<char>::kMaxNameLength || name.front() == L'.') return false;
    for (const wchar_t c : name) {
        const bool ok = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                        (c >= L'0' && c <= L'9') || c == L'_' || c == L'.' || c == L'-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

template <class T>
const std::string& SharedBuffer<T>::rootName() {
    static const std::string root = [] {
        const boost::uuids::uuid ns =
            boost::uuids::string_generator()("5b2e9d14-7c3a-4f08-9e61-a4d0c8b37f25");
        return "mp-v23-" +
               boost::uuids::to_string(boost::uuids::name_generator_md5(ns)("Veltrix_23_MultiProcess"));
    }();
    return root;
}

template <class T>
std::string SharedBuffer<T>::nativeName(const std::wstring& name) {
    if (name.empty()) throw SharedMemoryException(L"Shared variable name mustn't be empty");
    // Checked here, before any system call: the system would take "..", "a/b" and the like.
    if (!validName(name)) throw SharedMemoryException(L"Shared variable name is not valid");
    std::string native = "/" + rootName() + "-";
    native.append(name.begin(), name.end());  // plain ASCII by now
    return native;
}

template <class T>
SharedBuffer<T>::SharedBuffer(const std::wstring& name, bool removeOnDestroy)
    : m_name(name), m_nativeName(nativeName(name)), m_removeOnDestroy(removeOnDestroy) {
    TRX_TRACE();
    // Create it owner-only, or open the existing one; a segment removed between the two
    // attempts is simply created again.
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_fd = shm_open(m_nativeName.c_str(), O_RDWR | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
        if (m_fd >= 0) {
            fchmod(m_fd, S_IRUSR | S_IWUSR);  // whatever the umask
            break;
        }
        if (errno != EEXIST || attempt == 8) failWithErrno();
        m_fd = shm_open(m_nativeName.c_str(), O_RDWR, 0);
        if (m_fd < 0 && errno != ENOENT) failWithErrno();
    }
    // A segment that another user planted under our name is not ours to read or fill.
    struct stat st {};
    if (fstat(m_fd, &st) != 0) {
        const int error = errno;
        close(m_fd);
        fail(error);
    }
    if (st.st_uid != geteuid()) {
        close(m_fd);
        throw SharedMemoryException(L"Shared memory segment belongs to another user");
    }
}

template <class T>
SharedBuffer<T>::~SharedBuffer() {
    if (m_fd >= 0) close(m_fd);
    if (m_removeOnDestroy) shm_unlink(m_nativeName.c_str());
}

template <class T>
int SharedBuffer<T>::descriptor() const {
    if (m_fd < 0) throw SharedMemoryException(L"Shared buffer was not initialized");
    return m_fd;
}

template <class T>
std::size_t SharedBuffer<T>::size() const {
    struct stat st {};
    if (fstat(descriptor(), &st) != 0) failWithErrno();
    return static_cast<std::size_t>(st.st_size) / sizeof(T);
}

// The content moves with pread/pwrite rather than through a mapping: a peer that shrinks
// the segment meanwhile gives a short read instead of a fault, and a full shared-memory
// file system gives an error instead of a fault.
template <class T>
void SharedBuffer<T>::read(std::vector<T>& data) {
    TRX_TRACE();
    data.clear();
    data.resize(size());
    data.resize(read(data.data(), data.size()));
}

template <class T>
std::size_t SharedBuffer<T>::read(T* data, std::size_t count) {
    const int fd = descriptor();
    const std::size_t bytes = count * sizeof(T);
    auto* out = reinterpret_cast<char*>(data);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = pread(fd, out + done, bytes - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) failWithErrno();
        if (n == 0) break;  // shrunk meanwhile
        done += static_cast<std::size_t>(n);
    }
    return done / sizeof(T);
}

template <class T>
void SharedBuffer<T>::write(const T* data, std::size_t size) {
    TRX_TRACE();
    const int fd = descriptor();
    const std::size_t bytes = size * sizeof(T);
    if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) failWithErrno();
    const auto* in = reinterpret_cast<const char*>(data);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = pwrite(fd, in + done, bytes - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            if (ftruncate(fd, 0) != 0) {}  // a reader must never take part of a payload for all of it
            fail(error);
        }
        done += static_cast<std::size_t>(n);
    }
}

template <class T>
void SharedBuffer<T>::clear() {
    if (ftruncate(descriptor(), 0) != 0) failWithErrno();
}

template <class T>
bool SharedBuffer<T>::remove(const std::wstring& name) {
    return shm_unlink(nativeName(name).c_str()) == 0;
}

template class SharedBuffer<char>;

}  // namespace mp
