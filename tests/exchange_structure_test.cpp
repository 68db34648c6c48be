#include "test_support.h"

#include "exchange_samples.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {
std::vector<std::uint64_t> blockIds(const ExcBlockReferences& refs) {
    std::vector<std::uint64_t> ids;
    for (const auto& r : refs) ids.push_back(r->blockId());
    return ids;
}
}  // namespace

TEST(ProductStructure, JsonForms) {
    EXPECT_EQ(toText(ExcBlock()), L"{\"id\":0,\"is_part\":false}");
    EXPECT_EQ(toText(ExcBlockReference()),
              L"{\"guid\":\"\",\"persistent_id\":\"\",\"persistent_name\":\"\",\"block_id\":0,\"name\":\"\","
              L"\"hidden\":false,\"suppressed\":false,\"configuration_name\":\"\","
              L"\"transformation\":{\"affine\":[[1.0,0.0,0.0],[0.0,1.0,0.0],[0.0,0.0,1.0]],"
              L"\"translation\":[0.0,0.0,0.0]},\"color\":null}");
    EXPECT_EQ(toText(ExcProductStructure()),
              L"{\"product_name\":\"\",\"product_configuration_name\":\"\",\"units\":\"unknown\","
              L"\"world_orientation\":\"unknown\"}");

    ExcBlock b;
    b.setId(7);
    b.setWorldOrientation(EWorldOrientation::up_x);
    b.addBlockReference(std::make_shared<ExcBlockReference>());
    const std::wstring text = toText(b);
    EXPECT_EQ(text.substr(0, 72), L"{\"id\":7,\"world_orientation\":\"up_x\",\"is_part\":false,\"block_references\":[{");

    auto ps = test::sampleStructure();
    const ExcProductStructure back = roundTrip(*ps);
    EXPECT_EQ(back, *ps);
    EXPECT_EQ(back.getBlockById(18446744073709551615ull)->name(), L"sub");
    EXPECT_EQ(back.blocks()[0]->blockReferences()[0]->color(), ExcColor(255, 128, 0, 200));
    EXPECT_TRUE(ps->binary());
    EXPECT_TRUE(ps->compress());
}

TEST(ProductStructure, LenientReading) {
    ExcBlockReference r;
    r.setBlockId(4);
    r.setColor(ExcColor(1, 2, 3));
    parseInto(r, L"{\"block_id\":-1,\"hidden\":1,\"name\":5}");
    parseInto(r, L"{\"block_id\":1.5}");
    parseInto(r, L"{\"block_id\":\"9\"}");
    EXPECT_EQ(r.blockId(), 4u);
    EXPECT_FALSE(r.isHidden());
    EXPECT_EQ(r.color(), ExcColor(1, 2, 3));  // absent colour: unchanged
    parseInto(r, L"{\"block_id\":18446744073709551615,\"color\":null}");
    EXPECT_EQ(r.blockId(), 18446744073709551615ull);
    EXPECT_FALSE(r.color().hasRGB() || r.color().hasAlpha());

    ExcBlock b;
    parseInto(b, L"{\"id\":-5,\"world_orientation\":3,\"is_part\":\"yes\",\"block_references\":[7,{\"block_id\":2}]}");
    EXPECT_EQ(b.id(), 0u);
    EXPECT_EQ(b.worldOrientation(), EWorldOrientation::unknown);
    EXPECT_FALSE(b.isPart());
    // Every element becomes a reference; a non-object gives a default one after its record.
    EXPECT_EQ(blockIds(b.blockReferences()), (std::vector<std::uint64_t>{0, 2}));
    parseInto(b, L"{\"block_references\":[{\"block_id\":3}]}");
    EXPECT_EQ(blockIds(b.blockReferences()), (std::vector<std::uint64_t>{0, 2, 3}));  // appended

    LogCapture log;
    ExcProductStructure ps;
    ps.setProductName(L"kept");
    parseInto(ps, L"[1]");
    parseInto(b, L"\"x\"");
    parseInto(r, L"null");
    EXPECT_EQ(ps.productName(), L"kept");
    EXPECT_TRUE(log.contains("[ERROR]   "));
    EXPECT_TRUE(log.contains("ExcProductStructure object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcBlock object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcBlockReference object should have a JSON object type."));
}

