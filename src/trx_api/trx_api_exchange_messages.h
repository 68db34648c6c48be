#pragma once

// What the bridge reports while it works (messages, log lines, progress, finished stages)
// and the legacy per-component maps keyed by the host drawing's object handles.

#include <cstdint>
#include <map>
#include <string>

#include "trx_api_exchange_object.h"

namespace trx {

// ---- messages, progress, stages -----------------------------------------------------

// A text for the host; the two subclasses differ only in their object names.
class TRX_API ExcMessageBase : public IExchangeObject {
public:
    ExcMessageBase() = default;
    explicit ExcMessageBase(const std::wstring& message) : m_message(message) {}
    explicit ExcMessageBase(const wchar_t* message) : m_message(message ? message : L"") {}

    const std::wstring& get() const { return m_message; }
    void set(const std::wstring& message) { m_message = message; }

    TRX_JSON_RECORD(ExcMessageBase);

private:
    std::wstring m_message;
};

// A message for the user.
class TRX_API ExcMessage : public ExcMessageBase {
    TRX_EXCHANGE_OBJECT(ExcMessage)
    using ExcMessageBase::ExcMessageBase;
    ExcMessage() = default;
};

// A line for the host's log.
class TRX_API ExcLog : public ExcMessageBase {
    TRX_EXCHANGE_OBJECT(ExcLog)
    using ExcMessageBase::ExcMessageBase;
    ExcLog() = default;
};

class TRX_API ExcProgress : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcProgress)
    int progress() const { return m_progress; }
    void setProgress(int v) { m_progress = v; }
    int progressMax() const { return m_progressMax; }
    void setProgressMax(int v) { m_progressMax = v; }
    bool pulse() const { return m_pulse; }
    void setPulse(bool v) { m_pulse = v; }
    // Free text, not a stage of ExcStageFinished.
    const std::wstring& stage() const { return m_stage; }
    void setStage(const std::wstring& v) { m_stage = v; }

    // The pulse flag does not take part in equality: it only says how to show the report.
    TRX_JSON_RECORD(ExcProgress);

private:
    std::int32_t m_progress = 0;
    std::int32_t m_progressMax = 100;
    bool m_pulse = false;
    std::wstring m_stage;
};

// One part of the output is complete. Travels as a bare JSON string.
class TRX_API ExcStageFinished : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcStageFinished)
    enum class EStage : int {
        unknown = 0, product_structure = 1, root_visualization = 2, visualization = 3,
        root_mechanical = 4, mechanical = 5, visu_and_mech = 6
    };

    ExcStageFinished() = default;
    explicit ExcStageFinished(EStage stage) : m_stage(stage) {}

    EStage stage() const { return m_stage; }
    void setStage(EStage stage) { m_stage = stage; }

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcStageFinished& o) const { return m_stage == o.m_stage; }
    bool operator!=(const ExcStageFinished& o) const { return !(*this == o); }

private:
    EStage m_stage = EStage::unknown;
};

// ---- legacy per-component maps ------------------------------------------------------

// The host drawing database's object handle; only its number is used.
class TRX_API OdDbHandle {
public:
    constexpr OdDbHandle() = default;
    constexpr OdDbHandle(std::uint64_t value) : m_value(value) {}  // NOLINT: a handle is its number

    constexpr std::uint64_t value() const { return m_value; }

    friend constexpr bool operator==(OdDbHandle a, OdDbHandle b) { return a.m_value == b.m_value; }
    friend constexpr bool operator!=(OdDbHandle a, OdDbHandle b) { return a.m_value != b.m_value; }
    friend constexpr bool operator<(OdDbHandle a, OdDbHandle b) { return a.m_value < b.m_value; }
    friend constexpr bool operator>(OdDbHandle a, OdDbHandle b) { return a.m_value > b.m_value; }
    friend constexpr bool operator<=(OdDbHandle a, OdDbHandle b) { return a.m_value <= b.m_value; }
    friend constexpr bool operator>=(OdDbHandle a, OdDbHandle b) { return a.m_value >= b.m_value; }

private:
    std::uint64_t m_value = 0;
};

// Instance name per component. Travels as an array of {component_handle, component_name}.
class TRX_API LegacyComponentInstanceNames : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(LegacyComponentInstanceNames)
    using Map = std::map<OdDbHandle, std::wstring>;

    const Map& map() const { return m_map; }
    void setMap(const Map& map) { m_map = map; }
    // Replaces an earlier name of the handle.
    bool addInstanceName(const OdDbHandle& handle, const std::wstring& name);
    // Takes only handles not yet present.
    void merge(const LegacyComponentInstanceNames& other);

    // Adds to what is held; a handle read twice keeps the later name. Throws
    // std::invalid_argument for a value that is not an array.
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const LegacyComponentInstanceNames& o) const { return m_map == o.m_map; }
    bool operator!=(const LegacyComponentInstanceNames& o) const { return !(*this == o); }

private:
    Map m_map;
};

// Material per component. Travels as an array of {component_handle, component_material}.
class TRX_API LegacyMaterialMap : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(LegacyMaterialMap)
    // The three numbers carry no units; they pass unchanged.
    struct TRX_API Material {
        bool hasMaterial = false;
        std::wstring name;
        double density = 0;
        double thermalConductivity = 0;
        double specificHeat = 0;

        bool operator==(const Material& o) const;
        bool operator!=(const Material& o) const { return !(*this == o); }

        template <class Self, class F>
        static void fields(Self& s, F&& f);
    };
    using Map = std::map<OdDbHandle, Material>;

    const Map& map() const { return m_map; }
    void setMap(const Map& map) { m_map = map; }
    // Replaces an earlier material of the handle.
    bool addMaterial(const OdDbHandle& handle, const Material& material);
    // Takes only handles not yet present.
    void merge(const LegacyMaterialMap& other);

    // Adds to what is held; unlike the instance names, a handle already present keeps its
    // first material. Throws std::invalid_argument for a value that is not an array.
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const LegacyMaterialMap& o) const { return m_map == o.m_map; }
    bool operator!=(const LegacyMaterialMap& o) const { return !(*this == o); }

private:
    Map m_map;
};

}  // namespace trx
