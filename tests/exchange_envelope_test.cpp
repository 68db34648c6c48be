#include "test_support.h"

#include <cmath>
#include <limits>
#include <set>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include "trx_api/detail/fields.h"
#include "mp/shared_buffer.h"
#include "trx_api/trx_api_exchange_messages.h"
#include "trx_api/trx_api_exchange_structure.h"

using namespace trx;
using trx::test::errorOf;
using trx::test::LogCapture;
using trx::test::toText;

namespace {

bool segmentExists(const std::wstring& name) {
    const int fd = shm_open(mp::SharedBuffer<char>::nativeName(name).c_str(), O_RDONLY, 0);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// Removes, at the end of a test, the segments it may have left behind on failure.
struct SegmentGuard {
    std::set<std::wstring> names;
    ~SegmentGuard() {
        for (const auto& n : names) {
            try {
                mp::SharedBuffer<char>::remove(n);
            } catch (const mp::SharedMemoryException&) {  // not a segment name: nothing to remove
            }
        }
    }
};

std::wstring send(const std::shared_ptr<IExchangeObject>& object) {
    std::wostringstream os;
    ExchangeObjectWrapper(object).writeObject(os);
    return os.str();
}

std::shared_ptr<IExchangeObject> receive(const std::wstring& text, bool delayed = false) {
    std::wistringstream is(text);
    ExchangeObjectWrapper w;
    w.setDelayedLoading(delayed);
    w.readObject(is);
    return w.get();
}

template <class T>
std::shared_ptr<T> receiveAs(const std::wstring& text, bool delayed = false) {
    auto object = receive(text, delayed);
    auto typed = std::dynamic_pointer_cast<T>(object);
    EXPECT_TRUE(typed != nullptr) << "received " << (object ? toNarrow(object->objectName()) : "nothing");
    return typed;
}

// The buffer name of a binary envelope.
std::wstring segmentOf(const std::wstring& envelope) {
    JsonDocument doc;
    std::wistringstream is(envelope);
    JsonTextIO::read(is, doc);
    const JsonValue* data = json::member(doc, L"exchange_object_data");
    return data && data->IsString() ? data->GetString() : L"";
}

const std::wstring kAstral = L"\u00e9\u4e2d\U0001F600\U00010348";

std::shared_ptr<ExcProductStructure> structure() { return test::golden<ExcProductStructure>("exc_product_structure"); }

// A binary object carrying the value types that the product structure does not.
class Carrier : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(Carrier)
    bool binary() const override { return true; }
    bool compress() const override { return m_compress; }

    template <class Self, class F>
    static void fields(Self& s, F&& f) {
        f(L"v2", s.v2);
        f(L"v3", s.v3);
        f(L"entities", s.entities);
    }
    void readObject(const JsonValue& v) override { json::readFields(*this, v, "Carrier"); }
    void writeObject(JsonValue& v, JsonAllocator& a) const override { json::writeFields(*this, v, a); }

    bool m_compress = true;
    ExcVector2d v2;
    ExcVector3d v3;
    ExcEntities entities;
};
const std::wstring Carrier::s_objectName = L"test_value_carrier";
StaticExchangeObject<Carrier> s_carrierPrototype;

std::shared_ptr<Carrier> sampleCarrier() {
    auto c = std::make_shared<Carrier>();
    c->v2.set(1.0, -0.0);
    c->v3.set(1e300, 3.0, std::numeric_limits<double>::denorm_min());
    auto path = std::make_shared<ExcFullSubentPath>(18446744073709551615ull);
    path->refs() = {L"a", kAstral};
    path->setSubentType(ExcFullSubentPath::ESubentType::vertex);
    path->setInstancePath(true);
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::fsp);
    e->setFsp(path);
    auto o = std::make_shared<ExcEntity>();
    o->setType(ExcEntity::EType::original);
    o->setId(L"42");
    o->setDescription(kAstral);
    c->entities = {e, o};
    return c;
}

}  // namespace

TEST(Envelope, TextFormOfEveryTextClass) {
    using S = ExcStageFinished::EStage;
    auto progress = std::make_shared<ExcProgress>();
    progress->setProgress(42);
    progress->setPulse(true);
    progress->setStage(kAstral);
    const std::wstring text = send(progress);
    EXPECT_EQ(text, L"{\"exchange_object_name\":\"exc_progress\",\"exchange_object_data\":{\"progress\":42,"
                    L"\"progress_max\":100,\"pulse\":true,\"stage\":\"" + kAstral + L"\"}}");
    auto p = receiveAs<ExcProgress>(text);
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, *progress);
    EXPECT_TRUE(p->pulse());

    const std::wstring s = send(std::make_shared<ExcStageFinished>(S::root_mechanical));
    EXPECT_EQ(s, L"{\"exchange_object_name\":\"exc_stage_finished\",\"exchange_object_data\":\"root_mechanical\"}");
    EXPECT_EQ(receiveAs<ExcStageFinished>(s)->stage(), S::root_mechanical);
    auto names = std::make_shared<LegacyComponentInstanceNames>();
    names->addInstanceName(18446744073709551615ull, kAstral);
    EXPECT_EQ(receiveAs<LegacyComponentInstanceNames>(send(names))->map(), names->map());

    // A record's JSON may be sent in text form even when its class goes binary by default.
    auto ps = structure();
    auto back = receiveAs<ExcProductStructure>(
        L"{\"exchange_object_name\":\"exc_product_structure\",\"binary\":false,\"exchange_object_data\":" +
        toText(*ps) + L"}");
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *ps);
    EXPECT_FALSE(back->isLoaded());
}

