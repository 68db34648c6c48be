#include "trx_api_exchange_common.h"

#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/field_adapters.h"

namespace trx {

TRX_ENUM(ExcMiscProperty::EType, unknown, string, integer, (double_, "double"), boolean, date_time);

TRX_ENUM(ExcEntity::EType, unknown, fsp, mfg, original);

using detail::logText;
using detail::logWith;

// ---- vectors, matrix, transformation ------------------------------------------------

template <std::size_t N>
std::size_t ExcVectorBase<N>::check(std::size_t i) {
    if (i >= N) throw std::invalid_argument("out of range");
    return i;
}

template <std::size_t N>
void ExcVectorBase<N>::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsArray()) {
        logText(vx_bridge::kError, "Exchange vector/point (2D/3D) object should have a JSON array type.");
        return;
    }
    // Components are taken in order up to the first missing or non-double element.
    for (std::size_t i = 0; i < N && i < value.Size() && value[i].IsDouble(); ++i)
        m_v[i] = value[i].GetDouble();
}

template <std::size_t N>
void ExcVectorBase<N>::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(N, allocator);
    for (double c : m_v) value.PushBack(c, allocator);
}

template class ExcVectorBase<2>;
template class ExcVectorBase<3>;

ExcMatrix3d::ExcMatrix3d() : m_rows{ExcVector3d(1, 0, 0), ExcVector3d(0, 1, 0), ExcVector3d(0, 0, 1)} {}

const ExcVector3d& ExcMatrix3d::row(std::size_t i) const {
    if (i >= 3) throw std::invalid_argument("out of range");
    return m_rows[i];
}

ExcVector3d& ExcMatrix3d::row(std::size_t i) {
    if (i >= 3) throw std::invalid_argument("out of range");
    return m_rows[i];
}

void ExcMatrix3d::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsArray()) return;
    for (std::size_t i = 0; i < 3 && i < value.Size() && value[i].IsArray(); ++i)
        m_rows[i].readObject(value[i]);
}

void ExcMatrix3d::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(3, allocator);
    for (const auto& r : m_rows) value.PushBack(json::toJson(r, allocator), allocator);
}

TRX_FIELDS(ExcTransformation, IJsonObject) {
    f(L"affine", s.m_affine);
    f(L"translation", s.m_translation);
}

// ---- colour -------------------------------------------------------------------------

// "No colour" travels as null, so reading and writing wrap the list in that form.
void ExcColor::readObject(const JsonValue& value) {
    TRX_TRACE();
    m_hasRGB = m_hasAlpha = false;
    if (value.IsObject()) fields(*this, json::Reader{value});
}

void ExcColor::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    if (m_hasRGB || m_hasAlpha)
        json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
    else
        value.SetNull();
}

TRX_BINARY_THROUGH_DOCUMENT(ExcColor)

bool ExcColor::operator==(const ExcColor& o) const {
    return json::sameFields(*this, o, TRX_FIELDS_LIST_);
}

template <class Self, class F>
void ExcColor::fields(Self& s, F&& f) {
    f(L"rgb", json::leadingItems(s.m_channels, 3, s.m_hasRGB));
    f(L"alpha", json::flaggedChannel(s.m_channels[alpha], s.m_hasAlpha));
}

// ---- properties ---------------------------------------------------------------------

// Property records refuse a non-object with a WARNING of their own, not the common ERROR.
void ExcMiscProperty::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (value.IsObject())
        fields(*this, json::Reader{value});
    else
        logText(vx_bridge::kWarning, "ExcMiscProperty::readObject: input JsonValue is not an object");
}

void ExcMiscProperty::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

TRX_BINARY_THROUGH_DOCUMENT(ExcMiscProperty)

bool ExcMiscProperty::operator==(const ExcMiscProperty& o) const {
    return json::sameFields(*this, o, TRX_FIELDS_LIST_);
}

template <class Self, class F>
void ExcMiscProperty::fields(Self& s, F&& f) {
    f(L"name", s.m_name);
    f(L"type", s.m_type);
    f(L"value", s.m_value);
}

void ExcMiscPropertiesGroup::readProperties(const JsonValue& array) {
    for (const auto& item : array.GetArray()) {
        ExcMiscProperty p;
        p.readObject(item);
        addProperty(std::move(p));
    }
}

