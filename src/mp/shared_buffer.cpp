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

// Called only with names that passed validName: at most 200 plain characters.
std::string segmentLabel(const std::wstring& name) {
    return "Shared memory segment " + std::string(name.begin(), name.end());
}

[[noreturn]] void fail(const std::string& label, int error) {
    throw SharedMemoryException(label + ": " + std::system_category().message(error));
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

// Every character counts, an embedded NUL included: a name is never cut short to another.
template <class T>
bool SharedBuffer<T>::validName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == L'.')
        return false;
    for (const wchar_t c : name) {
        const bool ok = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') ||
                        (c >= L'0' && c <= L'9') || c == L'_' || c == L'.' || c == L'-';
        if (!ok) return false;
    }
    return true;
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
    : SharedBuffer(name, OpenMode::openOrCreate, removeOnDestroy) {}

template <class T>
SharedBuffer<T>::SharedBuffer(const std::wstring& name, OpenMode mode, bool removeOnDestroy)
    : m_name(name), m_nativeName(nativeName(name)), m_removeOnDestroy(removeOnDestroy) {
    TRX_TRACE();
    // A peer that planted a FIFO under the name must not block us: O_NONBLOCK.
    const int access = O_RDWR | O_NONBLOCK;
    const std::string label = segmentLabel(m_name);
    bool created = false;
    if (mode == OpenMode::open) {
        m_fd = shm_open(m_nativeName.c_str(), access, 0);
        if (m_fd < 0 && errno == ENOENT) throw SharedMemoryException(label + " does not exist");
    } else {
        // Create it owner-only, or (openOrCreate) open the existing one; a segment removed
        // between the two attempts is simply created again.
        for (int attempt = 0; m_fd < 0; ++attempt) {
            m_fd = shm_open(m_nativeName.c_str(), access | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
            if (m_fd >= 0) {
                created = true;
                break;
            }
            if (errno != EEXIST || attempt == 8) break;
            if (mode == OpenMode::create) throw SharedMemoryException(label + " already exists");
            m_fd = shm_open(m_nativeName.c_str(), access, 0);
            if (m_fd < 0 && errno != ENOENT) break;
        }
    }
    if (m_fd < 0) fail(label, errno);
    struct stat st {};
    int error = 0;
    const char* refusal = nullptr;
    if (created && fchmod(m_fd, S_IRUSR | S_IWUSR) != 0) error = errno;  // whatever the umask
    else if (fstat(m_fd, &st) != 0) error = errno;
    else if (!S_ISREG(st.st_mode)) refusal = "is not a shared memory file";
    // Planted under our name by another user: not ours to read, fill or remove.
    else if (st.st_uid != geteuid()) refusal = "belongs to another user";
    // Others could read or change the payload behind our back.
    else if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) refusal = "is open to other users";
    if (error != 0 || refusal != nullptr) {
        close(m_fd);
        m_fd = -1;
        if (created) shm_unlink(m_nativeName.c_str());  // ours, made a moment ago
        if (refusal == nullptr) fail(label, error);
        throw SharedMemoryException(label + " " + refusal);
    }
    m_device = st.st_dev;
    m_inode = st.st_ino;
}

template <class T>
SharedBuffer<T>::~SharedBuffer() {
    // Only the file this buffer opened and checked is removed, not whatever took its name.
    if (m_removeOnDestroy && stillNamed()) shm_unlink(m_nativeName.c_str());
    if (m_fd >= 0) close(m_fd);
}

template <class T>
bool SharedBuffer<T>::stillNamed() const {
    if (m_fd < 0) return false;
    const int fd = shm_open(m_nativeName.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0) return false;
    struct stat st {};
    const bool same = fstat(fd, &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode;
    close(fd);
    return same;
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

// Checked first: the host may run as root, and root could unlink any user's segment.
template <class T>
bool SharedBuffer<T>::remove(const std::wstring& name) {
    const std::string native = nativeName(name);
    const int fd = shm_open(native.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0) return false;  // none, or not even ours to open
    struct stat st {};
    const bool ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
    close(fd);
    return ours && shm_unlink(native.c_str()) == 0;
}

template class SharedBuffer<char>;

}  // namespace mp
