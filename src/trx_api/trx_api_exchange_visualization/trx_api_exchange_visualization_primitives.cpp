#include "../trx_api_exchange_visualization_primitives.h"


#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(EVisuGeometryType, unknown, part, construction, fta_constructed);
TRX_ENUM(ExcVisuEdge::ELineType, unknown, line_strip, line_loop, line_loop_filled);
TRX_ENUM(EVisuMarkerStyle, NOTUSED, CROSS, PLUS, CONCENTRIC, COINCIDENT, FULLCIRCLE, FULLSQUARE,
    STAR, DOT, SMALLDOT, MISC1, MISC2, FULLCIRCLE2, FULLSQUARE2, OPEN_ARROW, UNFILLED_ARROW,
    BLANKED_ARROW, FILLED_ARROW, UNFILLED_CIRCLE, BLANKED_CIRCLE, FILLED_CIRCLE, CROSSED_CIRCLE,
    BLANKED_SQUARE, FILLED_SQUARE, BLANKED_TRIANGLE, FILLED_TRIANGLE, MANIPULATOR_SQUARE,
    MANIPULATOR_DIAMOND, MANIPULATOR_CIRCLE, MANIPULATOR_TRIANGLE, DOUBLE_OPEN_ARROW, WAVE,
    DOUBLE_FILLED_ARROW, FULLDOUBLEROTATEARROWBLACKBORDER, FULLSQUAREBLACKBORDER,
    FULLDIAMONDBLACKBORDER, FULLCIRCLEBLACKBORDER, DOUBLE_UNFILLED_ARROW, DOUBLE_BLANKED_ARROW,
    FORE_SLASH, BACK_SLASH, INTEGRAL, UNFILLED_DOT, FILLED_DOT, UNFILLED_SQUARE, TOP_OPEN_ARROW,
    BOTTOM_OPEN_ARROW, TOP_FILLED_ARROW, BOTTOM_FILLED_ARROW, UNFILLED_TRIANGLE);

using detail::logText;

// ---- face, edge ---------------------------------------------------------------------

std::vector<std::uint32_t> ExcVisuFace::packPolygons(const Polygons& polygons) {
    std::size_t total = 0;
    for (const auto& p : polygons) total += 2 + p.indices.size();
    std::vector<std::uint32_t> words;
    words.reserve(total);
    for (const auto& p : polygons) {
        words.push_back(p.type);
        words.push_back(static_cast<std::uint32_t>(p.indices.size()));
        words.insert(words.end(), p.indices.begin(), p.indices.end());
    }
    return words;
}

std::size_t ExcVisuFace::unpackPolygons(const std::vector<std::uint32_t>& words, Polygons& polygons) {
    // A record is whole when its type, its count and all its indices are there.
    const auto wholeRecords = [&](auto&& take) {
        const std::size_t n = words.size();
        std::size_t i = 0;
        while (n - i >= 2) {
            const std::size_t count = words[i + 1];
            if (count > n - i - 2) break;
            take(i, count);
            i += 2 + count;
        }
        return i;
    };
    std::size_t records = 0;
    wholeRecords([&](std::size_t, std::size_t) { ++records; });
    polygons.reserve(polygons.size() + records);
    return wholeRecords([&](std::size_t i, std::size_t count) {
        Polygon p;
        p.type = words[i];
        const auto first = words.begin() + static_cast<std::ptrdiff_t>(i + 2);
        p.indices.assign(first, first + static_cast<std::ptrdiff_t>(count));
        polygons.push_back(std::move(p));
    });
}

namespace {

// Polygons travel packed (see packPolygons) or as an array of {"type", "indices"}; both
// forms append. Packed words that end inside a polygon were damaged on their way.
template <class List>
struct PackedPolygons : json::FieldAdapter {
    List& polygons;
    const wchar_t* key;

