#include "../trx_api_exchange_visualization_attributes.h"

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "visu_detail.h"

namespace trx {

TRX_ENUM(ExcVisuFont::EPitch, unknown, fixed, variable);

TRX_ENUM(ExcVisuTexture::EMethod, undefined, decal, modulate, add, replace);
TRX_ENUM(ExcVisuTexture::EWrapMode, undefined, repeat, clamp, border, edge, mirror);
TRX_ENUM(ExcVisuTexture::EMappingMode, undefined, uv, planar, spherical, cylindrical,
    environment_spherical, environment_cubic);
TRX_ENUM(ExcVisuTexture::EFilter, undefined, nearest, linear, nearest_mipmap_nearest,
    nearest_mipmap_linear, linear_mipmap_linear, linear_mipmap_nearest);
TRX_ENUM(ExcVisuMaterial::EColorType, unknown, ambient, diffuse, specular, emissive, transparency,
    reflection);
TRX_ENUM(ExcVisuMaterial::ETextureType, unknown, ambient_color, ambient_coefficient, diffuse_color,
    diffuse_coefficient, specular_color, specular_coefficient, emissive_color,
    emissive_coefficient, normal);
TRX_ENUM(ExcVisuLineAttribute::ELineStyle, undefined, solid_line, dash_dot_line, dash_line,
    dot_line, dash_dot_dot_line, dash_dot_dot_dot_line, center_line, phantom_line);

using detail::logText;

// ---- font, line attribute -----------------------------------------------------------

void ExcVisuFont::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuFont");
}

void ExcVisuFont::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

void ExcVisuLineAttribute::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuLineAttribute");
}

void ExcVisuLineAttribute::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

// ---- texture ------------------------------------------------------------------------

namespace {

const wchar_t* const kDirectionKeys[] = {L"u", L"v", L"w"};

// Negative directions turn into large unsigned ones and are refused as well.
std::size_t checkedDirection(int direction, std::size_t count, const char* text) {
    if (static_cast<unsigned>(direction) >= count) throw std::invalid_argument(text);
    return static_cast<std::size_t>(direction);
}

const char kWrapModeDirections[] = "Texture wrap mode has only 0 (U) and 1 (V) directions.";
const char kTranslationDirections[] = "Texture translation has only 0 (U) and 1 (V) directions.";
const char kScaleDirections[] = "Texture scale has only 0 (U) and 1 (V) directions.";
const char kRotationDirections[] = "Texture rotation has only 0 (U), 1 (V) and 2 (W) directions.";

// {"u": .., "v": .. [, "w": ..]}
template <class T, std::size_t N>
void putDirections(JsonValue& record, JsonAllocator& a, const wchar_t* key, const std::array<T, N>& values) {
    JsonValue object(rapidjson::kObjectType);
    for (std::size_t i = 0; i < N; ++i) json::put(object, a, kDirectionKeys[i], values[i]);
    record.AddMember(JsonValue(rapidjson::StringRef(key)), object, a);
}

template <class T, std::size_t N>
void getDirections(const JsonValue& record, const wchar_t* key, std::array<T, N>& values) {
    const JsonValue* object = json::member(record, key);
    if (object == nullptr || !object->IsObject()) return;
    for (std::size_t i = 0; i < N; ++i) json::get(*object, kDirectionKeys[i], values[i]);
}

}  // namespace

ExcVisuTexture::EWrapMode ExcVisuTexture::wrapMode(int direction) const {
    return m_wrapMode[checkedDirection(direction, 2, kWrapModeDirections)];
}

void ExcVisuTexture::setWrapMode(int direction, EWrapMode v) {
    m_wrapMode[checkedDirection(direction, 2, kWrapModeDirections)] = v;
}

double ExcVisuTexture::translation(int direction) const {
    return m_translation[checkedDirection(direction, 2, kTranslationDirections)];
}

void ExcVisuTexture::setTranslation(int direction, double v) {
    m_translation[checkedDirection(direction, 2, kTranslationDirections)] = v;
}

double ExcVisuTexture::scale(int direction) const {
    return m_scale[checkedDirection(direction, 2, kScaleDirections)];
}

void ExcVisuTexture::setScale(int direction, double v) {
    m_scale[checkedDirection(direction, 2, kScaleDirections)] = v;
}

double ExcVisuTexture::rotation(int direction) const {
    return m_rotation[checkedDirection(direction, 3, kRotationDirections)];
}

