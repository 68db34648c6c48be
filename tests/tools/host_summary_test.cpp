// The host's summary of a model: exchange objects built here, sent by a scripted bridge
// through the real host, and the JSON and text summaries compared with what was built.

#include <gtest/gtest.h>

#include <sstream>

#include "common/process.h"
#include "common/protocol.h"
#include "tool_support.h"
#include "trx_api/trx_api.h"

using namespace trx;
using namespace trx::test;

namespace {

// A bridge's output, recorded: binary objects sit in segments this test made, removed
// again whatever the host did with them.
class Recording {
public:
    Recording() {
        BridgeInfo info;
        info.setName(L"recorded");
        info.setRequestedInterface(EBridgeInterface::Connect);
        info.newImportFormat().setDescription(L"STEP").addFilterExtensions(L"*.step;*.stp");
        m_frames.push_back(tools::textOf(info));
    }
    ~Recording() {
        for (const auto& s : m_segments) {
            try {
                mp::SharedBuffer<char>::remove(toWide(s));
            } catch (const std::exception&) {
            }
        }
    }
    void send(const std::shared_ptr<IExchangeObject>& object) {
        const std::wstring text = tools::textOf(ExchangeObjectWrapper(object));
        JsonDocument doc;
        ASSERT_TRUE(tools::parseDocument(text, doc));
        const std::wstring segment = tools::segmentOf(doc);
        if (!segment.empty()) m_segments.push_back(toNarrow(segment));
        m_frames.push_back(text);
    }
    // The host on this output, as from a bridge that reads *.step files.
    tools::RunResult run(const Scratch& scratch, const std::string& json) {
        Result result;
        result.setMessage(L"done");
        result.setFinished(true);
        std::string bytes;
        for (const auto& f : m_frames) bytes += toNarrow(f) + '\0';
        bytes += toNarrow(tools::textOf(result)) + '\0';
        scratch.write("frames", bytes);
        const std::string bridge = scratch.write(
            "bridge.sh", "#!/bin/sh\ncat \"$(dirname \"$0\")/frames\"\ncat >/dev/null\n");
        fs::permissions(bridge, fs::perms::owner_all);
        return tools::runProgram(TRX_HOST_EXE,
                                 {"--bridge", bridge, "--json", json,
                                  scratch.path("model.step").string()},
                                 {}, 60000);
    }
    const std::vector<std::string>& segments() const { return m_segments; }

private:
    std::vector<std::wstring> m_frames;
    std::vector<std::string> m_segments;
};

std::shared_ptr<ExcBlockReference> ref(std::uint64_t block, const std::wstring& name,
                                       const ExcColor& color = {}) {
    auto r = std::make_shared<ExcBlockReference>();
    r->setBlockId(block);
    r->setName(name);
    r->setColor(color);
    return r;
}

std::shared_ptr<ExcBlock> block(std::uint64_t id, const std::wstring& name, bool part) {
    auto b = std::make_shared<ExcBlock>();
    b->setId(id);
    b->setName(name);
    b->setPart(part);
    return b;
}

template <class T>
std::shared_ptr<T> annotation(const std::wstring& id) {
    auto a = std::make_shared<T>();
    a->setId(id);
    return a;
}

std::shared_ptr<ExcPMIGDT> tolerance(const std::wstring& id, ExcPMIGDT::EToleranceType type,
                                     double value, const std::wstring& note = {}) {
    auto g = annotation<ExcPMIGDT>(id);
    g->setToleranceType(type);
    g->setToleranceValue(value);
    g->setNote(note);
    return g;
}

std::shared_ptr<ExcPMIDimension> dimension(const std::wstring& id,
                                           ExcPMIDimension::ESubType type, double value) {
    auto d = annotation<ExcPMIDimension>(id);
    d->setSubType(type);
    d->setValue(value);
    return d;
}

std::shared_ptr<ExcPMICapture> capture(const std::wstring& name, int annotations) {
    auto c = std::make_shared<ExcPMICapture>();
    c->setName(name);
    for (int i = 0; i < annotations; ++i) c->addAnnotationId(L"a" + std::to_wstring(i));
    return c;
}

std::shared_ptr<ExcPMIData> pmiOf(std::vector<std::shared_ptr<ExcPMIAnnotationView>> views,
                                  std::vector<std::shared_ptr<ExcPMICapture>> captures) {
    auto set = std::make_shared<ExcPMIAnnotationSet>();
    for (const auto& v : views) set->addView(v);
    for (const auto& c : captures) set->addCapture(c);
    auto data = std::make_shared<ExcPMIData>();
    data->addAnnotationSet(set);
    return data;
}

std::shared_ptr<ExcMechanicalMiscData> meshMeasures(const std::wstring& area) {
    namespace p = tools::mesh_props;
    auto group = std::make_shared<ExcMiscPropertiesGroup>();
    group->setName(p::kGroup);
    for (const wchar_t* name : {p::kTriangles, p::kVolume, p::kBoxMin[0], p::kBoxMin[1],
                                p::kBoxMin[2], p::kBoxMax[0], p::kBoxMax[1], p::kBoxMax[2]})
        group->addProperty({name, ExcMiscProperty::EType::double_, L"1"});
    group->addProperty({p::kArea, ExcMiscProperty::EType::double_, area});
    auto misc = std::make_shared<ExcMechanicalMiscData>();
    misc->miscData().addGroup(group);
    return misc;
}

const JsonValue& member(const JsonValue& v, const wchar_t* key) {
    static const JsonValue none;
    if (!v.IsObject()) return none;
    const auto m = v.FindMember(key);
    return m == v.MemberEnd() ? none : m->value;
}

std::string textOf(const JsonValue& v) {
    JsonDocument doc;
    doc.CopyFrom(v, doc.GetAllocator());
    std::wostringstream out;
    JsonTextIO::write(out, doc, false);
    return toNarrow(out.str());
}

// Equal as JSON values: members in any order, numbers as they were written.
void expectJson(const JsonValue& actual, const std::string& expected) {
    const JsonDocument want = parseJson(expected);
    ASSERT_FALSE(want.HasParseError()) << expected;
    EXPECT_TRUE(actual == want) << "  actual: " << textOf(actual) << "\nexpected: " << expected;
}

// The block of the summary with this name.
const JsonValue& blockNamed(const JsonValue& summary, const std::string& name) {
    static const JsonValue none;
    const JsonValue& blocks = member(summary, L"blocks");
    if (blocks.IsArray())
        for (const auto& b : blocks.GetArray())
            if (str(member(b, L"name")) == name) return b;
    return none;
}

// The line of the text that holds every one of the pieces, or empty.
std::string lineWith(const std::string& text, std::initializer_list<std::string> pieces) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        bool all = true;
        for (const auto& p : pieces) all = all && line.find(p) != std::string::npos;
        if (all) return line;
    }
    return {};
}

}  // namespace

