#include "test_support.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include "mp/shared_buffer.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_object.h"

using namespace trx;

namespace {

// A binary object that keeps the JSON value it is loaded from. Loads fill it from the
// payload's document, or (with `straight`) fill a copy straight from the bytes, through which
// it reads its value whole all the same: the same checks, errors and budget either way.
class Probe : public IExchangeObject {
public:
    static inline bool straight = false;
    JsonDocument doc;
    const std::wstring& objectName() const override { return name(); }
    std::shared_ptr<IExchangeObject> clone() const override { return std::make_shared<Probe>(); }
    bool binary() const override { return true; }
    void readObject(const JsonValue& v) override { doc.CopyFrom(v, doc.GetAllocator()); }
    void writeObject(JsonValue& v, JsonAllocator& a) const override { v.CopyFrom(doc, a); }

protected:
    std::shared_ptr<IExchangeObject> copyForLoading() const override {
        if (!straight) return nullptr;
        auto copy = std::make_shared<Probe>();
        copy->doc.CopyFrom(doc, copy->doc.GetAllocator());
        copy->setSource(source());
        return copy;
    }
    void takeLoaded(IExchangeObject&& loaded) override { doc.Swap(static_cast<Probe&>(loaded).doc); }

private:
    static const std::wstring& name() {
        static const std::wstring n = L"test_probe";
        return n;
    }
};

// Loads `payload` (the segment's bytes) into a fresh probe; the segment is gone afterwards.
std::shared_ptr<Probe> probeWith(const std::string& payload) {
    auto probe = std::make_shared<Probe>();
    test::offerPayload(*probe, payload);
    return probe;
}

using test::binaryOf;
using test::gzipped;

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

// The process's peak resident memory in MB (each test runs in a process of its own): what a
// load really cost, where a clock would only say so on a quiet machine.
long peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

class EnvelopeLoad : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { Probe::straight = GetParam(); }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Readers, EnvelopeLoad, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "straight" : "throughTheDocument"; });

// Compressed payloads are expanded piece by piece into the decoder; megabyte strings cross
// the pieces, with surrogate pairs cut between two of them, and the decoder's scratch grows
// from a small block into large ones that move.
TEST_P(EnvelopeLoad, ExpandsLargeStringsAcrossPiecesIntact) {
    // Astral characters only, 2 units each: the first string's units start 29 bytes in, so
    // the piece that ends at the first megabyte ends inside a unit, after 524273 of them:
    // between the halves of a pair.
    std::wstring astral;
    for (int i = 0; i < 2000000; ++i) astral += static_cast<wchar_t>(0x1F600 + i % 64);
    std::wstring mixed = L"x" + astral.substr(0, 1000001) + L"y";
    mixed += static_cast<wchar_t>(0xD800);  // a lone surrogate stays as it is
    mixed += L"z";
    JsonDocument sent;
    sent.SetObject();
    auto& a = sent.GetAllocator();
    sent.AddMember(L"a", JsonValue(astral.data(), static_cast<rapidjson::SizeType>(astral.size()), a), a);
    sent.AddMember(L"m", JsonValue(mixed.data(), static_cast<rapidjson::SizeType>(mixed.size()), a), a);
    sent.AddMember(L"d", JsonValue(0.25), a);

    for (const bool pack : {true, false}) {
        const std::string bytes = binaryOf(sent);
        const auto probe = probeWith(pack ? gzipped(bytes) : bytes);
        probe->load();
        EXPECT_TRUE(probe->isLoaded());
        EXPECT_TRUE(probe->doc == sent) << "compressed: " << pack;
    }
}

