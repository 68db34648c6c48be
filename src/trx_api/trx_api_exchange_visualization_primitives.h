#pragma once

// Tessellated display geometry hung on scene-graph nodes: triangulated faces and polylines
// grouped into meshes, wires, display texts, PMI display objects and point markers.
//
// Vertex, normal, point and index lists of faces and edges are held as 32-bit values and
// travel as one Base64 string each (little-endian words); the plain array form is read too.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_exchange_visualization_attributes.h"

namespace trx {

enum class EVisuGeometryType : int { unknown = 0, part = 1, construction = 2, fta_constructed = 3 };

enum class EVisuMarkerStyle : int {
    NOTUSED = 0, CROSS = 1, PLUS = 2, CONCENTRIC = 3, COINCIDENT = 4, FULLCIRCLE = 5, FULLSQUARE = 6,
    STAR = 7, DOT = 8, SMALLDOT = 9, MISC1 = 10, MISC2 = 11, FULLCIRCLE2 = 12, FULLSQUARE2 = 13,
    OPEN_ARROW = 14, UNFILLED_ARROW = 15, BLANKED_ARROW = 16, FILLED_ARROW = 17, UNFILLED_CIRCLE = 18,
    BLANKED_CIRCLE = 19, FILLED_CIRCLE = 20, CROSSED_CIRCLE = 21, BLANKED_SQUARE = 22, FILLED_SQUARE = 23,
    BLANKED_TRIANGLE = 24, FILLED_TRIANGLE = 25, MANIPULATOR_SQUARE = 26, MANIPULATOR_DIAMOND = 27,
    MANIPULATOR_CIRCLE = 28, MANIPULATOR_TRIANGLE = 29, DOUBLE_OPEN_ARROW = 30, WAVE = 31,
    DOUBLE_FILLED_ARROW = 32, FULLDOUBLEROTATEARROWBLACKBORDER = 33, FULLSQUAREBLACKBORDER = 34,
    FULLDIAMONDBLACKBORDER = 35, FULLCIRCLEBLACKBORDER = 36,
    DOUBLE_UNFILLED_ARROW = 2001, DOUBLE_BLANKED_ARROW = 2002, FORE_SLASH = 2003, BACK_SLASH = 2004,
    INTEGRAL = 2005, UNFILLED_DOT = 2006, FILLED_DOT = 2007, UNFILLED_SQUARE = 2008, TOP_OPEN_ARROW = 2009,
    BOTTOM_OPEN_ARROW = 2010, TOP_FILLED_ARROW = 2011, BOTTOM_FILLED_ARROW = 2012, UNFILLED_TRIANGLE = 2013
};

// A triangulated face: coordinates, normals and polygons over them.
class TRX_API ExcVisuFace : public IJsonObject {
public:
    // The type is carried as given; indices point into the vertex list.
    struct Polygon {
        std::uint32_t type = 0;
        std::vector<int> indices;
        bool operator==(const Polygon& o) const { return type == o.type && indices == o.indices; }
        bool operator!=(const Polygon& o) const { return !(*this == o); }
    };
    using Polygons = std::vector<Polygon>;

    const std::vector<float>& vertices() const { return m_vertices; }
    void setVertices(const std::vector<float>& v) { m_vertices = v; }
    void setVertices(std::vector<float>&& v) { m_vertices = std::move(v); }
    const std::vector<float>& normals() const { return m_normals; }
    void setNormals(const std::vector<float>& v) { m_normals = v; }
    void setNormals(std::vector<float>&& v) { m_normals = std::move(v); }
    const Polygons& polygons() const { return m_polygons; }
    void setPolygons(const Polygons& v) { m_polygons = v; }
    void setPolygons(Polygons&& v) { m_polygons = std::move(v); }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    const std::wstring& mechanicalId() const { return m_mechanicalId; }
    void setMechanicalId(const std::wstring& v) { m_mechanicalId = v; }
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    std::shared_ptr<ExcVisuFace> clone() const { return std::make_shared<ExcVisuFace>(*this); }

    // The packed form of polygons: per polygon its type, its index count, then the indices.
    static std::vector<std::uint32_t> packPolygons(const Polygons& polygons);
    // Appends the polygons of every whole record and gives the words they took; words after
    // the last whole record are ignored, never read past.
    static std::size_t unpackPolygons(const std::vector<std::uint32_t>& words, Polygons& polygons);

