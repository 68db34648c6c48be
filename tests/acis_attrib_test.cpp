#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "acis/acis.h"
#include "trx_api/trx_api_acis_attrib_id.h"
#include "trx_api/trx_api_exchange_geometry.h"

namespace {

std::vector<ATTRIB*> attributes(const ENTITY* e) {
    std::vector<ATTRIB*> out;
    for (ATTRIB* a = e->attrib(); a; a = a->next()) out.push_back(a);
    return out;
}

std::vector<int> actions(const ATTRIB* a) {
    return {a->split_owner_action(),   a->merge_owner_action(),    a->trans_owner_action(),
            a->copy_owner_action(),    a->reverse_owner_action(),  a->rep_owner_geom_action(),
            a->warp_owner_action(),    a->lop_change_owner_action()};
}

const std::vector<int> kIdActions{1, 1, 2, 2, 1, 1, 1, 1};
const std::vector<int> kDefaultActions(8, 0);

BODY* makeBody(const char* name) {
    BODY* b = ACIS_NEW BODY(name);
    b->add_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    return b;
}

}  // namespace

TEST(BridgeAttrib, IdentityLevelsAndTypeTests) {
    ASSERT_GE(ATTRIB_BRIDGE_TYPE, 0) << "restore definitions register while the library loads";
    ASSERT_GE(ATTRIB_BRIDGE_ID_TYPE, 0);
    EXPECT_NE(ATTRIB_BRIDGE_TYPE, ATTRIB_BRIDGE_ID_TYPE);
    EXPECT_NE(ATTRIB_BRIDGE_TYPE, ATTRIB_TYPE);
    EXPECT_EQ(ATTRIB_BRIDGE_ID::staticType(), ATTRIB_BRIDGE_ID_TYPE);

    BODY* body = makeBody("b");
    auto* bridge = ACIS_NEW ATTRIB_BRIDGE(body);
    auto* plainId = ACIS_NEW ATTRIB_BRIDGE_ID(body);
    auto* id = ACIS_NEW ATTRIB_BRIDGE_ID(body, 42);

    struct Level {
        int level, bridge, id;
    };
    const Level table[] = {
        {0, ATTRIB_BRIDGE_TYPE, ATTRIB_BRIDGE_ID_TYPE}, {1, ATTRIB_TYPE, ATTRIB_TYPE},
        {2, ATTRIB_BRIDGE_TYPE, ATTRIB_BRIDGE_TYPE},     {3, -1, ATTRIB_BRIDGE_ID_TYPE},
        {4, -1, -1},                                     {-1, ATTRIB_TYPE, ATTRIB_BRIDGE_TYPE},
        {-2, ENTITY_TYPE, ATTRIB_TYPE},                  {-3, -1, ENTITY_TYPE},
    };
    for (const Level& l : table) {
        EXPECT_EQ(bridge->identity(l.level), l.bridge) << "level " << l.level;
        EXPECT_EQ(id->identity(l.level), l.id) << "level " << l.level;
    }

    EXPECT_TRUE(is_ATTRIB_BRIDGE(bridge));
    EXPECT_TRUE(is_ATTRIB_BRIDGE(id));
    EXPECT_FALSE(is_ATTRIB_BRIDGE_ID(bridge));
    EXPECT_TRUE(is_ATTRIB_BRIDGE_ID(id));
    EXPECT_TRUE(is_ATTRIB(id));
    EXPECT_FALSE(is_ATTRIB_BRIDGE(body));
    EXPECT_FALSE(is_ATTRIB_BRIDGE_ID(body));
    EXPECT_FALSE(is_ATTRIB_BRIDGE(nullptr));
    EXPECT_FALSE(is_ATTRIB_BRIDGE_ID(nullptr));
    EXPECT_STREQ(bridge->type_name(), "Veltrix_Bridge_Attribute");
    EXPECT_STREQ(id->type_name(), "Veltrix_Bridge_ID_Attribute");

    // Only an attribute made with an id follows its owner.
    EXPECT_EQ(plainId->id(), 0);
    EXPECT_EQ(actions(plainId), kDefaultActions);
    EXPECT_EQ(id->id(), 42);
    EXPECT_EQ(actions(id), kIdActions);
    EXPECT_EQ(attributes(body), (std::vector<ATTRIB*>{bridge, plainId, id}));
    body->lose();
}

