// The rules every record shares, tested once at the helpers that carry them (detail/fields.h,
// detail/equal.h, detail/enum_table.h) with records of the tests' own: JSON kinds, integers
// against doubles, lists, sub-records, adapters, equality and enumeration names. Records
// need not repeat them.
#include "test_support.h"

#include <array>
#include <map>
#include <set>

#include "trx_api/detail/binary_reader.h"
#include "trx_api/detail/enum_table.h"
#include "trx_api/detail/field_adapters.h"
#include "trx_api/trx_api_binary_json.h"

namespace trx {
namespace {

// Values out of name order, one spelt otherwise than its enumerator, and no value 0.
enum class EShade : int { zeta = 3, alpha = 7, mid_ = 1 };
}  // namespace
TRX_ENUM_TABLE(EShade, zeta, alpha, (mid_, "mid"))
namespace {

class Part : public IJsonObject {
    TRX_JSON_RECORD(Part);

public:
    Part(std::wstring n = L"") : name(std::move(n)) {}
    std::wstring name;
};
TRX_FIELDS(Part, IJsonObject) { f(L"name", s.name); }

// A record with a record base and a member of every kind the helpers know.
class Sample : public Part {
    TRX_JSON_RECORD(Sample);

public:
    bool flag = false;
    std::int32_t i = 0;
    std::uint32_t u = 0;
    std::int64_t i64 = 0;
    std::uint64_t u64 = 0;
    double d = 0;
    EShade shade = EShade::zeta;
    std::vector<std::int32_t> list;
    std::set<std::wstring> tags;
    Part inner;
    std::shared_ptr<Part> sub;
    std::vector<std::shared_ptr<Part>> subs;
    std::array<double, 2> pair{};
    double extra = 0;
    bool hasExtra = false;
    std::wstring note;
};
TRX_FIELDS(Sample, Part) {
    f(L"flag", s.flag);
    f(L"i", s.i);
    f(L"u", s.u);
    f(L"i64", s.i64);
    f(L"u64", s.u64);
    f(L"d", s.d);
    f(L"shade", s.shade);
    f(L"list", s.list);
    f(L"tags", s.tags);
    f(L"inner", s.inner);
    f(L"sub", s.sub);
    f(L"subs", s.subs);
    f(L"pair", json::fixedArray(s.pair, "Sample: invalid size of pair array."));
    f(L"extra", json::flagged(s.extra, s.hasExtra));
    f(L"note", s.note, !s.note.empty());
}

Sample filled() {
    Sample s;
    test::parseInto(s, LR"({"name":"n","flag":true,"i":-5,"u":4000000000,"i64":-5000000000,)"
                       LR"("u64":18446744073709551615,"d":0.5,"shade":"alpha","list":[1,2],"tags":["b","a"],)"
                       LR"("inner":{"name":"in"},"sub":{"name":"sub"},"subs":[{"name":"s1"}],"pair":[1.5,2.5],)"
                       LR"("extra":9.5,"note":"note"})");
    return s;
}

using test::LogCapture;
using test::parseInto;
using test::toText;

}  // namespace

// Base keys first, then the list in its order; a null sub-record, an unset flagged value and
// a condition that does not hold write nothing. Everything written reads back equal.
TEST(Fields, WritesTheListInOrderAndReadsItBack) {
    EXPECT_EQ(toText(Sample()),
              LR"({"name":"","flag":false,"i":0,"u":0,"i64":0,"u64":0,"d":0.0,"shade":"zeta",)"
              LR"("list":[],"tags":[],"inner":{"name":""},"subs":[],"pair":[0.0,0.0]})");
    const Sample s = filled();  // read from the text below, but with the tags in another order
    EXPECT_EQ(toText(s),
              LR"({"name":"n","flag":true,"i":-5,"u":4000000000,"i64":-5000000000,)"
              LR"("u64":18446744073709551615,"d":0.5,"shade":"alpha","list":[1,2],"tags":["a","b"],)"
              LR"("inner":{"name":"in"},"sub":{"name":"sub"},"subs":[{"name":"s1"}],"pair":[1.5,2.5],)"
              LR"("extra":9.5,"note":"note"})");
    Sample back;
    parseInto(back, toText(s));
    EXPECT_EQ(back, s);
    EXPECT_EQ(back.u, 4000000000u);
    EXPECT_TRUE(back.hasExtra);

    // Null items of a list are not written.
    Sample withNull;
    withNull.subs = {nullptr, std::make_shared<Part>(L"x")};
    EXPECT_NE(toText(withNull).find(LR"("subs":[{"name":"x"}])"), std::wstring::npos);
}

// Bulky records write their binary JSON straight from the list, without their document: every
// kind of member, the base's keys, null items and unset values give the document's bytes.
TEST(Fields, BinaryStraightFromTheListIsTheDocumentsBytes) {
    Sample small = filled();
    small.u = 7;  // a uint32 that a document holds as an int
    small.u64 = 9;
    small.subs.insert(small.subs.begin(), nullptr);
    small.sub.reset();
    for (const Sample& s : {Sample(), filled(), small}) {
        JsonDocument doc;
        s.writeObject(doc, doc.GetAllocator());
        std::string throughDocument, straight;
        JsonBinaryIO::write(throughDocument, doc);
        JsonBinaryIO::write(straight, s);
        EXPECT_EQ(straight, throughDocument) << toNarrow(toText(s).c_str());
    }
}

// The bulk path fills records straight from binary JSON: into a record that holds values
// already, with every member in turn of every JSON kind, repeated and unknown members, it
// takes what the document's reader takes and logs what it logs.
TEST(Fields, StraightFromBinaryTakesWhatTheDocumentsReaderTakes) {
    const auto expectSame = [](const JsonDocument& doc) {
        std::string bytes;
        JsonBinaryIO::write(bytes, doc);
        Sample viaDocument = filled(), viaStraight = filled();
        std::vector<std::string> logDocument, logStraight;
        {
            test::LogCapture log(vx_bridge::kWarning);
            viaDocument.readObject(doc);
            logDocument = log.problems();
        }
        {
            test::LogCapture log(vx_bridge::kWarning);
            detail::readBinaryRecord(bytes.data(), bytes.size(), viaStraight);
            logStraight = log.problems();
        }
        EXPECT_EQ(toText(viaStraight), toText(viaDocument)) << toNarrow(test::compact(doc).c_str());
        EXPECT_EQ(logStraight, logDocument) << toNarrow(test::compact(doc).c_str());
    };
    const wchar_t* const kinds[] = {L"\"text\"", L"\"alpha\"", L"-7",  L"7",   L"4000000000", L"-5000000000",
                                    L"18446744073709551615",  L"0.5",     L"1e300", L"true", L"null",       L"[]",
                                    L"[1,-2,\"a\",{}]",       L"[4000000000,0.5]", L"[{\"name\":\"z\"},7]", L"{}",
                                    L"{\"name\":\"x\",\"more\":[]}"};
    JsonDocument full;
    test::parse(full, toText(filled()));
    expectSame(full);
    for (rapidjson::SizeType at = 0; at < full.MemberCount(); ++at) {
        for (const wchar_t* kind : kinds) {
            JsonDocument doc, value;
            doc.CopyFrom(full, doc.GetAllocator());
            test::parse(value, kind);
            doc.MemberBegin()[at].value.CopyFrom(value, doc.GetAllocator());
            expectSame(doc);
            // The same member again after all others, and one nobody knows: the first is taken.
            doc.CopyFrom(full, doc.GetAllocator());
            doc.AddMember(JsonValue(doc.MemberBegin()[at].name, doc.GetAllocator()), JsonValue(value, doc.GetAllocator()),
                          doc.GetAllocator());
            doc.AddMember(L"unknown", JsonValue(value, doc.GetAllocator()), doc.GetAllocator());
            expectSame(doc);
        }
    }
}

// A member of another JSON kind leaves its field as it was: integers never read into doubles
// nor doubles into integers, numbers out of a field's range are refused, and so on.
TEST(Fields, AValueOfTheWrongKindKeepsTheField) {
    const Sample before = filled();
    Sample s = before;
    {
        LogCapture log;
        parseInto(s, LR"({"name":5,"flag":1,"i":2.0,"u":-1,"i64":1e3,"u64":-1,"d":2,"shade":3,)"
                     LR"("list":{"a":1},"tags":"x","pair":[1,2],"extra":1,"note":7})");
        EXPECT_EQ(log.records(), 0);
    }
    EXPECT_EQ(s, before);
    parseInto(s, LR"({"i":4294967296,"u":4294967296,"i64":18446744073709551615,"d":"1.0","flag":"true"})");
    EXPECT_EQ(s, before);

    // The same members in the kinds the fields expect: taken, a double in any written form.
    parseInto(s, LR"({"i":2147483647,"u":0,"i64":9223372036854775807,"u64":0,"d":1e0,"flag":false,)"
                 LR"("shade":"mid","pair":[1.0,2]})");
    EXPECT_EQ(s.i, 2147483647);
    EXPECT_EQ(s.u, 0u);
    EXPECT_EQ(s.i64, 9223372036854775807);
    EXPECT_EQ(s.u64, 0u);
    EXPECT_EQ(s.d, 1.0);
    EXPECT_FALSE(s.flag);
    EXPECT_EQ(s.shade, EShade::mid_);
    EXPECT_EQ(s.pair, (std::array<double, 2>{1.0, 2.5}));  // the integer item keeps its value
    EXPECT_TRUE(s.hasExtra);
}

TEST(Fields, ListsAppendSubRecordsAreReplacedNestedRecordsMerge) {
    Sample s = filled();
    const auto oldSub = s.sub;
    parseInto(s, LR"({"list":[3,"x",4.0,5],"tags":["a","c",1],"subs":[{"name":"s2"},7],)"
                 LR"("sub":{},"inner":{}})");
    EXPECT_EQ(s.list, (std::vector<std::int32_t>{1, 2, 3, 5}));  // wrong items skipped
    EXPECT_EQ(s.tags, (std::set<std::wstring>{L"a", L"b", L"c"}));
    // A list item of the wrong kind still gives a fresh default record.
    ASSERT_EQ(s.subs.size(), 3u);
    EXPECT_EQ(s.subs[1]->name, L"s2");
    EXPECT_EQ(*s.subs[2], Part());
    // A present sub-record key replaces it with a fresh one; a record held by value reads in place.
    ASSERT_TRUE(s.sub);
    EXPECT_NE(s.sub, oldSub);
    EXPECT_EQ(s.sub->name, L"");
    EXPECT_EQ(s.inner.name, L"in");
    {
        LogCapture log;
        parseInto(s, LR"({"sub":5})");
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("Part object should have a JSON object type."));
    }
    EXPECT_EQ(*s.sub, Part());
}

