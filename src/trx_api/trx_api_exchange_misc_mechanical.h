#pragma once

// A block's organisational and material data: work coordinate systems, layers and layer
// filters, note parameter sets, materials with their physical properties, symmetries and
// display sets.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"

namespace trx {

// A work coordinate system.
class TRX_API ExcMiscWCS : public IJsonObject {
public:
    const ExcVector3d& origin() const { return m_origin; }
    void setOrigin(const ExcVector3d& v) { m_origin = v; }
    const ExcVector3d& x() const { return m_x; }
    void setX(const ExcVector3d& v) { m_x = v; }
    const ExcVector3d& y() const { return m_y; }
    void setY(const ExcVector3d& v) { m_y = v; }
    const ExcVector3d& z() const { return m_z; }
    void setZ(const ExcVector3d& v) { m_z = v; }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    bool isActive() const { return m_active; }
    void setActive(bool v) { m_active = v; }
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isShown() const { return m_shown; }
    void setShown(bool v) { m_shown = v; }
    std::int32_t layerId() const { return m_layerId; }
    void setLayerId(std::int32_t v) { m_layerId = v; }

    TRX_JSON_RECORD(ExcMiscWCS);

private:
    ExcVector3d m_origin;
    ExcVector3d m_x;
    ExcVector3d m_y;
    ExcVector3d m_z;
    ExcColor m_color;
    bool m_active = false;
    std::wstring m_id;
    std::wstring m_name;
    bool m_shown = false;
    std::int32_t m_layerId = 0;
};

class TRX_API ExcMiscLayer : public IJsonObject {
public:
    std::int32_t id() const { return m_id; }
    void setId(std::int32_t v) { m_id = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isCurrent() const { return m_current; }
    void setCurrent(bool v) { m_current = v; }
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    const ExcEntities& entities() const { return m_entities; }
    void addEntity(const std::shared_ptr<ExcEntity>& entity);

    TRX_JSON_RECORD(ExcMiscLayer);

private:
    std::int32_t m_id = 0;
    std::wstring m_name;
    bool m_current = false;
    ExcColor m_color;
    ExcEntities m_entities;
};

// Which layers a filter selects, by layer id.
class TRX_API ExcMiscLayerFilter : public IJsonObject {
public:
    enum class EType : int { all = 0, laycur = 1, other = 2 };

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    EType type() const { return m_type; }
    void setType(EType v) { m_type = v; }
    bool isCurrent() const { return m_current; }
    void setCurrent(bool v) { m_current = v; }
    const std::vector<std::int32_t>& layerIds() const { return m_layerIds; }
    void addLayerId(std::int32_t v) { m_layerIds.push_back(v); }

    TRX_JSON_RECORD(ExcMiscLayerFilter);

private:
    std::wstring m_name;
    EType m_type = EType::all;
    bool m_current = false;
    std::vector<std::int32_t> m_layerIds;
};

// A named set of note parameters.
class TRX_API ExcMiscNoteParameters : public IJsonObject {
public:
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    const ExcMiscPropertiesGroup& properties() const { return m_properties; }
    ExcMiscPropertiesGroup& properties() { return m_properties; }

    TRX_JSON_RECORD(ExcMiscNoteParameters);

private:
    std::wstring m_name;
    ExcMiscPropertiesGroup m_properties;
};

enum class EUnitSystemType : int {
    unknown = 0, mks = 1, cgs = 2, fps = 3, ips = 4, mmks = 5, mmns = 6, ipscreo = 7, si = 8,
    not_applicable = 9, custom = 10
};

// The unit system in which a material property is given.
class TRX_API ExcMiscMaterialPropertyUnit : public IJsonObject {
public:
    const std::wstring& units() const { return m_units; }
    void setUnits(const std::wstring& v) { m_units = v; }
    EUnitSystemType unitSystem() const { return m_unitSystem; }
    void setUnitSystem(EUnitSystemType v) { m_unitSystem = v; }

    TRX_JSON_RECORD(ExcMiscMaterialPropertyUnit);

private:
    std::wstring m_units;
    EUnitSystemType m_unitSystem = EUnitSystemType::unknown;
};

// One physical property value with its unit.
class TRX_API ExcMiscMaterialProperty : public IJsonObject {
public:
    struct TRX_API Unit {
        std::shared_ptr<ExcMiscMaterialPropertyUnit> materialUnits;
        std::shared_ptr<ExcUnitComponent<EMassUnitType>> mass;
        std::shared_ptr<ExcUnitComponent<ELengthUnitType>> length;
        std::shared_ptr<ExcUnitComponent<ETimeUnitType>> time;
        std::shared_ptr<ExcUnitComponent<ETemperatureUnitType>> temperature;

        bool isEmpty() const { return !materialUnits && !mass && !length && !time && !temperature; }
        bool operator==(const Unit& o) const;
        bool operator!=(const Unit& o) const { return !(*this == o); }
    };

    double value() const { return m_value; }
    void setValue(double v) { m_value = v; }
    const Unit& unit() const { return m_unit; }
    Unit& unit() { return m_unit; }

