// The PMI of the shared NIST models as a host program sees it: the host picks the STEP bridge
// by the file's name, and its JSON summary holds the datum letters, tolerances, dimensions
// and saved views that the STEP text itself gives.

#include <algorithm>
#include <set>

#include "step/step_text.h"
#include "tool_support.h"

#ifdef TRX_STEP_BRIDGE_EXE

namespace trx::test {
namespace {

const char* const kNistFiles[] = {"nist_ctc_01_asme1_ap242-e1.stp",
                                  "nist_ctc_05_asme1_ap242-e1.stp",
                                  "nist_ftc_06_asme1_ap242-e1.stp"};

// What the text says, lengths in millimetres.
struct PmiFacts {
    std::set<std::string> datumLetters;
    std::multiset<double> magnitudes;  // of every tolerance row
    std::size_t dimensions = 0;
    std::multiset<std::string> views;
};

PmiFacts factsOf(const std::string& path) {
    const StepText text(path);
    PmiFacts f;
    for (int d : text.all("DATUM")) f.datumLetters.insert(StepText::str(text.args(d, "DATUM")[4]));
    for (const auto& [id, body] : text.entities()) {
        const auto types = text.types(id);
        // A tolerance row: a complex entity with a GEOMETRIC_TOLERANCE part, or one of its
        // simple subtypes, whose third argument is the magnitude.
        std::string row;
        for (const auto& t : types)
            if (t == "GEOMETRIC_TOLERANCE" ||
                (types.size() == 1 && t.size() > 10 && t.rfind("_TOLERANCE") == t.size() - 10 &&
                 t != "PLUS_MINUS_TOLERANCE"))
                row = t;
        if (!row.empty()) {
            const auto args = text.args(id, row);
            if (const auto v = text.measure(StepText::ref(args[2]))) f.magnitudes.insert(*v);
        }
        for (const auto& t : types)
            if (t == "DIMENSIONAL_SIZE" || t == "DIMENSIONAL_LOCATION" ||
                t == "ANGULAR_SIZE" || t == "ANGULAR_LOCATION" ||
                t == "DIMENSIONAL_SIZE_WITH_PATH" || t == "DIMENSIONAL_LOCATION_WITH_PATH")
                ++f.dimensions;
    }
    // A saved view: a camera, named as its view.
    for (int camera : text.all("CAMERA_MODEL_D3"))
        f.views.insert(StepText::str(text.args(camera, "CAMERA_MODEL_D3")[0]));
    return f;
}

TEST(StepSummary, NistPmiArrivesAsTheFileSaysIt) {
    const fs::path dir = testdataDir() / "step";
    std::size_t seen = 0;
    for (const char* name : kNistFiles) {
        const fs::path file = dir / name;
        if (!fs::exists(file)) continue;
        ++seen;
        SCOPED_TRACE(name);
        const PmiFacts facts = factsOf(file.string());
        ASSERT_FALSE(facts.magnitudes.empty());

        Scratch scratch;
        const std::string json = scratch.path("summary.json").string();
        // No --bridge: the host finds the STEP bridge next to it by the file's name.
        const auto run = tools::runProgram(TRX_HOST_EXE, {file.string(), "--json", json}, {},
                                           120000);
        ASSERT_EQ(run.exitCode(), 0) << run.out;
        const JsonDocument summary = parseJson(readFile(json));
        ASSERT_TRUE(summary.IsObject()) << run.out;
        EXPECT_EQ(str(summary[L"bridge"][L"program"]).find("trx-step-bridge") != std::string::npos,
                  true);

        std::set<std::string> letters;
        std::multiset<double> values;
        std::size_t tolerances = 0, dimensions = 0, unknown = 0;
        for (const auto& block : summary[L"blocks"].GetArray()) {
            if (!block.HasMember(L"pmi") || !block[L"pmi"].IsObject()) continue;
            const JsonValue& pmi = block[L"pmi"];
            for (const auto& d : pmi[L"datums"].GetArray()) letters.insert(str(d));
            for (const auto& t : pmi[L"tolerances"].GetArray()) {
                ++tolerances;
                if (t[L"value"].IsNumber())
                    values.insert(t[L"value"].GetDouble());
                else
                    ++unknown;
            }
            for (const auto& d : pmi[L"dimensions"].GetArray()) {
                ++dimensions;
                EXPECT_TRUE(d[L"value"].IsNull() || d[L"value"].GetDouble() >= 0);
            }
        }
        EXPECT_EQ(facts.datumLetters, letters);
        EXPECT_EQ(facts.dimensions, dimensions);
        // Every frame has its value, and each value is one the file gives (composite frames
        // carry two rows, so there may be fewer frames than rows); never a 0 it does not say.
        EXPECT_EQ(unknown, 0u);
        EXPECT_GE(facts.magnitudes.size(), tolerances);
        EXPECT_GT(tolerances, facts.magnitudes.size() / 2);
        for (const double v : values) {
            const auto near = std::find_if(facts.magnitudes.begin(), facts.magnitudes.end(),
                                           [&](double m) { return std::abs(m - v) < 1e-9 * m; });
            EXPECT_NE(near, facts.magnitudes.end()) << "tolerance value " << v;
            EXPECT_GT(v, 0);
        }

        std::multiset<std::string> views;
        for (const auto& v : summary[L"views"].GetArray()) {
            views.insert(str(v[L"name"]));
            EXPECT_GT(v[L"annotations"].GetUint64(), 0u) << str(v[L"name"]);
        }
        EXPECT_EQ(facts.views, views);
    }
    if (seen == 0) GTEST_SKIP() << "no NIST files in " << dir;
}

}  // namespace
}  // namespace trx::test

#endif
