#include "test_support.h"

#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "mp/shared_buffer.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_object.h"

using namespace trx;

namespace {

// A binary object that keeps the JSON value it is loaded from.
class Probe : public IExchangeObject {
public:
    JsonDocument doc;
    const std::wstring& objectName() const override { return name(); }
    std::shared_ptr<IExchangeObject> clone() const override { return std::make_shared<Probe>(); }
    bool binary() const override { return true; }
    void readObject(const JsonValue& v) override { doc.CopyFrom(v, doc.GetAllocator()); }
    void writeObject(JsonValue& v, JsonAllocator& a) const override { v.CopyFrom(doc, a); }

private:
    static const std::wstring& name() {
        static const std::wstring n = L"test_probe";
        return n;
    }
};

// Loads `payload` (the segment's bytes) into a fresh probe; the segment is gone afterwards.
std::shared_ptr<Probe> probeWith(const std::string& payload) {
    static int counter = 0;
    auto probe = std::make_shared<Probe>();
    probe->setSource(L"trx-test-load-" + std::to_wstring(getpid()) + L"-" + std::to_wstring(counter++));
    mp::SharedBuffer<char>(probe->source(), false).write(payload.data(), payload.size());
    return probe;
}

std::string gzipped(const std::string& bytes) {
    std::string packed;
    Compressor::compress(packed, bytes.data(), bytes.size());
    return packed;
}

std::string binaryOf(const JsonValue& v) {
    std::string bytes;
    JsonBinaryIO::write(bytes, v);
    return bytes;
}

template <class Exception>
std::string loadFailure(Probe& probe) {
    try {
        probe.load();
    } catch (const Exception& e) {
        EXPECT_FALSE(probe.isLoaded());
        EXPECT_EQ(mp::SharedBuffer<char>(probe.source(), true).size(), 0u);  // removed all the same
        return e.what();
    }
    ADD_FAILURE() << "no exception of the expected type";
    return {};
}

}  // namespace

// Compressed payloads are expanded piece by piece into the decoder; megabyte strings cross
// the pieces, with surrogate pairs cut between two of them, and the decoder's scratch grows
// from a small block into large ones that move.
TEST(EnvelopeLoad, ExpandsLargeStringsAcrossPiecesIntact) {
    // Astral characters only, 2 units each: the first string's units start 18 bytes in, so
    // the piece that ends at the first megabyte ends between the halves of a pair.
    std::wstring astral;
    for (int i = 0; i < 2000000; ++i) astral += static_cast<wchar_t>(0x1F600 + i % 64);
    std::wstring mixed = L"x" + astral.substr(0, 1000001) + L"y";
    mixed += static_cast<wchar_t>(0xD800);  // a lone surrogate stays as it is
    mixed += L"z";
    JsonDocument sent;
    sent.SetArray();
    auto& a = sent.GetAllocator();
    sent.PushBack(JsonValue(astral.data(), static_cast<rapidjson::SizeType>(astral.size()), a), a);
    sent.PushBack(JsonValue(mixed.data(), static_cast<rapidjson::SizeType>(mixed.size()), a), a);
    sent.PushBack(JsonValue(0.25), a);

    for (const bool pack : {true, false}) {
        const std::string bytes = binaryOf(sent);
        const auto probe = probeWith(pack ? gzipped(bytes) : bytes);
        probe->load();
        EXPECT_TRUE(probe->isLoaded());
        EXPECT_TRUE(probe->doc == sent) << "compressed: " << pack;
    }
}

// The decoder may fail on bytes that a damaged stream produced before the damage shows;
// the damage is what is reported. Truncated streams never pass for whole ones.
TEST(EnvelopeLoad, DamagedCompressedDataIsReportedAsSuch) {
    const std::string unknownTag = "\x0b";
    std::string packed = gzipped(unknownTag);
    EXPECT_EQ(loadFailure<std::invalid_argument>(*probeWith(packed)), "JsonBinaryIO: Unknown value type");
    packed[packed.size() - 8] ^= 0x55;  // the CRC of the trailer
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(packed)), "incorrect data check");

    JsonDocument doc;
    doc.SetArray();
    for (int i = 0; i < 200000; ++i) doc.PushBack(i, doc.GetAllocator());
    const std::string whole = gzipped(binaryOf(doc));
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(whole.substr(0, whole.size() / 2))),
              "unexpected end of compressed data");
    // Bytes after the value are ignored, as they always were; the stream is still checked.
    const std::string padded = gzipped(binaryOf(doc) + "trailing");
    const auto probe = probeWith(padded);
    probe->load();
    EXPECT_TRUE(probe->doc == doc);
    std::string damaged = padded;
    damaged[damaged.size() - 8] ^= 0x55;
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(damaged)), "incorrect data check");
}

// A peer's segment that claims more than any payload may hold (sparse, so it costs the
// peer nothing) is refused before the reader allocates for it.
TEST(EnvelopeLoad, OversizedSegmentIsRefusedUnread) {
    const auto probe = probeWith("");
    {
        const int fd = shm_open(mp::SharedBuffer<char>::nativeName(probe->source()).c_str(), O_RDWR, 0);
        ASSERT_GE(fd, 0);
        const bool grown = ftruncate(fd, static_cast<off_t>(Compressor::kMaxExpandedSize + 1)) == 0;
        close(fd);
        if (!grown) GTEST_SKIP() << "the shared-memory file system is too small here";
    }
    EXPECT_EQ(loadFailure<std::length_error>(*probe), "Shared memory segment is larger than any payload");
}
