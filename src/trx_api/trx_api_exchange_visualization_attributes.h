#pragma once

// Appearance of the tessellated display data: fonts, textures, materials, line attributes and
// the attribute bundle of a scene-graph node. Stored and carried, never rendered here.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"

namespace trx {

class TRX_API ExcVisuFont : public IJsonObject {
public:
    enum class EPitch : int { unknown = 0, fixed = 1, variable = 2 };

    std::wstring name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    double textHeight() const { return m_textHeight; }
    void setTextHeight(double v) { m_textHeight = v; }
    EPitch pitch() const { return m_pitch; }
    void setPitch(EPitch v) { m_pitch = v; }
    double spacingFactor() const { return m_spacingFactor; }
    void setSpacingFactor(double v) { m_spacingFactor = v; }
    double widthScalingFactor() const { return m_widthScalingFactor; }
    void setWidthScalingFactor(double v) { m_widthScalingFactor = v; }

    TRX_JSON_RECORD(ExcVisuFont);

private:
    std::wstring m_name;
    double m_textHeight = 10.0;
    EPitch m_pitch = EPitch::unknown;
    double m_spacingFactor = 1.0;
    double m_widthScalingFactor = 1.0;
};

// Directions are 0 (U), 1 (V) and, for the rotation, 2 (W); any other direction throws
// std::invalid_argument naming the property.
class TRX_API ExcVisuTexture : public IJsonObject {
public:
    enum class EMethod : int { undefined = 0, decal = 1, modulate = 2, add = 3, replace = 4 };
    enum class EWrapMode : int { undefined = 0, repeat = 1, clamp = 2, border = 3, edge = 4, mirror = 5 };
    enum class EMappingMode : int {
        undefined = 0, uv = 1, planar = 2, spherical = 3, cylindrical = 4, environment_spherical = 5,
        environment_cubic = 6
    };
    enum class EFilter : int {
        undefined = 0, nearest = 1, linear = 2, nearest_mipmap_nearest = 3, nearest_mipmap_linear = 4,
        linear_mipmap_linear = 5, linear_mipmap_nearest = 6
    };

    EMethod method() const { return m_method; }
    void setMethod(EMethod v) { m_method = v; }
    EWrapMode wrapMode(int direction) const;
    void setWrapMode(int direction, EWrapMode v);
    EMappingMode mappingMode() const { return m_mappingMode; }
    void setMappingMode(EMappingMode v) { m_mappingMode = v; }
    EFilter filter() const { return m_filter; }
    void setFilter(EFilter v) { m_filter = v; }
    double alpha() const { return m_alpha; }
    void setAlpha(double v) { m_alpha = v; }
    const std::wstring& filePath() const { return m_filePath; }
    void setFilPath(const std::wstring& v) { m_filePath = v; }
    void setFilePath(const std::wstring& v) { m_filePath = v; }
    const std::wstring& nameUV() const { return m_nameUV; }
    void setNameUV(const std::wstring& v) { m_nameUV = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    double translation(int direction) const;
    void setTranslation(int direction, double v);
    double scale(int direction) const;
    void setScale(int direction, double v);
    double rotation(int direction) const;
    void setRotation(int direction, double v);
    bool swapUV() const { return m_swapUV; }
    void setSwapUV(bool v) { m_swapUV = v; }
    bool useMaterial() const { return m_useMaterial; }
    void setUseMaterial(bool v) { m_useMaterial = v; }

    TRX_JSON_RECORD(ExcVisuTexture);

private:
    EMethod m_method = EMethod::undefined;
    std::array<EWrapMode, 2> m_wrapMode{EWrapMode::undefined, EWrapMode::undefined};
    EMappingMode m_mappingMode = EMappingMode::undefined;
    EFilter m_filter = EFilter::undefined;
    double m_alpha = 1.0;
    std::wstring m_filePath;
    std::wstring m_nameUV;
    std::wstring m_name;
    std::array<double, 2> m_translation{0.0, 0.0};
    std::array<double, 2> m_scale{1.0, 1.0};
    std::array<double, 3> m_rotation{0.0, 0.0, 0.0};
    bool m_swapUV = false;
    bool m_useMaterial = false;
};

class TRX_API ExcVisuMaterial : public IJsonObject {
public:
    enum class EColorType : int {
        unknown = 0, ambient = 1, diffuse = 2, specular = 3, emissive = 4, transparency = 5, reflection = 6
    };
    enum class ETextureType : int {
        unknown = 0, ambient_color = 1, ambient_coefficient = 2, diffuse_color = 3, diffuse_coefficient = 4,
        specular_color = 5, specular_coefficient = 6, emissive_color = 7, emissive_coefficient = 8, normal = 9
    };