void ExcMiscPropertiesGroup::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (value.IsObject())
        fields(*this, json::Reader{value});
    else
        logText(vx_bridge::kWarning, "ExcMiscPropertiesGroup::readObject: input JsonValue is not an object.");
}

void ExcMiscPropertiesGroup::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

TRX_BINARY_THROUGH_DOCUMENT(ExcMiscPropertiesGroup)

bool ExcMiscPropertiesGroup::operator==(const ExcMiscPropertiesGroup& o) const {
    return json::sameFields(*this, o, TRX_FIELDS_LIST_);
}

template <class Self, class F>
void ExcMiscPropertiesGroup::fields(Self& s, F&& f) {
    f(L"name", s.m_name);
    f(L"is_bim", s.m_bim);
    f(L"properties", json::addedBy(s.m_properties, [&s](auto&& p) { s.addProperty(std::move(p)); }));
}

void ExcMiscData::addGroup(const std::shared_ptr<ExcMiscPropertiesGroup>& group) {
    if (!group) {
        logText(vx_bridge::kWarning, "ExcMiscData::addGroup: attempt to add null group");
        return;
    }
    if (!m_groups.insert(group).second) {
        logWith(vx_bridge::kWarning, [&](std::ostream& os) {
            os << "ExcMiscData::addGroup: properties group '" << toNarrow(group->name())
               << "' already exist, some properties can be lost.";
        });
    }
}

// A bare array, of groups or of the properties of one unnamed group: no key list.
void ExcMiscData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsArray()) {
        logText(vx_bridge::kWarning, "ExcMiscData::readObject: input JsonValue is not an array.");
        return;
    }
    if (value.Empty() || !value[0].IsObject()) return;
    const JsonValue& first = value[0];
    if (first.HasMember(L"name") && first.HasMember(L"type") && first.HasMember(L"value")) {
        auto group = std::make_shared<ExcMiscPropertiesGroup>();
        group->readProperties(value);
        addGroup(group);
        return;
    }
    for (const auto& item : value.GetArray()) {
        auto group = std::make_shared<ExcMiscPropertiesGroup>();
        group->readObject(item);
        addGroup(group);
    }
}

void ExcMiscData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(static_cast<rapidjson::SizeType>(m_groups.size()), allocator);
    for (const auto& g : m_groups) value.PushBack(json::toJson(*g, allocator), allocator);
}

bool ExcMiscData::operator==(const ExcMiscData& o) const { return detail::same(m_groups, o.m_groups); }

// ---- sub-entity paths and entities --------------------------------------------------

TRX_FIELDS(ExcFullSubentPath, IJsonObject) {
    f(L"block_references", s.m_refs, !s.m_refs.empty());
    f(L"subent_id", s.m_subentId);
    f(L"subent_type", json::charCode(s.m_subentType, L"befv"));
    f(L"visu_id", s.m_visuId, !s.m_visuId.empty());
    f(L"instance_path", s.m_instancePath, s.m_instancePath);
}

void ExcEntity::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readRecord<IJsonObject>(*this, value, "ExcEntity", TRX_FIELDS_LIST_);
}

void ExcEntity::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

TRX_BINARY_THROUGH_DOCUMENT(ExcEntity)

// Only what the type writes takes part: an mfg reference keeps a stale description.
bool ExcEntity::operator==(const ExcEntity& o) const {
    if (m_type != o.m_type) return false;
    switch (m_type) {
        case EType::fsp: return detail::same(m_fsp, o.m_fsp);
        case EType::mfg: return m_id == o.m_id;
        case EType::original: return m_id == o.m_id && m_description == o.m_description;
        case EType::unknown: break;
    }
    return true;
}

// Each type writes only what it uses.
template <class Self, class F>
void ExcEntity::fields(Self& s, F&& f) {
    f(L"type", s.m_type);
    f(L"fsp", json::nullableRecord(s.m_fsp), s.m_type == EType::fsp);  // null when unset
    f(L"description", s.m_description, s.m_type == EType::original);
    f(L"id", s.m_id, s.m_type == EType::mfg || s.m_type == EType::original);
}

}  // namespace trx