    bool present() const { return !polygons.empty(); }
    void read(const JsonValue& m) const {
        if (m.IsString()) {
            std::vector<std::uint32_t> words;
            json::unpackText(m, words, "ExcVisuFace", key);
            takeWords(words);
        } else if (m.IsArray()) {
            polygons.reserve(polygons.size() + m.Size());
            for (const auto& item : m.GetArray()) {
                if (!item.IsObject()) {
                    logText(vx_bridge::kWarning, "ExcVisuFace: polygons array item should be an object.");
                    continue;
                }
                ExcVisuFace::Polygon& p = polygons.emplace_back();
                // Any 32-bit value, as in the packed form.
                if (const JsonValue* type = json::member(item, L"type"); type && type->IsUint())
                    p.type = type->GetUint();
                else if (type && type->IsInt())
                    p.type = static_cast<std::uint32_t>(type->GetInt());
                if (const JsonValue* indices = json::member(item, L"indices"); indices && indices->IsArray())
                    json::appendNumbers(*indices, p.indices);
            }
        } else {
            json::logUnpackable("ExcVisuFace", key);
        }
    }
    void readBinary(detail::BinaryReader& in) const {
        if (in.peek() != detail::BinaryReader::Kind::string)
            return in.throughValue([&](const JsonValue& m) { read(m); });
        std::vector<std::uint32_t> words;
        json::unpackText(in, words, "ExcVisuFace", key);
        takeWords(words);
    }
    void takeWords(const std::vector<std::uint32_t>& words) const {
        if (ExcVisuFace::unpackPolygons(words, polygons) != words.size())
            json::packedDamaged("ExcVisuFace", key, "the last polygon is cut short");
    }
    JsonValue write(JsonAllocator& a) const { return json::packedText(ExcVisuFace::packPolygons(polygons), a); }
    void emit(detail::BinaryWriter& out) const {
        const std::vector<std::uint32_t> words = ExcVisuFace::packPolygons(polygons);
        out.packedText(words.data(), words.size() * sizeof(words[0]));
    }
    template <class G>
    void members(G&& g) const { g(polygons); }
};

template <class F, class List>
void packedPolygons(F&& f, const wchar_t* key, List& polygons) {
    f(key, PackedPolygons<List>{{}, polygons, key});
}

}  // namespace

TRX_FIELDS(ExcVisuFace, IJsonObject) {
    json::packed(f, L"vertices", s.m_vertices, "ExcVisuFace", 3);  // x y z
    json::packed(f, L"normals", s.m_normals, "ExcVisuFace", 3);
    packedPolygons(f, L"polygons", s.m_polygons);
    f(L"color", s.m_color);
    f(L"mechanical_id", s.m_mechanicalId);
    f(L"id", s.m_id);
}

TRX_FIELDS(ExcVisuEdge, IJsonObject) {
    json::packed(f, L"points", s.m_points, "ExcVisuEdge");
    json::packed(f, L"line_indices", s.m_lineIndices, "ExcVisuEdge");
    f(L"line_type", s.m_lineType);
    f(L"color", s.m_color);
    f(L"mechanical_id", s.m_mechanicalId);
}

// ---- text, points -------------------------------------------------------------------

TRX_FIELDS(ExcVisuText, IJsonObject) {
    f(L"text", s.m_text);
    f(L"anchor_point", s.m_anchorPoint);
    f(L"direction", s.m_direction);
    f(L"normal", s.m_normal);
    f(L"color", s.m_color);
    f(L"font", s.m_font);
}

// Small lists: plain arrays, never packed.
TRX_FIELDS(ExcVisuPoints, IJsonObject) {
    f(L"points", json::numberArray(s.m_points));
    f(L"point_indices", json::numberArray(s.m_pointIndices));
    f(L"marker_style", s.m_markerStyle);
    f(L"color", s.m_color);
}

// ---- grouping primitives ------------------------------------------------------------

namespace {

template <class T>
std::vector<std::shared_ptr<T>> cloned(const std::vector<std::shared_ptr<T>>& list) {
    std::vector<std::shared_ptr<T>> copies;
    copies.reserve(list.size());
    for (const auto& item : list) copies.push_back(item ? item->clone() : nullptr);
    return copies;
}

const char kMeshNullFace[] = "ExcVisuMesh: attempt to add null Visu Face object.";
const char kMeshNullEdge[] = "ExcVisuMesh: attempt to add null Visu Edge object.";
const char kWireNullEdge[] = "ExcVisuWire: attempt to add null Visu Edge object.";
const char kPointSetNullPoints[] = "ExcVisuPointSet: attempt to add null Visu Points object.";
const char kPmiNullEdge[] = "ExcVisuPMI: attempt to add null Visu Edge object.";
const char kPmiNullText[] = "ExcVisuPMI: attempt to add null Visu Text object.";
const char kPmiNullLinked[] = "ExcVisuPMI: attempt to add null Linked Element object.";

}  // namespace

