#include "../trx_api_exchange_misc_mechanical.h"

#include <stdexcept>

#include "../trx_api_exchange_mechanical_common.h"
#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(ExcMiscLayerFilter::EType, all, laycur, other);

TRX_ENUM(EUnitSystemType, unknown, mks, cgs, fps, ips, mmks, mmns, ipscreo, si, not_applicable,
    custom);

TRX_ENUM(ExcMiscMaterial::EProperty, unknown, density, youngs_modulus, poissons_ratio,
    yield_strength, tensile_strength, thermal_conductivity, thermal_expansion_coefficient,
    specific_heat, shear_modulus);

TRX_ENUM(ExcMiscSymmetry::ETransformMode, none, opposite, both);

// ---- coordinate systems and layers --------------------------------------------------

TRX_FIELDS(ExcMiscWCS, IJsonObject) {
    f(L"origin", s.m_origin);
    f(L"x", s.m_x);
    f(L"y", s.m_y);
    f(L"z", s.m_z);
    f(L"color", s.m_color);
    f(L"active", s.m_active);
    f(L"id", s.m_id);
    f(L"name", s.m_name);
    f(L"shown", s.m_shown);
    f(L"layer_id", s.m_layerId);
}

void ExcMiscLayer::addEntity(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_entities, entity, "ExcMiscLayer: attempt to add null Entity object.");
}

TRX_FIELDS(ExcMiscLayer, IJsonObject) {
    f(L"id", s.m_id);
    f(L"name", s.m_name);
    f(L"current", s.m_current);
    f(L"color", s.m_color);
    f(L"entities", s.m_entities);
}

TRX_FIELDS(ExcMiscLayerFilter, IJsonObject) {
    f(L"name", s.m_name);
    f(L"type", s.m_type);
    f(L"current", s.m_current);
    f(L"layer_id", s.m_layerIds);  // integer items appended, others skipped
}

// ---- note parameters ----------------------------------------------------------------

TRX_FIELDS(ExcMiscNoteParameters, IJsonObject) {
    f(L"name", s.m_name);
    f(L"properties", s.m_properties);
}

// ---- materials ----------------------------------------------------------------------

TRX_FIELDS(ExcMiscMaterialPropertyUnit, IJsonObject) {
    f(L"units", s.m_units);
    f(L"unit_system", s.m_unitSystem);
}

bool ExcMiscMaterialProperty::Unit::operator==(const Unit& o) const {
    return detail::same(materialUnits, o.materialUnits) && detail::same(mass, o.mass) &&
           detail::same(length, o.length) && detail::same(time, o.time) &&
           detail::same(temperature, o.temperature);
}

namespace {

// The five unit members, each under its own key and only when set.
template <class U, class F>
void unitFields(U& u, F&& f) {
    f(L"material_units", u.materialUnits);
    f(L"mass", u.mass);
    f(L"length", u.length);
    f(L"time", u.time);
    f(L"temperature", u.temperature);
}

}  // namespace

// The unit travels only when one of its members is set.
TRX_FIELDS(ExcMiscMaterialProperty, IJsonObject) {
    f(L"value", s.m_value);
    f(L"unit", json::subObject([&s](auto&& g) { unitFields(s.m_unit, g); }), !s.m_unit.isEmpty());
}

namespace {

constexpr ExcMiscMaterial::EProperty kFirstProperty = ExcMiscMaterial::EProperty::density;
constexpr ExcMiscMaterial::EProperty kLastProperty = ExcMiscMaterial::EProperty::shear_modulus;

void checkPropertyId(ExcMiscMaterial::EProperty id) {
    if (id == ExcMiscMaterial::EProperty::unknown)
        throw std::invalid_argument("Invalid material property id.");
}

}  // namespace

std::shared_ptr<ExcMiscMaterialProperty> ExcMiscMaterial::get(EProperty id) const {
    checkPropertyId(id);
    const auto it = m_properties.find(id);
    return it != m_properties.end() ? it->second : nullptr;
}

void ExcMiscMaterial::set(EProperty id, const std::shared_ptr<ExcMiscMaterialProperty>& property) {
    checkPropertyId(id);
    if (!property) throw std::invalid_argument("Invalid material property value.");
    m_properties[id] = property;
}

void ExcMiscMaterial::addLinkedElement(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_linkedElements, entity,
                      "ExcMiscMaterial: attempt to add null Linked Element object.");
}

