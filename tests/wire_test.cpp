// Golden wire texts: every key of a record and of the records it holds, each with a
// non-default value. Reading a text and writing it again must give the same text, and a
// change to any one value must make the read record unequal to the unchanged one. A key
// misspelt on either side, a member left out of the text or of operator==, or a misspelt
// enumeration name fails here.
//
// The same rows also pin what every record of a text writes when nothing is set
// (tests/wire/defaults), check that a value of another kind than the record's own leaves a
// fresh record as it was, and that every adder of the records in a row refuses a null. Every
// name of every public enumeration is pinned by value as well (tests/wire/enum_names.json).
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "trx_api/trx_api.h"

using namespace trx;
using trx::test::compact;
using trx::test::LogCapture;
using trx::test::parse;

namespace {

// One kind of record: how to make a fresh one, read and write its text, and compare two.
struct Kind {
    std::function<std::shared_ptr<void>()> fresh;
    std::function<void(void*, const std::wstring&)> read;
    std::function<std::wstring(const void*)> write;  // compact text
    std::function<bool(const void*, const void*)> equal;  // empty: the record has no operator==
    // Exchange objects: the name they are registered under, and their binary JSON written
    // through their document and straight from the record.
    std::wstring objectName = {};
    std::function<std::pair<std::string, std::string>(const void*)> binary = {};
};

template <class T, class = void> struct HasEq : std::false_type {};
template <class T>
struct HasEq<T, std::void_t<decltype(std::declval<const T&>() == std::declval<const T&>())>> : std::true_type {};

template <class T> std::function<bool(const void*, const void*)> equality() {
    if constexpr (HasEq<T>::value)
        return [](const void* a, const void* b) { return *static_cast<const T*>(a) == *static_cast<const T*>(b); };
    else
        return {};
}

// An exchange object, fresh from the registry.
template <class T> Kind jsonKind(const wchar_t* objectName) {
    Kind k;
    k.fresh = [objectName]() -> std::shared_ptr<void> {
        auto object = std::dynamic_pointer_cast<T>(ExchangeObjectRegistry::instance().get(objectName));
        if (!object) throw std::runtime_error("registry lacks " + toNarrow(objectName));
        return object;
    };
    k.read = [](void* r, const std::wstring& text) {
        JsonDocument doc;
        parse(doc, text);
        static_cast<T*>(r)->readObject(doc);
    };
    k.write = [](const void* r) {
        JsonDocument doc;
        static_cast<const T*>(r)->writeObject(doc, doc.GetAllocator());
        return compact(doc);
    };
    k.equal = equality<T>();
    k.objectName = objectName;
    k.binary = [](const void* r) {
        const T& record = *static_cast<const T*>(r);
        JsonDocument doc;
        record.writeObject(doc, doc.GetAllocator());
        std::pair<std::string, std::string> bytes;
        JsonBinaryIO::write(bytes.first, doc);
        JsonBinaryIO::write(bytes.second, record);
        return bytes;
    };
    return k;
}

// A document read from and written to a stream.
template <class T> Kind streamKind() {
    Kind k;
    k.fresh = [] { return std::make_shared<T>(); };
    k.read = [](void* r, const std::wstring& text) {
        std::wistringstream is(text);
        static_cast<T*>(r)->readObject(is);
    };
    k.write = [](const void* r) {
        std::wostringstream os;
        static_cast<const T*>(r)->writeObject(os);
        JsonDocument doc;
        parse(doc, os.str());
        return compact(doc);
    };
    k.equal = equality<T>();
    return k;
}

// Commands have no operator==, their option groups do: two commands are equal here when
// each format type holds equal groups in both (the set's own fields are not compared).
template <class G> bool sameGroup(const std::shared_ptr<IFormatOptions>& a, const std::shared_ptr<IFormatOptions>& b, bool& known) {
    const auto* x = dynamic_cast<const G*>(a.get());
    if (!x) return false;
    known = true;
    const auto* y = dynamic_cast<const G*>(b.get());
    return y && *x == *y;
}

template <class... G> std::function<bool(const void*, const void*)> groupEquality() {
    return [](const void* l, const void* r) {
        const auto& a = *static_cast<const Command*>(l);
        const auto& b = *static_cast<const Command*>(r);
        for (int t = 0; t < 32; ++t) {
            auto groups = [t](const Command& c) {
                const auto type = static_cast<EFormatType>(t);
                return c.type() == Command::EType::Import ? c.importOptions()->formatOptions(type)
                                                          : c.exportOptions()->formatOptions(type);
            };
            const auto ga = groups(a), gb = groups(b);
            if (!ga && !gb) continue;
            if (!ga || !gb) return false;
            bool known = false;
            const bool same = (sameGroup<G>(ga, gb, known) || ...);
            if (!known) throw std::logic_error("a group class is missing from the list");
            if (!same) return false;
        }
        return true;
    };
}

template <class... G> Kind commandKind() {
    Kind k = streamKind<Command>();
    return k.equal = groupEquality<G...>(), k;
}

// Members of a command and its option set that no operator== covers.
const std::set<std::wstring> kSetMembers = {L"bridge_interface", L"command", L"mt_mode", L"file",
    L"force_mp_mode", L"translate_world_orientation", L"translate_misc_data", L"modeler_version",
    L"format_version", L"geometry_flags"};

// A null handed to one adder of a fresh record; gives the size of the list it would join.
struct NullAdd {
    const char* call;
    std::function<std::size_t()> sizeAfter;
};
#define NULL_ADD(R, add, list) NullAdd{#R "::" #add, [] { R r; r.add; return r.list.size(); }}

struct Row {
    const char* file;
    Kind kind;
    std::set<std::wstring> ignoredByEquality;  // keys operator== leaves out on purpose
    std::vector<NullAdd> nullAdds = {};         // of the records the row's text holds
    bool refusalsWarn = true;                    // bridge info drops a null without a word
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.file; }

std::wstring golden(const char* file) { return trx::test::goldenText(file); }

const auto kEntity = [] { return std::make_shared<ExcEntity>(); };

// The n-th leaf (scalar) in document order, with the key of its nearest member.
JsonValue* leaf(JsonValue& v, int& n, std::wstring& key) {
    if (v.IsObject()) {
        for (auto& m : v.GetObject()) {
            const std::wstring saved = key;
            key = m.name.GetString();
            if (auto* found = leaf(m.value, n, key)) return found;
            key = saved;
        }
        return nullptr;
    }
    if (v.IsArray()) {
        for (auto& item : v.GetArray())
            if (auto* found = leaf(item, n, key)) return found;
        return nullptr;
    }
    return n-- == 0 ? &v : nullptr;
}

// Every string value in the golden texts by the key it stands under: the valid names of
// an enumeration member are found among the values of its key.
using Names = std::map<std::wstring, std::set<std::wstring>>;
void strings(const JsonValue& v, const std::wstring& key, Names& out) {
    if (v.IsString()) out[key].insert(v.GetString());
    if (v.IsObject())
        for (auto& m : v.GetObject()) strings(m.value, m.name.GetString(), out);
    if (v.IsArray())
        for (auto& item : v.GetArray()) strings(item, key, out);
}

const std::vector<Row>& rows() {
    static const std::vector<Row> table = {
        {"exc_message", jsonKind<ExcMessage>(L"exc_message"), {}},
        {"exc_log", jsonKind<ExcLog>(L"exc_log"), {}},
        {"exc_progress", jsonKind<ExcProgress>(L"exc_progress"), {L"pulse"}},
        {"exc_stage_finished", jsonKind<ExcStageFinished>(L"exc_stage_finished"), {}},
        {"legacy_component_instance_names",
         jsonKind<LegacyComponentInstanceNames>(L"legacy_component_instance_names"), {}},
        {"legacy_component_material_map", jsonKind<LegacyMaterialMap>(L"legacy_component_material_map"), {}},
        {"exc_block_geometry", jsonKind<ExcBlockGeometry>(L"exc_block_geometry"), {}},
        {"exc_root_mechanical_data",
         jsonKind<ExcRootMechanicalData>(L"exc_root_mechanical_data"),
         {},
         {NULL_ADD(ExcPMIData, addAnnotationSet(nullptr), annotationSets()),
          NULL_ADD(ExcPMIAnnotationSet, addView(nullptr), views()),
          NULL_ADD(ExcPMIAnnotationSet, addCapture(nullptr), captures()),
          NULL_ADD(ExcPMIAnnotationSet, addConstructedGeometry(nullptr), constructedGeometry()),
          NULL_ADD(ExcPMICapture, addBody(nullptr), bodies()),
          NULL_ADD(ExcPMICapture, addConstructedGeometry(nullptr), constructedGeometry()),
          NULL_ADD(ExcPMIAnnotationView, addNote(nullptr), notes()),
          NULL_ADD(ExcPMIAnnotationView, addDatum(nullptr), datums()),
          NULL_ADD(ExcPMIAnnotationView, addDatumTarget(nullptr), datumTargets()),
          NULL_ADD(ExcPMIAnnotationView, addGdt(nullptr), gdts()),
          NULL_ADD(ExcPMIAnnotationView, addDimension(nullptr), dimensions()),
          NULL_ADD(ExcPMIAnnotationView, addRoughness(nullptr), roughness()),
          NULL_ADD(ExcPMINote, addLinkedElement(nullptr), linkedElements()),
          NULL_ADD(ExcPMINote, addLeader(nullptr), leaders()),
          NULL_ADD(ExcPMINote, addText(nullptr), texts())}},
        {"exc_block_mechanical_data",
         jsonKind<ExcBlockMechanicalData>(L"exc_block_mechanical_data"),
         {},
         {NULL_ADD(ExcMechanicalMiscData, addWorldCoordinateSystem(nullptr), worldCoordinateSystems()),
          NULL_ADD(ExcMechanicalMiscData, addLayer(nullptr), layers()),
          NULL_ADD(ExcMechanicalMiscData, addLayerFilter(nullptr), layerFilters()),
          NULL_ADD(ExcMechanicalMiscData, addMaterial(nullptr), materials()),
          NULL_ADD(ExcMechanicalMiscData, addNoteParameters(nullptr), noteParameters()),
          NULL_ADD(ExcMechanicalMiscData, addSymmetry(nullptr), symmetries()),
          NULL_ADD(ExcMechanicalMiscData, addDisplaySet(nullptr), displaySets()),
          NULL_ADD(ExcMiscLayer, addEntity(nullptr), entities()),
          NULL_ADD(ExcMiscDisplaySet, addEntity(nullptr), entities()),
          NULL_ADD(ExcMiscMaterial, addLinkedElement(nullptr), linkedElements()),
          NULL_ADD(ExcMiscData, addGroup(nullptr), groups()),
          NULL_ADD(ExcMfgData, addSimpleHole(nullptr), simpleHoles()),
          NULL_ADD(ExcMfgData, addTaperHole(nullptr), taperHoles()),
          NULL_ADD(ExcMfgData, addCounterBoreHole(nullptr), counterBoreHoles()),
          NULL_ADD(ExcMfgData, addCounterSinkHole(nullptr), counterSinkHoles()),
          NULL_ADD(ExcMfgData, addCounterDrillHole(nullptr), counterDrillHoles()),
          NULL_ADD(ExcMfgData, addInternalThread(nullptr), internalThreads()),
          NULL_ADD(ExcMfgData, addExternalThread(nullptr), externalThreads()),
          NULL_ADD(ExcMfgData, addUnclassifiedFeature(nullptr), unclassifiedFeatures()),
          NULL_ADD(ExcMfgFeatureExternalThread, addSideFace(nullptr), sideFaces()),
          NULL_ADD(ExcMfgFeatureExternalThread, addTopFace(nullptr), topFaces()),
          NULL_ADD(ExcMfgFeatureExternalThread, addBottomFace(nullptr), bottomFaces()),
          NULL_ADD(ExcMfgFeatureUnclassified, addLinkedElement(nullptr), linkedElements()),
          NULL_ADD(ExcMfgFeatureTaperHole, addLimitingGeometry(nullptr), limitingGeometry()),
          NULL_ADD(ExcMfgFeatureTaperHole, addDefiningGeometry(nullptr), definingGeometry()),
          NULL_ADD(ExcMfgPattern::Instance, addLimiting(nullptr), limitng()),
          NULL_ADD(ExcMfgPattern::Instance, addDefining(nullptr), defining()),
          NULL_ADD(ExcMappingData, add(kEntity(), nullptr), mapping()),
          NULL_ADD(ExcMappingData, add(nullptr, kEntity()), mapping()),
          NULL_ADD(ExcEntityData, addData(nullptr), data())}},
        {"exc_product_structure",
         jsonKind<ExcProductStructure>(L"exc_product_structure"),
         {},
         {NULL_ADD(ExcProductStructure, addBlock(nullptr), blocks()),
          NULL_ADD(ExcProductStructure, addRootBlockReference(nullptr), rootBlockReferences()),
          NULL_ADD(ExcBlock, addBlockReference(nullptr), blockReferences())}},
        {"exc_block_visualization",
         jsonKind<ExcBlockVisualization>(L"exc_block_visualization"),
         {},
         {NULL_ADD(ExcVisualizationData, addSceneRootNode(nullptr), sceneRootNodes()),
          NULL_ADD(ExcVisualizationData, addView(nullptr), views()),
          NULL_ADD(ExcVisualizationData, addCapture(nullptr), captures()),
          NULL_ADD(ExcVisuNode, addChildNode(nullptr), childNodes()),
          NULL_ADD(ExcVisuCapture, addLinkedElement(nullptr), linkedElements()),
          NULL_ADD(ExcVisuAttributes, addMaterial(nullptr), materials()),
          NULL_ADD(ExcVisuMaterial, addTexture(ExcVisuMaterial::ETextureType::normal, nullptr), textureLists()),
          NULL_ADD(ExcVisuMesh, addFace(nullptr), faces()),
          NULL_ADD(ExcVisuMesh, addEdge(nullptr), edges()),
          NULL_ADD(ExcVisuWire, addEdge(nullptr), edges()),
          NULL_ADD(ExcVisuPointSet, addPoints(nullptr), points()),
          NULL_ADD(ExcVisuPMI, addEdge(nullptr), edges()),
          NULL_ADD(ExcVisuPMI, addText(nullptr), texts()),
          NULL_ADD(ExcVisuPMI, addLinkedElement(nullptr), linkedElements())}},
        {"exc_root_assembly_visualization",
         jsonKind<ExcRootAssemblyVisualization>(L"exc_root_assembly_visualization"), {}},
        {"command_import",
         commandKind<OptionsGeneral, OptionsGraphical, OptionsMechanical, OptionsModeler, imp::Options3DXML,
                     imp::OptionsCatiaV4, imp::OptionsCatiaV5, imp::OptionsCatiaV5Drawing, imp::OptionsCreo,
                     imp::OptionsIGES, imp::OptionsInventor, imp::OptionsJT, imp::OptionsNX,
                     imp::OptionsParasolid, imp::OptionsSolidEdge, imp::OptionsSolidWorks,
                     imp::OptionsSolidWorksDrawing, imp::OptionsSTEP, imp::OptionsXCGM>(),
         kSetMembers},
        {"command_export",
         commandKind<OptionsGeneral, OptionsGraphical, OptionsMechanical, OptionsModeler, exp::Options3DXML,
                     exp::OptionsAcis, exp::OptionsCatiaV4, exp::OptionsCatiaV5, exp::OptionsIGES,
                     exp::OptionsParasolid, exp::OptionsSTEP, exp::OptionsXCGM, exp::OptionsSTL,
                     exp::OptionsPDF>(),
         kSetMembers},
        {"command_legacy_import", streamKind<Command>(), {}},
        {"command_legacy_export", streamKind<Command>(), {}},
        {"result", streamKind<Result>(), {}},
        {"bridge_info",
         streamKind<BridgeInfo>(),
         {},
         {NULL_ADD(BridgeInfo, addThirdpartyCore(nullptr), thirdpartyCores()),
          NULL_ADD(BridgeInfo, addImportFormat(nullptr), importFormats()),
          NULL_ADD(BridgeInfo, addExportFormat(nullptr), exportFormats())},
         false},
    };
    return table;
}

Names allStrings() {
    Names out;
    for (const Row& row : rows()) {
        JsonDocument doc;
        parse(doc, golden(row.file));
        strings(doc, L"", out);
    }
    return out;
}

// The golden text emptied of its values: records, lists of records and the names that pick a
// class or a kind stay. Read, it holds each record of the golden text in its default state.
void strip(JsonValue& v) {
    static const std::set<std::wstring> picks = {L"type", L"format_type", L"operation_type", L"command",
                                                 L"bridge_interface", L"code", L"file", L"temporary_dwg"};
    const auto holdsRecords = [](const JsonValue& x) {
        if (x.IsObject()) return true;
        if (!x.IsArray()) return false;
        for (const auto& item : x.GetArray())
            if (item.IsObject()) return true;
        return false;
    };
    if (v.IsArray())
        for (auto& item : v.GetArray()) strip(item);
    if (!v.IsObject()) return;
    for (auto m = v.MemberBegin(); m != v.MemberEnd();) {
        if (!holdsRecords(m->value) && !picks.count(m->name.GetString())) {
            m = v.EraseMember(m);
            continue;
        }
        strip(m->value);
        ++m;
    }
}

void expectSameText(const std::wstring& got, const std::wstring& want) {
    if (got == want) return;
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    const std::size_t from = at < 60 ? 0 : at - 60;
    ADD_FAILURE() << "written text differs at " << at << ":\n golden: " << toNarrow(want.substr(from, 120))
                  << "\n wrote:  " << toNarrow(got.substr(from, 120));
}

class Wire : public ::testing::TestWithParam<Row> {};

}  // namespace

