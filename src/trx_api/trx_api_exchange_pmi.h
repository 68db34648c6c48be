#pragma once

// The PMI of a model: annotations gathered in annotation views, saved presentation states
// (captures), and annotation sets per block. ExcPMIData is what the mechanical roots carry.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "trx_api_exchange_pmi_annotation.h"
#include "trx_api_exchange_pmi_dimension.h"
#include "trx_api_exchange_pmi_gdt.h"
#include "trx_api_exchange_visualization_camera.h"

namespace trx {

// A plane in model space holding the annotations drawn in it, indexed by annotation id.
class TRX_API ExcPMIAnnotationView : public ExcPMIObject {
public:
    using Notes = std::vector<std::shared_ptr<ExcPMINote>>;
    using Datums = std::vector<std::shared_ptr<ExcPMIDatum>>;
    using DatumTargets = std::vector<std::shared_ptr<ExcPMIDatumTarget>>;
    using GDTs = std::vector<std::shared_ptr<ExcPMIGDT>>;
    using Dimensions = std::vector<std::shared_ptr<ExcPMIDimension>>;
    using Roughnesses = std::vector<std::shared_ptr<ExcPMIRoughness>>;

    const ExcVector3d& origin() const { return m_origin; }
    void setOrigin(const ExcVector3d& v) { m_origin = v; }
    const ExcVector3d& vectorU() const { return m_vectorU; }
    void setVectorU(const ExcVector3d& v) { m_vectorU = v; }
    const ExcVector3d& vectorV() const { return m_vectorV; }
    void setVectorV(const ExcVector3d& v) { m_vectorV = v; }

    const Notes& notes() const { return m_notes; }
    const Datums& datums() const { return m_datums; }
    const DatumTargets& datumTargets() const { return m_datumTargets; }
    const GDTs& gdts() const { return m_gdts; }
    const Dimensions& dimensions() const { return m_dimensions; }
    const Roughnesses& roughness() const { return m_roughness; }

    // Appends and indexes the annotation; the first one added under an id stays indexed.
    void addNote(const std::shared_ptr<ExcPMINote>& v);
    void addDatum(const std::shared_ptr<ExcPMIDatum>& v);
    void addDatumTarget(const std::shared_ptr<ExcPMIDatumTarget>& v);
    void addGdt(const std::shared_ptr<ExcPMIGDT>& v);
    void addDimension(const std::shared_ptr<ExcPMIDimension>& v);
    void addRoughness(const std::shared_ptr<ExcPMIRoughness>& v);

    // Any of the six kinds; null when the id is not indexed.
    std::shared_ptr<ExcPMIAnnotation> getAnnotationById(const std::wstring& id) const;

    TRX_JSON_RECORD(ExcPMIAnnotationView);

private:
    template <class T>
    void add(std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& v, const char* refusal);

    ExcVector3d m_origin;
    ExcVector3d m_vectorU;
    ExcVector3d m_vectorV;
    Notes m_notes;
    Datums m_datums;
    DatumTargets m_datumTargets;
    GDTs m_gdts;
    Dimensions m_dimensions;
    Roughnesses m_roughness;
    std::map<std::wstring, std::shared_ptr<ExcPMIAnnotation>> m_index;
};

// A saved presentation state: camera, clipping, and the annotations and bodies it shows.
class TRX_API ExcPMICapture : public ExcPMIObject {
public:
    bool isCaptureHidden() const { return m_captureHidden; }
    void setCaptureHidden(bool v) { m_captureHidden = v; }
    bool isCurrent() const { return m_current; }
    void setCurrent(bool v) { m_current = v; }
    const std::wstring& hiddenText() const { return m_hiddenText; }
    void setHiddenText(const std::wstring& v) { m_hiddenText = v; }
    bool manageHideShow() const { return m_manageHideShow; }
    void setManageHideShow(bool v) { m_manageHideShow = v; }
    const std::shared_ptr<ExcCamera>& camera() const { return m_camera; }
    void setCamera(const std::shared_ptr<ExcCamera>& v) { m_camera = v; }
    const std::shared_ptr<ExcClippingPlane>& clippingPlane() const { return m_clippingPlane; }
    void setClippingPlane(const std::shared_ptr<ExcClippingPlane>& v) { m_clippingPlane = v; }
    // Ids of annotations of the set's views.
    const std::vector<std::wstring>& annotationIds() const { return m_annotationIds; }
    void addAnnotationId(const std::wstring& v) { m_annotationIds.push_back(v); }
    const ExcEntities& constructedGeometry() const { return m_constructedGeometry; }
    void addConstructedGeometry(const std::shared_ptr<ExcEntity>& v);
    const ExcEntities& bodies() const { return m_bodies; }
    void addBody(const std::shared_ptr<ExcEntity>& v);

    TRX_JSON_RECORD(ExcPMICapture);

private:

    bool m_captureHidden = false;
    bool m_current = false;
    std::wstring m_hiddenText;
    bool m_manageHideShow = false;
    std::shared_ptr<ExcCamera> m_camera;
    std::shared_ptr<ExcClippingPlane> m_clippingPlane;
    std::vector<std::wstring> m_annotationIds;
    ExcEntities m_constructedGeometry;
    ExcEntities m_bodies;
};

// The views and captures of one block under a drafting standard.
class TRX_API ExcPMIAnnotationSet : public IJsonObject {
public:
    using Views = std::vector<std::shared_ptr<ExcPMIAnnotationView>>;
    using Captures = std::vector<std::shared_ptr<ExcPMICapture>>;

    std::uint64_t blockId() const { return m_blockId; }
    void setBlockId(std::uint64_t v) { m_blockId = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    const std::wstring& standart() const { return m_standart; }
    void setStandart(const std::wstring& v) { m_standart = v; }
    const Views& views() const { return m_views; }
    void addView(const std::shared_ptr<ExcPMIAnnotationView>& v);
    const Captures& captures() const { return m_captures; }
    void addCapture(const std::shared_ptr<ExcPMICapture>& v);
    const ExcEntities& constructedGeometry() const { return m_constructedGeometry; }
    void addConstructedGeometry(const std::shared_ptr<ExcEntity>& v);

    TRX_JSON_RECORD(ExcPMIAnnotationSet);

private:

    std::uint64_t m_blockId = 0;
    std::wstring m_name;
    bool m_hidden = false;
    std::wstring m_standart;
    Views m_views;
    Captures m_captures;
    ExcEntities m_constructedGeometry;
};

// The annotation sets of a block or of the whole model; travels as a bare array.
class TRX_API ExcPMIData : public IJsonObject {
public:
    using AnnotationSets = std::vector<std::shared_ptr<ExcPMIAnnotationSet>>;

    const AnnotationSets& annotationSets() const { return m_annotationSets; }
    void addAnnotationSet(const std::shared_ptr<ExcPMIAnnotationSet>& v);

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    void writeBinary(detail::BinaryWriter& out) const override;
    void readBinary(detail::BinaryReader& in) override;

    bool operator==(const ExcPMIData& o) const;
    bool operator!=(const ExcPMIData& o) const { return !(*this == o); }

private:
    AnnotationSets m_annotationSets;
};

}  // namespace trx
