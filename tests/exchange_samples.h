#pragma once

// Sample records shared by the exchange-object tests.

#include <memory>

#include "trx_api/trx_api_exchange_structure.h"

namespace trx::test {

inline std::shared_ptr<ExcBlockReference> sampleReference(std::uint64_t blockId, const std::wstring& name) {
    auto r = std::make_shared<ExcBlockReference>();
    r->setBlockId(blockId);
    r->setName(name);
    r->setGuid(L"guid-" + name);
    r->setPersistentId(L"pid");
    r->setPersistentName(L"pn\u00e9");
    ExcTransformation t;
    t.translation().set(1.5, -2.25, 1e-300);
    t.affine()[0].set(0, -1, 0);
    r->setTransformation(t);
    r->setColor(ExcColor(255, 128, 0, 200));
    r->setHidden(true);
    r->setConfigurationName(L"cfg \U0001F527");
    return r;
}

// An assembly of three blocks: a root holding two instances of a part and one of a
// sub-assembly, which holds the part again. Non-ASCII text throughout.
inline std::shared_ptr<ExcProductStructure> sampleStructure() {
    auto ps = std::make_shared<ExcProductStructure>();
    ps->setProductName(L"Pr\u00f6dukt \u4e2d\u6587 \U0001F600");
    ps->setProductConfigurationName(L"default");
    ps->setUnits(ELengthUnitType::millimeter);
    ps->setWorldOrientation(EWorldOrientation::up_z);
    auto group = std::make_shared<ExcMiscPropertiesGroup>();
    group->setName(L"meta");
    group->addProperty(ExcMiscProperty(L"author", ExcMiscProperty::EType::string, L"\U00010348"));
    ps->miscData().addGroup(group);

    auto part = std::make_shared<ExcBlock>();
    part->setId(2);
    part->setName(L"bolt");
    part->setStorageName(L"bolt.prt");
    part->setPart(true);
    part->setWorldOrientation(EWorldOrientation::up_y);
    part->miscData().addGroup(group);

    auto sub = std::make_shared<ExcBlock>();
    sub->setId(18446744073709551615ull);
    sub->setName(L"sub");
    sub->addBlockReference(sampleReference(2, L"bolt:3"));

    auto root = std::make_shared<ExcBlock>();
    root->setId(1);
    root->setName(L"root");
    root->addBlockReference(sampleReference(2, L"bolt:1"));
    root->addBlockReference(sampleReference(2, L"bolt:2"));
    auto plain = std::make_shared<ExcBlockReference>();
    plain->setBlockId(18446744073709551615ull);
    root->addBlockReference(plain);

    ps->addBlock(root);
    ps->addBlock(part);
    ps->addBlock(sub);
    ps->addRootBlockReference(sampleReference(1, L"root"));
    return ps;
}

}  // namespace trx::test