TEST(Envelope, BinaryFormKeepsEveryValue) {
    SegmentGuard guard;
    // Uncompressed binary JSON loads too: the content decides, not the flag. Equal text
    // means every number, sign and character survived.
    auto carrier = sampleCarrier();
    for (bool compress : {false, true}) {
        carrier->m_compress = compress;
        const std::wstring ctext = send(carrier);
        guard.names.insert(segmentOf(ctext));
        auto cback = receiveAs<Carrier>(ctext);
        ASSERT_TRUE(cback);
        EXPECT_EQ(toText(*cback), toText(*carrier));
    }
}

TEST(Envelope, LoadingFailures) {
    SegmentGuard guard;
    auto ps = structure();

    // A buffer that is gone is named as such, and is not made again by looking for it.
    const std::wstring text2 = send(ps);
    const std::wstring gone = segmentOf(text2);
    guard.names.insert(gone);
    auto orphan = receiveAs<ExcProductStructure>(text2, true);
    ASSERT_TRUE(mp::SharedBuffer<char>::remove(gone));
    EXPECT_EQ(errorOf([&] { orphan->load(); }), "Shared memory segment " + trx::toNarrow(gone) + " does not exist");
    EXPECT_FALSE(orphan->isLoaded());
    EXPECT_FALSE(segmentExists(gone));

    // Bytes that are not gzip data nor binary JSON.
    auto junk = std::make_shared<ExcProductStructure>();
    junk->setSource(L"trx-test-junk-" + std::to_wstring(getpid()));
    guard.names.insert(junk->source());
    mp::SharedBuffer<char>(junk->source(), false).write("\x1f\x8b\x08garbage", 10);
    EXPECT_THROW(junk->load(), std::runtime_error);
    EXPECT_FALSE(junk->isLoaded());
    EXPECT_FALSE(segmentExists(junk->source()));

    // A source that is no segment name at all.
    auto bad = receiveAs<ExcProductStructure>(
        L"{\"exchange_object_name\":\"exc_product_structure\",\"binary\":true,\"exchange_object_data\":\"../x\"}",
        true);
    EXPECT_THROW(bad->load(), mp::SharedMemoryException);
}

TEST(Envelope, ReaderFailuresAndRecords) {
    EXPECT_EQ(errorOf([] { send(nullptr); }), "ExchangeObjectWrapper::writeObject > m_pObject == nullptr");
    const std::wstring one = send(std::make_shared<ExcMessage>(L"a"));
    const std::wstring bad[] = {L"", L"[1]", L"{\"a\":1} {\"b\":2}", L"{\"exchange_object_name\":", L"\"x\"", one + one};
    for (const auto& text : bad) EXPECT_EQ(errorOf([&] { receive(text); }), "Invalid json document") << toNarrow(text);

    LogCapture log;
    EXPECT_EQ(receive(L"{\"exchange_object_name\":\"exc_unknown\",\"exchange_object_data\":{}}"), nullptr);
    EXPECT_EQ(receive(L"{\"exchange_object_name\":5,\"exchange_object_data\":{}}"), nullptr);
    EXPECT_EQ(receive(L"{\"exchange_object_data\":{\"message\":\"x\"}}"), nullptr);
    EXPECT_EQ(receive(std::wstring(L"{\"exchange_object_name\":\"exc_message\\u0000x\"}")), nullptr);
    EXPECT_EQ(log.records(), 0);

    // A wrapper that held an object forgets it when the next envelope names nothing.
    ExchangeObjectWrapper w(std::make_shared<ExcMessage>(L"old"));
    std::wistringstream is(L"{\"exchange_object_data\":1}");
    w.readObject(is);
    EXPECT_EQ(w.get(), nullptr);

    auto noData = receiveAs<ExcMessage>(L"{\"exchange_object_name\":\"exc_message\"}");
    ASSERT_TRUE(noData);
    EXPECT_EQ(noData->get(), L"");
    EXPECT_TRUE(log.contains("[ERROR]   "));
    EXPECT_TRUE(log.contains("ExchangeObjectWrapper JSON object has no Exchange Object data."));

    auto noUuid = receiveAs<ExcProductStructure>(
        L"{\"exchange_object_name\":\"exc_product_structure\",\"binary\":true,\"exchange_object_data\":{\"product_name\":\"x\"}}");
    ASSERT_TRUE(noUuid);
    EXPECT_EQ(noUuid->productName(), L"");
    EXPECT_EQ(noUuid->source(), L"");
    EXPECT_TRUE(log.contains(
        "ExchangeObjectWrapper JSON object should have UUID in Exchange Object Data field (if binary)."));
    EXPECT_EQ(log.records(), 2);
    // An empty name is no segment either: the object must not pass for loaded from nothing.
    auto emptyUuid = receiveAs<ExcProductStructure>(
        L"{\"exchange_object_name\":\"exc_product_structure\",\"binary\":true,\"exchange_object_data\":\"\"}");
    ASSERT_TRUE(emptyUuid);
    EXPECT_FALSE(emptyUuid->isLoaded());
    EXPECT_EQ(log.records(), 3);

    // "binary" that is not true: the data is read as text, whatever its type.
    EXPECT_EQ(receiveAs<ExcMessage>(
                  L"{\"exchange_object_name\":\"exc_message\",\"binary\":\"yes\",\"exchange_object_data\":{\"message\":\"t\"}}")
                  ->get(),
              L"t");
    EXPECT_EQ(receiveAs<ExcStageFinished>(
                  L"{\"binary\":false,\"exchange_object_data\":\"mechanical\",\"exchange_object_name\":\"exc_stage_finished\"}")
                  ->stage(),
              ExcStageFinished::EStage::mechanical);
    // A binary envelope for a class that travels as text: load() has nothing to do.
    auto textual = receiveAs<ExcMessage>(
        L"{\"exchange_object_name\":\"exc_message\",\"binary\":true,\"exchange_object_data\":\"abc\"}");
    EXPECT_EQ(textual->source(), L"abc");
    EXPECT_FALSE(textual->isLoaded());
}

