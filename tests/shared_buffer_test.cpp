#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "mp/shared_buffer.h"

using mp::SharedBuffer;
using mp::SharedMemoryException;
using Buffer = SharedBuffer<char>;

namespace {

// Segment names unique to this process; every segment a test made is removed afterwards.
class SharedBufferTest : public ::testing::Test {
protected:
    std::wstring fresh() {
        static int counter = 0;
        m_names.push_back(L"trx-test-" + std::to_wstring(getpid()) + L"-" + std::to_wstring(++counter));
        return m_names.back();
    }
    void TearDown() override {
        for (const auto& name : m_names) Buffer::remove(name);
    }
    static bool exists(const std::wstring& name) {
        const int fd = shm_open(Buffer::nativeName(name).c_str(), O_RDONLY, 0);
        if (fd >= 0) close(fd);
        return fd >= 0;
    }

private:
    std::vector<std::wstring> m_names;
};

std::string refusal(const std::wstring& name) {
    try {
        Buffer buffer(name, true);
    } catch (const SharedMemoryException& e) {
        return e.what();
    }
    return "accepted";
}

std::vector<char> pattern(std::size_t n, int seed) {
    std::vector<char> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<char>(i * 31 + seed);
    return v;
}

}  // namespace

TEST_F(SharedBufferTest, NamesFollowTheRule) {
    EXPECT_EQ(refusal(L""), "Shared variable name mustn't be empty");
    const std::vector<std::wstring> bad{L".", L"..", L".hidden", L"a/b", L"/abs", L"a b", L"caf\u00e9",
                                        L"tab\t", std::wstring(201, L'x'), std::wstring(L"nul\0x", 5)};
    for (const auto& name : bad) EXPECT_EQ(refusal(name), "Shared variable name is not valid");

    // The native name carries the library's root: "mp-v23-" and its fixed name-based UUID.
    EXPECT_EQ(Buffer::rootName(), "mp-v23-0d9ce2aa-3bf7-3e92-b72a-352379b1f881");
    EXPECT_EQ(Buffer::nativeName(L"Ab-9_x.y"), "/mp-v23-0d9ce2aa-3bf7-3e92-b72a-352379b1f881-Ab-9_x.y");

    // The longest name and every allowed character work; the segment is owner-only.
    const std::wstring longest = fresh() + L"." + std::wstring(200, L'z');
    const std::wstring name = longest.substr(0, 200);
    Buffer buffer(name, true);
    const int fd = shm_open(Buffer::nativeName(name).c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat st {};
    ASSERT_EQ(fstat(fd, &st), 0);
    close(fd);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SharedBufferTest, SegmentHoldsExactlyTheLastWrite) {
    const std::wstring name = fresh();
    Buffer buffer(name, true);
    std::vector<char> data{'x'};
    buffer.read(data);
    EXPECT_TRUE(data.empty());  // created empty
    EXPECT_EQ(buffer.size(), 0u);

    buffer.write("0123456789", 10);
    buffer.write("abcd", 4);
    EXPECT_EQ(buffer.size(), 4u);
    buffer.read(data);
    EXPECT_EQ(std::string(data.begin(), data.end()), "abcd");

    buffer.clear();
    EXPECT_EQ(buffer.size(), 0u);
    buffer.read(data);
    EXPECT_TRUE(data.empty());
    buffer.write(nullptr, 0);
    EXPECT_EQ(buffer.size(), 0u);
    EXPECT_EQ(buffer.name(), name);
}

TEST_F(SharedBufferTest, RemovalFollowsTheFlag) {
    const std::wstring kept = fresh(), removed = fresh();
    {
        Buffer writer(kept, false);
        writer.write("payload", 7);
        Buffer other(removed, true);
        other.write("gone", 4);
    }
    EXPECT_TRUE(exists(kept));
    EXPECT_FALSE(exists(removed));
    {
        Buffer reader(kept, true);
        std::vector<char> data;
        reader.read(data);
        EXPECT_EQ(std::string(data.begin(), data.end()), "payload");
        Buffer again(removed, true);  // a removed name opens as a new, empty segment
        again.read(data);
        EXPECT_TRUE(data.empty());
    }
    EXPECT_FALSE(exists(kept));
    EXPECT_FALSE(exists(removed));
    EXPECT_FALSE(Buffer::remove(kept));
}

TEST_F(SharedBufferTest, AnotherProcessReadsWhatOneWrote) {
    const std::vector<char> payload = pattern(1 << 20, 7);

    // The child writes and leaves; the parent reads and removes.
    const std::wstring toParent = fresh();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int code = 0;
        try {
            Buffer out(toParent, false);
            out.write(payload.data(), payload.size());
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    {
        Buffer in(toParent, true);
        std::vector<char> data;
        in.read(data);
        EXPECT_EQ(data, payload);
    }
    EXPECT_FALSE(exists(toParent));
}

std::string refusal(const std::wstring& name, mp::OpenMode mode) {
    try {
        Buffer buffer(name, mode, true);
    } catch (const SharedMemoryException& e) {
        return e.what();
    }
    return "accepted";
}

TEST_F(SharedBufferTest, WritersCreateAfreshAndReadersOpenWhatExists) {
    const std::wstring name = fresh();
    const std::string label = "Shared memory segment " + std::string(name.begin(), name.end());
    // A reader of a missing segment is told so, and creates nothing.
    EXPECT_EQ(refusal(name, mp::OpenMode::open), label + " does not exist");
    EXPECT_FALSE(exists(name));

    // A writer's segment is owner-only whatever the umask, and the name must be free.
    const mode_t old = umask(0);
    {
        Buffer writer(name, mp::OpenMode::create, false);
        writer.write("abc", 3);
    }
    umask(old);
    struct stat st {};
    const int fd = shm_open(Buffer::nativeName(name).c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fstat(fd, &st), 0);
    close(fd);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(refusal(name, mp::OpenMode::create), label + " already exists");
    {
        Buffer reader(name, mp::OpenMode::open, true);
        std::vector<char> data;
        reader.read(data);
        EXPECT_EQ(std::string(data.begin(), data.end()), "abc");
    }
    EXPECT_FALSE(exists(name));
}

TEST_F(SharedBufferTest, ForeignSegmentsAreRefusedAndNeverRemoved) {
    // Planted under our name with room for others to read or change it: no mode takes it,
    // and refusing it removes nothing.
    const std::wstring planted = fresh();
    const std::string label = "Shared memory segment " + std::string(planted.begin(), planted.end());
    int fd = shm_open(Buffer::nativeName(planted).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    fchmod(fd, 0666);
    for (const auto mode : {mp::OpenMode::open, mp::OpenMode::create, mp::OpenMode::openOrCreate})
        EXPECT_NE(refusal(planted, mode), "accepted");
    EXPECT_EQ(refusal(planted), label + " is open to other users");
    EXPECT_TRUE(exists(planted));

    // What takes a buffer's name after it opened is not the buffer's to remove.
    const std::wstring replaced = fresh();
    {
        Buffer mine(replaced, mp::OpenMode::create, true);
        shm_unlink(Buffer::nativeName(replaced).c_str());
        const int other = shm_open(Buffer::nativeName(replaced).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(other, 0);
        close(other);
    }
    EXPECT_TRUE(exists(replaced));

    // A name with a NUL inside is refused whole; it never stands for what precedes the NUL.
    const std::wstring victim = fresh();
    Buffer(victim, mp::OpenMode::create, false);
    const std::wstring withNul = victim + std::wstring(L"\0x", 2);
    EXPECT_THROW(Buffer::remove(withNul), SharedMemoryException);
    EXPECT_THROW(Buffer(withNul, true), SharedMemoryException);
    EXPECT_TRUE(exists(victim));

    // Another user's segment: only root can make one here.
    if (geteuid() != 0) {
        close(fd);
        GTEST_SKIP() << "a segment of another user needs root to make";
    }
    ASSERT_EQ(fchmod(fd, 0600), 0);
    ASSERT_EQ(fchown(fd, 65534, 65534), 0);
    close(fd);
    EXPECT_EQ(refusal(planted), label + " belongs to another user");
    EXPECT_EQ(refusal(planted, mp::OpenMode::open), label + " belongs to another user");
    EXPECT_FALSE(Buffer::remove(planted));
    EXPECT_TRUE(exists(planted));
    shm_unlink(Buffer::nativeName(planted).c_str());
}