TEST_P(Wire, GoldenTextReadsAndWritesUnchanged) {
    const Row& row = GetParam();
    JsonDocument doc;
    parse(doc, golden(row.file));
    const auto record = row.kind.fresh();
    row.kind.read(record.get(), compact(doc));
    expectSameText(row.kind.write(record.get()), compact(doc));
}

// Each leaf changed alone: a change that survives reading and writing must also show in
// operator==. Strings are tried with a suffix first and then with the other values their key
// has in the golden texts, so an enumeration member is swapped for another valid name.
TEST_P(Wire, EveryValueCountsForEquality) {
    const Row& row = GetParam();
    if (!row.kind.equal) GTEST_SKIP() << "no operator==";
    JsonDocument base;
    parse(base, golden(row.file));
    const std::wstring text = compact(base);
    const auto original = row.kind.fresh();
    row.kind.read(original.get(), text);
    static const Names names = allStrings();

    int checked = 0;
    for (int n = 0;; ++n) {
        JsonDocument changed;
        changed.CopyFrom(base, changed.GetAllocator());
        int index = n;
        std::wstring key;
        JsonValue* v = leaf(changed, index, key);
        if (!v) break;
        auto& a = changed.GetAllocator();
        std::vector<JsonValue> tries;  // replacements, in the order they are tried
        if (v->IsBool()) tries.emplace_back(!v->GetBool());
        else if (v->IsInt()) tries.emplace_back(v->GetInt() ^ 1);
        else if (v->IsUint64()) tries.emplace_back(v->GetUint64() ^ 1);
        else if (v->IsInt64()) tries.emplace_back(v->GetInt64() ^ 1);
        else if (v->IsDouble()) tries.emplace_back(v->GetDouble() + 1.25);
        else if (v->IsString()) {
            const std::wstring s = v->GetString();
            tries.emplace_back((s + L"x").c_str(), a);
            for (const auto& other : names.at(key))
                if (other != s) tries.emplace_back(other.c_str(), a);
        }
        for (auto& replacement : tries) {
            *v = replacement;
            const auto copy = row.kind.fresh();
            try {
                row.kind.read(copy.get(), compact(changed));
            } catch (const std::exception&) {
                break;  // e.g. packed arrays that no longer decode
            }
            if (row.kind.write(copy.get()) == text) continue;  // the change did not survive
            if (!row.ignoredByEquality.count(key)) {
                EXPECT_FALSE(row.kind.equal(original.get(), copy.get()))
                    << "leaf " << n << " (\"" << toNarrow(key) << "\") is left out of operator==";
            }
            ++checked;
            break;
        }
    }
    EXPECT_GT(checked, 0);
}

