#pragma once

// The visualization model: a scene graph of typed nodes carrying attributes, a placement and
// at most one primitive each; annotation views; saved captures; and the exchange objects
// that carry one block's visualization or the whole assembly's.

#include <memory>
#include <string>
#include <vector>

#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_exchange_object.h"
#include "trx_api_exchange_visualization_attributes.h"
#include "trx_api_exchange_visualization_camera.h"
#include "trx_api_exchange_visualization_primitives.h"

namespace trx {

class TRX_API ExcVisuNode : public IJsonObject {
public:
    enum class EType : int {
        UNDEFINED, ROOT, GROUP, GEOMETRY, MESHES, MESH, WIRES, WIRE, POINTS, POINTSET, PMI,
        FTA_CONSTRUCTED_GEOMETRY, NOTES, NOTE, FLAGNOTE, NOA, DATUMS, DATUM_SIMPLE, DATUM_TARGET,
        DATUM_UNKNOWN, DIMENSIONS, DIMENSION_BASIC, DIMENSION_LENGTH, DIMENSION_DISTANCE, DIMENSION_LINEAR,
        DIMENSION_ORIENTED_LINEAR, DIMENSION_DIAMETER, DIMENSION_RADIUS, DIMENSION_ANGLE,
        DIMENSION_ORIENTED_ANGLE, DIMENSION_COORDINATE_3D, DIMENSION_CHAMFER, DIMENSION_UNKNOWN, GEOMTOLS,
        GEOMTOL_STRAIGHTNESS, GEOMTOL_FLATNESS, GEOMTOL_CIRCULARITY, GEOMTOL_CYLINDRICITY,
        GEOMTOL_PROFILE_LINE, GEOMTOL_PROFILE_SURFACE, GEOMTOL_COMP_PROFILE_SURFACE, GEOMTOL_PATTERN_LOCATION,
        GEOMTOL_PARALLELISM, GEOMTOL_ANGULARITY, GEOMTOL_PERPENDICULARITY, GEOMTOL_POSITION,
        GEOMTOL_POSITION_LINE, GEOMTOL_POSITION_SURFACE, GEOMTOL_COMP_POSITION, GEOMTOL_TOLERANCE,
        GEOMTOL_CONCENTRICITY, GEOMTOL_SYMMETRY, GEOMTOL_RUNOUT_CIRCULAR, GEOMTOL_RUNOUT_TOTAL,
        GEOMTOL_NOTE_ONLY, GEOMTOL_UNKNOWN, ROUGHNESSES, ROUGHNESS, DRAWINGSHEET, ACTIVEDRAWINGSHEET,
        DRAWINGSHEETS
    };
    using Nodes = std::vector<std::shared_ptr<ExcVisuNode>>;

    bool isLeaf() const { return m_leaf; }
    void setLeaf(bool v) { m_leaf = v; }
    EType type() const { return m_type; }
    void setType(EType v) { m_type = v; }
    const std::wstring& groupName() const { return m_groupName; }
    void setGroupName(const std::wstring& v) { m_groupName = v; }
    const std::shared_ptr<ExcVisuAttributes>& attributes() const { return m_attributes; }
    void setAttributes(const std::shared_ptr<ExcVisuAttributes>& v) { m_attributes = v; }
    const std::shared_ptr<ExcTransformation>& transformation() const { return m_transformation; }
    void setTransformation(const std::shared_ptr<ExcTransformation>& v) { m_transformation = v; }
    const std::shared_ptr<ExcVisuMesh>& mesh() const { return m_mesh; }
    void setMesh(const std::shared_ptr<ExcVisuMesh>& v) { m_mesh = v; }
    const std::shared_ptr<ExcVisuWire>& wire() const { return m_wire; }
    void setWire(const std::shared_ptr<ExcVisuWire>& v) { m_wire = v; }
    const std::shared_ptr<ExcVisuPMI>& pmi() const { return m_pmi; }
    void setPMI(std::shared_ptr<ExcVisuPMI> v) { m_pmi = std::move(v); }
    const std::shared_ptr<ExcVisuPointSet>& pointSet() const { return m_pointSet; }
    void setPointSet(const std::shared_ptr<ExcVisuPointSet>& v) { m_pointSet = v; }
    const Nodes& childNodes() const { return m_childNodes; }
    void setChildNodes(const Nodes& v) { m_childNodes = v; }
    void addChildNode(const std::shared_ptr<ExcVisuNode>& node);
    void addChildNodes(const Nodes& nodes);

    // The whole subtree, by value and in child order.
    TRX_JSON_RECORD(ExcVisuNode);

private:
    bool m_leaf = false;
    EType m_type = EType::UNDEFINED;
    std::wstring m_groupName;
    std::shared_ptr<ExcVisuAttributes> m_attributes;
    std::shared_ptr<ExcTransformation> m_transformation;
    std::shared_ptr<ExcVisuMesh> m_mesh;
    std::shared_ptr<ExcVisuWire> m_wire;
    std::shared_ptr<ExcVisuPMI> m_pmi;
    std::shared_ptr<ExcVisuPointSet> m_pointSet;
    Nodes m_childNodes;
};

// A named annotation plane: origin and two in-plane directions.
class TRX_API ExcVisuView : public ExcVisuItem {
public:
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    const ExcVector3d& origin() const { return m_origin; }
    void setOrigin(const ExcVector3d& v) { m_origin = v; }
    const ExcVector3d& directionU() const { return m_directionU; }
    void setDirectionU(const ExcVector3d& v) { m_directionU = v; }
    const ExcVector3d& directionV() const { return m_directionV; }
    void setDirectionV(const ExcVector3d& v) { m_directionV = v; }
    const std::vector<std::wstring>& annotationIds() const { return m_annotationIds; }
    void setAnnotationIds(const std::vector<std::wstring>& v) { m_annotationIds = v; }
    void addAnnotationId(const std::wstring& id) { m_annotationIds.push_back(id); }