void ExcVisuTexture::setRotation(int direction, double v) {
    m_rotation[checkedDirection(direction, 3, kRotationDirections)] = v;
}

void ExcVisuTexture::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcVisuTexture")) return;
    json::get(value, L"method", m_method);
    getDirections(value, L"wrap_mode", m_wrapMode);
    json::get(value, L"mapping_mode", m_mappingMode);
    json::get(value, L"filter", m_filter);
    json::get(value, L"alpha", m_alpha);
    json::get(value, L"file", m_filePath);
    json::get(value, L"name_uv", m_nameUV);
    json::get(value, L"name", m_name);
    getDirections(value, L"uv_translation", m_translation);
    getDirections(value, L"uv_scale", m_scale);
    getDirections(value, L"uv_rotation", m_rotation);
    json::get(value, L"swap_uv", m_swapUV);
    json::get(value, L"use_material", m_useMaterial);
}

void ExcVisuTexture::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"method", m_method);
    putDirections(value, allocator, L"wrap_mode", m_wrapMode);
    json::put(value, allocator, L"mapping_mode", m_mappingMode);
    json::put(value, allocator, L"filter", m_filter);
    json::put(value, allocator, L"alpha", m_alpha);
    json::put(value, allocator, L"file", m_filePath);
    json::put(value, allocator, L"name_uv", m_nameUV);
    json::put(value, allocator, L"name", m_name);
    putDirections(value, allocator, L"uv_translation", m_translation);
    putDirections(value, allocator, L"uv_scale", m_scale);
    putDirections(value, allocator, L"uv_rotation", m_rotation);
    json::put(value, allocator, L"swap_uv", m_swapUV);
    json::put(value, allocator, L"use_material", m_useMaterial);
}

bool ExcVisuTexture::operator==(const ExcVisuTexture& o) const {
    return m_method == o.m_method && m_wrapMode == o.m_wrapMode && m_mappingMode == o.m_mappingMode &&
           m_filter == o.m_filter && m_alpha == o.m_alpha && m_filePath == o.m_filePath &&
           m_nameUV == o.m_nameUV && m_name == o.m_name && m_translation == o.m_translation &&
           m_scale == o.m_scale && m_rotation == o.m_rotation && m_swapUV == o.m_swapUV &&
           m_useMaterial == o.m_useMaterial;
}

// ---- material -----------------------------------------------------------------------

namespace {

// Whole numbers toward zero, held to the 16-bit range (a plain cast of an out-of-range
// double is undefined).
std::uint16_t toChannel(double v) {
    if (!(v > 0.0)) return 0;  // NaN included
    if (v >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(v);
}

}  // namespace

const ExcVisuMaterial::Color& ExcVisuMaterial::color(EColorType type) const {
    static const Color none;
    const auto it = m_colors.find(type);
    return it != m_colors.end() ? it->second : none;
}

const ExcVisuMaterial::Textures& ExcVisuMaterial::textures(ETextureType type) const {
    static const Textures none;
    const auto it = m_textures.find(type);
    return it != m_textures.end() ? it->second : none;
}

void ExcVisuMaterial::addTexture(ETextureType type, const std::shared_ptr<ExcVisuTexture>& texture) {
    if (!texture) {
        logText(vx_bridge::kWarning, "ExcVisuMaterial: attempt to add null Texture object.");
        return;
    }
    m_textures[type].push_back(texture);
}

void ExcVisuMaterial::addTextures(ETextureType type, const Textures& textures) {
    for (const auto& t : textures) addTexture(type, t);
}

void ExcVisuMaterial::readColors(const JsonValue& colors) {
    for (const auto& m : colors.GetObject()) {
        const JsonValue& colorType = m.name;
        const JsonValue& colorValue = m.value;
        if (!colorType.IsString() || !colorValue.IsArray() || colorValue.Size() < 4) {
            logText(vx_bridge::kWarning, "ExcVisuMaterial: !colorType.IsString() || !colorValue.IsArray() || "
                                         "colorValue.GetArray().Size() < 4");
            continue;
        }
        Color c;
        std::uint16_t* channels[] = {&c.red, &c.green, &c.blue};
        for (rapidjson::SizeType i = 0; i < 3; ++i)
            if (colorValue[i].IsDouble()) *channels[i] = toChannel(colorValue[i].GetDouble());
        if (colorValue[3].IsDouble()) c.coefficient = colorValue[3].GetDouble();
        m_colors[enumFromString<EColorType>(colorType.GetString())] = c;
    }
}

void ExcVisuMaterial::readTextures(const JsonValue& textures) {
    for (const auto& m : textures.GetObject()) {
        const JsonValue& textureType = m.name;
        const JsonValue& textureArray = m.value;
        if (!textureType.IsString() || !textureArray.IsArray()) {
            logText(vx_bridge::kError, "ExcVisuMaterial: !textureType.IsString() || !textureArray.IsArray()");
            continue;
        }
        Textures& list = m_textures[enumFromString<ETextureType>(textureType.GetString())];
        list.reserve(list.size() + textureArray.Size());
        for (const auto& item : textureArray.GetArray()) {
            auto texture = std::make_shared<ExcVisuTexture>();
            texture->readObject(item);
            list.push_back(std::move(texture));
        }
    }
}

void ExcVisuMaterial::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcVisuMaterial")) return;
    json::get(value, L"name", m_name);
    if (const JsonValue* colors = json::member(value, L"colors"); colors && colors->IsObject())
        readColors(*colors);
    json::get(value, L"shininess", m_shininess);
    if (const JsonValue* bump = json::member(value, L"bump"); bump && bump->IsArray()) {
        for (rapidjson::SizeType i = 0; i < 3 && i < bump->Size(); ++i)
            if ((*bump)[i].IsDouble()) m_bump[i] = (*bump)[i].GetDouble();
    }
    json::get(value, L"bump_factor", m_bumpFactor);
    json::get(value, L"normal_map", m_normalMap);
    if (const JsonValue* textures = json::member(value, L"textures"); textures && textures->IsObject())
        readTextures(*textures);
}

