#pragma once

// Small value records that every model record carries: vectors, matrices, transformations,
// colours, properties, sub-entity paths and entity references.

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "json/enum_strings.h"
#include "json/json_object.h"

namespace trx {

// N components, x first. Index N or more throws std::invalid_argument "out of range".
template <std::size_t N>
class TRX_API ExcVectorBase : public IJsonObject {
public:
    ExcVectorBase() = default;
    double operator[](std::size_t i) const { return m_v[check(i)]; }
    double& operator[](std::size_t i) { return m_v[check(i)]; }

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcVectorBase& o) const { return m_v == o.m_v; }
    bool operator!=(const ExcVectorBase& o) const { return !(*this == o); }

protected:
    static std::size_t check(std::size_t i);
    std::array<double, N> m_v{};
};

class TRX_API ExcVector2d : public ExcVectorBase<2> {
public:
    ExcVector2d() = default;
    ExcVector2d(double x, double y) { set(x, y); }
    double x() const { return m_v[0]; }
    double& x() { return m_v[0]; }
    double y() const { return m_v[1]; }
    double& y() { return m_v[1]; }
    void set(double x, double y) { m_v = {x, y}; }
};

class TRX_API ExcVector3d : public ExcVectorBase<3> {
public:
    ExcVector3d() = default;
    ExcVector3d(double x, double y, double z) { set(x, y, z); }
    double x() const { return m_v[0]; }
    double& x() { return m_v[0]; }
    double y() const { return m_v[1]; }
    double& y() { return m_v[1]; }
    double z() const { return m_v[2]; }
    double& z() { return m_v[2]; }
    void set(double x, double y, double z) { m_v = {x, y, z}; }
};

// Three rows, identity by default.
class TRX_API ExcMatrix3d : public IJsonObject {
public:
    ExcMatrix3d();
    const ExcVector3d& row(std::size_t i) const;
    ExcVector3d& row(std::size_t i);
    const ExcVector3d& operator[](std::size_t i) const { return row(i); }
    ExcVector3d& operator[](std::size_t i) { return row(i); }

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcMatrix3d& o) const { return m_rows == o.m_rows; }
    bool operator!=(const ExcMatrix3d& o) const { return !(*this == o); }

private:
    std::array<ExcVector3d, 3> m_rows;
};

class TRX_API ExcTransformation : public IJsonObject {
public:
    const ExcMatrix3d& affine() const { return m_affine; }
    ExcMatrix3d& affine() { return m_affine; }
    const ExcVector3d& translation() const { return m_translation; }
    ExcVector3d& translation() { return m_translation; }

    TRX_JSON_RECORD(ExcTransformation);

private:
    ExcMatrix3d m_affine;
    ExcVector3d m_translation;
};

// RGB with optional alpha; with neither flag set it is "no colour" and travels as null.
class TRX_API ExcColor : public IJsonObject {
public:
    enum EChannel { red = 0, green = 1, blue = 2, alpha = 3 };

    ExcColor() = default;
    ExcColor(unsigned short r, unsigned short g, unsigned short b)
        : m_hasRGB(true), m_channels{r, g, b, 255} {}
    ExcColor(unsigned short r, unsigned short g, unsigned short b, unsigned short a)
        : m_hasRGB(true), m_hasAlpha(true), m_channels{r, g, b, a} {}

    unsigned short channel(EChannel c) const { return m_channels[c]; }
    unsigned short& channel(EChannel c) { return m_channels[c]; }
    unsigned short operator[](EChannel c) const { return m_channels[c]; }
    unsigned short& operator[](EChannel c) { return m_channels[c]; }
    bool hasRGB() const { return m_hasRGB; }
    void setHasRGB(bool v) { m_hasRGB = v; }
    bool hasAlpha() const { return m_hasAlpha; }
    void setHasAlpha(bool v) { m_hasAlpha = v; }

    TRX_JSON_RECORD(ExcColor);

private:
    bool m_hasRGB = false;
    bool m_hasAlpha = false;
    std::array<unsigned short, 4> m_channels{0, 0, 0, 255};
};

// A named property whose value is text; the type says how to understand it.
class TRX_API ExcMiscProperty : public IJsonObject {
public:
    enum class EType : int { unknown = 0, string = 1, integer = 2, double_ = 3, boolean = 4, date_time = 5 };

    ExcMiscProperty() = default;
    ExcMiscProperty(const std::wstring& name, EType type, const std::wstring& value)
        : m_name(name), m_type(type), m_value(value) {}

