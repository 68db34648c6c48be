// Frames on a pipe: split and joined reads, the end, silence, and a peer that never ends
// a frame.

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "common/framing.h"

using trx::tools::FrameReader;
using trx::tools::writeFrame;

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe2(fd, O_CLOEXEC), 0); }
    ~Pipe() {
        closeWrite();
        if (fd[0] >= 0) ::close(fd[0]);
    }
    void put(const std::string& bytes) {
        ASSERT_EQ(::write(fd[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void closeWrite() {
        if (fd[1] >= 0) ::close(fd[1]);
        fd[1] = -1;
    }
};

}  // namespace

TEST(Framing, FramesSplitJoinedAndInUtf8) {
    Pipe pipe;
    FrameReader reader(pipe.fd[0]);
    std::wstring text;
    ASSERT_TRUE(writeFrame(pipe.fd[1], L"{\"a\": \"\u00e9\U0001F600\"}"));
    pipe.put(std::string("{\"b\"", 4));  // a frame in two pieces, then two in one piece
    EXPECT_EQ(reader.read(text, 1000), FrameReader::Status::frame);
    EXPECT_EQ(text, L"{\"a\": \"\u00e9\U0001F600\"}");
    EXPECT_EQ(reader.read(text, 50), FrameReader::Status::timeout);  // half a frame waits
    pipe.put(std::string(": 1}\0[1]\0[2]", 12));
    EXPECT_EQ(reader.read(text, 1000), FrameReader::Status::frame);
    EXPECT_EQ(text, L"{\"b\": 1}");
    EXPECT_EQ(reader.read(text, 1000), FrameReader::Status::frame);
    EXPECT_EQ(text, L"[1]");
    pipe.closeWrite();
    // "[2]" was never ended: the peer is gone and the rest is no frame.
    EXPECT_EQ(reader.read(text, 1000), FrameReader::Status::end);
}

TEST(Framing, EndlessFrameIsRefusedAndStopFlagEndsAWait) {
    Pipe pipe;
    FrameReader reader(pipe.fd[0], 1000);
    pipe.put(std::string(999, 'x'));
    std::wstring text;
    EXPECT_EQ(reader.read(text, 50), FrameReader::Status::timeout);
    pipe.put("xx");
    EXPECT_EQ(reader.read(text, 1000), FrameReader::Status::tooLarge);

    Pipe quiet;
    FrameReader waiting(quiet.fd[0]);
    volatile std::sig_atomic_t stop = 1;
    waiting.setStopFlag(&stop);
    EXPECT_EQ(waiting.read(text, -1), FrameReader::Status::interrupted);  // no endless wait
}