// A payload compressed in chunks on several threads is expanded chunk by chunk ahead of the
// decoder: the same value, the same errors.
TEST_P(EnvelopeLoad, PayloadCompressedInChunksLoadsTheSame) {
    const Compressor::Parallelism saved = Compressor::parallelism();
    Compressor::Parallelism p;
    p.threads = 2;
    p.chunkSize = 64 << 10;
    p.minParallelSize = 0;
    Compressor::setParallelism(p);
    JsonDocument sent;
    sent.SetObject();
    auto& a = sent.GetAllocator();
    std::wstring text;
    for (int i = 0; i < 300000; ++i) text += static_cast<wchar_t>(i % 2 ? 0x1F600 + i % 64 : L'a' + i % 26);
    sent.AddMember(L"t", JsonValue(text.data(), static_cast<rapidjson::SizeType>(text.size()), a), a);
    JsonValue numbers(rapidjson::kArrayType);
    for (int i = 0; i < 100000; ++i) numbers.PushBack(i * 0.5, a);
    sent.AddMember(L"n", numbers, a);

    const std::string packed = gzipped(binaryOf(sent));
    ASSERT_EQ(packed[3] & 4, 4) << "no chunk table";
    const auto probe = probeWith(packed);
    probe->load();
    EXPECT_TRUE(probe->doc == sent);
    std::string damaged = packed;
    damaged[damaged.size() - 8] ^= 0x55;
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(damaged)), "incorrect data check");
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(packed.substr(0, packed.size() - 1))),
              "unexpected end of compressed data");
    Compressor::setParallelism(saved);
}

// The decoder may fail on bytes that a damaged stream produced before the damage shows;
// the damage is what is reported. Truncated streams never pass for whole ones.
TEST_P(EnvelopeLoad, DamagedCompressedDataIsReportedAsSuch) {
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
    // Damage after the value is still found.
    std::string damaged = gzipped(binaryOf(doc) + "trailing");
    damaged[damaged.size() - 8] ^= 0x55;
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(damaged)), "incorrect data check");
    // A second member would have been dropped: the whole payload is the first one's value.
    EXPECT_EQ(loadFailure<std::runtime_error>(*probeWith(whole + gzipped("\x03"))),
              "compressed data holds several gzip members; one is expected");
}

// The root value takes the whole payload: bytes after it, or members left outside a root
// whose count was cut short, would be lost while the load reports success. The rule for
// containers inside the root is unchanged (their last item may reach past the count).
TEST_P(EnvelopeLoad, RootValueTakesThePayloadExactly) {
    JsonDocument doc;
    doc.SetObject();
    auto& a = doc.GetAllocator();
    doc.AddMember(L"a", JsonValue(rapidjson::kArrayType).PushBack(1, a).PushBack(2, a), a);
    doc.AddMember(L"blocks", 7, a);
    const std::string bytes = binaryOf(doc);
    std::string cutShort = bytes;  // the root's count ends after the first member
    ASSERT_EQ(cutShort[1], 56);
    cutShort[1] = 56 - 26;  // "blocks" and its int32 now follow the root
    std::string innerOver = bytes;  // the array's count ends inside its last item
    const std::size_t arrayCount = 1 + 8 + (1 + 8 + 2) + 1;
    ASSERT_EQ(innerOver[arrayCount], 10);
    innerOver[arrayCount] = 8;

    for (const bool pack : {false, true}) {
        SCOPED_TRACE(pack ? "compressed" : "plain");
        const auto form = [&](const std::string& b) { return pack ? gzipped(b) : b; };
        EXPECT_EQ(loadFailure<std::length_error>(*probeWith(form(bytes + '\0'))),
                  "JsonBinaryIO: Bytes follow the root value");
        EXPECT_EQ(loadFailure<std::length_error>(*probeWith(form(cutShort))),
                  "JsonBinaryIO: Bytes follow the root value");
        const auto probe = probeWith(form(innerOver));
        probe->load();
        EXPECT_TRUE(probe->doc == doc);
    }
}

