#include "../trx_api_exchange_visualization_primitives.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

#include "../detail/base64.h"
#include "../detail/bytes.h"
#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "../trx_api_compression.h"
#include "visu_detail.h"

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

// ---- numeric arrays -----------------------------------------------------------------

// The wire form is little-endian; the bytes of our vectors are taken as they stand.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "packed arrays assume a little-endian host");

namespace {

// Out-of-range doubles become infinities, as the hardware would make them (a plain cast
// of such a value is undefined).
float toFloat(double v) {
    if (v > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (v < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

float floatItem(const JsonValue& item) { return item.IsDouble() ? toFloat(item.GetDouble()) : 0.0f; }
int intItem(const JsonValue& item) { return item.IsInt() ? item.GetInt() : 0; }

// Whole lists as one Base64 string each. One scratch, as long as the longest text and not
// cleared, serves every list of a record: encoded once, copied once into the value.
class Packer {
public:
    explicit Packer(std::size_t largestBytes)
        : m_text(detail::base64Length(largestBytes) * sizeof(wchar_t)) {}

    template <class T>
    void put(JsonValue& record, JsonAllocator& a, const wchar_t* key, const std::vector<T>& values) {
        if (values.empty()) return;
        wchar_t* const text = reinterpret_cast<wchar_t*>(m_text.data());
        const std::size_t length = detail::base64Encode(text, values.data(), values.size() * sizeof(T));
        record.AddMember(JsonValue(rapidjson::StringRef(key)),
                         JsonValue(text, static_cast<rapidjson::SizeType>(length), a), a);
    }

private:
    detail::Bytes m_text;
};

template <class... Lists>
std::size_t largestBytes(const Lists&... lists) {
    return std::max({lists.size() * sizeof(typename Lists::value_type)...});
}

// Packed data that does not decode whole was damaged on its way; taking the part before
// the damage would pass a fraction of a mesh off as all of it.
[[noreturn]] void damaged(const char* owner, const wchar_t* key, const std::string& why) {
    throw std::invalid_argument(std::string(owner) + ": packed " + toNarrow(key) + " data is damaged: " + why);
}

// Base64 text replaces the list; a JSON array appends one value per item (wrong kinds give
// 0). Returns false for a member of any other kind. Packed values must come in whole groups
// of `group`.
template <class T, class Item>
bool getNumbers(const JsonValue& v, std::vector<T>& values, Item item, const char* owner = nullptr,
                const wchar_t* key = nullptr, std::size_t group = 1) {
    if (v.IsString()) {
        if (!detail::base64DecodeInto(v.GetString(), v.GetStringLength(), values))
            damaged(owner, key, "its Base64 text does not decode whole");
        if (values.size() % group != 0)
            damaged(owner, key, std::to_string(values.size()) + " values do not make whole groups of " +
                                    std::to_string(group));
        return true;
    }
    if (!v.IsArray()) return false;
    values.reserve(values.size() + v.Size());
    for (const auto& element : v.GetArray()) values.push_back(item(element));
    return true;
}

void readFloats(const JsonValue& record, const char* owner, const wchar_t* key, std::size_t group,
                std::vector<float>& values, const char* error) {
    const JsonValue* m = json::member(record, key);
    if (m != nullptr && !getNumbers(*m, values, floatItem, owner, key, group)) logText(vx_bridge::kError, error);
}

void readInts(const JsonValue& record, const char* owner, const wchar_t* key, std::vector<int>& values,
              const char* error) {
    const JsonValue* m = json::member(record, key);
    if (m != nullptr && !getNumbers(*m, values, intItem, owner, key)) logText(vx_bridge::kError, error);
}

// Plain JSON arrays, for the small lists that have no packed form.
template <class T>
JsonValue arrayOf(const std::vector<T>& values, JsonAllocator& a) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(values.size()), a);
    for (const T v : values) array.PushBack(v, a);
    return array;
}

}  // namespace

// ---- face ---------------------------------------------------------------------------

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

void ExcVisuFace::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcVisuFace")) return;
    // Coordinates come in threes, x y z.
    readFloats(value, "ExcVisuFace", L"vertices", 3, m_vertices,
               "ExcVisuFace: unknown type of vertices data (not array, not base64 string)");
    readFloats(value, "ExcVisuFace", L"normals", 3, m_normals,
               "ExcVisuFace: unknown type of normals data (not array, not base64 string)");
    if (const JsonValue* polygons = json::member(value, L"polygons")) {
        if (polygons->IsString()) {
            std::vector<std::uint32_t> words;
            if (!detail::base64DecodeInto(polygons->GetString(), polygons->GetStringLength(), words))
                damaged("ExcVisuFace", L"polygons", "its Base64 text does not decode whole");
            if (unpackPolygons(words, m_polygons) != words.size())
                damaged("ExcVisuFace", L"polygons", "the last polygon is cut short");
        } else if (polygons->IsArray()) {
            m_polygons.reserve(m_polygons.size() + polygons->Size());
            for (const auto& item : polygons->GetArray()) {
                if (!item.IsObject()) {
                    logText(vx_bridge::kWarning, "ExcVisuFace: polygons array item should be an object.");
                    continue;
                }
                Polygon p;
                // Any 32-bit value, as in the packed form.
                if (const JsonValue* type = json::member(item, L"type"); type && type->IsUint())
                    p.type = type->GetUint();
                else if (type && type->IsInt())
                    p.type = static_cast<std::uint32_t>(type->GetInt());
                if (const JsonValue* indices = json::member(item, L"indices"); indices && indices->IsArray()) {
                    p.indices.reserve(indices->Size());
                    for (const auto& index : indices->GetArray()) p.indices.push_back(intItem(index));
                }
                m_polygons.push_back(std::move(p));
            }
        } else {
            logText(vx_bridge::kError, "ExcVisuFace: unknown type of polygons data (not array, not base64 string)");
        }
    }
    json::get(value, L"color", m_color);
    json::get(value, L"mechanical_id", m_mechanicalId);
    json::get(value, L"id", m_id);
}

