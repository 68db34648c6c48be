#include "test_support.h"

#include <sstream>

#include "mechanical_samples.h"
#include "pmi_samples.h"
#include "trx_api/trx_api_exchange_mechanical.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

using trx::test::faceEntity;

std::shared_ptr<ExcPMIData> samplePMI() {
    auto pmi = std::make_shared<ExcPMIData>();
    pmi->addAnnotationSet(trx::test::samplePMISet());
    return pmi;
}

std::shared_ptr<ExcEntityData> sampleEntityData() {
    auto data = std::make_shared<ExcEntityData>();
    auto info = std::make_shared<ExcTopologicalEntityInformation>();
    info->setEntity(trx::test::faceEntity(10));
    info->addPersistentName(L"Face.1");
    info->setName(L"top");
    info->setHidden(true);
    info->setLineType(ELineType::dash_dot);
    info->setLineThickness(0.35);
    data->addData(info);
    return data;
}

std::shared_ptr<ExcMappingData> sampleMapping() {
    auto mapping = std::make_shared<ExcMappingData>();
    auto original = std::make_shared<ExcEntity>();
    original->setType(ExcEntity::EType::original);
    original->setId(L"#1234");
    original->setDescription(L"ADVANCED_FACE");
    mapping->add(trx::test::faceEntity(10), original);
    return mapping;
}

std::shared_ptr<ExcBlockMechanicalData> sampleBlock() {
    auto block = std::make_shared<ExcBlockMechanicalData>();
    block->setBlockId(0xFFFFFFFFFFFFFFF0ull);
    block->setLogFile(L"/tmp/mechanical \u00e9.log");
    block->setPMIData(samplePMI());
    block->setMiscData(trx::test::sampleMiscData());
    block->setMappingData(sampleMapping());
    block->setManufacturingData(trx::test::sampleMfgData());
    block->setEntityData(sampleEntityData());
    return block;
}

}  // namespace

TEST(MechanicalRoots, RegisteredBinaryCompressedAndCloneIsEmpty) {
    auto& registry = ExchangeObjectRegistry::instance();
    const auto block = registry.get(L"exc_block_mechanical_data");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcBlockMechanicalData>(block));
    EXPECT_TRUE(block->binary() && block->compress());
    EXPECT_EQ(ExcBlockMechanicalData::objName(), L"exc_block_mechanical_data");
    const auto root = registry.get(L"exc_root_mechanical_data");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcRootMechanicalData>(root));
    EXPECT_TRUE(root->binary() && root->compress());
    EXPECT_EQ(root->objectName(), L"exc_root_mechanical_data");

    const auto filled = sampleBlock();
    const auto fresh = std::dynamic_pointer_cast<ExcBlockMechanicalData>(filled->clone());
    ASSERT_TRUE(fresh);
    EXPECT_EQ(*fresh, ExcBlockMechanicalData());
    EXPECT_EQ(fresh->blockId(), 0u);
}

TEST(MechanicalRoots, BlockFormsAndLenientReading) {
    ExcBlockMechanicalData only;
    only.setBlockId(42);
    EXPECT_EQ(toText(only), L"{\"block_id\":42}");
    const auto back = roundTrip(only);
    EXPECT_EQ(back, only);
    EXPECT_FALSE(back.miscData() || back.mappingData() || back.manufacturingData() || back.entityData());
    EXPECT_TRUE(back.logFile().empty());

    ExcBlockMechanicalData b;
    parseInto(b, L"{\"block_id\":-5}");
    EXPECT_EQ(b.blockId(), 0u);
    parseInto(b, L"{\"block_id\":7.0}");
    EXPECT_EQ(b.blockId(), 0u);
    parseInto(b, L"{\"block_id\":18446744073709551615,\"log_file\":\"a.log\"}");
    EXPECT_EQ(b.blockId(), 18446744073709551615ull);
    EXPECT_EQ(b.logFile(), L"a.log");

    // A present key replaces the sub-record; it does not merge into the old one.
    parseInto(b, L"{\"mfg_data\":{\"has_data\":true,\"simple_holes\":[{}]}}");
    const auto first = b.manufacturingData();
    parseInto(b, L"{\"mfg_data\":{\"taper_holes\":[{}]}}");
    ASSERT_TRUE(b.manufacturingData());
    EXPECT_NE(b.manufacturingData(), first);
    EXPECT_FALSE(b.manufacturingData()->hasData());
    EXPECT_TRUE(b.manufacturingData()->simpleHoles().empty());
    EXPECT_EQ(b.manufacturingData()->taperHoles().size(), 1u);

    LogCapture log;
    parseInto(b, L"[]");
    EXPECT_EQ(b.blockId(), 18446744073709551615ull);
    EXPECT_TRUE(log.contains("ExcBlockMechanicalData object should have a JSON object type."));
    ExcRootMechanicalData r;
    parseInto(r, L"\"root\"");
    EXPECT_TRUE(log.contains("ExcRootMechanicalData object should have a JSON object type."));
    EXPECT_EQ(log.records(), 2);

    EXPECT_EQ(toText(ExcRootMechanicalData()), L"{}");
    r.setLogFile(L"root.log");
    EXPECT_EQ(toText(r), L"{\"log_file\":\"root.log\"}");
    EXPECT_EQ(roundTrip(r), r);
}