void ExcVisuMesh::addFace(const std::shared_ptr<ExcVisuFace>& face) { json::addOrRefuse(m_faces, face, kMeshNullFace); }
void ExcVisuMesh::addFaces(const Faces& faces) {
    for (const auto& f : faces) json::addOrRefuse(m_faces, f, kMeshNullFace);
}
void ExcVisuMesh::addEdge(const std::shared_ptr<ExcVisuEdge>& edge) { json::addOrRefuse(m_edges, edge, kMeshNullEdge); }
void ExcVisuMesh::addEdges(const Edges& edges) {
    for (const auto& e : edges) json::addOrRefuse(m_edges, e, kMeshNullEdge);
}

std::shared_ptr<ExcVisuMesh> ExcVisuMesh::clone() const {
    auto copy = std::make_shared<ExcVisuMesh>(*this);
    copy->m_faces = cloned(m_faces);
    copy->m_edges = cloned(m_edges);
    return copy;
}

TRX_FIELDS(ExcVisuMesh, IJsonObject) {
    headerFields(s, f);
    f(L"geometry_type", s.m_geometryType);
    f(L"faces", s.m_faces, !s.m_faces.empty());
    f(L"edges", s.m_edges, !s.m_edges.empty());
}

void ExcVisuWire::addEdge(const std::shared_ptr<ExcVisuEdge>& edge) { json::addOrRefuse(m_edges, edge, kWireNullEdge); }
void ExcVisuWire::addEdges(const Edges& edges) {
    for (const auto& e : edges) json::addOrRefuse(m_edges, e, kWireNullEdge);
}

std::shared_ptr<ExcVisuWire> ExcVisuWire::clone() const {
    auto copy = std::make_shared<ExcVisuWire>(*this);
    copy->m_edges = cloned(m_edges);
    return copy;
}

TRX_FIELDS(ExcVisuWire, IJsonObject) {
    headerFields(s, f);
    f(L"geometry_type", s.m_geometryType);
    f(L"edges", s.m_edges, !s.m_edges.empty());
}

void ExcVisuPointSet::addPoints(const std::shared_ptr<ExcVisuPoints>& points) {
    json::addOrRefuse(m_points, points, kPointSetNullPoints);
}
void ExcVisuPointSet::addPoints(const PointsList& points) {
    for (const auto& p : points) json::addOrRefuse(m_points, p, kPointSetNullPoints);
}

TRX_FIELDS(ExcVisuPointSet, IJsonObject) {
    headerFields(s, f);
    f(L"geometry_type", s.m_geometryType);
    f(L"points", s.m_points, !s.m_points.empty());
}

void ExcVisuPMI::addEdge(const std::shared_ptr<ExcVisuEdge>& edge) { json::addOrRefuse(m_edges, edge, kPmiNullEdge); }
void ExcVisuPMI::addEdges(const Edges& edges) {
    for (const auto& e : edges) json::addOrRefuse(m_edges, e, kPmiNullEdge);
}
void ExcVisuPMI::addText(const std::shared_ptr<ExcVisuText>& text) { json::addOrRefuse(m_texts, text, kPmiNullText); }
void ExcVisuPMI::addTexts(const Texts& texts) {
    for (const auto& t : texts) json::addOrRefuse(m_texts, t, kPmiNullText);
}
void ExcVisuPMI::addLinkedElement(const std::shared_ptr<ExcEntity>& element) {
    json::addOrRefuse(m_linkedElements, element, kPmiNullLinked);
}

TRX_FIELDS(ExcVisuPMI, IJsonObject) {
    headerFields(s, f);
    f(L"edges", s.m_edges, !s.m_edges.empty());
    f(L"texts", s.m_texts, !s.m_texts.empty());
    // Written as well as read: dropping them would lose the links on every round trip.
    f(L"linked_elements", s.m_linkedElements, !s.m_linkedElements.empty());
}

}  // namespace trx