    struct Color {
        std::uint16_t red = 0;
        std::uint16_t green = 0;
        std::uint16_t blue = 0;
        double coefficient = 0.0;
        bool operator==(const Color& o) const {
            return red == o.red && green == o.green && blue == o.blue && coefficient == o.coefficient;
        }
        bool operator!=(const Color& o) const { return !(*this == o); }
    };
    using Textures = std::vector<std::shared_ptr<ExcVisuTexture>>;
    using Colors = std::map<EColorType, Color>;
    using TextureLists = std::map<ETextureType, Textures>;

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    // A type not held gives a default colour; the mutable form adds it.
    const Color& color(EColorType type) const;
    Color& color(EColorType type) { return m_colors[type]; }
    void setColor(EColorType type, const Color& v) { m_colors[type] = v; }
    const Colors& colors() const { return m_colors; }
    double shininess() const { return m_shininess; }
    void setShininess(double v) { m_shininess = v; }
    const std::array<double, 3>& bump() const { return m_bump; }
    void setBump(const std::array<double, 3>& v) { m_bump = v; }
    double bumpFactor() const { return m_bumpFactor; }
    void setBumpFactor(double v) { m_bumpFactor = v; }
    const ExcVector3d& normalMap() const { return m_normalMap; }
    void setNormalMap(const ExcVector3d& v) { m_normalMap = v; }
    // A type not held gives an empty list.
    const Textures& textures(ETextureType type) const;
    const TextureLists& textureLists() const { return m_textures; }
    void setTextures(ETextureType type, const Textures& v) { m_textures[type] = v; }
    void addTexture(ETextureType type, const std::shared_ptr<ExcVisuTexture>& texture);
    void addTextures(ETextureType type, const Textures& textures);

    // Textures compare by value.
    TRX_JSON_RECORD(ExcVisuMaterial);

private:
    std::wstring m_name;
    Colors m_colors;
    double m_shininess = 0.0;
    std::array<double, 3> m_bump{0.0, 0.0, 0.0};
    double m_bumpFactor = 0.0;
    ExcVector3d m_normalMap;
    TextureLists m_textures;
};

class TRX_API ExcVisuLineAttribute : public IJsonObject {
public:
    enum class ELineStyle : int {
        undefined = 0, solid_line = 1, dash_dot_line = 2, dash_line = 3, dot_line = 4, dash_dot_dot_line = 5,
        dash_dot_dot_dot_line = 6, center_line = 8, phantom_line = 9
    };

    double lineWeight() const { return m_lineWeight; }
    void setLineWeight(double v) { m_lineWeight = v; }
    ELineStyle lineStyle() const { return m_lineStyle; }
    void setLineStyle(ELineStyle v) { m_lineStyle = v; }

    TRX_JSON_RECORD(ExcVisuLineAttribute);

private:
    double m_lineWeight = 0.0;
    ELineStyle m_lineStyle = ELineStyle::undefined;
};

// What a scene-graph node looks like.
class TRX_API ExcVisuAttributes : public IJsonObject {
public:
    using Materials = std::vector<std::shared_ptr<ExcVisuMaterial>>;

    const std::shared_ptr<ExcVisuFont>& font() const { return m_font; }
    void setFont(const std::shared_ptr<ExcVisuFont>& v) { m_font = v; }
    const std::shared_ptr<ExcColor>& color() const { return m_color; }
    void setColor(const std::shared_ptr<ExcColor>& v) { m_color = v; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    const Materials& materials() const { return m_materials; }
    void setMaterials(const Materials& v) { m_materials = v; }
    void addMaterial(const std::shared_ptr<ExcVisuMaterial>& material);
    void addMaterials(const Materials& materials);
    const std::shared_ptr<ExcVisuLineAttribute>& lineAttribute() const { return m_lineAttribute; }
    void setLineAttribute(const std::shared_ptr<ExcVisuLineAttribute>& v) { m_lineAttribute = v; }

    // Sub-records compare by value.
    TRX_JSON_RECORD(ExcVisuAttributes);

private:
    std::shared_ptr<ExcVisuFont> m_font;
    std::shared_ptr<ExcColor> m_color;
    bool m_hidden = false;
    Materials m_materials;
    std::shared_ptr<ExcVisuLineAttribute> m_lineAttribute;
};

}  // namespace trx