// Defaults, conditional keys and the default form of every nested record, as the peer sees them.
TEST_P(Wire, DefaultsWriteAsPinned) {
    const Row& row = GetParam();
    JsonDocument doc;
    parse(doc, golden(row.file));
    strip(doc);
    const auto record = row.kind.fresh();
    row.kind.read(record.get(), compact(doc));
    JsonDocument want;
    parse(want, golden((std::string("defaults/") + row.file).c_str()));
    expectSameText(row.kind.write(record.get()), compact(want));
}

// The bulk path writes binary JSON straight from a record, not through its document: for
// every registered exchange object, with every key set, with none, and fresh, the bytes must
// be the document's to the last one.
TEST(WireBinary, StraightFromTheRecordAreTheDocumentsBytes) {
    std::set<std::wstring> covered;
    for (const Row& row : rows()) {
        if (!row.kind.binary) continue;
        covered.insert(row.kind.objectName);
        JsonDocument full;
        parse(full, golden(row.file));
        JsonDocument empty;
        empty.CopyFrom(full, empty.GetAllocator());
        strip(empty);
        for (const JsonDocument* text : std::initializer_list<const JsonDocument*>{&full, &empty, nullptr}) {
            const auto record = row.kind.fresh();  // nothing read: unset sub-records stay null
            if (text != nullptr) row.kind.read(record.get(), compact(*text));
            const auto [throughDocument, straight] = row.kind.binary(record.get());
            if (text == &full) {
                EXPECT_GT(throughDocument.size(), 16u) << row.file;
            }
            if (straight == throughDocument) continue;
            std::size_t at = 0;
            while (at < straight.size() && at < throughDocument.size() && straight[at] == throughDocument[at]) ++at;
            ADD_FAILURE() << row.file << (text == &full ? "" : text == &empty ? " (defaults)" : " (fresh)") << ": " << straight.size()
                          << " bytes straight, " << throughDocument.size() << " through the document, first apart at "
                          << at;
        }
    }
    int bulky = 0;
    for (const std::wstring& name : ExchangeObjectRegistry::instance().names()) {
        // Classes of the tests' own (test_...) have no golden text.
        if (name.rfind(L"test_", 0) == 0 || !ExchangeObjectRegistry::instance().get(name)->binary()) continue;
        ++bulky;
        EXPECT_TRUE(covered.count(name)) << toNarrow(name.c_str()) << " has no golden text here";
    }
    EXPECT_GE(bulky, 5);
}

