#include "test_support.h"

#include <cwctype>
#include <set>

#include "trx_api/trx_api_exchange_messages.h"
#include "trx_api/trx_api_exchange_object.h"

using namespace trx;

namespace {

class Probe : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(Probe)
    void readObject(const JsonValue&) override {}
    void writeObject(JsonValue& v, JsonAllocator&) const override { v.SetNull(); }
};
const std::wstring Probe::s_objectName = L"test_probe";

}  // namespace

TEST(Registry, AddRemoveAndPrototypeLifetime) {
    auto& registry = ExchangeObjectRegistry::instance();
    EXPECT_EQ(&registry, &ExchangeObjectRegistry::instance());
    registry.add(nullptr);
    registry.remove(nullptr);
    {
        StaticExchangeObject<Probe> prototype;
        auto made = registry.get(L"test_probe");
        ASSERT_NE(made, nullptr);
        EXPECT_NE(made.get(), &prototype);
        EXPECT_NE(std::dynamic_pointer_cast<Probe>(made), nullptr);

        // A later registration replaces; removal goes by name, whatever pointer is held.
        Probe other;
        registry.add(&other);
        registry.remove(&prototype);
        EXPECT_EQ(registry.get(L"test_probe"), nullptr);
        registry.add(&prototype);
    }
    EXPECT_EQ(registry.get(L"test_probe"), nullptr);  // the prototype left with its object
}

TEST(ExchangeObject, GeneratedUuids) {
    std::set<std::wstring> seen;
    for (int i = 0; i < 64; ++i) {
        const std::wstring id = IExchangeObject::generateUUID();
        ASSERT_EQ(id.size(), 36u);
        for (std::size_t k = 0; k < id.size(); ++k) {
            if (k == 8 || k == 13 || k == 18 || k == 23) {
                EXPECT_EQ(id[k], L'-');
            } else {
                EXPECT_TRUE(std::iswxdigit(id[k]) && !std::iswupper(id[k])) << "at " << k;
            }
        }
        EXPECT_EQ(id[14], L'4');
        EXPECT_NE(std::wstring(L"89ab").find(id[19]), std::wstring::npos);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 64u);
}

TEST(ExchangeObjectWrapper, TypedAccess) {
    EXPECT_EQ(ExchangeObjectWrapper().getAs<ExcLog>(), nullptr);

    const auto log = std::make_shared<ExcLog>(L"line");
    const ExchangeObjectWrapper wrapper(log);
    EXPECT_EQ(wrapper.getAs<ExcLog>(), log);
    EXPECT_EQ(wrapper.getAs<ExcMessageBase>(), log);  // a base class of the object
    EXPECT_EQ(wrapper.getAs<ExcMessage>(), nullptr);  // a sibling class
    EXPECT_EQ(wrapper.getAs<ExcProgress>(), nullptr);
}
