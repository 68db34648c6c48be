// Bulky records are filled straight from their binary JSON, without the payload's document.
// Reading a document and then the record from it is the oracle: for every registered object,
// for payloads reordered, with members repeated, unknown or of other kinds, damaged or cut
// short, compressed or not, and arriving a few bytes at a time, the straight reader must give
// the same record, the same log and the same error.

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_support.h"
#include "trx_api/detail/binary_reader.h"
#include "trx_api/detail/bytes.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_object.h"
#include "trx_api/trx_api_exchange_visualization.h"
#include "trx_api/trx_api_exchange_visualization_primitives.h"

namespace trx {
namespace {

using test::binaryOf;
using test::gzipped;

// The bytes in pieces of 1 to 7, so that every value, string and Base64 group is cut
// somewhere.
class Dribble : public detail::ByteSource {
public:
    Dribble(const std::string& bytes, unsigned seed) : m_bytes(bytes), m_random(seed) {}
    std::size_t read(char* out, std::size_t room) override {
        const std::size_t n =
            std::min({room, m_bytes.size() - m_at, std::size_t(1 + m_random() % 7)});
        std::copy_n(m_bytes.data() + m_at, n, out);
        m_at += n;
        return n;
    }
    void finish() override {}

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
    std::mt19937 m_random;
};

enum class Form { plain, gzip, dribble };

// What reading `bytes` gives: the record's binary JSON (through its document) and the
// warnings and errors logged (sorted: members may come in any order); or the error.
// A payload that fails was read in part before the failure showed: what its records logged
// on the way is not compared.
std::string outcome(IJsonObject& record, const std::function<void()>& read) {
    std::string result;
    test::LogCapture log(vx_bridge::kWarning);
    try {
        read();
        result = binaryOf(record);
    } catch (const std::exception& e) {
        return std::string("error: ") + e.what();
    }
    for (const std::string& line : log.problems()) result += "\nlog: " + line;
    return result;
}

// The payload's document, then the record from it, as loading did it.
std::string throughDocument(IJsonObject& record, const std::string& bytes, Form form,
                            unsigned seed) {
    return outcome(record, [&] {
        JsonDocument doc;
        if (form == Form::dribble) {
            Dribble source(bytes, seed);
            detail::readBinaryJson(source, bytes.size(), doc, doc.GetAllocator());
        } else {
            detail::readPayloadJson(bytes.data(), bytes.size(), doc, doc.GetAllocator());
        }
        if (!doc.IsObject()) throw std::invalid_argument("Payload holds no JSON object");
        record.readObject(doc);
    });
}

std::string straight(IJsonObject& record, const std::string& bytes, Form form, unsigned seed) {
    return outcome(record, [&] {
        if (form == Form::dribble) {
            Dribble source(bytes, seed);
            detail::readBinaryRecord(source, bytes.size(), record);
        } else {
            detail::readBinaryRecord(bytes.data(), bytes.size(), record);
        }
    });
}

using Fresh = std::function<std::shared_ptr<IJsonObject>()>;

Fresh registered(const std::wstring& name) {
    return [name] {
        return std::shared_ptr<IJsonObject>(ExchangeObjectRegistry::instance().get(name));
    };
}

// Both readers on `bytes`, each into a fresh record; with Form::dribble both take the bytes
// in the same pieces.
void expectSame(const Fresh& fresh, const std::string& bytes, Form form, const std::string& what,
                unsigned seed = 1) {
    const auto viaDocument = fresh();
    const auto viaStraight = fresh();
    const std::string expected = throughDocument(*viaDocument, bytes, form, seed);
    const std::string got = straight(*viaStraight, bytes, form, seed);
    if (got == expected) return;
    // Where they part, and what follows there.
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    ADD_FAILURE() << what << ": apart at " << at << " of " << expected.size()
                  << "\n  through the document: " << expected.substr(at, 200)
                  << "\n  straight:             " << got.substr(at, 200);
}
void expectSame(const std::wstring& name, const std::string& bytes, Form form,
                const std::string& what) {
    expectSame(registered(name), bytes, form, toNarrow(name) + ", " + what);
}

// The registered objects with a golden wire text; `bulky`: only those that travel as binary
// JSON, the only ones a payload fills.
std::vector<std::wstring> goldenNames(bool bulky = false) {
    std::vector<std::wstring> names;
    for (const std::wstring& name : ExchangeObjectRegistry::instance().names())
        if (name.rfind(L"test_", 0) != 0 &&
            std::ifstream(std::string(TRX_WIRE_DIR) + "/" + toNarrow(name) + ".json") &&
            (!bulky || ExchangeObjectRegistry::instance().get(name)->binary()))
            names.push_back(name);
    return names;
}

JsonDocument goldenDocument(const std::wstring& name) {
    JsonDocument doc;
    test::parse(doc, test::goldenText(toNarrow(name)));
    return doc;
}

// Calls change(object, allocator) on every object in v, innermost first.
template <class Change>
void everyObject(JsonValue& v, JsonAllocator& a, Change&& change) {
    if (v.IsObject()) {
        for (auto& m : v.GetObject()) everyObject(m.value, a, change);
        change(v, a);
    } else if (v.IsArray()) {
        for (auto& item : v.GetArray()) everyObject(item, a, change);
    }
}

// Every member value in v, depth first.
void everyMember(JsonValue& v, std::vector<JsonValue*>& out) {
    if (v.IsObject()) {
        for (auto& m : v.GetObject()) {
            out.push_back(&m.value);
            everyMember(m.value, out);
        }
    } else if (v.IsArray()) {
        for (auto& item : v.GetArray()) everyMember(item, out);
    }
}

}  // namespace

TEST(StraightRead, GoldenObjectsReadAsThroughTheirDocument) {
    const std::vector<std::wstring> names = goldenNames();
    EXPECT_GE(names.size(), 10u);
    for (const std::wstring& name : names) {
        JsonDocument doc = goldenDocument(name);
        const std::string bytes = binaryOf(doc);
        expectSame(name, bytes, Form::plain, "as it is");
        expectSame(name, gzipped(bytes), Form::gzip, "compressed");
        expectSame(name, bytes, Form::dribble, "a few bytes at a time");
    }
}

// Members in the other order, each repeated with a value of another kind after it (the
// first is the one taken), and members nobody knows, in every object of the payload.
TEST(StraightRead, ReorderedRepeatedAndUnknownMembersReadAsThroughTheDocument) {
    for (const std::wstring& name : goldenNames()) {
        JsonDocument reversed = goldenDocument(name);
        everyObject(reversed, reversed.GetAllocator(), [](JsonValue& o, JsonAllocator& a) {
            JsonValue flipped(rapidjson::kObjectType);
            for (auto m = o.MemberEnd(); m != o.MemberBegin();) {
                --m;
                flipped.AddMember(JsonValue(m->name, a), JsonValue(m->value, a), a);
            }
            o = flipped;
        });
        expectSame(name, binaryOf(reversed), Form::plain, "members reversed");

        for (const wchar_t* repeat : {L"\"again\"", L"0", L"2.5", L"[]", L"{}", L"null"}) {
            JsonDocument doc = goldenDocument(name);
            JsonDocument value;
            test::parse(value, repeat);
            everyObject(doc, doc.GetAllocator(), [&](JsonValue& o, JsonAllocator& a) {
                const rapidjson::SizeType n = o.MemberCount();
                for (rapidjson::SizeType i = 0; i < n; ++i)
                    o.AddMember(JsonValue(o.MemberBegin()[i].name, a), JsonValue(value, a), a);
                o.AddMember(L"unknown_member", JsonValue(value, a), a);
            });
            expectSame(name, binaryOf(doc), Form::plain, "members repeated as " + toNarrow(repeat));
        }
    }
}

// Each member in turn given values of other kinds: what the document's reader keeps, logs or
// refuses, the straight reader does too. Members take the kinds in turn, two each, so that
// members of one type meet all of them.
TEST(StraightRead, ValuesOfOtherKindsReadAsThroughTheDocument) {
    const wchar_t* const kinds[] = {L"\"text\"",   L"\"alpha\"",    L"-7",
                                    L"4000000000", L"-5000000000",  L"18446744073709551615",
                                    L"0.5",        L"true",         L"null",
                                    L"[]",         L"[1,\"a\",{}]", L"{}",
                                    L"{\"x\":[]}"};
    constexpr std::size_t kKinds = std::size(kinds);
    std::set<std::size_t> kindsTried;
    for (const std::wstring& name : goldenNames(true)) {
        JsonDocument original = goldenDocument(name);
        std::vector<JsonValue*> members;
        everyMember(original, members);
        for (std::size_t at = 0; at < members.size(); ++at) {
            for (const std::size_t k : {at % kKinds, (at + kKinds / 2) % kKinds}) {
                JsonDocument doc;
                doc.CopyFrom(original, doc.GetAllocator());
                std::vector<JsonValue*> mine;
                everyMember(doc, mine);
                JsonDocument value;
                test::parse(value, kinds[k]);
                mine[at]->CopyFrom(value, doc.GetAllocator());
                expectSame(name, binaryOf(doc), Form::plain,
                           "member " + std::to_string(at) + " as " + toNarrow(kinds[k]));
                kindsTried.insert(k);
            }
        }
    }
    EXPECT_EQ(kindsTried.size(), kKinds);
}

// Cuts and damaged bytes all through a bulky payload, plain, compressed and arriving a few
// bytes at a time: the same error (or the same record, where the damage still reads) and the
// same log.
TEST(StraightRead, DamagedPayloadsFailAsThroughTheDocument) {
    const std::wstring name = L"exc_block_visualization";
    const std::string plain = binaryOf(goldenDocument(name));
    const std::string packed = gzipped(plain);
    // Every place near the ends, a spread of places between.
    const auto places = [](std::size_t size) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < size; i += i < 160 || size - i < 40 ? 1 : 29) at.push_back(i);
        return at;
    };
    for (const std::size_t cut : places(plain.size())) {
        expectSame(name, plain.substr(0, cut), Form::plain, "cut at " + std::to_string(cut));
        expectSame(name, plain.substr(0, cut), Form::dribble,
                   "cut at " + std::to_string(cut) + ", in pieces");
    }
    for (const std::size_t cut : places(packed.size()))
        expectSame(name, packed.substr(0, cut), Form::gzip,
                   "compressed, cut at " + std::to_string(cut));
    for (const std::size_t at : places(plain.size())) {
        for (const unsigned char to : {0x00, 0x01, 0x0B, 0xFF}) {
            std::string damaged = plain;
            damaged[at] = static_cast<char>(to);
            expectSame(name, damaged, Form::plain,
                       "byte " + std::to_string(at) + " = " + std::to_string(to));
        }
    }
    for (const std::size_t at : places(packed.size())) {
        for (const unsigned char to : {0x00, 0x5A, 0xFF}) {
            std::string damaged = packed;
            damaged[at] = static_cast<char>(to);
            expectSame(name, damaged, Form::gzip,
                       "compressed, byte " + std::to_string(at) + " = " + std::to_string(to));
        }
    }
    // Expanded piece by piece once larger than a megabyte: damage that the decoder meets
    // before the expansion shows it (at the check sum) is still reported as damaged
    // compressed data.
    JsonDocument large = goldenDocument(name);
    std::wstring padding;
    std::mt19937 random(3);
    for (int i = 0; i < 700000; ++i) padding += static_cast<wchar_t>(L'a' + random() % 26);
    large.AddMember(L"padding",
                    JsonValue(padding.c_str(), static_cast<rapidjson::SizeType>(padding.size()),
                              large.GetAllocator()),
                    large.GetAllocator());
    const std::string largePacked = gzipped(binaryOf(large));
    for (std::size_t at = 20; at < 3000; at += 97) {  // where the golden object's bytes went
        std::string damaged = largePacked;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        expectSame(name, damaged, Form::gzip,
                   "large, compressed, byte " + std::to_string(at) + " changed");
        // Whatever the decoder met on the way, the stream's damage is what both report.
        ExcBlockVisualization record;
        const std::string error = straight(record, damaged, Form::gzip, 1);
        EXPECT_EQ(error.rfind("error: ", 0), 0u) << at;
        EXPECT_EQ(error.find("JsonBinaryIO"), std::string::npos) << at << ": " << error;
    }
    expectSame(name, plain + "x", Form::plain, "a byte after the root");
    expectSame(name, gzipped("\x04\x00\x00\x00\x00\x00\x00\x00\x00"), Form::gzip,
               "an array at the root");
}