    const std::wstring& name() const { return m_name; }
    ExcMiscProperty& setName(const std::wstring& v) { m_name = v; return *this; }
    EType type() const { return m_type; }
    ExcMiscProperty& setType(EType v) { m_type = v; return *this; }
    const std::wstring& value() const { return m_value; }
    ExcMiscProperty& setValue(const std::wstring& v) { m_value = v; return *this; }
    ExcMiscProperty& set(EType type, const std::wstring& value) { m_type = type; m_value = value; return *this; }

    TRX_JSON_RECORD(ExcMiscProperty);

private:
    std::wstring m_name;
    EType m_type = EType::unknown;
    std::wstring m_value;
};

struct ExcMiscPropertyCmp {
    bool operator()(const ExcMiscProperty& a, const ExcMiscProperty& b) const { return a.name() < b.name(); }
};

// Properties by name: the first one added under a name wins.
class TRX_API ExcMiscPropertiesGroup : public IJsonObject {
public:
    using Properties = std::set<ExcMiscProperty, ExcMiscPropertyCmp>;

    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isBim() const { return m_bim; }
    void setBim(bool v) { m_bim = v; }
    const Properties& properties() const { return m_properties; }
    void addProperty(const ExcMiscProperty& p) { m_properties.insert(p); }
    void addProperty(ExcMiscProperty&& p) { m_properties.insert(std::move(p)); }

    // Properties compare by value, in name order.
    TRX_JSON_RECORD(ExcMiscPropertiesGroup);

private:
    friend class ExcMiscData;
    void readProperties(const JsonValue& array);

    std::wstring m_name;
    bool m_bim = false;
    Properties m_properties;
};

struct ExcMiscPropertiesGroupPtrCmp {
    bool operator()(const std::shared_ptr<ExcMiscPropertiesGroup>& a,
                    const std::shared_ptr<ExcMiscPropertiesGroup>& b) const {
        return a->name() < b->name();
    }
};

// Groups by name; travels as a bare array of groups.
class TRX_API ExcMiscData : public IJsonObject {
public:
    using Groups = std::set<std::shared_ptr<ExcMiscPropertiesGroup>, ExcMiscPropertiesGroupPtrCmp>;

    const Groups& groups() const { return m_groups; }
    bool isEmpty() const { return m_groups.empty(); }
    void addGroup(const std::shared_ptr<ExcMiscPropertiesGroup>& group);

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcMiscData& o) const;
    bool operator!=(const ExcMiscData& o) const { return !(*this == o); }

private:
    Groups m_groups;
};

// A path through block references down to one body, face, edge or vertex.
class TRX_API ExcFullSubentPath : public IJsonObject {
public:
    enum class ESubentType : std::uint16_t { body = 'b', edge = 'e', face = 'f', vertex = 'v' };

    ExcFullSubentPath() = default;
    explicit ExcFullSubentPath(const std::uint64_t& subentId) : m_subentId(subentId) {}

    const std::vector<std::wstring>& refs() const { return m_refs; }
    std::vector<std::wstring>& refs() { return m_refs; }
    std::uint64_t subentId() const { return m_subentId; }
    void setSubentId(const std::uint64_t& v) { m_subentId = v; }
    ESubentType subentType() const { return m_subentType; }
    void setSubentType(ESubentType v) { m_subentType = v; }
    const std::wstring& visuId() const { return m_visuId; }
    void setVisuId(const std::wstring& v) { m_visuId = v; }
    bool isInstancePath() const { return m_instancePath; }
    void setInstancePath(bool v) { m_instancePath = v; }

    TRX_JSON_RECORD(ExcFullSubentPath);

private:
    std::vector<std::wstring> m_refs;
    std::uint64_t m_subentId = 0;
    ESubentType m_subentType = ESubentType::body;
    std::wstring m_visuId;
    bool m_instancePath = false;
};

// A reference to a model entity: a sub-entity path, a manufacturing object id, or an entity
// of the source model.
class TRX_API ExcEntity : public IJsonObject {
public:
    enum class EType : int { unknown = 0, fsp = 1, mfg = 2, original = 3 };

    EType type() const { return m_type; }
    void setType(EType v) { m_type = v; }
    const std::wstring& id() const { return m_id; }
    void setId(const std::wstring& v) { m_id = v; }
    const std::shared_ptr<ExcFullSubentPath>& fsp() const { return m_fsp; }
    void setFsp(const std::shared_ptr<ExcFullSubentPath>& v) { m_fsp = v; }
    const std::wstring& description() const { return m_description; }
    void setDescription(const std::wstring& v) { m_description = v; }

    // Compares what the type uses, paths by value.
    TRX_JSON_RECORD(ExcEntity);

private:
    EType m_type = EType::unknown;
    std::wstring m_id;
    std::shared_ptr<ExcFullSubentPath> m_fsp;
    std::wstring m_description;
};

using ExcEntities = std::vector<std::shared_ptr<ExcEntity>>;

}  // namespace trx
