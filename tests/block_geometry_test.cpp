#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "acis/acis.h"
#include "mp/shared_buffer.h"
#include "test_support.h"
#include "trx_api/trx_api_acis_attrib_id.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_geometry.h"

using trx::ExcBlockGeometry;
using trx::test::LogCapture;
using Segment = mp::SharedBuffer<char>;

namespace {

bool segmentExists(const std::wstring& name) {
    const int fd = shm_open(Segment::nativeName(name).c_str(), O_RDONLY, 0);
    if (fd >= 0) close(fd);
    return fd >= 0;
}

std::size_t segmentSize(const std::wstring& name) {
    Segment s(name, false);
    return s.size();
}

// Two bodies with real content; the second carries the bridge id 42.
ENTITY_LIST makeBodies() {
    BODY* a = ACIS_NEW BODY("housing");
    for (int i = 0; i < 50; ++i)
        a->add_triangle({i * 0.5, 0, 1e-9 * i}, {1, i * -2.25, 0}, {0, 1, 1e300 / (i + 1)});
    BODY* b = ACIS_NEW BODY("shaft");
    b->add_triangle({0, 0, 0}, {3, 0, 0}, {0, 0, -4});
    ACIS_NEW ATTRIB_BRIDGE_ID(b, 42);
    ENTITY_LIST list;
    list.add(a);
    list.add(b);
    return list;
}

// Everything a restored body must match: name, vertices, bridge attributes and ids.
std::vector<std::string> describe(const ENTITY_LIST& list) {
    std::vector<std::string> out;
    for (ENTITY* e : list) {
        std::ostringstream os;
        os.precision(17);
        if (!is_BODY(e)) {
            os << "not a body: " << e->type_name();
        } else {
            const BODY* b = static_cast<const BODY*>(e);
            os << b->name();
            for (const SPAposition& p : b->vertices()) os << " " << p.x() << "," << p.y() << "," << p.z();
        }
        for (const ATTRIB* a = e->attrib(); a; a = a->next()) {
            os << " [" << a->type_name();
            if (is_ATTRIB_BRIDGE_ID(a)) os << " " << static_cast<const ATTRIB_BRIDGE_ID*>(a)->id();
            os << "]";
        }
        out.push_back(os.str());
    }
    return out;
}

// A damaged list may hold an attribute beside its owner: lose only what has no owner.
void loseRestored(ENTITY_LIST& list) {
    std::vector<ENTITY*> roots;
    for (ENTITY* e : list)
        if (!is_ATTRIB(e) || !static_cast<ATTRIB*>(e)->owner()) roots.push_back(e);
    for (ENTITY* e : roots) e->lose();
    list.clear();
}

void loseAll(ENTITY_LIST& list) {
    for (ENTITY* e : list) e->lose();
    list.clear();
}

// Runs `body` in a child process and gives back the text it answers (a crash gives "").
template <class F>
std::string inChild(F body) {
    int fds[2];
    if (pipe(fds) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("child failed: ") + e.what();
        }
        if (write(fds[1], text.data(), text.size()) < 0) _exit(1);
        _exit(0);  // never back into the test runner
    }
    close(fds[1]);
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, n);
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return text;
}

// Resident memory of this process in MB: now ("VmRSS") or at its peak ("VmHWM").
long residentMb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1)) >> 10;
    return -1;
}

// What loading the named segment into a receiver throws, and the memory it cost at its peak.
std::string loadInChild(const std::wstring& name) {
    return inChild([&] {
        const long before = residentMb("VmRSS");
        std::string what = "loaded";
        try {
            ExcBlockGeometry receiver;
            trx::test::parseInto(receiver, L"{\"block_id\":1,\"shared_acis_buffer_name\":\"" + name + L"\"}");
            receiver.load();
        } catch (const std::exception& e) {
            what = e.what();
        }
        return what + " | " + std::to_string(residentMb("VmHWM") - before) + " MB";
    });
}