    TRX_JSON_RECORD(ExcMiscMaterialProperty);

private:
    double m_value = 0.0;
    Unit m_unit;
};

class TRX_API ExcMiscMaterial : public IJsonObject {
public:
    enum class EProperty : int {
        unknown = 0, density = 1, youngs_modulus = 2, poissons_ratio = 3, yield_strength = 4,
        tensile_strength = 5, thermal_conductivity = 6, thermal_expansion_coefficient = 7,
        specific_heat = 8, shear_modulus = 9
    };
    using Properties = std::map<EProperty, std::shared_ptr<ExcMiscMaterialProperty>>;

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    // Both throw std::invalid_argument for id "unknown"; set also for a null property.
    std::shared_ptr<ExcMiscMaterialProperty> get(EProperty id) const;
    void set(EProperty id, const std::shared_ptr<ExcMiscMaterialProperty>& property);
    const Properties& properties() const { return m_properties; }
    const ExcEntities& linkedElements() const { return m_linkedElements; }
    void addLinkedElement(const std::shared_ptr<ExcEntity>& entity);
    bool isPartLevelMaterial() const { return m_partLevelMaterial; }
    void setPartLevelMaterial(bool v) { m_partLevelMaterial = v; }

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcMiscMaterial& o) const;
    bool operator!=(const ExcMiscMaterial& o) const { return !(*this == o); }

private:
    std::wstring m_name;
    Properties m_properties;
    ExcEntities m_linkedElements;
    bool m_partLevelMaterial = false;
};

class TRX_API ExcMiscSymmetry : public IJsonObject {
public:
    enum class ETransformMode : int { none = 0, opposite = 1, both = 2 };

    ETransformMode transformMode() const { return m_transformMode; }
    void setTransformMode(ETransformMode v) { m_transformMode = v; }
    const ExcTransformation& transformation() const { return m_transformation; }
    ExcTransformation& transformation() { return m_transformation; }
    const std::shared_ptr<ExcEntity>& linkedEntity() const { return m_linkedEntity; }
    void setLinkedEntity(const std::shared_ptr<ExcEntity>& v) { m_linkedEntity = v; }

    TRX_JSON_RECORD(ExcMiscSymmetry);

private:
    ETransformMode m_transformMode = ETransformMode::none;
    ExcTransformation m_transformation;
    std::shared_ptr<ExcEntity> m_linkedEntity;
};

class TRX_API ExcMiscDisplaySet : public IJsonObject {
public:
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isActive() const { return m_active; }
    void setActive(bool v) { m_active = v; }
    const ExcEntities& entities() const { return m_entities; }
    void addEntity(const std::shared_ptr<ExcEntity>& entity);

    TRX_JSON_RECORD(ExcMiscDisplaySet);

private:
    std::wstring m_name;
    bool m_active = false;
    ExcEntities m_entities;
};

// Everything above for one block, with a generic property record.
class TRX_API ExcMechanicalMiscData : public IJsonObject {
public:
    template <class T> using List = std::vector<std::shared_ptr<T>>;

    const ExcMiscData& miscData() const { return m_miscData; }
    ExcMiscData& miscData() { return m_miscData; }
    const List<ExcMiscWCS>& worldCoordinateSystems() const { return m_worldCoordinateSystems; }
    void addWorldCoordinateSystem(const std::shared_ptr<ExcMiscWCS>& v);
    const List<ExcMiscLayer>& layers() const { return m_layers; }
    void addLayer(const std::shared_ptr<ExcMiscLayer>& v);
    const List<ExcMiscLayerFilter>& layerFilters() const { return m_layerFilters; }
    void addLayerFilter(const std::shared_ptr<ExcMiscLayerFilter>& v);
    const List<ExcMiscMaterial>& materials() const { return m_materials; }
    void addMaterial(const std::shared_ptr<ExcMiscMaterial>& v);
    const List<ExcMiscNoteParameters>& noteParameters() const { return m_noteParameters; }
    void addNoteParameters(const std::shared_ptr<ExcMiscNoteParameters>& v);
    const List<ExcMiscSymmetry>& symmetries() const { return m_symmetries; }
    void addSymmetry(const std::shared_ptr<ExcMiscSymmetry>& v);
    const List<ExcMiscDisplaySet>& displaySets() const { return m_displaySets; }
    void addDisplaySet(const std::shared_ptr<ExcMiscDisplaySet>& v);

    TRX_JSON_RECORD(ExcMechanicalMiscData);

private:
    ExcMiscData m_miscData;
    List<ExcMiscWCS> m_worldCoordinateSystems;
    List<ExcMiscLayer> m_layers;
    List<ExcMiscLayerFilter> m_layerFilters;
    List<ExcMiscMaterial> m_materials;
    List<ExcMiscNoteParameters> m_noteParameters;
    List<ExcMiscSymmetry> m_symmetries;
    List<ExcMiscDisplaySet> m_displaySets;
};

}  // namespace trx
