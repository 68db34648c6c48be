#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "../trx_api/trx_api_export.h"
#include "exceptions.h"

namespace mp {

// How a buffer comes by its segment.
enum class OpenMode {
    create,        // a new segment; one that exists already under the name is an error
    open,          // the existing segment; a missing one is an error, nothing is created
    openOrCreate,  // the existing segment, or a new one
};

// One named shared-memory segment holding one payload. The sender creates and fills it and
// sends its name; the receiver opens it by that name, copies the bytes out and removes it.
//
// Segments are POSIX named shared memory, created owner-only (0600). Their system-wide name
// is the library's root name, "-", and the segment name, so programs built on another root
// never meet ours. A segment name is 1 to 200 characters of A-Z a-z 0-9 _ . - and does not
// start with "."; any other name is refused before the system is asked.
//
// Only a segment of our own user that no other user may read or write (no group or other
// permission bits, a plain file) is used; anything else is refused, and is never removed.
//
// Every failure is an mp::SharedMemoryException. Instantiated for char.
template <class T>
class TRX_API SharedBuffer {
public:
    static constexpr std::size_t kMaxNameLength = 200;

    // Opens the segment, creating it empty when it does not exist (OpenMode::openOrCreate).
    // With removeOnDestroy the destructor removes the segment by name; otherwise it stays,
    // content and all, for another process.
    SharedBuffer(const std::wstring& name, bool removeOnDestroy);
    // Writers use OpenMode::create (owner-only, whatever the umask; "Shared memory segment
    // <name> already exists" when the name is taken), readers OpenMode::open ("Shared memory
    // segment <name> does not exist" when it is missing).
    SharedBuffer(const std::wstring& name, OpenMode mode, bool removeOnDestroy);
    virtual ~SharedBuffer();
    SharedBuffer(const SharedBuffer&) = delete;
    SharedBuffer& operator=(const SharedBuffer&) = delete;

    // `data` becomes the whole current content (empty for an empty segment).
    void read(std::vector<T>& data);
    // Up to `count` elements from the start into `out`; gives how many were read (fewer when
    // the segment is shorter).
    std::size_t read(T* out, std::size_t count);
    // The segment becomes exactly these `size` elements.
    void write(const T* data, std::size_t size);
    // The segment becomes empty.
    void clear();
    // Current size in elements.
    std::size_t size() const;

    const std::wstring& name() const { return m_name; }
    bool removeOnDestroy() const { return m_removeOnDestroy; }
    void setRemoveOnDestroy(bool remove) { m_removeOnDestroy = remove; }

    // Removes a segment by name; false when there was none, or when it is not ours (another
    // user's, or not a plain file) and is left alone.
    static bool remove(const std::wstring& name);
    // Whether `name` is a segment name at all (see above), judged over its whole length: a
    // name with a NUL inside is not one.
    static bool validName(const std::wstring& name);
    // The system-wide name of a segment ("/" + rootName() + "-" + name); checks the name.
    static std::string nativeName(const std::wstring& name);
    // "mp-v23-" and a name-based UUID fixed for the library.
    static const std::string& rootName();

private:
    int descriptor() const;

    // The file the name stands for still is the one this buffer opened.
    bool stillNamed() const;

    int m_fd = -1;
    unsigned long long m_device = 0, m_inode = 0;
    std::wstring m_name;
    std::string m_nativeName;
    bool m_removeOnDestroy;
};

}  // namespace mp
