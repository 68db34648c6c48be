#pragma once

// Filled manufacturing and misc mechanical records shared by the mechanical tests.

#include <memory>
#include <string>

#include "trx_api/trx_api_exchange_mfg.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"

namespace trx::test {

inline std::shared_ptr<ExcEntity> mfgEntity(const std::wstring& id) {
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::mfg);
    e->setId(id);
    return e;
}

inline std::shared_ptr<ExcEntity> faceEntity(std::uint64_t subent) {
    auto path = std::make_shared<ExcFullSubentPath>(subent);
    path->setSubentType(ExcFullSubentPath::ESubentType::face);
    path->refs().push_back(L"ref-1");
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::fsp);
    e->setFsp(path);
    return e;
}

inline std::shared_ptr<ExcMfgHoleThread> sampleHoleThread() {
    auto t = std::make_shared<ExcMfgHoleThread>();
    t->setDiameter(6.0);
    t->setDepth(12.5);
    t->setPitch(1.0);
    t->setOrientation(ExcMfgThreading::EOrientation::right_handed);
    t->setDesignation(L"M6x1");
    t->setDesignationSystemType(ExcMfgThreading::EDesignationSystemType::metric);
    t->setStandart(L"ISO 261");
    t->setMinimalTolerance(-0.05);
    t->setMaximalTolerance(0.1);
    return t;
}

inline std::shared_ptr<ExcMfgThread> sampleThread(double diameter) {
    auto t = std::make_shared<ExcMfgThread>();
    t->setDiameter(diameter);
    t->setDepth(20.0);
    t->setPitch(1.25);
    t->setOrientation(ExcMfgThreading::EOrientation::left_handed);
    t->setDesignation(L"1/4-20 UNC");
    t->setDesignationSystemType(ExcMfgThreading::EDesignationSystemType::american);
    t->setSupportDiameter(diameter - 1.5);
    t->setSupportDepth(22.0);
    t->setBottomType(ExcMfgThread::EBottomType::support_up_to_plane);
    return t;
}

inline void fillHole(ExcMfgHole& h, const std::wstring& name) {
    h.setName(name);
    h.setPrimaryDiameter(5.0);
    h.setPrimaryDiameterMaxTol(0.02);
    h.setPrimaryDiameterMinTol(-0.01);
    h.setPrimaryDepth(15.0);
    h.setTipAngleDegrees(118.0);
    h.setBottomLimitExtentType(ExcMfgHole::EBottomLimitExtentType::up_to_next);
    h.setCenter(ExcVector3d(1, 2, 3));
    h.setDirection(ExcVector3d(0, 0, -1));
    h.setHoleThread(sampleHoleThread());
}

inline std::shared_ptr<ExcMfgPattern::Instance> sampleInstance() {
    auto i = std::make_shared<ExcMfgPattern::Instance>();
    i->setBaseInstance(true);
    i->addLimiting(faceEntity(41));
    i->addDefining(faceEntity(42));
    return i;
}

inline std::shared_ptr<ExcMfgPatternRectangular> sampleRectangular() {
    auto p = std::make_shared<ExcMfgPatternRectangular>();
    p->setAnchorPoint(ExcVector3d(1, 1, 0));
    p->setAlignmentPrimaryDirection(ExcVector3d(1, 0, 0));
    p->setAlignmentSecondaryDirection(ExcVector3d(0, 1, 0));
    p->setPrimaryInstanceCount(3);
    p->setSecondaryInstanceCount(2);
    p->setPrimarySpacing(10.0);
    p->setSecondarySpacing(7.5);
    p->setBaseInstance(sampleInstance());
    p->setSimplified(true);
    p->addVisibleInstance({0, 1});
    p->addVisibleInstance({2, 1});
    p->addDeactivatedInstance({1, 0});
    return p;
}

inline std::shared_ptr<ExcMfgPatternCircular> sampleCircular() {
    auto p = std::make_shared<ExcMfgPatternCircular>();
    p->setAnchorPoint(ExcVector3d(5, 0, 0));
    p->setCenterOfRotation(ExcVector3d(0, 0, 0));
    p->setAxisOfRotation(ExcVector3d(0, 0, 1));
    p->setAxialInstanceCount(6);
    p->setRadialInstanceCount(1);
    p->setAxialDistanceDegrees(60.0);
    p->setRadialDistance(2.5);
    p->setFixedRotationOrientation(true);
    p->setBaseInstance(sampleInstance());
    p->addVisibleInstance({3, 0});
    p->addDeactivatedInstance({4, 0});
    return p;
}