// Values of another kind than the record's own: nothing read, nothing broken. Documents and
// the legacy maps refuse some of them with std::invalid_argument, as they say they do.
TEST_P(Wire, OtherKindsOfValueLeaveAFreshRecordAsItWas) {
    const Row& row = GetParam();
    const std::wstring fresh = row.kind.write(row.kind.fresh().get());
    for (const wchar_t* text : {L"[1]", L"[]", L"7", L"-1.5", L"null", L"true"}) {
        const auto record = row.kind.fresh();
        try {
            row.kind.read(record.get(), text);
        } catch (const std::invalid_argument&) {
        }
        EXPECT_EQ(row.kind.write(record.get()), fresh) << toNarrow(text);
    }
}

TEST_P(Wire, EveryAdderRefusesANull) {
    for (const NullAdd& add : GetParam().nullAdds) {
        LogCapture log(vx_bridge::kWarning);
        EXPECT_EQ(add.sizeAfter(), 0u) << add.call;
        EXPECT_EQ(log.contains("[WARNING] "), GetParam().refusalsWarn) << add.call;
    }
}

namespace {

// The names of an enumeration by the values they stand for (a value without a name of its own
// writes another value's name).
template <class E>
std::wstring namesByValue() {
    JsonDocument names;
    names.SetObject();
    for (int v = 0; v < 4096; ++v) {
        const std::wstring& name = enumToString(static_cast<E>(v));
        if (enumFromString<E>(name) != static_cast<E>(v)) continue;
        names.AddMember(JsonValue(std::to_wstring(v).c_str(), names.GetAllocator()),
                        JsonValue(name.c_str(), names.GetAllocator()), names.GetAllocator());
    }
    return compact(names);
}

}  // namespace

// Every name of every public enumeration, the list taken from the tables themselves: a name
// misspelt, moved or dropped fails here, whether a golden text holds it or not.
TEST(WireNames, EveryEnumerationNameByValue) {
    std::map<std::wstring, std::wstring> got, want;
#define TRX_TEST_ENUM(E) got[toWide(#E)] = namesByValue<E>();
#include "enum_types.inc"
#undef TRX_TEST_ENUM
    JsonDocument doc;
    parse(doc, golden("enum_names"));
    for (const auto& m : doc.GetObject()) want[m.name.GetString()] = compact(m.value);
    for (const auto& [type, names] : want) EXPECT_EQ(toNarrow(got[type]), toNarrow(names)) << toNarrow(type);
    EXPECT_EQ(got.size(), want.size()) << "an enumeration without pinned names";
}

INSTANTIATE_TEST_SUITE_P(Records, Wire, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return std::string(info.param.file); });
