#include "../trx_api_exchange_visualization_attributes.h"

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

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

TRX_FIELDS(ExcVisuFont, IJsonObject) {
    f(L"name", s.m_name);
    f(L"text_height", s.m_textHeight);
    f(L"font_pitch", s.m_pitch);
    f(L"spacing_factor", s.m_spacingFactor);
    f(L"width_scaling_factor", s.m_widthScalingFactor);
}

TRX_FIELDS(ExcVisuLineAttribute, IJsonObject) {
    f(L"line_weight", s.m_lineWeight);
    f(L"line_style", s.m_lineStyle);
}

// ---- texture ------------------------------------------------------------------------

namespace {

// Per-direction values travel as {"u": .., "v": .. [, "w": ..]}.
const wchar_t* const kDirections[] = {L"u", L"v", L"w"};

// Negative directions turn into large unsigned ones and are refused as well.
std::size_t checkedDirection(int direction, std::size_t count, const char* text) {
    if (static_cast<unsigned>(direction) >= count) throw std::invalid_argument(text);
    return static_cast<std::size_t>(direction);
}

const char kWrapModeDirections[] = "Texture wrap mode has only 0 (U) and 1 (V) directions.";
const char kTranslationDirections[] = "Texture translation has only 0 (U) and 1 (V) directions.";
const char kScaleDirections[] = "Texture scale has only 0 (U) and 1 (V) directions.";
const char kRotationDirections[] = "Texture rotation has only 0 (U), 1 (V) and 2 (W) directions.";

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

TRX_FIELDS(ExcVisuTexture, IJsonObject) {
    f(L"method", s.m_method);
    f(L"wrap_mode", json::namedItems(s.m_wrapMode, kDirections));
    f(L"mapping_mode", s.m_mappingMode);
    f(L"filter", s.m_filter);
    f(L"alpha", s.m_alpha);
    f(L"file", s.m_filePath);
    f(L"name_uv", s.m_nameUV);
    f(L"name", s.m_name);
    f(L"uv_translation", json::namedItems(s.m_translation, kDirections));
    f(L"uv_scale", json::namedItems(s.m_scale, kDirections));
    f(L"uv_rotation", json::namedItems(s.m_rotation, kDirections));
    f(L"swap_uv", s.m_swapUV);
    f(L"use_material", s.m_useMaterial);
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

// A colour by type: [red, green, blue, coefficient], all as doubles.
struct MaterialColors {
    int level = vx_bridge::kWarning;
    const char* refusal = "ExcVisuMaterial: !colorType.IsString() || !colorValue.IsArray() || "
                          "colorValue.GetArray().Size() < 4";

    static bool read(const JsonValue& v, ExcVisuMaterial::Color& c) {
        if (!v.IsArray() || v.Size() < 4) return false;
        std::uint16_t* channels[] = {&c.red, &c.green, &c.blue};
        for (rapidjson::SizeType i = 0; i < 3; ++i)
            if (v[i].IsDouble()) *channels[i] = toChannel(v[i].GetDouble());
        if (v[3].IsDouble()) c.coefficient = v[3].GetDouble();
        return true;
    }
    static JsonValue write(const ExcVisuMaterial::Color& c, JsonAllocator& a) {
        JsonValue rgbc(rapidjson::kArrayType);
        rgbc.Reserve(4, a);
        rgbc.PushBack(double(c.red), a).PushBack(double(c.green), a);
        rgbc.PushBack(double(c.blue), a).PushBack(c.coefficient, a);
        return rgbc;
    }
};

// A list of textures by type; a list read under a type joins the one held.
struct MaterialTextures {
    int level = vx_bridge::kError;
    const char* refusal = "ExcVisuMaterial: !textureType.IsString() || !textureArray.IsArray()";

    static bool read(const JsonValue& v, ExcVisuMaterial::Textures& list) { return json::fromJson(v, list); }
    static JsonValue write(const ExcVisuMaterial::Textures& list, JsonAllocator& a) { return json::toJson(list, a); }
};

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

// Colours and texture lists come in the order of their types.
TRX_FIELDS(ExcVisuMaterial, IJsonObject) {
    f(L"name", s.m_name);
    f(L"colors", json::enumKeyed(s.m_colors, MaterialColors{}));
    f(L"shininess", s.m_shininess);
    f(L"bump", json::fixedArray(s.m_bump, "ExcVisuMaterial: bump should have 3 values."));
    f(L"bump_factor", s.m_bumpFactor);
    f(L"normal_map", s.m_normalMap);
    f(L"textures", json::enumKeyed(s.m_textures, MaterialTextures{}));
}

// ---- attributes ---------------------------------------------------------------------

namespace {
const char kAttributesNullMaterial[] = "ExcVisuAttributes: attempt to add null Material object.";
}  // namespace

void ExcVisuAttributes::addMaterial(const std::shared_ptr<ExcVisuMaterial>& material) {
    json::addOrRefuse(m_materials, material, kAttributesNullMaterial);
}

void ExcVisuAttributes::addMaterials(const Materials& materials) {
    for (const auto& m : materials) json::addOrRefuse(m_materials, m, kAttributesNullMaterial);
}

TRX_FIELDS(ExcVisuAttributes, IJsonObject) {
    f(L"font", s.m_font);
    f(L"color", s.m_color);
    f(L"hidden", s.m_hidden);
    f(L"materials", s.m_materials, !s.m_materials.empty());
    f(L"line_attribute", s.m_lineAttribute);
}

}  // namespace trx
