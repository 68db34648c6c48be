#include "../trx_api_exchange_visualization.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM(ExcVisuNode::EType, UNDEFINED, ROOT, GROUP, GEOMETRY, MESHES, MESH, WIRES, WIRE, POINTS,
    POINTSET, PMI, FTA_CONSTRUCTED_GEOMETRY, NOTES, NOTE, FLAGNOTE, NOA, DATUMS, DATUM_SIMPLE,
    DATUM_TARGET, DATUM_UNKNOWN, DIMENSIONS, DIMENSION_BASIC, DIMENSION_LENGTH, DIMENSION_DISTANCE,
    DIMENSION_LINEAR, DIMENSION_ORIENTED_LINEAR, DIMENSION_DIAMETER, DIMENSION_RADIUS,
    DIMENSION_ANGLE, DIMENSION_ORIENTED_ANGLE, DIMENSION_COORDINATE_3D, DIMENSION_CHAMFER,
    DIMENSION_UNKNOWN, GEOMTOLS, GEOMTOL_STRAIGHTNESS, GEOMTOL_FLATNESS, GEOMTOL_CIRCULARITY,
    GEOMTOL_CYLINDRICITY, GEOMTOL_PROFILE_LINE, GEOMTOL_PROFILE_SURFACE,
    GEOMTOL_COMP_PROFILE_SURFACE, GEOMTOL_PATTERN_LOCATION, GEOMTOL_PARALLELISM,
    GEOMTOL_ANGULARITY, GEOMTOL_PERPENDICULARITY, GEOMTOL_POSITION, GEOMTOL_POSITION_LINE,
    GEOMTOL_POSITION_SURFACE, GEOMTOL_COMP_POSITION, GEOMTOL_TOLERANCE, GEOMTOL_CONCENTRICITY,
    GEOMTOL_SYMMETRY, GEOMTOL_RUNOUT_CIRCULAR, GEOMTOL_RUNOUT_TOTAL, GEOMTOL_NOTE_ONLY,
    GEOMTOL_UNKNOWN, ROUGHNESSES, ROUGHNESS, DRAWINGSHEET, ACTIVEDRAWINGSHEET, DRAWINGSHEETS);

TRX_REGISTER_EXCHANGE_OBJECT(ExcBlockVisualization, L"exc_block_visualization");
TRX_REGISTER_EXCHANGE_OBJECT(ExcRootAssemblyVisualization, L"exc_root_assembly_visualization");

namespace {

const char kNodeNullChild[] = "ExcVisuNode: attempt to add null child Visu Node object.";
const char kDataNullRoot[] = "ExcVisualizationData: attempt to add null Scene Root Visu Node object.";
const char kDataNullView[] = "ExcVisualizationData: attempt to add null Visu View object.";
const char kDataNullCapture[] = "ExcVisualizationData: attempt to add null Visu Capture object.";
const char kCaptureNullLinked[] = "ExcVisuCapture: attempt to add null Linked Element object.";

}  // namespace

// ---- node ---------------------------------------------------------------------------

void ExcVisuNode::addChildNode(const std::shared_ptr<ExcVisuNode>& node) {
    json::addOrRefuse(m_childNodes, node, kNodeNullChild);
}

void ExcVisuNode::addChildNodes(const Nodes& nodes) {
    for (const auto& n : nodes) json::addOrRefuse(m_childNodes, n, kNodeNullChild);
}

TRX_FIELDS(ExcVisuNode, IJsonObject) {
    f(L"is_leaf", s.m_leaf);
    f(L"type", s.m_type);
    f(L"group_name", s.m_groupName);
    f(L"attributes", s.m_attributes);
    f(L"transformation", s.m_transformation);
    f(L"mesh", s.m_mesh);
    f(L"wire", s.m_wire);
    f(L"pmi", s.m_pmi);
    f(L"point_set", s.m_pointSet);
    f(L"child_nodes", s.m_childNodes, !s.m_childNodes.empty());
}

// ---- view, capture ------------------------------------------------------------------

TRX_FIELDS(ExcVisuView, IJsonObject) {
    headerFields(s, f);
    f(L"hidden", s.m_hidden);
    f(L"origin", s.m_origin);
    f(L"direction_u", s.m_directionU);
    f(L"direction_v", s.m_directionV);
    f(L"annotation_ids", s.m_annotationIds, !s.m_annotationIds.empty());
}

void ExcVisuCapture::addLinkedElement(const std::shared_ptr<ExcEntity>& element) {
    json::addOrRefuse(m_linkedElements, element, kCaptureNullLinked);
}

TRX_FIELDS(ExcVisuCapture, IJsonObject) {
    headerFields(s, f);
    f(L"hidden", s.m_hidden);
    f(L"active", s.m_active);
    f(L"hidden_text", s.m_hiddenText);
    f(L"clipping_plane", s.m_clippingPlane);  // null when empty
    f(L"camera", s.m_camera);
    f(L"annotation_ids", s.m_annotationIds, !s.m_annotationIds.empty());
    f(L"fta_constructed_geometry_ids", s.m_ftaConstructedGeometryIds,
      !s.m_ftaConstructedGeometryIds.empty());
    f(L"bodies", s.m_linkedElements, !s.m_linkedElements.empty());
}

// ---- visualization data -------------------------------------------------------------

void ExcVisualizationData::addSceneRootNode(const std::shared_ptr<ExcVisuNode>& node) {
    json::addOrRefuse(m_sceneRootNodes, node, kDataNullRoot);
}

void ExcVisualizationData::addSceneRootNodes(const Nodes& nodes) {
    for (const auto& n : nodes) json::addOrRefuse(m_sceneRootNodes, n, kDataNullRoot);
}

void ExcVisualizationData::addView(const std::shared_ptr<ExcVisuView>& view) {
    json::addOrRefuse(m_views, view, kDataNullView);
}

void ExcVisualizationData::addViews(const Views& views) {
    for (const auto& v : views) json::addOrRefuse(m_views, v, kDataNullView);
}

void ExcVisualizationData::addCapture(const std::shared_ptr<ExcVisuCapture>& capture) {
    json::addOrRefuse(m_captures, capture, kDataNullCapture);
}

void ExcVisualizationData::addCaptures(const Captures& captures) {
    for (const auto& c : captures) json::addOrRefuse(m_captures, c, kDataNullCapture);
}

TRX_FIELDS(ExcVisualizationData, IJsonObject) {
    f(L"scene_root_nodes", s.m_sceneRootNodes, !s.m_sceneRootNodes.empty());
    f(L"units", s.m_units);
    f(L"views", s.m_views, !s.m_views.empty());
    f(L"captures", s.m_captures, !s.m_captures.empty());
}

// ---- exchange objects ---------------------------------------------------------------

TRX_FIELDS(ExcBlockVisualization, IJsonObject) {
    f(L"block_id", s.m_blockId);
    f(L"visualization_data", s.m_visualizationData);
}

TRX_FIELDS(ExcRootAssemblyVisualization, IJsonObject) {
    f(L"visualization_data", s.m_visualizationData);
}

}  // namespace trx
