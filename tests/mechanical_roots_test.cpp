#include "test_support.h"

#include "mechanical_samples.h"
#include "trx_api/trx_api_exchange_mechanical.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

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