TEST(Fields, FixedArraysFlaggedValuesAndStrings) {
    Sample s = filled();
    {
        LogCapture log;
        parseInto(s, LR"({"pair":[1.0,2.0,3.0]})");
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("Sample: invalid size of pair array."));
    }
    EXPECT_EQ(s.pair, (std::array<double, 2>{1.5, 2.5}));

    Sample fresh;
    parseInto(fresh, LR"({"extra":2.0})");
    EXPECT_TRUE(fresh.hasExtra);
    EXPECT_EQ(fresh.extra, 2.0);
    fresh.hasExtra = false;
    EXPECT_EQ(toText(fresh).find(L"extra"), std::wstring::npos);
    // A condition decides writing only: the key reads whenever it is present.
    parseInto(fresh, LR"({"note":""})");
    EXPECT_EQ(toText(fresh).find(L"note"), std::wstring::npos);

    // String fields stop at the first NUL; names and segments take the whole string.
    JsonDocument doc;
    test::parse(doc, L"{\"name\":\"a\\u0000b\"}");
    Part p;
    p.readObject(doc);
    EXPECT_EQ(p.name, L"a");
    EXPECT_EQ(json::fullString(doc[L"name"]), std::wstring(L"a\0b", 3));
}

// A value that is no object is refused with one ERROR naming the class, and changes nothing.
TEST(Fields, NonObjectsAreRefusedByName) {
    for (const wchar_t* text : {L"[1]", L"7", L"null", L"\"x\""}) {
        LogCapture log;
        Sample s = filled();
        parseInto(s, text);
        EXPECT_EQ(s, filled());
        EXPECT_EQ(log.records(), 1) << log.text();
        EXPECT_TRUE(log.contains("[ERROR]   ") && log.contains("] Sample object should have a JSON object type."));
    }
}