TEST(MechanicalRoots, FullBlockTextRoundTripInKeyOrder) {
    const auto block = sampleBlock();
    const std::wstring text = toText(*block);
    std::size_t at = 0;
    for (const wchar_t* key :
         {L"\"block_id\":18446744073709551600,", L"\"log_file\":", L"\"misc_data\":{",
          L"\"mapping_data\":[", L"\"mfg_data\":{", L"\"entity_data\":["}) {
        const auto found = text.find(key, at);
        ASSERT_NE(found, std::wstring::npos) << toNarrow(key);
        at = found;
    }
    EXPECT_EQ(roundTrip(*block), *block);
}

namespace {

// Writes one envelope and reads it back on the other side.
template <class T>
std::shared_ptr<T> throughEnvelope(const std::shared_ptr<T>& object, std::wstring* text = nullptr) {
    std::wstringstream stream;
    ExchangeObjectWrapper(object).writeObject(stream);
    if (text) *text = stream.str();
    ExchangeObjectWrapper received;
    received.readObject(stream);
    return std::dynamic_pointer_cast<T>(received.get());
}

}  // namespace

TEST(MechanicalRoots, EveryKindOfContentThroughABinaryEnvelope) {
    const auto block = sampleBlock();
    std::wstring text;
    const auto back = throughEnvelope(block, &text);
    EXPECT_EQ(text.rfind(L"{\"exchange_object_name\":\"exc_block_mechanical_data\",\"binary\":true,"
                         L"\"exchange_object_data\":\"", 0), 0u);
    EXPECT_LT(text.size(), 140u);  // only the buffer name travels in the text
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isLoaded());
    EXPECT_EQ(*back, *block);
    ASSERT_TRUE(back->manufacturingData() && back->pmiData());
    const auto& hole = *back->manufacturingData()->counterSinkHoles()[0];
    EXPECT_EQ(hole.id(), L"h4");  // hole features keep their feature keys across the boundary
    ASSERT_TRUE(hole.pattern());
    EXPECT_EQ(hole.pattern()->type(), ExcMfgPattern::EType::rectangular);
    const auto& view = *back->pmiData()->annotationSets()[0]->views()[0];
    EXPECT_EQ(view.getAnnotationById(L"gdt-1")->id(), L"gdt-1");

    // One value changed deep inside is seen.
    auto changed = sampleBlock();
    changed->manufacturingData()->internalThreads()[0]->thread()->setSupportDepth(1.0);
    EXPECT_NE(*back, *changed);

    auto root = std::make_shared<ExcRootMechanicalData>();
    root->setPMIData(samplePMI());
    root->setLogFile(L"root.log");
    const auto rootBack = throughEnvelope(root);
    ASSERT_TRUE(rootBack);
    EXPECT_EQ(*rootBack, *root);

    // Reading a second PMI record replaces the first.
    ExcRootMechanicalData twice;
    parseInto(twice, L"{\"pmi_data\":[{},{}]}");
    parseInto(twice, L"{\"pmi_data\":[{}]}");
    ASSERT_TRUE(twice.pmiData());
    EXPECT_EQ(twice.pmiData()->annotationSets().size(), 1u);
}

TEST(MechanicalRoots, DelayedLoadingOfABlock) {
    const auto block = sampleBlock();
    std::wstringstream stream;
    ExchangeObjectWrapper(block).writeObject(stream);
    ExchangeObjectWrapper received;
    received.setDelayedLoading(true);
    received.readObject(stream);
    const auto object = std::dynamic_pointer_cast<ExcBlockMechanicalData>(received.get());
    ASSERT_TRUE(object);
    EXPECT_FALSE(object->isLoaded());
    EXPECT_EQ(object->source().size(), 36u);
    EXPECT_EQ(object->blockId(), 0u);
    object->load();
    EXPECT_TRUE(object->isLoaded());
    EXPECT_EQ(*object, *block);
}