void ExcVisuMaterial::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"name", m_name);

    // Maps are ordered by type, so members come in the order of the enumeration values.
    JsonValue colors(rapidjson::kObjectType);
    for (const auto& [type, c] : m_colors) {
        JsonValue rgbc(rapidjson::kArrayType);
        rgbc.Reserve(4, allocator);
        rgbc.PushBack(double(c.red), allocator).PushBack(double(c.green), allocator);
        rgbc.PushBack(double(c.blue), allocator).PushBack(c.coefficient, allocator);
        colors.AddMember(json::toJson(type, allocator), rgbc, allocator);
    }
    value.AddMember(L"colors", colors, allocator);

    json::put(value, allocator, L"shininess", m_shininess);
    JsonValue bump(rapidjson::kArrayType);
    for (double b : m_bump) bump.PushBack(b, allocator);
    value.AddMember(L"bump", bump, allocator);
    json::put(value, allocator, L"bump_factor", m_bumpFactor);
    json::put(value, allocator, L"normal_map", m_normalMap);

    JsonValue textures(rapidjson::kObjectType);
    for (const auto& [type, list] : m_textures)
        textures.AddMember(json::toJson(type, allocator), json::toJson(list, allocator), allocator);
    value.AddMember(L"textures", textures, allocator);
}

bool ExcVisuMaterial::operator==(const ExcVisuMaterial& o) const {
    return m_name == o.m_name && m_colors == o.m_colors && m_shininess == o.m_shininess &&
           m_bump == o.m_bump && m_bumpFactor == o.m_bumpFactor && m_normalMap == o.m_normalMap &&
           std::equal(m_textures.begin(), m_textures.end(), o.m_textures.begin(), o.m_textures.end(),
                      [](const auto& x, const auto& y) {
                          return x.first == y.first && detail::sameItems(x.second, y.second);
                      });
}

// ---- attributes ---------------------------------------------------------------------

void ExcVisuAttributes::addMaterial(const std::shared_ptr<ExcVisuMaterial>& material) {
    if (!material) {
        logText(vx_bridge::kWarning, "ExcVisuAttributes: attempt to add null Material object.");
        return;
    }
    m_materials.push_back(material);
}

void ExcVisuAttributes::addMaterials(const Materials& materials) {
    for (const auto& m : materials) addMaterial(m);
}

void ExcVisuAttributes::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcVisuAttributes");
}

void ExcVisuAttributes::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcVisuAttributes::operator==(const ExcVisuAttributes& o) const {
    return detail::samePointee(m_font, o.m_font) && detail::samePointee(m_color, o.m_color) &&
           m_hidden == o.m_hidden && detail::sameItems(m_materials, o.m_materials) &&
           detail::samePointee(m_lineAttribute, o.m_lineAttribute);
}

}  // namespace trx