// Member by member, base first, through shared pointers to what they reach; the flag of a
// flagged value and the order of list items count.
TEST(Fields, EqualityIsDeep) {
    const Sample a = filled();
    const std::vector<void (*)(Sample&)> changes = {
        [](Sample& s) { s.name = L"m"; },
        [](Sample& s) { s.sub->name = L"x"; },
        [](Sample& s) { s.sub = nullptr; },
        [](Sample& s) { s.subs.push_back(nullptr); },
        [](Sample& s) { std::swap(s.list[0], s.list[1]); },
        [](Sample& s) { s.tags.insert(L"c"); },
        [](Sample& s) { s.inner.name = L"x"; },
        [](Sample& s) { s.pair[1] = 0; },
        [](Sample& s) { s.hasExtra = false; },
        [](Sample& s) { s.note.clear(); },
    };
    for (std::size_t k = 0; k < changes.size(); ++k) {
        Sample b = filled();
        EXPECT_EQ(b, a);
        changes[k](b);
        EXPECT_NE(b, a) << "change " << k;
    }
    Sample none, fresh;
    none.sub = nullptr;
    fresh.sub = std::make_shared<Part>();
    EXPECT_NE(none, fresh);

    std::map<int, std::shared_ptr<Part>> m1{{1, std::make_shared<Part>(L"x")}}, m2{{1, std::make_shared<Part>(L"x")}};
    EXPECT_TRUE(detail::same(m1, m2));
    m2[1]->name = L"y";
    EXPECT_FALSE(detail::same(m1, m2));
}