// Only an object makes a bulky object: an all-zero segment (a null, then more nulls) or a
// compressed null is an error, not a default object that passes for loaded. A payload that
// starts with neither gzip nor an object is refused before the rest of it is read.
TEST_P(EnvelopeLoad, PayloadMustHoldAnObject) {
    EXPECT_EQ(loadFailure<std::invalid_argument>(*probeWith(gzipped(std::string(1, '\0')))),
              "Payload holds no JSON object");
    EXPECT_EQ(loadFailure<std::invalid_argument>(*probeWith(gzipped(std::string("\x05\0\0\0\0\0\0\0\0", 9)))),
              "Payload holds no JSON object");
    EXPECT_EQ(loadFailure<std::invalid_argument>(*probeWith(std::string(64, '\0'))),
              "Payload is neither compressed nor a binary JSON object");

    // Sparse: costs nothing to make, and would cost the reader all of it.
    const auto probe = probeWith("");
    {
        const int fd = shm_open(mp::SharedBuffer<char>::nativeName(probe->source()).c_str(), O_RDWR, 0);
        ASSERT_GE(fd, 0);
        const bool grown = ftruncate(fd, static_cast<off_t>(1) << 30) == 0;
        close(fd);
        if (!grown) GTEST_SKIP() << "the shared-memory file system is too small here";
    }
    const long before = peakMb();
    EXPECT_EQ(loadFailure<std::invalid_argument>(*probe), "Payload is neither compressed nor a binary JSON object");
    EXPECT_LT(peakMb() - before, 256) << "the segment was read before it was judged";
}

// 32 Mi nulls expand from a 32 KB segment; as a document they would take a gigabyte. The
// decoder stops at its budget for so small an input, at once.
TEST_P(EnvelopeLoad, PayloadThatExpandsIntoMillionsOfValuesFailsFast) {
    const std::size_t count = std::size_t(32) << 20;
    std::string bytes(1 + 8 + count, '\0');
    bytes[0] = 4;
    const std::uint64_t size = count;
    std::memcpy(&bytes[1], &size, 8);
    std::string object = "\x03";  // {"": [nulls]}
    const std::uint64_t objectSize = 9 + bytes.size();
    object.append(reinterpret_cast<const char*>(&objectSize), 8);
    object += std::string("\x05\0\0\0\0\0\0\0\0", 9) + bytes;
    const std::string payload = gzipped(object);
    ASSERT_LT(payload.size(), 64000u);

    const auto probe = probeWith(payload);
    object = std::string();  // the test's own inputs leave the peak
    const long before = peakMb();
    const std::string error = loadFailure<std::length_error>(*probe);
    EXPECT_EQ(error.rfind("JsonBinaryIO: Document too large", 0), 0u) << error;
    EXPECT_NE(error.find(std::to_string(payload.size()) + " bytes of input"), std::string::npos) << error;
    EXPECT_LT(peakMb() - before, 768) << "a gigabyte of values was built before the refusal";
}

// A peer's segment that claims more than any payload may hold (sparse, so it costs the
// peer nothing) is refused before the reader allocates for it.
TEST_P(EnvelopeLoad, OversizedSegmentIsRefusedUnread) {
    const auto probe = probeWith("");
    {
        const int fd = shm_open(mp::SharedBuffer<char>::nativeName(probe->source()).c_str(), O_RDWR, 0);
        ASSERT_GE(fd, 0);
        const bool grown = ftruncate(fd, static_cast<off_t>(Compressor::kMaxExpandedSize + 1)) == 0;
        close(fd);
        if (!grown) GTEST_SKIP() << "the shared-memory file system is too small here";
    }
    const std::string error = loadFailure<std::length_error>(*probe);
    EXPECT_EQ(error.rfind("Shared memory segment of 4294967297 bytes is larger than any payload", 0), 0u) << error;
}

// A record may keep the value it is handed: its strings must be its own, not references into
// the payload's pool, which is gone (its blocks returned to the system here) once loading ends.
TEST_P(EnvelopeLoad, WhatARecordKeepsOutlivesTheLoad) {
    JsonDocument doc;
    doc.SetObject();
    const std::wstring text(300000, L'x');  // its pool's chunk is a mapping of its own
    doc.AddMember(L"text", JsonValue(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), doc.GetAllocator()),
                  doc.GetAllocator());
    for (const bool pack : {false, true}) {
        const std::string bytes = binaryOf(doc);
        const auto probe = probeWith(pack ? gzipped(bytes) : bytes);
        probe->load();
        JsonBlockAllocator::releaseRetained();
        EXPECT_TRUE(probe->doc == doc) << pack;
    }
}
