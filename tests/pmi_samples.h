#pragma once

// A filled PMI annotation set shared by the PMI and mechanical tests.

#include <memory>

#include "mechanical_samples.h"
#include "trx_api/trx_api_exchange_pmi.h"

namespace trx::test {

inline std::shared_ptr<ExcPMILeader> pmiLeader(double x0, double y0, double x1, double y1) {
    auto l = std::make_shared<ExcPMILeader>();
    l->addPoint(ExcVector2d(x0, y0));
    l->addPoint(ExcVector2d(x1, y1));
    return l;
}

// One annotation of every kind with every field set in a view, an empty hidden view, a capture
// with camera and clipping plane and a bare hidden capture.
inline std::shared_ptr<ExcPMIAnnotationSet> samplePMISet() {
    auto note = std::make_shared<ExcPMINote>();
    note->setId(L"note-1");
    note->setName(L"General note");
    note->setOrientation(EPMIOrientation::dim_angle);
    note->setAngle(0.75);
    note->setZDepth(-1.25);
    note->setPosition(ExcVector2d(10.5, 20.25));
    note->setFlagNote(true);
    note->addLinkedElement(faceEntity(3));
    note->addLeaders({pmiLeader(0.0, 0.0, 5.0, 5.0), pmiLeader(1.0, 1.0, 2.0, 3.0)});
    for (const wchar_t* label : {L"ALL FILLETS R2", L"\u00b1 0.1"}) {
        auto t = std::make_shared<ExcPMINote::Text>();
        t->setLabel(label);
        t->setFontName(L"Arial");
        t->setFontType(ExcPMINote::Text::EFontType::century);
        t->setHeight(3.5);
        t->setItalic(true);
        t->setRGBA(0.25, 0.5, 0.75, 0.875);
        note->addText(t);
    }

    auto datum = std::make_shared<ExcPMIDatum>();
    datum->setId(L"datum-A");
    datum->setLabel(L"A");
    datum->addTargetId(L"target-A1");
    datum->addLinkedElement(faceEntity(4));

    auto target = std::make_shared<ExcPMIDatumTarget>();
    target->setId(L"target-A1");
    target->setLabel(L"A1");
    target->setTargetType(ExcPMIDatumTarget::EType::area_rectangular);
    target->setHasDiameter(true);
    target->setUpperText(L"10x5");
    target->setLowerText(L"A1");
    target->setZonePoint1(ExcVector3d(0, 0, 0));
    target->setZonePoint2(ExcVector3d(10, 5, 0));

    auto frame = std::make_shared<ExcPMIGDT::Frame>();
    frame->setLabel(L"A");
    ExcPMIGDT::DatumRef ref;
    ref.setLabel(L"A");
    ref.addModifiedDatum(ExcPMIGDT::ModifiedDatum(L"datum-A", ExcPMIGDT::EToleranceModifier::free_state_free));
    frame->addDatumRef(std::move(ref));
    auto lowerFrame = std::make_shared<ExcPMIGDT::Frame>(*frame);
    lowerFrame->setLabel(L"A (lower)");
    auto gdt = std::make_shared<ExcPMIGDT>();
    gdt->setId(L"gdt-1");
    gdt->setToleranceType(ExcPMIGDT::EToleranceType::Location_position_of_a_surface);
    gdt->setToleranceValue(0.2);
    gdt->setRateUnit(0.5, 0.25);
    gdt->setZoneModifiers(ExcPMIGDT::EToleranceModifier::material_condition_maximum,
                          ExcPMIGDT::EToleranceModifier::common_zone);
    gdt->setReferenceFrame(frame);
    gdt->setComposite(true);
    gdt->setCompositeToleranceValue(0.05);
    gdt->setCompositeRateUnits(0.125, 0.0625);
    gdt->setCompositeZoneModifier(ExcPMIGDT::EToleranceModifier::tangent_plant_unsupported);
    gdt->setCompositeReferenceFrame(lowerFrame);

    auto dim = std::make_shared<ExcPMIDimension>();
    dim->setId(L"dim-1");
    dim->setMainType(ExcPMIDimension::EMainType::tolerance);
    dim->setSubType(ExcPMIDimension::ESubType::diameter_cylinder);
    dim->setCalloutFeatureAnnotationType(ExcPMIDimension::ECalloutFeatureAnnotationType::hole_callout_tap_drill_dia);
    dim->setCoord(ExcVector3d(1, 2, 3));
    dim->setValue(12.0);
    dim->setUnit(ExcPMIDimension::EDimUnit::mm);
    dim->setValuePrecision(0.01);
    dim->setTolerancePrecisionValue(0.001);
    dim->setNumericalToleranceLower(-0.1);
    dim->setNumericalToleranceUpper(0.2);
    dim->setAlphanumericalToleranceLower(L"H");
    dim->setAlphanumericalToleranceUpper(L"7");
    dim->setPrefix(L"\u2300");
    dim->setSuffix(L"mm");
    dim->setBefore(L"b");
    dim->setAfter(L"a");
    dim->setUpper(L"u");
    dim->setLower(L"l");
    dim->setCalloutText(L"c");
    dim->setBelow(L"2x");
    dim->setFakeNumericalValue(12.5);
    dim->setHasFakeNumericalValue(true);
    dim->setFakeAlphanumericalValue(L"approx. 12");
    dim->setHasFakeAlphanumericalValue(true);
    dim->setDriving(true);
    dim->setLineStart(ExcVector2d(0, 0));
    dim->setLineEnd(ExcVector2d(12, 0));
    dim->setArrowSymbolStart(ExcPMIDimension::EArrowSymbol::filled_arrow);
    dim->setArrowSymbolEnd(ExcPMIDimension::EArrowSymbol::wave);
    dim->setSymbolOutside(true);
    dim->addLinkedElements({faceEntity(5), faceEntity(6)});

    auto rough = std::make_shared<ExcPMIRoughness>();
    rough->setId(L"rough-1");
    rough->setObtentionType(ExcPMIRoughness::EObtentionType::matching_mandatory);
    rough->setApplicabilityType(ExcPMIRoughness::EApplicabilityType::basic_surface);
    rough->setFields({L"Ra 0.8", L"", L"milled"});

    auto view = std::make_shared<ExcPMIAnnotationView>();
    view->setId(L"view-1");
    view->setName(L"Front");
    view->setOrigin(ExcVector3d(0, 0, 5));
    view->setVectorU(ExcVector3d(1, 0, 0));
    view->setVectorV(ExcVector3d(0, 1, 0));
    view->addNote(note);
    view->addDatum(datum);
    view->addDatumTarget(target);
    view->addGdt(gdt);
    view->addDimension(dim);
    view->addRoughness(rough);
    auto emptyView = std::make_shared<ExcPMIAnnotationView>();
    emptyView->setHidden(true);

    auto camera = std::make_shared<ExcCamera>();
    camera->setType(ExcCamera::EType::orthographic);
    camera->setName(L"cam");
    camera->setOrthographicZoomFactor(2.5);
    camera->setEye(ExcVector3d(0, 0, 100));
    camera->setUp(ExcVector3d(0, 1, 0));
    auto plane = std::make_shared<ExcClippingPlane>();
    plane->setHasPlane(true);
    plane->setOrigin(ExcVector3d(0, 0, 1));
    plane->setVectorU(ExcVector3d(1, 0, 0));
    plane->setVectorV(ExcVector3d(0, 1, 0));
    auto capture = std::make_shared<ExcPMICapture>();
    capture->setId(L"capture-1");
    capture->setCurrent(true);
    capture->setHiddenText(L"hidden");
    capture->setManageHideShow(true);
    capture->setCamera(camera);
    capture->setClippingPlane(plane);
    capture->addAnnotationId(L"note-1");
    capture->addAnnotationId(L"gdt-1");
    capture->addConstructedGeometry(faceEntity(7));
    capture->addBody(faceEntity(8));
    auto bare = std::make_shared<ExcPMICapture>();
    bare->setCaptureHidden(true);

    auto set = std::make_shared<ExcPMIAnnotationSet>();
    set->setBlockId(0xFFFFFFFFFFFFFFF0ull);
    set->setName(L"Annotation set 1");
    set->setStandart(L"ASME");
    set->addView(view);
    set->addView(emptyView);
    set->addCapture(capture);
    set->addCapture(bare);
    set->addConstructedGeometry(faceEntity(9));
    return set;
}

}  // namespace trx::test