inline std::shared_ptr<ExcMfgPatternUserDefined> sampleUserDefined() {
    auto p = std::make_shared<ExcMfgPatternUserDefined>();
    p->setAnchorPoint(ExcVector3d(0, 0, 1));
    p->setBaseInstance(sampleInstance());
    p->addInstancePosition(ExcVector3d(0, 0, 1));
    p->addInstancePosition(ExcVector3d(4, 0, 1));
    p->addDeactivatedPosition(ExcVector3d(8, 0, 1));
    return p;
}

template <class Feature>
void fillFeature(Feature& f, const std::wstring& id, const std::shared_ptr<ExcMfgPattern>& pattern) {
    f.setId(id);
    f.setName(L"feature " + id);
    f.addLinkedElement(mfgEntity(id + L"-link"));
    f.setPattern(pattern);
}

// One feature of every kind; each hole kind with a thread and a pattern.
inline std::shared_ptr<ExcMfgData> sampleMfgData() {
    auto data = std::make_shared<ExcMfgData>();
    data->setHasData(true);

    auto addHole = [](auto feature, auto hole, const std::wstring& id,
                      const std::shared_ptr<ExcMfgPattern>& pattern) {
        fillHole(*hole, L"hole " + id);
        feature->setHoleData(hole);
        fillFeature(*feature, id, pattern);
        feature->addLimitingGeometry(faceEntity(10));
        feature->addDefiningGeometry(faceEntity(11));
        feature->addDefiningGeometry(faceEntity(12));
        return feature;
    };

    data->addSimpleHole(addHole(std::make_shared<ExcMfgFeatureSimpleHole>(),
                                std::make_shared<ExcMfgSimpleHole>(), L"h1", sampleRectangular()));
    auto taper = std::make_shared<ExcMfgTaperHole>();
    taper->setAngle(3.5);
    data->addTaperHole(
        addHole(std::make_shared<ExcMfgFeatureTaperHole>(), taper, L"h2", sampleCircular()));
    auto bore = std::make_shared<ExcMfgCounterBoreHole>();
    bore->setDiameter(9.0);
    bore->setMaximumTolerance(0.1);
    bore->setMinimumTolerance(-0.1);
    bore->setDepth(4.0);
    data->addCounterBoreHole(
        addHole(std::make_shared<ExcMfgFeatureCounterBoreHole>(), bore, L"h3", sampleUserDefined()));
    auto sink = std::make_shared<ExcMfgCounterSinkHole>();
    sink->setDiameter(10.0);
    sink->setMaximumTolerance(0.2);
    sink->setMinimumTolerance(-0.2);
    sink->setTaperAngle(90.0);
    data->addCounterSinkHole(
        addHole(std::make_shared<ExcMfgFeatureCounterSinkHole>(), sink, L"h4", sampleRectangular()));
    auto drill = std::make_shared<ExcMfgCounterDrillHole>();
    drill->setDiameter(8.0);
    drill->setMaximumTolerance(0.3);
    drill->setMinimumTolerance(-0.3);
    drill->setDepth(3.0);
    drill->setSinkDiameter(11.0);
    drill->setTaperAngle(82.0);
    data->addCounterDrillHole(
        addHole(std::make_shared<ExcMfgFeatureCounterDrillHole>(), drill, L"h5", sampleCircular()));

    auto addThread = [](auto thread, const std::wstring& id, double diameter) {
        fillFeature(*thread, id, nullptr);
        thread->setThread(sampleThread(diameter));
        thread->addSideFace(faceEntity(20));
        thread->addTopFace(faceEntity(21));
        thread->addBottomFace(faceEntity(22));
        return thread;
    };
    data->addInternalThread(addThread(std::make_shared<ExcMfgFeatureInternalThread>(), L"t1", 6.0));
    data->addExternalThread(addThread(std::make_shared<ExcMfgFeatureExternalThread>(), L"t2", 8.0));

    auto other = std::make_shared<ExcMfgFeatureUnclassified>();
    fillFeature(*other, L"u1", sampleUserDefined());
    data->addUnclassifiedFeature(other);
    return data;
}