    TRX_JSON_RECORD(ExcVisuFace);

private:
    std::vector<float> m_vertices;
    std::vector<float> m_normals;
    Polygons m_polygons;
    ExcColor m_color;
    std::wstring m_mechanicalId;
    std::wstring m_id;
};

// A polyline set: points and the indices that connect them.
class TRX_API ExcVisuEdge : public IJsonObject {
public:
    enum class ELineType : int { unknown = 0, line_strip = 1, line_loop = 2, line_loop_filled = 3 };

    const std::vector<float>& points() const { return m_points; }
    void setPoints(const std::vector<float>& v) { m_points = v; }
    void setPoints(std::vector<float>&& v) { m_points = std::move(v); }
    const std::vector<int>& lineIndices() const { return m_lineIndices; }
    void setLineIndices(const std::vector<int>& v) { m_lineIndices = v; }
    void setLineIndices(std::vector<int>&& v) { m_lineIndices = std::move(v); }
    ELineType lineType() const { return m_lineType; }
    void setLineType(ELineType v) { m_lineType = v; }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    const std::wstring& mechanicalId() const { return m_mechanicalId; }
    void setMechanicalId(const std::wstring& v) { m_mechanicalId = v; }
    std::shared_ptr<ExcVisuEdge> clone() const { return std::make_shared<ExcVisuEdge>(*this); }

    TRX_JSON_RECORD(ExcVisuEdge);

private:
    std::vector<float> m_points;
    std::vector<int> m_lineIndices;
    ELineType m_lineType = ELineType::unknown;
    ExcColor m_color;
    std::wstring m_mechanicalId;
};

// A display text placed in model space.
class TRX_API ExcVisuText : public IJsonObject {
public:
    const std::wstring& text() const { return m_text; }
    void setText(const std::wstring& v) { m_text = v; }
    const ExcVector3d& anchorPoint() const { return m_anchorPoint; }
    void setAnchorPoint(const ExcVector3d& v) { m_anchorPoint = v; }
    const ExcVector3d& direction() const { return m_direction; }
    void setDirection(const ExcVector3d& v) { m_direction = v; }
    const ExcVector3d& normal() const { return m_normal; }
    void setNormal(const ExcVector3d& v) { m_normal = v; }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    const ExcVisuFont& font() const { return m_font; }
    void setFont(const ExcVisuFont& v) { m_font = v; }

    TRX_JSON_RECORD(ExcVisuText);

private:
    std::wstring m_text;
    ExcVector3d m_anchorPoint;
    ExcVector3d m_direction;
    ExcVector3d m_normal;
    ExcColor m_color;
    ExcVisuFont m_font;
};

// Point markers. Small lists: they travel as plain JSON arrays.
class TRX_API ExcVisuPoints : public IJsonObject {
public:
    const std::vector<float>& points() const { return m_points; }
    void setPoint(const std::vector<float>& v) { m_points = v; }
    void setPoint(std::vector<float>&& v) { m_points = std::move(v); }
    void setPoints(const std::vector<float>& v) { m_points = v; }
    void setPoints(std::vector<float>&& v) { m_points = std::move(v); }
    const std::vector<int>& pointIndices() const { return m_pointIndices; }
    void setPointIndices(const std::vector<int>& v) { m_pointIndices = v; }
    void setPointIndices(std::vector<int>&& v) { m_pointIndices = std::move(v); }
    EVisuMarkerStyle markerStyle() const { return m_markerStyle; }
    void setMarkerStyle(EVisuMarkerStyle v) { m_markerStyle = v; }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }

    TRX_JSON_RECORD(ExcVisuPoints);

private:
    std::vector<float> m_points;
    std::vector<int> m_pointIndices;
    EVisuMarkerStyle m_markerStyle = EVisuMarkerStyle::NOTUSED;
    ExcColor m_color;
};