void ExcVisuFace::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    const std::vector<std::uint32_t> words = packPolygons(m_polygons);
    Packer packer(largestBytes(m_vertices, m_normals, words));
    packer.put(value, allocator, L"vertices", m_vertices);
    packer.put(value, allocator, L"normals", m_normals);
    packer.put(value, allocator, L"polygons", words);
    json::put(value, allocator, L"color", m_color);
    json::put(value, allocator, L"mechanical_id", m_mechanicalId);
    json::put(value, allocator, L"id", m_id);
}

// ---- edge ---------------------------------------------------------------------------

void ExcVisuEdge::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcVisuEdge")) return;
    readFloats(value, "ExcVisuEdge", L"points", 1, m_points,
               "ExcVisuEdge: unknown type of points data (not array, not base64 string)");
    readInts(value, "ExcVisuEdge", L"line_indices", m_lineIndices,
             "ExcVisuEdge: unknown type of line indices data (not array, not base64 string)");
    json::get(value, L"line_type", m_lineType);
    json::get(value, L"color", m_color);
    json::get(value, L"mechanical_id", m_mechanicalId);
}

void ExcVisuEdge::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    Packer packer(largestBytes(m_points, m_lineIndices));
    packer.put(value, allocator, L"points", m_points);
    packer.put(value, allocator, L"line_indices", m_lineIndices);
    json::put(value, allocator, L"line_type", m_lineType);
    json::put(value, allocator, L"color", m_color);
    json::put(value, allocator, L"mechanical_id", m_mechanicalId);
}

// ---- text, points -------------------------------------------------------------------

void ExcVisuText::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuText");
}

void ExcVisuText::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

void ExcVisuPoints::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcVisuPoints")) return;
    // Arrays only: these lists have no packed form.
    if (const JsonValue* points = json::member(value, L"points"); points && points->IsArray())
        getNumbers(*points, m_points, floatItem);
    if (const JsonValue* indices = json::member(value, L"point_indices"); indices && indices->IsArray())
        getNumbers(*indices, m_pointIndices, intItem);
    json::get(value, L"marker_style", m_markerStyle);
    json::get(value, L"color", m_color);
}

void ExcVisuPoints::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    value.AddMember(L"points", arrayOf(m_points, allocator), allocator);  // as doubles
    value.AddMember(L"point_indices", arrayOf(m_pointIndices, allocator), allocator);
    json::put(value, allocator, L"marker_style", m_markerStyle);
    json::put(value, allocator, L"color", m_color);
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

void ExcVisuMesh::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuMesh");
}

void ExcVisuMesh::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuMesh::operator==(const ExcVisuMesh& o) const {
    return sameHeader(o) && m_geometryType == o.m_geometryType && detail::sameItems(m_faces, o.m_faces) &&
           detail::sameItems(m_edges, o.m_edges);
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

void ExcVisuWire::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuWire");
}

void ExcVisuWire::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuWire::operator==(const ExcVisuWire& o) const {
    return sameHeader(o) && m_geometryType == o.m_geometryType && detail::sameItems(m_edges, o.m_edges);
}

void ExcVisuPointSet::addPoints(const std::shared_ptr<ExcVisuPoints>& points) {
    json::addOrRefuse(m_points, points, kPointSetNullPoints);
}
void ExcVisuPointSet::addPoints(const PointsList& points) {
    for (const auto& p : points) json::addOrRefuse(m_points, p, kPointSetNullPoints);
}

void ExcVisuPointSet::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuPointSet");
}

void ExcVisuPointSet::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuPointSet::operator==(const ExcVisuPointSet& o) const {
    return sameHeader(o) && m_geometryType == o.m_geometryType && detail::sameItems(m_points, o.m_points);
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

void ExcVisuPMI::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuPMI");
}

// Linked elements are written too: the reader takes them, and dropping them would lose
// the links on every round trip.
void ExcVisuPMI::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuPMI::operator==(const ExcVisuPMI& o) const {
    return sameHeader(o) && detail::sameItems(m_edges, o.m_edges) && detail::sameItems(m_texts, o.m_texts) &&
           detail::sameItems(m_linkedElements, o.m_linkedElements);
}

}  // namespace trx
