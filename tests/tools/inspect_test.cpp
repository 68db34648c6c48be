// The inspector reads segments only when asked, and refuses bad input with status 1.

#include <gtest/gtest.h>

#include "tool_support.h"
#include "trx_api/trx_api.h"

using namespace trx;
using namespace trx::test;

namespace {

struct Shown {
    int code = -1;
    std::string kind;
    std::string json;  // everything after the kind line
    std::string all;
};

Shown inspect(const std::vector<std::string>& args) {
    const tools::RunResult r = tools::runProgram(TRX_INSPECT_EXE, args, {}, 20000);
    Shown shown;
    shown.code = r.exitCode();
    shown.all = r.out;
    const auto eol = r.out.find('\n');
    if (r.out.rfind("kind: ", 0) == 0 && eol != std::string::npos) {
        shown.kind = r.out.substr(6, eol - 6);
        shown.json = r.out.substr(eol + 1);
    }
    return shown;
}

std::string text(const mp::ISerializable& document) {
    std::wostringstream out;
    document.writeObject(out);
    return toNarrow(out.str());
}

// A golden wire text as the library reads it.
std::string golden(const std::string& name) { return readFile(fs::path(TRX_WIRE_DIR) / (name + ".json")); }

}  // namespace

TEST(Inspect, EnvelopesThroughSegments) {
    Scratch scratch;
    auto original = std::make_shared<ExcProductStructure>();
    original->readObject(parseJson(golden("exc_product_structure")));
    const std::string envelope = scratch.write("structure", text(ExchangeObjectWrapper(original)));
    JsonDocument doc = parseJson(readFile(envelope));
    const std::string segment = str(doc[L"exchange_object_data"]);

    // Without --load the segment stays for its reader.
    Shown shown = inspect({envelope});
    ASSERT_EQ(shown.code, 0) << shown.all;
    EXPECT_EQ(shown.kind, "envelope, exc_product_structure, segment " + segment +
                              " (not loaded; --load reads and removes it)");
    EXPECT_EQ(leftSegments({segment}).size(), 1u);

    shown = inspect({"--load", envelope});
    ASSERT_EQ(shown.code, 0) << shown.all;
    EXPECT_EQ(shown.kind, "envelope, exc_product_structure, segment " + segment + ", loaded");
    ExcProductStructure loaded;
    loaded.readObject(parseJson(shown.json));
    EXPECT_EQ(loaded, *original);
    EXPECT_EQ(leftSegments({segment}), std::vector<std::string>{});

    // Loading twice: the segment is gone, which is an error, not an empty success.
    shown = inspect({"--load", envelope});
    EXPECT_EQ(shown.code, 1);
    EXPECT_NE(shown.all.find("cannot be loaded"), std::string::npos) << shown.all;
    EXPECT_EQ(leftSegments({segment}), std::vector<std::string>{});
}

TEST(Inspect, RawBinaryJsonPlainAndCompressed) {
    Scratch scratch;
    JsonDocument doc = parseJson(
        R"({"name": "plate", "ids": [1, 2, 3], "area": 1840.5, "part": true, "none": null})");
    std::string bytes;
    JsonBinaryIO::write(bytes, doc);
    std::string packed;
    Compressor::compress(packed, bytes.data(), bytes.size());
    for (const auto& [file, kind] :
         {std::pair{scratch.write("plain.bin", bytes), std::string("binary JSON")},
          std::pair{scratch.write("packed.bin", packed),
                    std::string("binary JSON, gzip-compressed")}}) {
        const Shown shown = inspect({file});
        ASSERT_EQ(shown.code, 0) << shown.all;
        EXPECT_EQ(shown.kind, kind);
        EXPECT_TRUE(parseJson(shown.json) == doc) << shown.json;
    }
}

TEST(Inspect, BadInputIsAClearErrorWithStatusOne) {
    Scratch scratch;
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    std::string truncated;
    JsonBinaryIO::write(truncated, parseJson(R"(["a long enough string", 1, 2])"));
    truncated.resize(truncated.size() / 2);
    const std::vector<Case> cases{
        {{scratch.write("broken.json", "{\"command\": \"info\",")}, "not a JSON document"},
        {{scratch.write("other.json", "{\"hello\": 1}")},
         "no envelope, command, result or bridge info"},
        {{scratch.write("two.json", std::string("{\"code\": \"ok\"}\0{\"code\": \"ok\"}", 29))},
         "NUL byte"},
        {{scratch.write("nocode.json", "{\"code\": 1}")}, "Json document has no result code."},
        {{scratch.write("truncated.bin", truncated)}, "not binary JSON"},
        {{"--binary", scratch.write("text.json", "{\"code\": \"ok\"}")}, "not binary JSON"},
        {{scratch.write(
             "unknown.json",
             "{\"exchange_object_name\": \"exc_nothing\", \"exchange_object_data\": {}}")},
         "no known exchange object (exc_nothing)"},
        {{scratch.path("absent.json").string()}, "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Shown shown = inspect(c.args);
        EXPECT_EQ(shown.code, 1) << shown.all;
        EXPECT_NE(shown.all.find("trx-inspect: "), std::string::npos) << shown.all;
        EXPECT_NE(shown.all.find(c.expected), std::string::npos) << shown.all;
    }
}