// The names every grouping primitive, view and capture starts with.
class TRX_API ExcVisuItem : public IJsonObject {
public:
    const std::wstring& displayName() const { return m_displayName; }
    void setDisplayName(const std::wstring& v) { m_displayName = v; }
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    const std::wstring& mechanicalId() const { return m_mechanicalId; }
    void setMechanicalId(const std::wstring& v) { m_mechanicalId = v; }

protected:
    // The keys of these names, first in the key list of each record built on the item.
    template <class Self, class F> static void headerFields(Self& s, F& f) {
        f(L"display_name", s.m_displayName);
        f(L"id", s.m_id);
        f(L"mechanical_id", s.m_mechanicalId);
    }

private:
    std::wstring m_displayName;
    std::wstring m_id;
    std::wstring m_mechanicalId;
};

class TRX_API ExcVisuMesh : public ExcVisuItem {
public:
    using Faces = std::vector<std::shared_ptr<ExcVisuFace>>;
    using Edges = std::vector<std::shared_ptr<ExcVisuEdge>>;

    EVisuGeometryType geometryType() const { return m_geometryType; }
    void setGeometryType(EVisuGeometryType v) { m_geometryType = v; }
    const Faces& faces() const { return m_faces; }
    void setFaces(const Faces& v) { m_faces = v; }
    void addFace(const std::shared_ptr<ExcVisuFace>& face);
    void addFaces(const Faces& faces);
    const Edges& edges() const { return m_edges; }
    void setEdges(const Edges& v) { m_edges = v; }
    void addEdge(const std::shared_ptr<ExcVisuEdge>& edge);
    void addEdges(const Edges& edges);
    // A copy that owns copies of the faces and edges.
    std::shared_ptr<ExcVisuMesh> clone() const;

    TRX_JSON_RECORD(ExcVisuMesh);

private:
    EVisuGeometryType m_geometryType = EVisuGeometryType::unknown;
    Faces m_faces;
    Edges m_edges;
};

class TRX_API ExcVisuWire : public ExcVisuItem {
public:
    using Edges = std::vector<std::shared_ptr<ExcVisuEdge>>;

    EVisuGeometryType geometryType() const { return m_geometryType; }
    void setGeometryType(EVisuGeometryType v) { m_geometryType = v; }
    const Edges& edges() const { return m_edges; }
    void setEdges(const Edges& v) { m_edges = v; }
    void addEdge(const std::shared_ptr<ExcVisuEdge>& edge);
    void addEdges(const Edges& edges);
    // A copy that owns copies of the edges.
    std::shared_ptr<ExcVisuWire> clone() const;

    TRX_JSON_RECORD(ExcVisuWire);

private:
    EVisuGeometryType m_geometryType = EVisuGeometryType::unknown;
    Edges m_edges;
};

class TRX_API ExcVisuPointSet : public ExcVisuItem {
public:
    using PointsList = std::vector<std::shared_ptr<ExcVisuPoints>>;

    EVisuGeometryType geometryType() const { return m_geometryType; }
    void setGeometryType(EVisuGeometryType v) { m_geometryType = v; }
    const PointsList& points() const { return m_points; }
    void setPoints(const PointsList& v) { m_points = v; }
    void addPoints(const std::shared_ptr<ExcVisuPoints>& points);
    void addPoints(const PointsList& points);

    TRX_JSON_RECORD(ExcVisuPointSet);

private:
    EVisuGeometryType m_geometryType = EVisuGeometryType::unknown;
    PointsList m_points;
};

// Lines and texts of one PMI annotation, with the model entities it refers to.
class TRX_API ExcVisuPMI : public ExcVisuItem {
public:
    using Edges = std::vector<std::shared_ptr<ExcVisuEdge>>;
    using Texts = std::vector<std::shared_ptr<ExcVisuText>>;

    const Edges& edges() const { return m_edges; }
    void setEdges(const Edges& v) { m_edges = v; }
    void addEdge(const std::shared_ptr<ExcVisuEdge>& edge);
    void addEdges(const Edges& edges);
    const Texts& texts() const { return m_texts; }
    void setTexts(const Texts& v) { m_texts = v; }
    void addText(const std::shared_ptr<ExcVisuText>& text);
    void addTexts(const Texts& texts);
    const ExcEntities& linkedElements() const { return m_linkedElements; }
    void setLinkedElements(const ExcEntities& v) { m_linkedElements = v; }
    void addLinkedElement(const std::shared_ptr<ExcEntity>& element);

    TRX_JSON_RECORD(ExcVisuPMI);

private:
    Edges m_edges;
    Texts m_texts;
    ExcEntities m_linkedElements;
};

}  // namespace trx