// Packed text decoded as it arrives, its Base64 groups cut between pieces of every size:
// whole text, damaged text (cut short, padding inside or too much of it, foreign characters,
// characters beyond the 16-bit plane) decodes, or is refused, as the whole text is.
TEST(StraightRead, PackedTextInPiecesDecodesAsTheWholeText) {
    std::mt19937 random(7);
    const Fresh face = [] { return std::make_shared<ExcVisuFace>(); };
    for (unsigned trial = 0; trial < 600; ++trial) {
        std::vector<unsigned char> bytes(random() % 64);
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        std::wstring text;
        Base64::encode(bytes, text);
        const std::size_t at = text.empty() ? 0 : random() % text.size();
        switch (trial % 8) {
            case 0:
                break;
            case 1:
                text.resize(text.size() - std::min<std::size_t>(text.size(), 1 + random() % 3));
                break;
            case 2:
                if (!text.empty()) text[at] = L'=';
                break;
            case 3:
                if (!text.empty()) text[at] = L'!';
                break;
            case 4:
                text += L"=";
                break;
            case 5:
                text += L"===";
                break;
            case 6:
                text.insert(at, 1, L'\U0001F600');
                break;
            case 7:
                text.erase(text.find_last_not_of(L'=') + 1);
                break;
        }
        JsonDocument doc;
        doc.SetObject();
        auto& a = doc.GetAllocator();
        doc.AddMember(L"vertices",
                      JsonValue(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), a), a);
        doc.AddMember(L"polygons",
                      JsonValue(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), a), a);
        const std::string payload = binaryOf(doc);
        expectSame(face, payload, Form::plain, "trial " + std::to_string(trial));
        expectSame(face, payload, Form::dribble, "trial " + std::to_string(trial) + ", in pieces",
                   trial);
    }
}