// An assembly with sub-assemblies placed several times, PMI on a part and on the root,
// colours, layers, saved views and messages of each severity.
TEST(HostSummary, ShowsTheWholeModel) {
    Scratch scratch;
    Recording out;
    using Tol = ExcPMIGDT::EToleranceType;
    using Dim = ExcPMIDimension::ESubType;

    out.send(std::make_shared<ExcMessage>(L"Warning: a tolerance without its value"));
    out.send(std::make_shared<ExcMessage>(L"Read 4 blocks."));
    out.send(std::make_shared<ExcMessage>(L"error: a view that names nothing"));

    // top = 3 x sub + 1 bolt, sub = 2 x bolt + 1 plate; the root holds top and one plate:
    // 3 * (2 + 1) + 1 + 1 = 11 part placements, root -> top -> sub -> bolt is 3 levels.
    auto structure = std::make_shared<ExcProductStructure>();
    structure->setProductName(L"gearbox");
    structure->setUnits(ELengthUnitType::inch);
    auto bolt = block(1, L"bolt", true);
    auto plate = block(2, L"plate", false);  // not flagged a part, but it holds nothing
    auto sub = block(3, L"sub", false);
    sub->addBlockReference(ref(1, L"bolt"));
    sub->addBlockReference(ref(2, L"plate"));
    sub->addBlockReference(ref(1, L"bolt"));
    auto top = block(4, L"top", false);
    for (const wchar_t* name : {L"sub:1", L"sub:2", L"sub:3"}) top->addBlockReference(ref(3, name));
    top->addBlockReference(ref(1, L"red bolt", ExcColor(255, 0, 0)));
    for (const auto& b : {bolt, plate, sub, top}) structure->addBlock(b);
    structure->addRootBlockReference(ref(4, L"top"));
    structure->addRootBlockReference(ref(2, L"loose plate"));
    out.send(structure);

    auto face = std::make_shared<ExcVisuFace>();
    face->setColor(ExcColor(0, 255, 0));
    auto mesh = std::make_shared<ExcVisuMesh>();
    mesh->addFace(face);
    auto attributes = std::make_shared<ExcVisuAttributes>();
    attributes->setColor(std::make_shared<ExcColor>(255, 0, 0, 128));
    auto node = std::make_shared<ExcVisuNode>();
    node->setMesh(mesh);
    node->setAttributes(attributes);
    auto visuData = std::make_shared<ExcVisualizationData>();
    visuData->addSceneRootNode(node);
    auto visu = std::make_shared<ExcBlockVisualization>();
    visu->setBlockId(1);
    visu->setVisualizationData(visuData);
    out.send(visu);

    // The bolt's PMI: one tolerance is listed by two views and counts once; datum A is
    // there twice (two annotations) and is one label.
    auto first = std::make_shared<ExcPMIAnnotationView>();
    for (const auto& [id, label] : {std::pair(L"d1", L"B"), {L"d2", L"A"}, {L"d3", L"A"}}) {
        first->addDatum(annotation<ExcPMIDatum>(id));
        first->datums().back()->setLabel(label);
    }
    first->addDatumTarget(annotation<ExcPMIDatumTarget>(L"t1"));
    first->addDatumTarget(annotation<ExcPMIDatumTarget>(L"t2"));
    first->addGdt(tolerance(L"g1", Tol::location_true_position, 0.25));
    first->addGdt(tolerance(L"g2", Tol::form_flatness, 0, tools::kValueUnknown));
    auto second = std::make_shared<ExcPMIAnnotationView>();
    second->addGdt(tolerance(L"g1", Tol::location_true_position, 0.25));
    second->addDimension(dimension(L"m1", Dim::diameter, 12.7));
    second->addNote(annotation<ExcPMINote>(L"n1"));
    auto misc = meshMeasures(L"321.5");
    for (const auto& [name, members] : {std::pair(L"dims", 3), std::pair(L"geometry", 0)}) {
        auto layer = std::make_shared<ExcMiscLayer>();
        layer->setName(name);
        for (int i = 0; i < members; ++i) layer->addEntity(std::make_shared<ExcEntity>());
        misc->addLayer(layer);
    }
    auto mech = std::make_shared<ExcBlockMechanicalData>();
    mech->setBlockId(1);
    mech->setMiscData(misc);
    mech->setPMIData(pmiOf({first, second}, {capture(L"Front", 3), capture(L"Iso", 0)}));
    out.send(mech);

    auto rootView = std::make_shared<ExcPMIAnnotationView>();
    rootView->addDimension(dimension(L"r1", Dim::distance, 40));
    auto unknownDim = dimension(L"r2", Dim::diameter, 0);
    unknownDim->setHasFakeAlphanumericalValue(true);
    unknownDim->setFakeAlphanumericalValue(tools::kValueUnknown);
    rootView->addDimension(unknownDim);
    auto root = std::make_shared<ExcRootMechanicalData>();
    root->setPMIData(pmiOf({rootView}, {capture(L"All", 5)}));
    out.send(root);

    const std::string json = scratch.path("summary.json").string();
    const tools::RunResult run = out.run(scratch, json);
    ASSERT_EQ(run.exitCode(), 0) << run.out;
    const JsonDocument summary = parseJson(readFile(json));
    ASSERT_TRUE(summary.IsObject()) << run.out;
    EXPECT_EQ(leftSegments(out.segments()), std::vector<std::string>{});

    EXPECT_EQ(str(member(summary, L"units")), "in");
    expectJson(member(summary, L"instances"), "11");
    expectJson(member(summary, L"depth"), "3");

    const JsonValue& b = blockNamed(summary, "bolt");
    expectJson(member(b, L"is_part"), "true");
    expectJson(member(blockNamed(summary, "sub"), L"is_part"), "false");
    expectJson(member(b, L"colors"), R"(["#00ff00", "#ff000080"])");
    expectJson(member(b, L"layers"),
               R"([{"name": "dims", "members": 3}, {"name": "geometry", "members": 0}])");
    expectJson(member(member(b, L"mechanical"), L"area"), "321.5");
    // Tolerance g1 is listed by both views and counts once; datum A is two annotations
    // and one label; the flatness has no value, which is null and not 0.
    expectJson(member(b, L"pmi"), R"({
        "datums": ["A", "B"], "datum_targets": 2,
        "tolerances": [{"type": "location_true_position", "value": 0.25},
                       {"type": "form_flatness", "value": null}],
        "dimensions": [{"type": "diameter", "value": 12.7}],
        "counts": {"datums": 3, "datum_targets": 2, "tolerances": 2, "dimensions": 1,
                   "notes": 1, "roughness": 0, "annotation_views": 2}})");
    expectJson(member(member(member(summary, L"root"), L"pmi"), L"dimensions"),
               R"([{"type": "distance", "value": 40.0}, {"type": "diameter", "value": null}])");
    expectJson(member(summary, L"views"), R"([{"name": "Front", "annotations": 3, "block_id": 1},
        {"name": "Iso", "annotations": 0, "block_id": 1},
        {"name": "All", "annotations": 5, "block_id": null}])");
    expectJson(member(summary, L"messages"), R"([
        {"severity": "warning", "text": "Warning: a tolerance without its value"},
        {"severity": "information", "text": "Read 4 blocks."},
        {"severity": "error", "text": "error: a view that names nothing"}])");

    // The text: the tree with counts and colours, the PMI table with its values.
    EXPECT_NE(run.out.find("Assembly tree (11 part instances, 3 levels)"), std::string::npos);
    EXPECT_NE(lineWith(run.out, {"|- sub  [block 3]  x3"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"red bolt  [block 1]", "#ff0000"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"3 datums (A, B)", "2 datum targets", "2 tolerances"}), "");
    EXPECT_NE(lineWith(run.out, {"tolerance", "location_true_position", "0.25"}), "");
    const std::string unknown = lineWith(run.out, {"tolerance", "form_flatness"});
    EXPECT_TRUE(unknown.find("unknown") != std::string::npos &&
                unknown.find('0') == std::string::npos)
        << run.out;
}

