#include <typeinfo>

#include "../trx_api_exchange_mfg.h"

#include "../trx_api_exchange_mechanical_common.h"
#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

TRX_ENUM(ExcMfgPattern::EType, unknown, none, rectangular, circular, user_defined);

namespace {

using Indices = std::vector<ExcMfgPattern::InstanceIndex>;

std::int32_t indexOrMinusOne(const JsonValue& v) { return v.IsInt() ? v.GetInt() : -1; }

// A list of instance indices as an array of pairs. Items shorter than a pair are skipped
// with a WARNING; extra elements are ignored.
template <class List>
struct IndexPairs : json::FieldAdapter {
    List& list;
    const char* shortItemText;

    bool present() const { return true; }
    void read(const JsonValue& array) const {
        if (!array.IsArray()) return;
        for (const auto& item : array.GetArray()) {
            if (item.IsArray() && item.Size() >= 2)
                list.emplace_back(indexOrMinusOne(item[0]), indexOrMinusOne(item[1]));
            else
                detail::logText(vx_bridge::kWarning, shortItemText);
        }
    }
    JsonValue write(JsonAllocator& allocator) const {
        JsonValue array(rapidjson::kArrayType);
        array.Reserve(static_cast<rapidjson::SizeType>(list.size()), allocator);
        for (const auto& [first, second] : list) {
            JsonValue pair(rapidjson::kArrayType);
            pair.PushBack(first, allocator).PushBack(second, allocator);
            array.PushBack(pair, allocator);
        }
        return array;
    }
    template <class G>
    void members(G&& g) const { g(list); }
};
template <class List>
IndexPairs<List> indexPairs(List& list, const char* shortItemText) {
    return {{}, list, shortItemText};
}

template <class P>
bool sameKind(const ExcMfgPattern& a, const ExcMfgPattern& b) {
    const auto* x = dynamic_cast<const P*>(&a);
    const auto* y = dynamic_cast<const P*>(&b);
    return x != nullptr && y != nullptr && *x == *y;
}

}  // namespace

// ---- instance -----------------------------------------------------------------------

void ExcMfgPattern::Instance::addLimiting(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_limiting, entity,
                      "ExcMfgPattern::Instance: attempt to add null Limiting Entity object.");
}

void ExcMfgPattern::Instance::addDefining(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_defining, entity,
                      "ExcMfgPattern::Instance: attempt to add null Defining Entity object.");
}

TRX_FIELDS(ExcMfgPattern::Instance, IJsonObject) {
    f(L"is_base", s.m_baseInstance);
    f(L"limiting", s.m_limiting);
    f(L"defining", s.m_defining);
}

// ---- pattern base and dispatch --------------------------------------------------------

std::shared_ptr<ExcMfgPattern> ExcMfgPattern::readPattern(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcMfgPattern")) return nullptr;
    const JsonValue* type = json::member(value, L"type");
    if (type == nullptr || !type->IsString()) {
        detail::logText(vx_bridge::kError, "ExcMfgPattern should have a type.");
        return nullptr;
    }
    std::shared_ptr<ExcMfgPattern> pattern;
    switch (enumFromString<EType>(type->GetString())) {
        case EType::rectangular: pattern = std::make_shared<ExcMfgPatternRectangular>(); break;
        case EType::circular: pattern = std::make_shared<ExcMfgPatternCircular>(); break;
        case EType::user_defined: pattern = std::make_shared<ExcMfgPatternUserDefined>(); break;
        case EType::none: return nullptr;
        case EType::unknown:
            detail::logText(vx_bridge::kError, "ExcMfgPattern: unknown type.");
            return nullptr;
    }
    pattern->readObject(value);
    return pattern;
}

bool ExcMfgPattern::operator==(const ExcMfgPattern& o) const {
    if (typeid(*this) != typeid(o)) return false;
    switch (type()) {
        case EType::rectangular: return sameKind<ExcMfgPatternRectangular>(*this, o);
        case EType::circular: return sameKind<ExcMfgPatternCircular>(*this, o);
        case EType::user_defined: return sameKind<ExcMfgPatternUserDefined>(*this, o);
        default: return this == &o;  // a kind of the caller's own: only itself is known equal
    }
}

// ---- rectangular --------------------------------------------------------------------

TRX_FIELDS(ExcMfgPatternRectangular, IJsonObject) {
    f(L"type", json::writeOnly(s.type()));
    f(L"anchor_point", s.m_anchorPoint);
    f(L"align_primary_dir", s.m_alignmentPrimaryDirection);
    f(L"align_secondary_dir", s.m_alignmentSecondaryDirection);
    f(L"primary_inst_count", s.m_primaryInstanceCount);
    f(L"secondary_inst_count", s.m_secondaryInstanceCount);
    f(L"primary_spacing", s.m_primarySpacing);
    f(L"secondary_spacing", s.m_secondarySpacing);
    f(L"base_instance", s.m_baseInstance);
    f(L"simplified", s.m_simplified);
    f(L"visible_instances", indexPairs(s.m_visibleInstances,
        "ExcMfgPatternRectangular: invalid size of visible_instances array item (pair)."));
    f(L"deactivated_instances", indexPairs(s.m_deactivatedInstances,
        "ExcMfgPatternRectangular: invalid size of deactivated instances array item (pair)."));
}

// ---- circular -----------------------------------------------------------------------

TRX_FIELDS(ExcMfgPatternCircular, IJsonObject) {
    f(L"type", json::writeOnly(s.type()));
    f(L"anchor_point", s.m_anchorPoint);
    f(L"center_of_rotation", s.m_centerOfRotation);
    f(L"axis_of_rotation", s.m_axisOfRotation);
    f(L"axial_inst_count", s.m_axialInstanceCount);
    f(L"radial_inst_count", s.m_radialInstanceCount);
    f(L"axial_dist_degrees", s.m_axialDistanceDegrees);
    f(L"radial_dist", s.m_radialDistance);
    f(L"fixed_rot_orient", s.m_fixedRotationOrientation);
    f(L"base_instance", s.m_baseInstance);
    f(L"simplified", s.m_simplified);
    f(L"visible_instances", indexPairs(s.m_visibleInstances,
        "ExcMfgPatternCircular: invalid size of visible_instances array item (pair)."));
    f(L"deactivated_instances", indexPairs(s.m_deactivatedInstances,
        "ExcMfgPatternCircular: invalid size of deactivated_instances array item (pair)."));
}

// ---- user defined -------------------------------------------------------------------

TRX_FIELDS(ExcMfgPatternUserDefined, IJsonObject) {
    f(L"type", json::writeOnly(s.type()));
    f(L"anchor_point", s.m_anchorPoint);
    f(L"base_instance", s.m_baseInstance);
    f(L"instance_positions", s.m_instancePositions);
    f(L"deactivated_positions", s.m_deactivatedPositions);
}

}  // namespace trx