// A load fills a copy and keeps it only when the whole payload was read: a payload that
// turns out damaged, in the record's data or in its bytes, leaves the object as it was. What
// a load adds to an object that holds data already is what reading its document adds.
TEST(StraightRead, ALoadThatFailsLeavesTheObjectAsItWas) {
    JsonDocument doc = goldenDocument(L"exc_block_visualization");
    const std::string payload = binaryOf(doc);
    std::vector<JsonValue*> members;
    everyMember(doc, members);
    JsonValue* vertices = nullptr;
    for (JsonValue* m : members)
        if (m->IsString() && std::wstring(m->GetString()).rfind(L"AAAA", 0) == 0) vertices = m;
    ASSERT_NE(vertices, nullptr);
    vertices->SetString(L"AAA!AAAA", doc.GetAllocator());
    const std::string damaged = binaryOf(doc);

    ExcBlockVisualization held;
    test::parseInto(held, test::goldenText("exc_block_visualization"));
    const std::string before = binaryOf(held);

    const auto failure = [&](const std::string& bytes) {
        ExcBlockVisualization object = held;
        test::offerPayload(object, bytes);
        try {
            object.load();
            ADD_FAILURE() << "loaded";
        } catch (const std::exception& e) {
            EXPECT_FALSE(object.isLoaded());
            EXPECT_TRUE(binaryOf(object) == before);
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_NE(failure(gzipped(damaged)).find("packed"), std::string::npos);
    // The cut comes after the damaged text, and it is what is reported.
    EXPECT_EQ(failure(damaged.substr(0, damaged.size() - 3)),
              "JsonBinaryIO: Failed to parse all bytes of type");
    EXPECT_EQ(failure(gzipped(payload).substr(0, 100)), "unexpected end of compressed data");

    ExcBlockVisualization loaded = held, read = held;
    test::offerPayload(loaded, gzipped(payload));
    loaded.load();
    EXPECT_TRUE(loaded.isLoaded());
    test::parseInto(read, test::goldenText("exc_block_visualization"));
    EXPECT_TRUE(binaryOf(loaded) == binaryOf(read));
}

// Packed text costs what its wide characters would have: a few kilobytes of compressed
// payload that expand into a string of millions are refused, not decoded.
TEST(StraightRead, PackedTextIsChargedAsItsCharacters) {
    const std::size_t units = std::size_t(72) << 20;  // 288 MB as wide characters
    const std::uint64_t objectSize = 25 + 9 + 2 * units;
    std::string object = "\x03";
    object.append(reinterpret_cast<const char*>(&objectSize), 8);
    object += std::string("\x05\x08\0\0\0\0\0\0\0v\0e\0r\0t\0i\0c\0e\0s\0\x05", 26);
    object.append(reinterpret_cast<const char*>(&units), 8);
    object.resize(object.size() + 2 * units, '\0');
    for (std::size_t i = object.size() - 2 * units; i < object.size(); i += 2) object[i] = 'A';
    const std::string payload = gzipped(object);
    object = std::string();
    ExcVisuFace face;
    try {
        detail::readBinaryRecord(payload.data(), payload.size(), face);
        ADD_FAILURE() << "read";
    } catch (const std::length_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JsonBinaryIO: Document too large", 0), 0u)
            << e.what();
    }
}

}  // namespace trx
