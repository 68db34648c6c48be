#include "test_support.h"

#include <stdexcept>

#include "mechanical_samples.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

using EProperty = ExcMiscMaterial::EProperty;

TEST(MiscMechanical, FormsAndFullRoundTrip) {
    EXPECT_EQ(toText(ExcMechanicalMiscData()),
              L"{\"misc_data\":[],\"wcs\":[],\"layers\":[],\"layer_filters\":[],\"materials\":[],"
              L"\"note_parameters\":[],\"symmetries\":[],\"display_sets\":[]}");
    EXPECT_EQ(
        toText(ExcMiscWCS()),
        L"{\"origin\":[0.0,0.0,0.0],\"x\":[0.0,0.0,0.0],\"y\":[0.0,0.0,0.0],\"z\":[0.0,0.0,0.0],"
        L"\"color\":null,\"active\":false,\"id\":\"\",\"name\":\"\",\"shown\":false,\"layer_id\":0}");
    ExcMiscLayer layer;
    layer.setColor(ExcColor(1, 2, 3));
    EXPECT_EQ(toText(layer),
              L"{\"id\":0,\"name\":\"\",\"current\":false,\"color\":{\"rgb\":[1,2,3]},\"entities\":[]}");
    ExcMiscSymmetry symmetry;
    EXPECT_EQ(toText(symmetry).find(L"linked_entity"), std::wstring::npos);

    const auto misc = trx::test::sampleMiscData();
    const ExcMechanicalMiscData back = roundTrip(*misc);
    EXPECT_EQ(back, *misc);
    ASSERT_EQ(back.materials().size(), 1u);
    const auto density = back.materials()[0]->get(EProperty::density);
    ASSERT_TRUE(density && density->unit().length);
    EXPECT_EQ(density->unit().length->dimension(), -3);
    EXPECT_EQ(back.layerFilters()[0]->layerIds(), (std::vector<std::int32_t>{4, -1}));
    EXPECT_EQ(back.noteParameters()[0]->properties().properties().size(), 1u);

    auto changed = trx::test::sampleMiscData();
    changed->materials()[0]->get(EProperty::density)->unit().mass->setDimension(2);
    EXPECT_NE(*changed, *misc);
}

TEST(MiscMechanical, MaterialsPropertiesAndUnits) {
    ExcMiscMaterial m;
    for (auto call : {+[](ExcMiscMaterial& x) { x.get(EProperty::unknown); },
                      +[](ExcMiscMaterial& x) {
                          x.set(EProperty::unknown, std::make_shared<ExcMiscMaterialProperty>());
                      }}) {
        try {
            call(m);
            ADD_FAILURE() << "no exception";
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), "Invalid material property id.");
        }
    }
    try {
        m.set(EProperty::density, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid material property value.");
    }
    EXPECT_TRUE(m.properties().empty());
    EXPECT_EQ(m.get(EProperty::youngs_modulus), nullptr);

    auto shear = std::make_shared<ExcMiscMaterialProperty>();
    shear->setValue(80.0);
    m.set(EProperty::shear_modulus, shear);
    auto first = std::make_shared<ExcMiscMaterialProperty>();
    m.set(EProperty::density, first);
    auto density = std::make_shared<ExcMiscMaterialProperty>();
    density->setValue(2.5);
    m.set(EProperty::density, density);  // replaces
    EXPECT_EQ(m.get(EProperty::density), density);
    EXPECT_EQ(toText(m),
              L"{\"name\":\"\",\"density\":{\"value\":2.5},\"shear_modulus\":{\"value\":80.0},"
              L"\"linked_elements\":[],\"is_part_level_material\":false}");

    LogCapture log;
    ExcMiscMaterial r;
    parseInto(r,
              L"{\"name\":\"Al\",\"unknown\":{\"value\":1.0},\"specific_heat\":{\"value\":900,"
              L"\"unit\":{\"material_units\":{\"units\":\"J/kgK\",\"unit_system\":\"imperial\"},"
              L"\"time\":{\"dimension\":-2,\"units\":\"second\"}}},\"yield_strength\":{\"value\":2.75e8,"
              L"\"unit\":[1]},\"is_part_level_material\":true}");
    EXPECT_EQ(r.name(), L"Al");
    EXPECT_EQ(r.properties().size(), 2u);
    const auto heat = r.get(EProperty::specific_heat);
    ASSERT_TRUE(heat);
    EXPECT_EQ(heat->value(), 0.0);  // integer literal: not a double
    ASSERT_TRUE(heat->unit().materialUnits && heat->unit().time);
    EXPECT_EQ(heat->unit().materialUnits->unitSystem(), EUnitSystemType::cgs);
    EXPECT_EQ(heat->unit().time->dimension(), -2);
    EXPECT_FALSE(heat->unit().mass);
    EXPECT_EQ(r.get(EProperty::yield_strength)->value(), 2.75e8);
    EXPECT_TRUE(r.get(EProperty::yield_strength)->unit().isEmpty());
    EXPECT_TRUE(r.isPartLevelMaterial());
    EXPECT_EQ(roundTrip(r), r);

    // A material ignores a value of the wrong kind without a record; its parts do not.
    parseInto(r, L"[]");
    EXPECT_EQ(log.records(), 0);
    ExcMiscMaterialProperty p;
    parseInto(p, L"3.0");
    parseInto(p, L"{\"unit\":{\"mass\":7}}");
    EXPECT_TRUE(log.contains("ExcMiscMaterialProperty object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcUnitComponent object should have a JSON object type."));
    ASSERT_TRUE(p.unit().mass);  // replaced by a fresh component all the same
    EXPECT_EQ(log.records(), 2);
}