// Every kind of misc content, materials with every unit member.
inline std::shared_ptr<ExcMechanicalMiscData> sampleMiscData() {
    auto misc = std::make_shared<ExcMechanicalMiscData>();
    auto group = std::make_shared<ExcMiscPropertiesGroup>();
    group->setName(L"Summary");
    group->addProperty(ExcMiscProperty(L"author", ExcMiscProperty::EType::string, L"R\u00e9my"));
    misc->miscData().addGroup(group);

    auto wcs = std::make_shared<ExcMiscWCS>();
    wcs->setOrigin(ExcVector3d(1, 2, 3));
    wcs->setX(ExcVector3d(1, 0, 0));
    wcs->setY(ExcVector3d(0, 1, 0));
    wcs->setZ(ExcVector3d(0, 0, 1));
    wcs->setColor(ExcColor(255, 0, 0));
    wcs->setActive(true);
    wcs->setId(L"wcs-1");
    wcs->setName(L"Top");
    wcs->setShown(true);
    wcs->setLayerId(4);
    misc->addWorldCoordinateSystem(wcs);

    auto layer = std::make_shared<ExcMiscLayer>();
    layer->setId(4);
    layer->setName(L"Holes");
    layer->setCurrent(true);
    layer->setColor(ExcColor(0, 128, 255, 200));
    layer->addEntity(faceEntity(10));
    misc->addLayer(layer);

    auto filter = std::make_shared<ExcMiscLayerFilter>();
    filter->setName(L"Work");
    filter->setType(ExcMiscLayerFilter::EType::laycur);
    filter->setCurrent(true);
    filter->addLayerId(4);
    filter->addLayerId(-1);
    misc->addLayerFilter(filter);

    auto material = std::make_shared<ExcMiscMaterial>();
    material->setName(L"Steel");
    auto density = std::make_shared<ExcMiscMaterialProperty>();
    density->setValue(7.85);
    auto system = std::make_shared<ExcMiscMaterialPropertyUnit>();
    system->setUnits(L"g/cm^3");
    system->setUnitSystem(EUnitSystemType::cgs);
    density->unit().materialUnits = system;
    density->unit().mass = std::make_shared<ExcUnitComponent<EMassUnitType>>(1, EMassUnitType::gram);
    density->unit().length =
        std::make_shared<ExcUnitComponent<ELengthUnitType>>(-3, ELengthUnitType::centimeter);
    material->set(ExcMiscMaterial::EProperty::density, density);
    auto expansion = std::make_shared<ExcMiscMaterialProperty>();
    expansion->setValue(1.2e-5);
    expansion->unit().temperature =
        std::make_shared<ExcUnitComponent<ETemperatureUnitType>>(-1, ETemperatureUnitType::kelvin);
    expansion->unit().time = std::make_shared<ExcUnitComponent<ETimeUnitType>>(0, ETimeUnitType::second);
    material->set(ExcMiscMaterial::EProperty::thermal_expansion_coefficient, expansion);
    auto poisson = std::make_shared<ExcMiscMaterialProperty>();
    poisson->setValue(0.3);
    material->set(ExcMiscMaterial::EProperty::poissons_ratio, poisson);
    material->addLinkedElement(mfgEntity(L"body-1"));
    material->setPartLevelMaterial(true);
    misc->addMaterial(material);

    auto notes = std::make_shared<ExcMiscNoteParameters>();
    notes->setName(L"Note style");
    notes->properties().setName(L"text");
    notes->properties().addProperty(ExcMiscProperty(L"height", ExcMiscProperty::EType::double_, L"3.5"));
    misc->addNoteParameters(notes);

    auto symmetry = std::make_shared<ExcMiscSymmetry>();
    symmetry->setTransformMode(ExcMiscSymmetry::ETransformMode::opposite);
    symmetry->transformation().affine()[0].set(-1, 0, 0);
    symmetry->transformation().translation().set(10, 0, 0);
    symmetry->setLinkedEntity(mfgEntity(L"plane-1"));
    misc->addSymmetry(symmetry);

    auto display = std::make_shared<ExcMiscDisplaySet>();
    display->setName(L"Section");
    display->setActive(true);
    display->addEntity(faceEntity(11));
    display->addEntity(mfgEntity(L"h1"));
    misc->addDisplaySet(display);
    return misc;
}

}  // namespace trx::test