// A lattice whose expanded tree has 2^40 leaves, a block that holds itself, and a flood of
// messages: counted without walking the expanded tree, and every list is cut.
TEST(HostSummary, HostileInputIsCountedNotWalked) {
    Scratch scratch;
    Recording out;
    for (int i = 0; i < 150; ++i) out.send(std::make_shared<ExcMessage>(L"Warning: more"));
    auto structure = std::make_shared<ExcProductStructure>();
    structure->setUnits(ELengthUnitType::millimeter);
    // Blocks 1..40 each place the next twice, in two colours so that no line merges them.
    for (std::uint64_t id = 1; id <= 40; ++id) {
        auto b = block(id, L"level", false);
        b->addBlockReference(ref(id + 1, L"a", ExcColor(255, 0, 0)));
        b->addBlockReference(ref(id + 1, L"b", ExcColor(0, 0, 255)));
        structure->addBlock(b);
    }
    structure->addBlock(block(41, L"leaf", true));
    auto loop = block(50, L"loop", false);
    loop->addBlockReference(ref(50, L"itself"));
    loop->addBlockReference(ref(41, L"leaf"));
    structure->addBlock(loop);
    structure->addRootBlockReference(ref(1, L"lattice"));
    structure->addRootBlockReference(ref(50, L"loop"));
    out.send(structure);

    const std::string json = scratch.path("summary.json").string();
    const tools::RunResult run = out.run(scratch, json);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode(), 0) << run.out.substr(0, 2000);
    const JsonDocument summary = parseJson(readFile(json));
    ASSERT_TRUE(summary.IsObject());
    expectJson(member(summary, L"instances"), std::to_string((std::uint64_t(1) << 40) + 1));
    expectJson(member(summary, L"depth"), "41");
    EXPECT_NE(textOf(member(summary, L"notes")).find("loops"), std::string::npos);
    const JsonValue& messages = member(summary, L"messages");
    EXPECT_TRUE(messages.IsArray() && messages.Size() == 100) << textOf(messages).size();
    expectJson(member(member(summary, L"not_kept"), L"messages"), "50");
    const JsonValue& cut = member(member(summary, L"not_kept"), L"tree_nodes");
    EXPECT_TRUE(cut.IsUint64() && cut.GetUint64() > 0) << textOf(cut);
    EXPECT_NE(run.out.find("the tree is cut here"), std::string::npos);
    EXPECT_LT(run.out.size(), 1000000u);
    EXPECT_EQ(leftSegments(out.segments()), std::vector<std::string>{});
}
