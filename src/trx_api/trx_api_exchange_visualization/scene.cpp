#include "../trx_api_exchange_visualization.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "visu_detail.h"

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

void ExcVisuNode::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuNode");
}

void ExcVisuNode::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuNode::operator==(const ExcVisuNode& o) const {
    return m_leaf == o.m_leaf && m_type == o.m_type && m_groupName == o.m_groupName &&
           detail::samePointee(m_attributes, o.m_attributes) &&
           detail::samePointee(m_transformation, o.m_transformation) && detail::samePointee(m_mesh, o.m_mesh) &&
           detail::samePointee(m_wire, o.m_wire) && detail::samePointee(m_pmi, o.m_pmi) &&
           detail::samePointee(m_pointSet, o.m_pointSet) && detail::sameItems(m_childNodes, o.m_childNodes);
}

// ---- view, capture ------------------------------------------------------------------

void ExcVisuView::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuView");
}

void ExcVisuView::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

void ExcVisuCapture::addLinkedElement(const std::shared_ptr<ExcEntity>& element) {
    json::addOrRefuse(m_linkedElements, element, kCaptureNullLinked);
}

void ExcVisuCapture::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuCapture");
}

void ExcVisuCapture::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuCapture::operator==(const ExcVisuCapture& o) const {
    return sameHeader(o) && m_hidden == o.m_hidden && m_active == o.m_active && m_hiddenText == o.m_hiddenText &&
           m_clippingPlane == o.m_clippingPlane && m_camera == o.m_camera && m_annotationIds == o.m_annotationIds &&
           m_ftaConstructedGeometryIds == o.m_ftaConstructedGeometryIds &&
           detail::sameItems(m_linkedElements, o.m_linkedElements);
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

void ExcVisualizationData::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisualizationData");
}

void ExcVisualizationData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisualizationData::operator==(const ExcVisualizationData& o) const {
    return m_units == o.m_units && detail::sameItems(m_sceneRootNodes, o.m_sceneRootNodes) &&
           detail::sameItems(m_views, o.m_views) && detail::sameItems(m_captures, o.m_captures);
}

// ---- exchange objects ---------------------------------------------------------------

void ExcBlockVisualization::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcBlockVisualization");
}

void ExcBlockVisualization::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcBlockVisualization::operator==(const ExcBlockVisualization& o) const {
    return m_blockId == o.m_blockId && detail::samePointee(m_visualizationData, o.m_visualizationData);
}

void ExcRootAssemblyVisualization::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcRootAssemblyVisualization");
}

void ExcRootAssemblyVisualization::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcRootAssemblyVisualization::operator==(const ExcRootAssemblyVisualization& o) const {
    return detail::samePointee(m_visualizationData, o.m_visualizationData);
}

}  // namespace trx