TEST(ProductStructure, BlockIndex) {
    ExcProductStructure ps;
    parseInto(ps, L"{\"blocks\":[{\"id\":5,\"name\":\"a\"},{\"id\":5,\"name\":\"b\"},3]}");
    ASSERT_EQ(ps.blocks().size(), 3u);
    EXPECT_EQ(ps.getBlockById(5)->name(), L"b");
    EXPECT_EQ(ps.getBlockById(0), ps.blocks()[2]);  // the non-object became a default block
    EXPECT_EQ(ps.getBlockById(6), nullptr);

    // The same object added again moves to the end; another object of that id stays listed.
    auto a = std::make_shared<ExcBlock>();
    a->setId(9);
    auto b = std::make_shared<ExcBlock>(*a);
    ExcProductStructure s;
    s.addBlock(a);
    s.addBlock(b);
    s.addBlock(a);
    EXPECT_EQ(s.blocks(), (ExcBlocks{b, a}));
    EXPECT_EQ(s.getBlockById(9), a);
    s.addBlock(a);
    EXPECT_EQ(s.blocks(), (ExcBlocks{b, a}));

    LogCapture log(vx_bridge::kWarning);
    s.addBlock(nullptr);
    s.addRootBlockReference(nullptr);
    a->addBlockReference(nullptr);
    EXPECT_EQ(s.blocks().size(), 2u);
    EXPECT_TRUE(s.rootBlockReferences().empty());
    EXPECT_TRUE(a->blockReferences().empty());
    EXPECT_TRUE(log.contains("[WARNING] "));
    EXPECT_TRUE(log.contains("ExcProductStructure: attempt to add null Block object."));
    EXPECT_TRUE(log.contains("ExcProductStructure: attempt to add null Root Block Reference object."));
    EXPECT_TRUE(log.contains("ExcBlock: attempt to add null Block Reference object."));
}

TEST(ProductStructure, RemovalAndPartRule) {
    ExcBlock b;
    for (std::uint64_t id : {3u, 7u, 7u}) {
        auto r = std::make_shared<ExcBlockReference>();
        r->setBlockId(id);
        b.addBlockReference(r);
    }
    b.removeBlockReference(7);
    EXPECT_EQ(blockIds(b.blockReferences()), (std::vector<std::uint64_t>{3, 7}));
    b.removeBlockReference(8);
    EXPECT_EQ(blockIds(b.blockReferences()), (std::vector<std::uint64_t>{3, 7}));

    ExcProductStructure ps;
    for (std::uint64_t id : {18446744073709551615ull, 4ull, 18446744073709551615ull}) {
        auto r = std::make_shared<ExcBlockReference>();
        r->setBlockId(id);
        ps.addRootBlockReference(r);
    }
    ps.removeRootBlockReference(-1);  // sign-extended to the largest id
    EXPECT_EQ(blockIds(ps.rootBlockReferences()), (std::vector<std::uint64_t>{4, 18446744073709551615ull}));

    EXPECT_FALSE(ExcProductStructure().isPart());
    ExcProductStructure dummy;
    dummy.setProductName(L"SPAXIopPSProductDummyReference");
    EXPECT_TRUE(dummy.isPart());
    ExcProductStructure single;
    auto inst = std::make_shared<ExcBlockReference>();
    inst->setName(L"SPAXIopPSProductDummyInstance");
    single.addRootBlockReference(inst);
    EXPECT_TRUE(single.isPart());
    single.addRootBlockReference(inst);
    EXPECT_FALSE(single.isPart());  // two roots are an assembly
    single.setProductName(L"SPAXIopPSProductDummyReference");
    EXPECT_TRUE(single.isPart());
}