// A gzip member of `head` followed by zeros up to `size` bytes, written by hand (a stored
// block, then one repeated match after another) as fast as it takes to write it down. Its
// checksum is not filled in: no reader gets that far.
std::string gzipThenZeros(const std::string& head, std::uint64_t size) {
    std::string out("\x1f\x8b\x08\0\0\0\0\0\0\xff", 10);
    std::uint64_t bits = 0;
    int count = 0;
    auto put = [&](std::uint32_t value, int n) {  // least significant bit first
        bits |= std::uint64_t(value) << count;
        for (count += n; count >= 8; count -= 8, bits >>= 8) out += static_cast<char>(bits & 0xFF);
    };
    auto code = [&](std::uint32_t value, int n) {  // Huffman codes go most significant bit first
        std::uint32_t reversed = 0;
        for (int i = 0; i < n; ++i) reversed |= ((value >> i) & 1u) << (n - 1 - i);
        put(reversed, n);
    };
    put(0, 3);  // stored block, not the last
    put(0, 5);  // to the byte boundary
    const auto length = static_cast<std::uint32_t>(head.size());
    put(length, 16);
    put(~length & 0xFFFF, 16);
    out += head;
    put(1, 1);  // last block, fixed codes
    put(1, 2);
    code(0x30, 8);  // one zero byte
    for (std::uint64_t left = size - head.size() - 1; left >= 258; left -= 258) {
        code(0xC5, 8);  // length 258
        code(0, 5);     // distance 1
    }
    code(0, 7);  // end of block
    put(0, (8 - count) % 8);
    put(0, 32);
    put(static_cast<std::uint32_t>(size), 32);
    return out;
}

std::string savedBytes(const ENTITY_LIST& list) {
    trx::ExcSharedAcisBuffer file(L"unused", false);
    const outcome o = api_save_entity_list_file(&file, list);
    EXPECT_TRUE(o.ok());
    return file.data();
}

// Segments made by a test are removed afterwards, whatever the test left.
class BlockGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { m_bodies = makeBodies(); }
    void TearDown() override {
        loseAll(m_bodies);
        for (const auto& name : m_names) Segment::remove(name);
    }
    const std::wstring& track(const ExcBlockGeometry& g) {
        m_names.push_back(g.buffer() ? g.buffer()->name() : g.source());
        return m_names.back();
    }
    const std::wstring& track(const std::wstring& name) {
        m_names.push_back(name);
        return m_names.back();
    }
    // A receiver made from the sender's JSON, as the envelope makes it.
    static std::shared_ptr<ExcBlockGeometry> receiverOf(const ExcBlockGeometry& sender) {
        auto receiver = std::dynamic_pointer_cast<ExcBlockGeometry>(
            trx::ExchangeObjectRegistry::instance().get(L"exc_block_geometry"));
        if (receiver) trx::test::parseInto(*receiver, trx::test::toText(sender));
        return receiver;
    }

    ENTITY_LIST m_bodies;

private:
    std::vector<std::wstring> m_names;
};

}  // namespace

TEST_F(BlockGeometryTest, OwnDecidesWhoRemovesTheSegment) {
    // Without own, the segment outlives the sender and goes with the receiver.
    std::shared_ptr<ExcBlockGeometry> receiver;
    std::wstring name;
    {
        ExcBlockGeometry sender;
        ASSERT_TRUE(sender.setGeometry(m_bodies, false));
        name = track(sender);
        receiver = receiverOf(sender);
    }
    EXPECT_TRUE(segmentExists(name));
    receiver->load();
    ENTITY_LIST restored;
    EXPECT_TRUE(receiver->getGeometry(restored));
    EXPECT_EQ(describe(restored), describe(m_bodies));
    loseAll(restored);
    receiver.reset();
    EXPECT_FALSE(segmentExists(name));

    // With own, the segment lasts as long as the last copy of the sender.
    LogCapture log;
    {
        ExcBlockGeometry sender;
        sender.own(true);
        ASSERT_TRUE(sender.setGeometry(m_bodies, true));
        name = track(sender);
        EXPECT_TRUE(sender.buffer()->removeOnDestroy());
        receiver = receiverOf(sender);
        {
            ExcBlockGeometry copy = sender;
            EXPECT_EQ(copy.buffer(), sender.buffer());
        }
        EXPECT_TRUE(segmentExists(name));
    }
    EXPECT_FALSE(segmentExists(name));
    // Too late: the receiver is told the segment is gone, and brings back none.
    receiver->load();
    EXPECT_FALSE(receiver->isLoaded());
    EXPECT_TRUE(receiver->buffer()->data().empty());
    EXPECT_TRUE(log.contains("Failed to load ACIS buffer: Shared memory segment " + trx::toNarrow(name) +
                             " does not exist"));
    EXPECT_FALSE(segmentExists(name));
    EXPECT_FALSE(receiver->getGeometry(restored));
    EXPECT_EQ(restored.count(), 0);
    receiver.reset();
    EXPECT_FALSE(segmentExists(name));

    // A segment whose name never went out is removed with its sender, own or not.
    {
        ExcBlockGeometry unsent;
        ASSERT_TRUE(unsent.setGeometry(m_bodies, false));
        name = track(unsent);
        EXPECT_TRUE(segmentExists(name));
    }
    EXPECT_FALSE(segmentExists(name));

    // Changing one's mind after sending applies to the buffer already made.
    ExcBlockGeometry sender;
    ASSERT_TRUE(sender.setGeometry(m_bodies, false));
    track(sender);
    EXPECT_FALSE(sender.buffer()->removeOnDestroy());
    sender.own(true);
    EXPECT_TRUE(sender.buffer()->removeOnDestroy());
}