// Hand-written: each property travels under its own name at the top level of the object;
// "unknown" is never one of them.
void ExcMiscMaterial::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) return;
    json::get(value, L"name", m_name);
    for (int i = int(kFirstProperty); i <= int(kLastProperty); ++i) {
        const auto id = static_cast<EProperty>(i);
        if (const JsonValue* p = json::member(value, enumToString(id).c_str())) {
            auto property = std::make_shared<ExcMiscMaterialProperty>();
            property->readObject(*p);
            m_properties[id] = std::move(property);
        }
    }
    json::get(value, L"linked_elements", m_linkedElements);
    json::get(value, L"is_part_level_material", m_partLevelMaterial);
}

void ExcMiscMaterial::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"name", m_name);
    for (const auto& [id, property] : m_properties)  // ascending id
        if (property && id != EProperty::unknown)
            json::put(value, allocator, enumToString(id).c_str(), property);
    json::put(value, allocator, L"linked_elements", m_linkedElements);
    json::put(value, allocator, L"is_part_level_material", m_partLevelMaterial);
}

bool ExcMiscMaterial::operator==(const ExcMiscMaterial& o) const {
    return m_name == o.m_name && detail::same(m_properties, o.m_properties) &&
           detail::same(m_linkedElements, o.m_linkedElements) &&
           m_partLevelMaterial == o.m_partLevelMaterial;
}

// ---- symmetries and display sets ----------------------------------------------------

TRX_FIELDS(ExcMiscSymmetry, IJsonObject) {
    f(L"transform_mode", s.m_transformMode);
    f(L"transformation", s.m_transformation);
    f(L"linked_entity", s.m_linkedEntity);  // only when set
}

void ExcMiscDisplaySet::addEntity(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_entities, entity, "ExcMiscDisplaySet: attempt to add null Entity object.");
}

TRX_FIELDS(ExcMiscDisplaySet, IJsonObject) {
    f(L"name", s.m_name);
    f(L"active", s.m_active);
    f(L"entities", s.m_entities);
}

// ---- per-block container ------------------------------------------------------------

void ExcMechanicalMiscData::addWorldCoordinateSystem(const std::shared_ptr<ExcMiscWCS>& v) {
    json::addOrRefuse(m_worldCoordinateSystems, v,
                      "ExcMechanicalMiscData: attempt to add null WCS object.");
}
void ExcMechanicalMiscData::addLayer(const std::shared_ptr<ExcMiscLayer>& v) {
    json::addOrRefuse(m_layers, v, "ExcMechanicalMiscData: attempt to add null Layer object.");
}
void ExcMechanicalMiscData::addLayerFilter(const std::shared_ptr<ExcMiscLayerFilter>& v) {
    json::addOrRefuse(m_layerFilters, v,
                      "ExcMechanicalMiscData: attempt to add null Layer Filter object.");
}
void ExcMechanicalMiscData::addMaterial(const std::shared_ptr<ExcMiscMaterial>& v) {
    json::addOrRefuse(m_materials, v, "ExcMechanicalMiscData: attempt to add null Material object.");
}
void ExcMechanicalMiscData::addNoteParameters(const std::shared_ptr<ExcMiscNoteParameters>& v) {
    json::addOrRefuse(m_noteParameters, v,
                      "ExcMechanicalMiscData: attempt to add null Note Parameters object.");
}
void ExcMechanicalMiscData::addSymmetry(const std::shared_ptr<ExcMiscSymmetry>& v) {
    json::addOrRefuse(m_symmetries, v, "ExcMechanicalMiscData: attempt to add null Symmetry object.");
}
void ExcMechanicalMiscData::addDisplaySet(const std::shared_ptr<ExcMiscDisplaySet>& v) {
    json::addOrRefuse(m_displaySets, v,
                      "ExcMechanicalMiscData: attempt to add null Display Set object.");
}

TRX_FIELDS(ExcMechanicalMiscData, IJsonObject) {
    f(L"misc_data", s.m_miscData);
    f(L"wcs", s.m_worldCoordinateSystems);
    f(L"layers", s.m_layers);
    f(L"layer_filters", s.m_layerFilters);
    f(L"materials", s.m_materials);
    f(L"note_parameters", s.m_noteParameters);
    f(L"symmetries", s.m_symmetries);
    f(L"display_sets", s.m_displaySets);
}

}  // namespace trx