TEST(Fields, AddOrRefuseTakesNoNull) {
    std::vector<std::shared_ptr<Part>> list;
    LogCapture log;
    EXPECT_FALSE(json::addOrRefuse(list, std::shared_ptr<Part>(), "Sample: attempt to add null Part."));
    EXPECT_TRUE(log.contains("[WARNING] ") && log.contains("Sample: attempt to add null Part."));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(json::addOrRefuse(list, std::make_shared<Part>(), "unused"));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(log.records(), 1);
}

// Names are exact. An unknown name reads as the value whose name sorts first (alpha), an
// unnamed value writes the name of the smallest value (mid, spelt otherwise).
TEST(EnumTable, ExactNamesAndFallbacks) {
    EXPECT_EQ(enumToString(EShade::zeta), L"zeta");
    EXPECT_EQ(enumToString(EShade::mid_), L"mid");
    EXPECT_EQ(enumFromString<EShade>(L"mid"), EShade::mid_);
    EXPECT_EQ(enumFromString<EShade>(L"zeta"), EShade::zeta);
    for (const wchar_t* unknown : {L"mid_", L"Zeta", L"zet", L"zetas", L""})
        EXPECT_EQ(enumFromString<EShade>(unknown), EShade::alpha) << toNarrow(unknown);
    EXPECT_EQ(enumFromString<EShade>(std::wstring(L"zeta\0", 5)), EShade::alpha);
    EXPECT_EQ(enumToString(static_cast<EShade>(2)), L"mid");
    EXPECT_EQ(enumFromStringOr(L"bogus", EShade::zeta), EShade::zeta);
    EXPECT_EQ(enumFromStringOr(L"mid", EShade::zeta), EShade::mid_);
    // Names are handed out by reference: the same string every time.
    EXPECT_EQ(&enumToString(EShade::alpha), &enumToString(EShade::alpha));
}

}  // namespace trx