TEST_F(BlockGeometryTest, EmptyAndLookalikeAndReadyMadeData) {
    LogCapture log;
    // An empty stream leaves an empty segment and loads as an empty stream.
    ExcBlockGeometry empty;
    ASSERT_TRUE(empty.setBinaryData(nullptr, 0, true));
    const std::wstring emptyName = track(empty);
    EXPECT_TRUE(segmentExists(emptyName));
    EXPECT_EQ(segmentSize(emptyName), 0u);
    auto receiver = receiverOf(empty);
    receiver->load();
    EXPECT_TRUE(receiver->isLoaded());
    EXPECT_TRUE(receiver->buffer()->data().empty());
    EXPECT_FALSE(empty.setBinaryData(nullptr, 5, false));
    EXPECT_TRUE(log.contains("Work with shared ACIS buffer failed with message: no data given"));

    // Bytes that merely begin like zlib data fail to expand, and the load says so.
    const char lookalike[] = "\x78\x9c not zlib at all";
    ExcBlockGeometry fake;
    ASSERT_TRUE(fake.setBinaryData(lookalike, sizeof lookalike - 1, false));
    track(fake);
    receiver = receiverOf(fake);
    EXPECT_THROW(receiver->load(), std::runtime_error);
    EXPECT_FALSE(receiver->isLoaded());
    ENTITY_LIST restored;
    EXPECT_FALSE(receiver->getGeometry(restored));
    EXPECT_EQ(restored.count(), 0);

    // Ready-made saved data, compressed on the way, restores like saved geometry.
    const std::string bytes = savedBytes(m_bodies);
    ExcBlockGeometry ready;
    ASSERT_TRUE(ready.setBinaryData(bytes.data(), bytes.size(), true));
    track(ready);
    receiver = receiverOf(ready);
    receiver->load();
    EXPECT_EQ(receiver->buffer()->data(), bytes);
    ASSERT_TRUE(receiver->getGeometry(restored));
    EXPECT_EQ(describe(restored), describe(m_bodies));
    loseAll(restored);
}

TEST_F(BlockGeometryTest, CorruptOrTruncatedSegmentsRestoreNothing) {
    const std::string bytes = savedBytes(m_bodies);
    ASSERT_GT(bytes.size(), 100u);
    LogCapture log;
    const std::size_t live = acis_live_objects();
    // Every cut, and a spread of flipped bytes, is an error with nothing restored.
    std::vector<std::string> bad;
    for (std::size_t n = 0; n < bytes.size(); n += n < 64 ? 1 : 7) bad.push_back(bytes.substr(0, n));
    bad.push_back(bytes.substr(0, bytes.size() - 1));
    for (std::size_t i = 0; i < bytes.size(); i += 5) {
        std::string flipped = bytes;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
        bad.push_back(flipped);
    }
    const std::size_t cuts = bad.size() - (bytes.size() + 4) / 5;
    for (std::size_t i = 0; i < bad.size(); ++i) {
        ExcBlockGeometry sender;
        ASSERT_TRUE(sender.setBinaryData(bad[i].data(), bad[i].size(), false));
        track(sender);
        ENTITY_LIST restored;
        if (!sender.getGeometry(restored)) {
            EXPECT_EQ(restored.count(), 0);
            continue;
        }
        // Only a flip can leave valid data (inside a coordinate, a name, a count).
        EXPECT_GE(i, cuts) << "a cut after " << bad[i].size() << " bytes restored";
        loseRestored(restored);
    }
    EXPECT_EQ(acis_live_objects(), live) << "nothing restored is left behind";
    EXPECT_TRUE(log.contains("Failed to get geometry from shared memory buffer: the saved data ends early"));
    EXPECT_TRUE(log.contains("Failed to get geometry from shared memory buffer: the saved data is corrupt"));

    // A truncated compressed segment does not expand to part of the data.
    std::string packed;
    trx::Compressor::compress(packed, bytes.data(), bytes.size());
    const std::wstring name = track(ExcBlockGeometry::generateUUID());
    Segment(name, false).write(packed.data(), packed.size() - 9);
    ExcBlockGeometry receiver;
    trx::test::parseInto(receiver, L"{\"block_id\":1,\"shared_acis_buffer_name\":\"" + name + L"\"}");
    EXPECT_THROW(receiver.load(), std::runtime_error);
    EXPECT_FALSE(receiver.isLoaded());
}