TEST(Envelope, WriterFailures) {
    // RapidJSON refuses NaN.
    auto materials = std::make_shared<LegacyMaterialMap>();
    LegacyMaterialMap::Material nan;
    nan.density = std::numeric_limits<double>::quiet_NaN();
    materials->addMaterial(1, nan);
    EXPECT_EQ(errorOf([&] { send(materials); }), "Cannot write object into json document");

    // A stream that fails leaves no segment behind: nobody would ever read and remove it.
    struct FailingSync : std::wstreambuf {
        std::wstring text;
        std::streamsize xsputn(const wchar_t* s, std::streamsize n) override {
            text.append(s, static_cast<std::size_t>(n));
            return n;
        }
        int sync() override { return -1; }
    } sink;
    std::wostream os(&sink);
    ExchangeObjectWrapper(structure()).writeObject(os);
    EXPECT_TRUE(os.bad());
    const std::wstring segment = segmentOf(sink.text);
    ASSERT_EQ(segment.size(), 36u);
    SegmentGuard guard{{segment}};
    EXPECT_FALSE(segmentExists(segment));
}

// One process writes binary envelopes and exits; this one reads them, with and without
// delayed loading. The segments outlive their writer and are gone once loaded.
TEST(Envelope, CrossProcess) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execl(TRX_ENVELOPE_WRITER, TRX_ENVELOPE_WRITER, "2", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char block[4096];
    for (ssize_t got; (got = read(fds[0], block, sizeof(block))) > 0;) out.append(block, static_cast<std::size_t>(got));
    close(fds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    std::vector<std::wstring> envelopes;
    SegmentGuard guard;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        envelopes.push_back(toWide(line));
        guard.names.insert(segmentOf(envelopes.back()));
        EXPECT_TRUE(segmentExists(segmentOf(envelopes.back())));  // the writer has exited
    }
    ASSERT_EQ(envelopes.size(), 2u);
    const std::wstring segment = segmentOf(envelopes[0]);
    ASSERT_EQ(segment.size(), 36u);
    EXPECT_NE(segment, segmentOf(envelopes[1]));
    EXPECT_EQ(envelopes[0], L"{\"exchange_object_name\":\"exc_product_structure\",\"binary\":true,"
                            L"\"exchange_object_data\":\"" + segment + L"\"}");
    {
        mp::SharedBuffer<char> peek(segment, false);  // the payload is gzip data
        std::vector<char> bytes;
        peek.read(bytes);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(std::string(bytes.data(), 2), "\x1f\x8b");
    }

    const auto expected = structure();
    auto now = receiveAs<ExcProductStructure>(envelopes[0]);
    ASSERT_TRUE(now);
    EXPECT_TRUE(now->isLoaded());
    EXPECT_EQ(*now, *expected);
    EXPECT_FALSE(segmentExists(segment));

    auto later = receiveAs<ExcProductStructure>(envelopes[1], true);
    ASSERT_TRUE(later);
    EXPECT_TRUE(later->blocks().empty() && !later->isLoaded() && segmentExists(later->source()));
    later->load();
    later->load();  // loaded: the buffer is not opened again, nothing is read twice
    EXPECT_EQ(*later, *expected);
    EXPECT_FALSE(segmentExists(segmentOf(envelopes[1])));
}