TEST(MiscMechanical, LenientReadingFallbacksAndRefusals) {
    ExcMiscLayerFilter f;
    f.addLayerId(9);
    parseInto(f, L"{\"type\":\"some\",\"layer_id\":5,\"current\":1}");
    EXPECT_EQ(f.type(), ExcMiscLayerFilter::EType::all);
    EXPECT_EQ(f.layerIds(), std::vector<std::int32_t>{9});
    EXPECT_FALSE(f.isCurrent());
    parseInto(f, L"{\"type\":\"other\",\"layer_id\":[1,\"2\",3.0,4]}");
    EXPECT_EQ(f.type(), ExcMiscLayerFilter::EType::other);
    EXPECT_EQ(f.layerIds(), (std::vector<std::int32_t>{9, 1, 4}));

    ExcMiscSymmetry s;
    parseInto(s, L"{\"transform_mode\":\"mirror\",\"linked_entity\":{\"type\":\"mfg\",\"id\":\"p\"}}");
    EXPECT_EQ(s.transformMode(), ExcMiscSymmetry::ETransformMode::both);
    ASSERT_TRUE(s.linkedEntity());
    EXPECT_EQ(s.linkedEntity()->id(), L"p");

    ExcMiscWCS w;
    w.setLayerId(3);
    parseInto(w, L"{\"layer_id\":2.0,\"active\":\"true\",\"shown\":true}");
    EXPECT_EQ(w.layerId(), 3);
    EXPECT_FALSE(w.isActive());
    EXPECT_TRUE(w.isShown());

    LogCapture log;
    ExcMechanicalMiscData d;
    d.addWorldCoordinateSystem(nullptr);
    d.addLayer(nullptr);
    d.addLayerFilter(nullptr);
    d.addMaterial(nullptr);
    d.addNoteParameters(nullptr);
    d.addSymmetry(nullptr);
    d.addDisplaySet(nullptr);
    ExcMiscLayer layer;
    layer.addEntity(nullptr);
    ExcMiscDisplaySet set;
    set.addEntity(nullptr);
    ExcMiscMaterial material;
    material.addLinkedElement(nullptr);
    EXPECT_EQ(d, ExcMechanicalMiscData());
    for (const char* text : {"ExcMechanicalMiscData: attempt to add null WCS object.",
                             "ExcMechanicalMiscData: attempt to add null Layer object.",
                             "ExcMechanicalMiscData: attempt to add null Layer Filter object.",
                             "ExcMechanicalMiscData: attempt to add null Material object.",
                             "ExcMechanicalMiscData: attempt to add null Note Parameters object.",
                             "ExcMechanicalMiscData: attempt to add null Symmetry object.",
                             "ExcMechanicalMiscData: attempt to add null Display Set object.",
                             "ExcMiscLayer: attempt to add null Entity object.",
                             "ExcMiscDisplaySet: attempt to add null Entity object.",
                             "ExcMiscMaterial: attempt to add null Linked Element object."})
        EXPECT_TRUE(log.contains(text)) << text;
    EXPECT_EQ(log.records(), 10);

    parseInto(d, L"1.5");
    parseInto(layer, L"[]");
    parseInto(f, L"\"x\"");
    ExcMiscMaterialPropertyUnit u;
    parseInto(u, L"null");
    EXPECT_TRUE(log.contains("ExcMechanicalMiscData object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMiscLayer object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMiscLayerFilter object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMiscMaterialPropertyUnit object should have a JSON object type."));
    EXPECT_EQ(log.records(), 14);
}