TEST_F(BlockGeometryTest, HostileSegmentsFailWithTheirCauseAndCostLittle) {
    // A sparse segment of zeros costs its writer nothing: the reader looks at its start only.
    const std::wstring sparse = track(ExcBlockGeometry::generateUUID());
    {
        const int fd = shm_open(Segment::nativeName(sparse).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, off_t(400) << 20), 0);
        close(fd);
    }
    std::string got = loadInChild(sparse);
    const std::string label = "Segment " + trx::toNarrow(sparse);
    EXPECT_EQ(got.substr(0, got.find(" | ")),
              label + " holds no modeller data: the data is not a saved entity list: no format mark");
    EXPECT_LT(std::stol(got.substr(got.find(" | ") + 3)), 64) << got;
    EXPECT_FALSE(segmentExists(sparse)) << "read once, even when refused";

    // Real saved data followed by zeros, compressed to half a megabyte, would expand past the
    // limit: refused at the limit, with the limit's memory and no more.
    const std::string bytes = savedBytes(m_bodies);
    const std::string packed = gzipThenZeros(bytes, trx::ExcSharedAcisBuffer::kMaxDataSize + (1 << 20));
    ASSERT_LT(packed.size(), 4u << 20);
    const std::wstring bomb = track(ExcBlockGeometry::generateUUID());
    Segment(bomb, false).write(packed.data(), packed.size());
    got = loadInChild(bomb);
    EXPECT_EQ(got.substr(0, got.find(" | ")), "Segment " + trx::toNarrow(bomb) +
              " expands to more than 512 MB, the most modeller data one block may hold");
    EXPECT_LT(std::stol(got.substr(got.find(" | ") + 3)), 512 + 128) << got;

    // A name with a NUL inside stands for nothing, not for the segment before the NUL.
    const std::wstring victim = track(ExcBlockGeometry::generateUUID());
    Segment(victim, false).write(bytes.data(), bytes.size());
    {
        LogCapture log;
        ExcBlockGeometry receiver;
        trx::test::parseInto(receiver, L"{\"block_id\":1,\"shared_acis_buffer_name\":\"" + victim +
                                           L"\\u0000x\"}");
        EXPECT_EQ(receiver.source().size(), victim.size() + 2);
        receiver.load();
        EXPECT_FALSE(receiver.isLoaded());
        EXPECT_TRUE(log.contains("Failed to load ACIS buffer: Shared variable name is not valid"));
    }
    EXPECT_EQ(segmentSize(victim), bytes.size());
}

TEST_F(BlockGeometryTest, InterruptedCompressionLeavesNoSegment) {
    // A large save is compressed for seconds; the process is stopped in the middle of it.
    struct Stager : trx::ExcSharedAcisBuffer {
        using ExcSharedAcisBuffer::ExcSharedAcisBuffer;
        using ExcSharedAcisBuffer::write;
    };
    const std::wstring name = track(ExcBlockGeometry::generateUUID());
    const std::string got = inChild([&] {
        Stager staged(name, false);
        std::vector<std::uint64_t> noise(1 << 20);
        std::uint64_t x = 88172645463325252ull;
        for (int round = 0; round < 20; ++round) {  // 160 MB
            for (auto& v : noise) v = (x ^= x << 13, x ^= x >> 7, x ^= x << 17);
            staged.write(noise.data(), noise.size() * sizeof noise[0], 0);
        }
        std::signal(SIGALRM, [](int) { _exit(0); });
        itimerval timer{};
        timer.it_value.tv_usec = 50000;
        setitimer(ITIMER_REAL, &timer, nullptr);
        staged.flush(true);
        return std::string("finished");
    });
    EXPECT_EQ(got, "") << "stopped in the middle";
    EXPECT_FALSE(segmentExists(name));
}

