// The host's summary of a model: exchange objects built here, sent by a scripted bridge
// through the real host, and the JSON and text summaries compared with what was built.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

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

std::shared_ptr<ExcPMIDatum> datum(const std::wstring& id, const std::wstring& label) {
    auto d = annotation<ExcPMIDatum>(id);
    d->setLabel(label);
    return d;
}

std::shared_ptr<ExcPMICapture> capture(const std::wstring& name, int annotations) {
    auto c = std::make_shared<ExcPMICapture>();
    c->setName(name);
    for (int i = 0; i < annotations; ++i) c->addAnnotationId(L"a" + std::to_wstring(i));
    return c;
}

std::shared_ptr<ExcMechanicalMiscData> meshMeasures(double area) {
    namespace p = tools::mesh_props;
    using Type = ExcMiscProperty::EType;
    auto group = std::make_shared<ExcMiscPropertiesGroup>();
    group->setName(p::kGroup);
    group->addProperty({p::kTriangles, Type::integer, L"12"});
    group->addProperty({p::kArea, Type::double_, std::to_wstring(area)});
    group->addProperty({p::kVolume, Type::double_, L"1"});
    for (int c = 0; c < 3; ++c) {
        group->addProperty({p::kBoxMin[c], Type::double_, L"0"});
        group->addProperty({p::kBoxMax[c], Type::double_, L"1"});
    }
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

// Type-checked reads: a missing or mistyped member fails a comparison, never the run.
std::uint64_t count(const JsonValue& v) { return v.IsUint64() ? v.GetUint64() : UINT64_MAX; }
std::size_t size(const JsonValue& v) { return v.IsArray() ? v.Size() : SIZE_MAX; }
std::string flag(const JsonValue& v) { return v.IsBool() ? (v.GetBool() ? "true" : "false") : "none"; }

// The blocks of the summary by name.
std::map<std::string, const JsonValue*> blocksByName(const JsonValue& summary) {
    std::map<std::string, const JsonValue*> out;
    const JsonValue& blocks = member(summary, L"blocks");
    if (blocks.IsArray())
        for (const auto& b : blocks.GetArray()) out[str(member(b, L"name"))] = &b;
    return out;
}

// (type, value) of a tolerance or dimension list; NaN stands for null.
std::vector<std::pair<std::string, double>> values(const JsonValue& list) {
    std::vector<std::pair<std::string, double>> out;
    if (!list.IsArray()) return out;
    for (const auto& v : list.GetArray()) {
        const JsonValue& value = member(v, L"value");
        out.emplace_back(str(member(v, L"type")), value.IsNumber() ? value.GetDouble() : NAN);
    }
    return out;
}

std::vector<std::string> strings(const JsonValue& list) {
    std::vector<std::string> out;
    if (list.IsArray())
        for (const auto& v : list.GetArray()) out.push_back(str(v));
    return out;
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
    auto plate = block(2, L"plate", true);
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
    first->addDatum(datum(L"d1", L"B"));
    first->addDatum(datum(L"d2", L"A"));
    first->addDatum(datum(L"d3", L"A"));
    first->addDatumTarget(annotation<ExcPMIDatumTarget>(L"t1"));
    first->addDatumTarget(annotation<ExcPMIDatumTarget>(L"t2"));
    first->addGdt(tolerance(L"g1", Tol::location_true_position, 0.25));
    first->addGdt(tolerance(L"g2", Tol::form_flatness, 0, tools::kValueUnknownNote));
    auto second = std::make_shared<ExcPMIAnnotationView>();
    second->addGdt(tolerance(L"g1", Tol::location_true_position, 0.25));
    second->addDimension(dimension(L"m1", Dim::diameter, 12.7));
    second->addNote(annotation<ExcPMINote>(L"n1"));
    auto set = std::make_shared<ExcPMIAnnotationSet>();
    set->setBlockId(1);
    set->addView(first);
    set->addView(second);
    set->addCapture(capture(L"Front", 3));
    set->addCapture(capture(L"Iso", 0));
    auto pmi = std::make_shared<ExcPMIData>();
    pmi->addAnnotationSet(set);
    auto misc = meshMeasures(321.5);
    auto dims = std::make_shared<ExcMiscLayer>();
    dims->setName(L"dims");
    for (int i = 0; i < 3; ++i) dims->addEntity(std::make_shared<ExcEntity>());
    auto empty = std::make_shared<ExcMiscLayer>();
    empty->setName(L"geometry");
    misc->addLayer(dims);
    misc->addLayer(empty);
    auto mech = std::make_shared<ExcBlockMechanicalData>();
    mech->setBlockId(1);
    mech->setMiscData(misc);
    mech->setPMIData(pmi);
    out.send(mech);

    auto rootView = std::make_shared<ExcPMIAnnotationView>();
    rootView->addDimension(dimension(L"r1", Dim::distance, 40));
    auto rootSet = std::make_shared<ExcPMIAnnotationSet>();
    rootSet->addView(rootView);
    rootSet->addCapture(capture(L"All", 5));
    auto rootPmi = std::make_shared<ExcPMIData>();
    rootPmi->addAnnotationSet(rootSet);
    auto root = std::make_shared<ExcRootMechanicalData>();
    root->setPMIData(rootPmi);
    out.send(root);

    const std::string json = scratch.path("summary.json").string();
    const tools::RunResult run = out.run(scratch, json);
    ASSERT_EQ(run.exitCode(), 0) << run.out;
    const JsonDocument summary = parseJson(readFile(json));
    ASSERT_TRUE(summary.IsObject()) << run.out;
    EXPECT_EQ(leftSegments(out.segments()), std::vector<std::string>{});

    EXPECT_EQ(str(member(summary, L"status")), "ok");
    EXPECT_EQ(str(member(summary, L"units")), "in");
    EXPECT_EQ(count(member(summary, L"instances")), 11u);
    EXPECT_EQ(count(member(summary, L"depth")), 3);

    const auto blocks = blocksByName(summary);
    ASSERT_EQ(blocks.size(), 4u);
    const JsonValue& b = *blocks.at("bolt");
    EXPECT_EQ(flag(member(b, L"is_part")), "true");
    EXPECT_EQ(flag(member(*blocks.at("sub"), L"is_part")), "false");
    EXPECT_EQ(strings(member(b, L"colors")), (std::vector<std::string>{"#00ff00", "#ff000080"}));
    const JsonValue& layers = member(b, L"layers");
    ASSERT_EQ(size(layers), 2u);
    EXPECT_EQ(str(member(layers[0], L"name")), "dims");
    EXPECT_EQ(count(member(layers[0], L"members")), 3u);
    EXPECT_EQ(count(member(layers[1], L"members")), 0u);
    const JsonValue& area = member(member(b, L"mechanical"), L"area");
    EXPECT_DOUBLE_EQ(area.IsNumber() ? area.GetDouble() : NAN, 321.5);

    const JsonValue& p = member(b, L"pmi");
    EXPECT_EQ(strings(member(p, L"datums")), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(count(member(p, L"datum_targets")), 2u);
    const auto tolerances = values(member(p, L"tolerances"));
    ASSERT_EQ(tolerances.size(), 2u);
    EXPECT_EQ(tolerances[0], std::make_pair(std::string("location_true_position"), 0.25));
    EXPECT_EQ(tolerances[1].first, "form_flatness");
    EXPECT_TRUE(std::isnan(tolerances[1].second)) << "an unknown value is null, not 0";
    EXPECT_EQ(values(member(p, L"dimensions")),
              (std::vector<std::pair<std::string, double>>{{"diameter", 12.7}}));
    const JsonValue& counts = member(p, L"counts");
    EXPECT_EQ(count(member(counts, L"datums")), 3u);
    EXPECT_EQ(count(member(counts, L"notes")), 1u);
    EXPECT_EQ(count(member(counts, L"annotation_views")), 2u);
    EXPECT_EQ(values(member(member(*blocks.at("plate"), L"pmi"), L"tolerances")).size(), 0u);

    const JsonValue& rootPmiJson = member(member(summary, L"root"), L"pmi");
    EXPECT_EQ(values(member(rootPmiJson, L"dimensions")),
              (std::vector<std::pair<std::string, double>>{{"distance", 40}}));

    const JsonValue& views = member(summary, L"views");
    ASSERT_EQ(size(views), 3u);
    const std::vector<std::tuple<std::string, std::uint64_t, bool>> expectedViews{
        {"Front", 3, true}, {"Iso", 0, true}, {"All", 5, false}};
    for (rapidjson::SizeType i = 0; i < 3; ++i) {
        EXPECT_EQ(str(member(views[i], L"name")), std::get<0>(expectedViews[i]));
        EXPECT_EQ(count(member(views[i], L"annotations")), std::get<1>(expectedViews[i]));
        EXPECT_EQ(member(views[i], L"block_id").IsUint64(), std::get<2>(expectedViews[i]));
        EXPECT_EQ(member(views[i], L"block_id").IsNull(), !std::get<2>(expectedViews[i]));
    }

    const JsonValue& messages = member(summary, L"messages");
    ASSERT_EQ(size(messages), 3u);
    EXPECT_EQ(str(member(messages[0], L"severity")), "warning");
    EXPECT_EQ(str(member(messages[1], L"severity")), "information");
    EXPECT_EQ(str(member(messages[2], L"severity")), "error");
    EXPECT_EQ(str(member(messages[1], L"text")), "Read 4 blocks.");

    // The text: the tree with counts and colours, the PMI table with its values.
    EXPECT_NE(run.out.find("Assembly tree (11 part instances, 3 levels)"), std::string::npos)
        << run.out;
    EXPECT_NE(lineWith(run.out, {"|- sub  [block 3]  x3"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"bolt  [block 1]  x2"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"red bolt  [block 1]", "#ff0000"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"3 datums (A, B)", "2 datum targets", "2 tolerances",
                                 "1 dimension", "1 note"}),
              "")
        << run.out;
    EXPECT_NE(lineWith(run.out, {"tolerance", "location_true_position", "0.25"}), "") << run.out;
    const std::string unknown = lineWith(run.out, {"tolerance", "form_flatness"});
    EXPECT_NE(unknown.find("unknown"), std::string::npos) << unknown;
    EXPECT_EQ(unknown.find('0'), std::string::npos) << unknown;
    EXPECT_NE(lineWith(run.out, {"dimension", "diameter", "12.7"}), "") << run.out;
    EXPECT_NE(lineWith(run.out, {"\"Front\"", "3 annotations"}), "") << run.out;
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
    EXPECT_EQ(count(member(summary, L"instances")), (std::uint64_t(1) << 40) + 1);
    EXPECT_EQ(count(member(summary, L"depth")), 41);
    bool loopNoted = false;
    for (const auto& n : strings(member(summary, L"notes")))
        loopNoted = loopNoted || n.find("loops") != std::string::npos;
    EXPECT_TRUE(loopNoted);
    EXPECT_EQ(size(member(summary, L"messages")), 100u);
    const JsonValue& notKept = member(summary, L"not_kept");
    EXPECT_EQ(count(member(notKept, L"messages")), 50u);
    EXPECT_GT(count(member(notKept, L"tree_nodes")), 0u);
    EXPECT_NE(run.out.find("the tree is cut here"), std::string::npos);
    EXPECT_LT(run.out.size(), 1000000u);
    EXPECT_EQ(leftSegments(out.segments()), std::vector<std::string>{});
}