TEST(BridgeAttrib, SaveRestoreAndCopyKeepTheId) {
    const std::size_t live = acis_live_objects();
    BODY* body = makeBody("tagged");
    ACIS_NEW ATTRIB_BRIDGE(body);
    ACIS_NEW ATTRIB_BRIDGE_ID(body, 42);
    BODY* extremes = makeBody("extremes");
    ACIS_NEW ATTRIB_BRIDGE_ID(extremes, LONG_MIN);
    ACIS_NEW ATTRIB_BRIDGE_ID(extremes, LONG_MAX);
    ENTITY_LIST list;
    list.add(body);
    list.add(extremes);

    // The staging buffer is a file of its own; no segment is needed to save into it.
    {
        trx::ExcSharedAcisBuffer file(L"unused", false);
        ASSERT_TRUE(api_save_entity_list_file(&file, list).ok());
        EXPECT_NE(file.data().find("Veltrix_Bridge_ID_Attribute"), std::string::npos);
        EXPECT_NE(file.data().find("Veltrix_Bridge_Attribute"), std::string::npos);
        file.goto_mark(0);
        ENTITY_LIST restored;
        const outcome o = api_restore_entity_list_file(&file, restored);
        ASSERT_TRUE(o.ok()) << o.get_error_info()->error_message();
        ASSERT_EQ(restored.count(), 2);

        const auto a = attributes(restored[0]);
        ASSERT_EQ(a.size(), 2u);
        EXPECT_TRUE(is_ATTRIB_BRIDGE(a[0]) && !is_ATTRIB_BRIDGE_ID(a[0]));
        ASSERT_TRUE(is_ATTRIB_BRIDGE_ID(a[1]));
        EXPECT_EQ(static_cast<ATTRIB_BRIDGE_ID*>(a[1])->id(), 42);
        EXPECT_EQ(actions(a[1]), kIdActions);
        EXPECT_EQ(a[1]->owner(), restored[0]);
        const auto b = attributes(restored[1]);
        ASSERT_EQ(b.size(), 2u);
        EXPECT_EQ(static_cast<ATTRIB_BRIDGE_ID*>(b[0])->id(), LONG_MIN);
        EXPECT_EQ(static_cast<ATTRIB_BRIDGE_ID*>(b[1])->id(), LONG_MAX);
        for (ENTITY* e : restored) e->lose();
    }

    // Copying takes the id attribute (copy action "copy") and leaves the plain one behind.
    ENTITY* copy = nullptr;
    ASSERT_TRUE(api_copy_entity(body, copy).ok());
    ASSERT_NE(copy, body);
    const auto c = attributes(copy);
    ASSERT_EQ(c.size(), 1u);
    ASSERT_TRUE(is_ATTRIB_BRIDGE_ID(c[0]));
    EXPECT_EQ(static_cast<ATTRIB_BRIDGE_ID*>(c[0])->id(), 42);
    EXPECT_EQ(actions(c[0]), kIdActions);
    EXPECT_EQ(c[0]->owner(), copy);
    EXPECT_EQ(attributes(body).size(), 2u);

    // A snapshot keeps the id and the owner's name but stays out of the owner's chain.
    auto* original = static_cast<ATTRIB_BRIDGE_ID*>(attributes(body)[1]);
    auto* snapshot = static_cast<ATTRIB_BRIDGE_ID*>(static_cast<ENTITY*>(original)->make_copy());
    EXPECT_EQ(snapshot->id(), 42);
    EXPECT_EQ(snapshot->owner(), body);
    EXPECT_EQ(actions(snapshot), kIdActions);
    snapshot->lose();
    EXPECT_EQ(attributes(body).size(), 2u);

    copy->lose();
    body->lose();
    extremes->lose();
    EXPECT_EQ(acis_live_objects(), live);
}