TEST_F(BlockGeometryTest, ReceiverFailuresAreLoggedNotThrown) {
    LogCapture log;
    ExcBlockGeometry receiver;
    ENTITY_LIST restored;
    EXPECT_FALSE(receiver.getGeometry(restored));
    EXPECT_TRUE(log.contains("Failed to get geometry from shared memory buffer: Invalid buffer object."));

    // A name no segment can have.
    trx::test::parseInto(receiver, L"{\"block_id\":1,\"shared_acis_buffer_name\":\"../etc\"}");
    receiver.load();
    EXPECT_FALSE(receiver.isLoaded());
    EXPECT_TRUE(log.contains("Failed to load ACIS buffer: Shared variable name is not valid"));
    EXPECT_FALSE(receiver.getGeometry(restored));
    EXPECT_EQ(restored.count(), 0);

    ExcBlockGeometry unnamed;
    unnamed.load();
    EXPECT_TRUE(log.contains("Failed to load ACIS buffer: Shared variable name mustn't be empty"));
    EXPECT_FALSE(unnamed.isLoaded());

    // A save the modeller refuses is reported, not sent as good data.
    ENTITY_LIST withNull = m_bodies;
    ExcBlockGeometry sender;
    struct Broken : ENTITY {
        void save(ENTITY_LIST&) const override { sys_error(VALUE_TOO_LARGE, "broken on purpose"); }
        ENTITY* copy_data(ENTITY_LIST&, pointer_map*, logical, SCAN_TYPE) const override { return nullptr; }
        ENTITY* make_copy() const override { return nullptr; }
    };
    ENTITY* broken = ACIS_NEW Broken;
    withNull.add(broken);
    EXPECT_FALSE(sender.setGeometry(withNull, false));
    track(sender);
    EXPECT_TRUE(log.contains("Failed to write geometry into shared ACIS buffer: a value is out of the "
                             "range that can be saved: broken on purpose"));
    EXPECT_FALSE(segmentExists(sender.buffer()->name())) << "nothing was published";
    broken->lose();
}

// The child stages the bodies plain and compressed, writes the two envelopes, one per line,
// and exits: the segments are left for this process, which restores the bodies from each.
TEST_F(BlockGeometryTest, BodiesTravelToAnotherProcessCompressedOrNot) {
    const std::string received = inChild([] {
        ENTITY_LIST bodies = makeBodies();
        std::string lines;
        for (const bool compress : {false, true}) {
            auto geometry = std::make_shared<ExcBlockGeometry>();
            geometry->setBlockId(compress ? 2 : 1);
            if (!geometry->setGeometry(bodies, compress)) return std::string("not staged");
            std::wostringstream os;
            trx::ExchangeObjectWrapper(geometry).writeObject(os);
            lines += trx::toNarrow(os.str()) + "\n";
        }
        loseAll(bodies);
        return lines;
    });
    std::istringstream lines(received);
    std::string staged[2];
    int n = 0;
    for (std::string line; std::getline(lines, line) && n < 2; ++n) {
        SCOPED_TRACE(line);
        std::wstring name;
        {
            trx::ExchangeObjectWrapper envelope;
            std::wistringstream is(trx::toWide(line));
            envelope.readObject(is);
            auto geometry = std::dynamic_pointer_cast<ExcBlockGeometry>(envelope.get());
            ASSERT_TRUE(geometry);
            name = track(*geometry);
            ASSERT_EQ(name.size(), 36u);
            EXPECT_NE(line.find("{\"block_id\":" + std::to_string(n + 1) + ",\"shared_acis_buffer_name\":\"" +
                                trx::toNarrow(name) + "\"}"), std::string::npos);
            {
                Segment raw(name, false);
                std::vector<char> bytes;
                raw.read(bytes);
                EXPECT_EQ(trx::Compressor::isCompressed(bytes.data(), bytes.size()), n == 1);
            }
            EXPECT_FALSE(geometry->isLoaded());
            geometry->load();
            ASSERT_TRUE(geometry->isLoaded());
            staged[n] = geometry->buffer()->data();

            FileInfo reset;
            reset.set_units(25.4);
            api_set_file_info(FileIdent | FileUnits, reset);
            ENTITY_LIST restored, again;  // each call restores the whole set again
            ASSERT_TRUE(geometry->getGeometry(restored));
            ASSERT_TRUE(geometry->getGeometry(again));
            EXPECT_EQ(describe(restored), describe(m_bodies));
            EXPECT_EQ(describe(again), describe(m_bodies));
            EXPECT_NE(again[0], restored[0]);
            FileInfo stamped;
            api_get_file_info(stamped);
            EXPECT_STREQ(stamped.product_id(), "Tarnix Bridge");
            EXPECT_EQ(stamped.units(), 1.0);
            loseAll(restored);
            loseAll(again);

            // Loaded once: new content in the segment is not read again.
            Segment(name, false).write("x", 1);
            geometry->load();
            EXPECT_EQ(geometry->buffer()->data(), staged[n]);
        }
        EXPECT_FALSE(segmentExists(name)) << "the receiver removed the segment";
    }
    EXPECT_EQ(n, 2) << received;
    EXPECT_EQ(staged[0], staged[1]);
}
