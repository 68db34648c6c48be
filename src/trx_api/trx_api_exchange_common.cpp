#include "trx_api_exchange_common.h"

#include <algorithm>
#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/fields.h"

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

void ExcTransformation::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) return;
    json::get(value, L"affine", m_affine);
    json::get(value, L"translation", m_translation);
}

void ExcTransformation::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"affine", m_affine);
    json::put(value, allocator, L"translation", m_translation);
}

// ---- colour -------------------------------------------------------------------------

void ExcColor::readObject(const JsonValue& value) {
    TRX_TRACE();
    m_hasRGB = m_hasAlpha = false;
    if (!value.IsObject()) return;
    if (const JsonValue* rgb = json::member(value, L"rgb"); rgb != nullptr && rgb->IsArray()) {
        m_hasRGB = true;
        for (std::size_t i = 0; i < 3 && i < rgb->Size() && (*rgb)[i].IsUint(); ++i)
            m_channels[i] = static_cast<unsigned short>((*rgb)[i].GetUint());  // upper bits dropped
    }
    if (const JsonValue* a = json::member(value, L"alpha"); a != nullptr && a->IsUint()) {
        m_hasAlpha = true;
        m_channels[alpha] = static_cast<unsigned short>(a->GetUint());
    }
}

void ExcColor::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    if (!m_hasRGB && !m_hasAlpha) {
        value.SetNull();
        return;
    }
    value.SetObject();
    if (m_hasRGB) {
        JsonValue rgb(rapidjson::kArrayType);
        rgb.Reserve(3, allocator);
        for (int c : {red, green, blue}) rgb.PushBack(unsigned(m_channels[c]), allocator);
        value.AddMember(L"rgb", rgb, allocator);
    }
    if (m_hasAlpha) json::put(value, allocator, L"alpha", std::uint32_t(m_channels[alpha]));
}

// ---- properties ---------------------------------------------------------------------

void ExcMiscProperty::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) {
        logText(vx_bridge::kWarning, "ExcMiscProperty::readObject: input JsonValue is not an object");
        return;
    }
    json::get(value, L"name", m_name);
    json::get(value, L"type", m_type);
    json::get(value, L"value", m_value);
}

void ExcMiscProperty::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"name", m_name);
    json::put(value, allocator, L"type", m_type);
    json::put(value, allocator, L"value", m_value);
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
    if (!value.IsObject()) {
        logText(vx_bridge::kWarning, "ExcMiscPropertiesGroup::readObject: input JsonValue is not an object.");
        return;
    }
    json::get(value, L"name", m_name);
    json::get(value, L"is_bim", m_bim);
    if (const JsonValue* props = json::member(value, L"properties"); props && props->IsArray())
        readProperties(*props);
}

void ExcMiscPropertiesGroup::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"name", m_name);
    json::put(value, allocator, L"is_bim", m_bim);
    JsonValue props(rapidjson::kArrayType);
    props.Reserve(static_cast<rapidjson::SizeType>(m_properties.size()), allocator);
    for (const auto& p : m_properties) props.PushBack(json::toJson(p, allocator), allocator);
    value.AddMember(L"properties", props, allocator);
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

void ExcMiscData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsArray()) {
        logText(vx_bridge::kWarning, "ExcMiscData::readObject: input JsonValue is not an array.");
        return;
    }
    if (value.Empty() || !value[0].IsObject()) return;
    const JsonValue& first = value[0];
    const bool flat = first.HasMember(L"name") && first.HasMember(L"type") && first.HasMember(L"value");
    if (flat) {
        // A bare list of properties: one unnamed group holds them all.
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

bool ExcMiscData::operator==(const ExcMiscData& o) const {
    return std::equal(m_groups.begin(), m_groups.end(), o.m_groups.begin(), o.m_groups.end(),
                      [](const auto& a, const auto& b) { return *a == *b; });
}

// ---- sub-entity paths and entities --------------------------------------------------

void ExcFullSubentPath::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcFullSubentPath")) return;
    json::get(value, L"block_references", m_refs);
    json::get(value, L"subent_id", m_subentId);
    if (const JsonValue* t = json::member(value, L"subent_type"); t && t->IsString() && t->GetStringLength() > 0) {
        switch (t->GetString()[0]) {
            case L'b': case L'e': case L'f': case L'v':
                m_subentType = static_cast<ESubentType>(t->GetString()[0]);
                break;
            default: break;
        }
    }
    json::get(value, L"visu_id", m_visuId);
    if (const JsonValue* ip = json::member(value, L"instance_path")) m_instancePath = ip->IsTrue();
}

void ExcFullSubentPath::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    if (!m_refs.empty()) json::put(value, allocator, L"block_references", m_refs);
    json::put(value, allocator, L"subent_id", m_subentId);
    json::put(value, allocator, L"subent_type", std::wstring(1, static_cast<wchar_t>(m_subentType)));
    if (!m_visuId.empty()) json::put(value, allocator, L"visu_id", m_visuId);
    if (m_instancePath) json::put(value, allocator, L"instance_path", true);
}

void ExcEntity::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcEntity")) return;
    json::get(value, L"type", m_type);
    json::get(value, L"id", m_id);
    // A null path stays null: reading it into a fresh default path would invent data.
    if (const JsonValue* fsp = json::member(value, L"fsp"); fsp && !fsp->IsNull()) json::fromJson(*fsp, m_fsp);
    json::get(value, L"description", m_description);
}

void ExcEntity::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"type", m_type);
    switch (m_type) {
        case EType::fsp:
            value.AddMember(L"fsp", json::toJson(m_fsp, allocator), allocator);  // null when unset
            break;
        case EType::mfg:
            json::put(value, allocator, L"id", m_id);
            break;
        case EType::original:
            json::put(value, allocator, L"description", m_description);
            json::put(value, allocator, L"id", m_id);
            break;
        case EType::unknown: break;
    }
}

bool ExcEntity::operator==(const ExcEntity& o) const {
    if (m_type != o.m_type) return false;
    switch (m_type) {
        case EType::fsp:
            return m_fsp && o.m_fsp ? *m_fsp == *o.m_fsp : m_fsp == o.m_fsp;
        case EType::mfg: return m_id == o.m_id;
        case EType::original: return m_id == o.m_id && m_description == o.m_description;
        case EType::unknown: break;
    }
    return true;
}

}  // namespace trx
