#pragma once

// What the reference programs agree on beyond the library's documents: how to tell the
// documents apart, where an envelope names a shared segment, and one document per frame.

#include <cstdint>
#include <string>

#include "trx_api/json/json_object.h"

namespace mp {
class ISerializable;
}

namespace trx::tools {

enum class DocumentKind { envelope, command, result, bridgeInfo, unknown };

// Decided by the members that only that kind writes at its top level.
DocumentKind kindOf(const JsonValue& root);
const char* kindName(DocumentKind kind);

// The shared segment an envelope names: the data of a binary object, or the buffer of a
// block geometry. Empty when it names none.
std::wstring segmentOf(const JsonValue& envelope);

// Parses one document, reading the text where it lies; false (doc untouched or partly
// filled) when the text is not JSON.
bool parseDocument(const std::wstring& text, JsonDocument& doc);

// The whole string of a JSON string value, NULs included.
std::wstring fullString(const JsonValue& v);

// How much of the other side's text goes into one message of ours.
constexpr std::size_t kMaxForeignText = 200;
// The text, or its start and how long it was: foreign text in a message stays short.
std::wstring clip(const std::wstring& text, std::size_t max = kMaxForeignText);
std::string clip(const std::string& text, std::size_t max = kMaxForeignText);

// The document's text, as its own writer produces it.
std::wstring textOf(const mp::ISerializable& document);
// Writes the document as one frame; false when the peer is gone.
bool sendDocument(int fd, const mp::ISerializable& document);

}  // namespace trx::tools

namespace trx::tools {

// The measures of a block's mesh travel in its mechanical misc data as one property group.
namespace mesh_props {
constexpr const wchar_t* kGroup = L"mesh_properties";
constexpr const wchar_t* kTriangles = L"triangle_count";
constexpr const wchar_t* kArea = L"surface_area";
constexpr const wchar_t* kVolume = L"enclosed_volume";
// "bounding_box_min_x" ... "bounding_box_max_z"
constexpr const wchar_t* kBoxMin[3] = {L"bounding_box_min_x", L"bounding_box_min_y",
                                       L"bounding_box_min_z"};
constexpr const wchar_t* kBoxMax[3] = {L"bounding_box_max_x", L"bounding_box_max_y",
                                       L"bounding_box_max_z"};
}  // namespace mesh_props

// A tolerance whose value the file does not give travels with the value 0 and this text as
// its note; a dimension without one, with this text as the value it shows instead of a
// number. A host shows such a value as unknown, never as 0.
constexpr const wchar_t* kValueUnknown = L"value unknown";

// Polygon types of a visualization face, with the numbers a graphics library gives them:
// a plain triangle list, a strip, a fan. Any other type is taken as a convex polygon.
constexpr std::uint32_t kTriangleListPolygon = 4;
constexpr std::uint32_t kTriangleStripPolygon = 5;
constexpr std::uint32_t kTriangleFanPolygon = 6;

}  // namespace trx::tools