    TRX_JSON_RECORD(ExcVisuView);

private:
    bool m_hidden = false;
    ExcVector3d m_origin;
    ExcVector3d m_directionU;
    ExcVector3d m_directionV;
    std::vector<std::wstring> m_annotationIds;
};

// A saved view: camera, clipping and what is shown.
class TRX_API ExcVisuCapture : public ExcVisuItem {
public:
    using Ids = std::vector<std::wstring>;

    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    bool isActive() const { return m_active; }
    void setActive(bool v) { m_active = v; }
    const std::wstring& hiddenText() const { return m_hiddenText; }
    void setHiddenText(const std::wstring& v) { m_hiddenText = v; }
    const ExcClippingPlane& clippingPlane() const { return m_clippingPlane; }
    void setClippingPlane(const ExcClippingPlane& v) { m_clippingPlane = v; }
    const ExcCamera& camera() const { return m_camera; }
    void setCamera(const ExcCamera& v) { m_camera = v; }
    const Ids& annotationIds() const { return m_annotationIds; }
    void setAnnotationIds(const Ids& v) { m_annotationIds = v; }
    void addAnnotationId(const std::wstring& id) { m_annotationIds.push_back(id); }
    const Ids& ftaConstructedGeometryIds() const { return m_ftaConstructedGeometryIds; }
    void setFtaConstructedGeometryIds(const Ids& v) { m_ftaConstructedGeometryIds = v; }
    void addFtaConstructedGeometryIds(const std::wstring& id) { m_ftaConstructedGeometryIds.push_back(id); }
    // The bodies the capture involves.
    const ExcEntities& linkedElements() const { return m_linkedElements; }
    void setLinkedElements(const ExcEntities& v) { m_linkedElements = v; }
    void addLinkedElement(const std::shared_ptr<ExcEntity>& element);

    TRX_JSON_RECORD(ExcVisuCapture);

private:
    bool m_hidden = false;
    bool m_active = false;
    std::wstring m_hiddenText;
    ExcClippingPlane m_clippingPlane;
    ExcCamera m_camera;
    Ids m_annotationIds;
    Ids m_ftaConstructedGeometryIds;
    ExcEntities m_linkedElements;
};

// Root nodes, views and captures, in one length unit.
class TRX_API ExcVisualizationData : public IJsonObject {
public:
    using Nodes = std::vector<std::shared_ptr<ExcVisuNode>>;
    using Views = std::vector<std::shared_ptr<ExcVisuView>>;
    using Captures = std::vector<std::shared_ptr<ExcVisuCapture>>;

    const Nodes& sceneRootNodes() const { return m_sceneRootNodes; }
    void setSceneRootNodes(const Nodes& v) { m_sceneRootNodes = v; }
    void addSceneRootNode(const std::shared_ptr<ExcVisuNode>& node);
    void addSceneRootNodes(const Nodes& nodes);
    ELengthUnitType units() const { return m_units; }
    void setUnits(ELengthUnitType v) { m_units = v; }
    const Views& views() const { return m_views; }
    void setViews(const Views& v) { m_views = v; }
    void addView(const std::shared_ptr<ExcVisuView>& view);
    void addViews(const Views& views);
    const Captures& captures() const { return m_captures; }
    void setCaptures(const Captures& v) { m_captures = v; }
    void addCapture(const std::shared_ptr<ExcVisuCapture>& capture);
    void addCaptures(const Captures& captures);

    TRX_JSON_RECORD(ExcVisualizationData);

private:
    Nodes m_sceneRootNodes;
    ELengthUnitType m_units = ELengthUnitType::unknown;
    Views m_views;
    Captures m_captures;
};

// One block's visualization; travels compressed through a shared buffer.
class TRX_API ExcBlockVisualization : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcBlockVisualization)
    bool binary() const override { return true; }
    bool compress() const override { return true; }

    std::uint64_t blockId() const { return m_blockId; }
    void setBlockId(std::uint64_t v) { m_blockId = v; }
    const std::shared_ptr<ExcVisualizationData>& visualizationData() const { return m_visualizationData; }
    void setVisualizationData(const std::shared_ptr<ExcVisualizationData>& v) { m_visualizationData = v; }

    // The carried data by value; the buffer name and load state are not part of it.
    TRX_JSON_RECORD(ExcBlockVisualization);

private:
    std::uint64_t m_blockId = 0;
    std::shared_ptr<ExcVisualizationData> m_visualizationData;
};

// The visualization of the whole assembly; travels like a block's.
class TRX_API ExcRootAssemblyVisualization : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcRootAssemblyVisualization)
    bool binary() const override { return true; }
    bool compress() const override { return true; }

    const std::shared_ptr<ExcVisualizationData>& visualizationData() const { return m_visualizationData; }
    void setVisualizationData(const std::shared_ptr<ExcVisualizationData>& v) { m_visualizationData = v; }

    TRX_JSON_RECORD(ExcRootAssemblyVisualization);

private:
    std::shared_ptr<ExcVisualizationData> m_visualizationData;
};

}  // namespace trx
