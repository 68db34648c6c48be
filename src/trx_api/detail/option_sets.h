#pragma once

// Internal: the library's own implementations of the option-set interfaces. Commands accept
// only these, so every set that travels has the JSON form below.

#include <map>

#include "../trx_api_command.h"

namespace trx {

// The per-format groups of a set: one per format type, written in format-type order.
class FormatOptionsMap {
public:
    std::shared_ptr<IFormatOptions> get(EFormatType type) const;
    void set(std::shared_ptr<IFormatOptions> group);
    // "format_options", only when there are groups.
    void write(JsonValue& object, JsonAllocator& allocator, const std::wstring& file) const;
    // Merges the groups of "format_options": a group replaces one of its format type.
    void read(const JsonValue& object, const std::wstring& file);

private:
    std::map<EFormatType, std::shared_ptr<IFormatOptions>> m_groups;
};

class ImportOptionsImpl final : public ImportOptions {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    const std::wstring& file() const override { return m_file; }
    void setFile(const std::wstring& file) override { m_file = file; }
    bool forceMPMode() const override { return m_forceMPMode; }
    void setForceMPMode(bool v) override { m_forceMPMode = v; }
    bool translateWorldOrientation() const override { return m_translateWorldOrientation; }
    void setTranslateWorldOrientation(bool v) override { m_translateWorldOrientation = v; }
    bool translateMiscData() const override { return m_translateMiscData; }
    void setTranslateMiscData(bool v) override { m_translateMiscData = v; }
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const override {
        return m_formatOptions.get(type);
    }
    void setFormatOptions(std::shared_ptr<IFormatOptions> options) override {
        m_formatOptions.set(std::move(options));
    }
    int modelerVersion() const override { return m_modelerVersion; }
    void setModelerVersion(int v) override { m_modelerVersion = v; }

private:
    std::wstring m_file;
    bool m_forceMPMode = false;
    bool m_translateWorldOrientation = false;
    bool m_translateMiscData = false;
    FormatOptionsMap m_formatOptions;
    int m_modelerVersion = 31;
};

class ExportOptionsImpl final : public ExportOptions {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    const std::wstring& file() const override { return m_file; }
    void setFile(const std::wstring& file) override { m_file = file; }
    const std::wstring& formatVersion() const override { return m_formatVersion; }
    void setFormatVersion(const std::wstring& v) override { m_formatVersion = v; }
    int geometryFlags() const override { return m_geometryFlags; }
    void setGeometryFlags(int v) override { m_geometryFlags = v; }
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const override {
        return m_formatOptions.get(type);
    }
    void setFormatOptions(std::shared_ptr<IFormatOptions> options) override {
        m_formatOptions.set(std::move(options));
    }

private:
    std::wstring m_file;
    std::wstring m_formatVersion;
    int m_geometryFlags = 0;
    FormatOptionsMap m_formatOptions;
};

class LegacyImportOptionsImpl final : public LegacyImportOptions {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    const std::wstring& file() const override { return m_file; }
    void setFile(const std::wstring& file) override { m_file = file; }
    bool forceMPMode() const override { return m_forceMPMode; }
    void setForceMPMode(bool v) override { m_forceMPMode = v; }
    bool translateWorldOrientation() const override { return m_translateWorldOrientation; }
    void setTranslateWorldOrientation(bool v) override { m_translateWorldOrientation = v; }
    bool translateMiscData() const override { return m_translateMiscData; }
    void setTranslateMiscData(bool v) override { m_translateMiscData = v; }
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const override {
        return m_formatOptions.get(type);
    }
    void setFormatOptions(std::shared_ptr<IFormatOptions> options) override {
        m_formatOptions.set(std::move(options));
    }
    int modelerVersion() const override { return m_modelerVersion; }
    void setModelerVersion(int v) override { m_modelerVersion = v; }

    bool useIopMP() const override { return m_useIopMP; }
    void setUseIopMP(bool v) override { m_useIopMP = v; }
    const std::wstring& temporaryDwg() const override { return m_temporaryDwg; }
    void setTemporaryDwg(const std::wstring& v) override { m_temporaryDwg = v; }
    int pmiMode() const override { return m_pmiMode; }
    void setPmiMode(int v) override { m_pmiMode = v; }
    int productStructureMode() const override { return m_productStructureMode; }
    void setProductStructureMode(int v) override { m_productStructureMode = v; }
    int colorsMode() const override { return m_colorsMode; }
    void setColorsMode(int v) override { m_colorsMode = v; }
    int hiddenPartsMode() const override { return m_hiddenPartsMode; }
    void setHiddenPartsMode(int v) override { m_hiddenPartsMode = v; }
    int insUnitsDefSource() const override { return m_insUnitsDefSource; }
    void setInsUnitsDefSource(int v) override { m_insUnitsDefSource = v; }
    bool importAcisNatively() const override { return m_importAcisNatively; }
    void setImportAcisNatively(bool v) override { m_importAcisNatively = v; }
    bool stepRotateYZ() const override { return m_stepRotateYZ; }
    void setStepRotateYZ(bool v) override { m_stepRotateYZ = v; }
    bool solidWorksRotateYZ() const override { return m_solidWorksRotateYZ; }
    void setSolidWorksRotateYZ(bool v) override { m_solidWorksRotateYZ = v; }
    EEdgeAttributeModeType catiaV5EdgeAttributeMode() const override { return m_edgeAttributeMode; }
    void setCatiaV5EdgeAttributeMode(EEdgeAttributeModeType v) override { m_edgeAttributeMode = v; }
    bool insUnitsScaling() const override { return m_insUnitsScaling; }
    void setInsUnitsScaling(bool v) override { m_insUnitsScaling = v; }
    bool hasAlternateSearchPath(const std::wstring& key) const override;
    const std::wstring& alternateSearchPath(const std::wstring& key) const override;
    void setAlternateSearchPath(const std::wstring& key, const std::wstring& path) override;
    bool printDebugLog() const override { return m_printDebugLog; }
    void setPrintDebugLog(bool v) override { m_printDebugLog = v; }

private:
    std::wstring m_file;
    std::wstring m_temporaryDwg;
    FormatOptionsMap m_formatOptions;
    std::map<std::wstring, std::wstring> m_alternateSearchPaths;
    int m_pmiMode = 1;               // graphical
    int m_productStructureMode = 2;  // as_mechanical_components
    int m_colorsMode = 1;            // matching_index
    int m_hiddenPartsMode = 1;       // import_show
    int m_insUnitsDefSource = 0;     // undefined
    EEdgeAttributeModeType m_edgeAttributeMode = EEdgeAttributeModeType::wire_body_only;
    bool m_importAcisNatively = false;
    bool m_stepRotateYZ = false;
    bool m_solidWorksRotateYZ = false;
    bool m_insUnitsScaling = false;
    bool m_useIopMP = false;
    bool m_printDebugLog = false;
    // Held for the interface, not serialised by the legacy form.
    bool m_forceMPMode = false;
    bool m_translateWorldOrientation = false;
    bool m_translateMiscData = false;
    int m_modelerVersion = 31;
};

class LegacyExportOptionsImpl final : public LegacyExportOptions {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    const std::wstring& file() const override { return m_file; }
    void setFile(const std::wstring& file) override { m_file = file; }
    const std::wstring& formatVersion() const override { return m_formatVersion; }
    void setFormatVersion(const std::wstring& v) override { m_formatVersion = v; }
    int geometryFlags() const override { return m_geometryFlags; }
    void setGeometryFlags(int v) override { m_geometryFlags = v; }
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType) const override { return nullptr; }
    void setFormatOptions(std::shared_ptr<IFormatOptions>) override {}

    const std::wstring& temporaryDwg() const override { return m_temporaryDwg; }
    void setTemporaryDwg(const std::wstring& v) override { m_temporaryDwg = v; }
    bool insUnitsScaling() const override { return m_insUnitsScaling; }
    void setInsUnitsScaling(bool v) override { m_insUnitsScaling = v; }
    int productStructureMode() const override { return m_productStructureMode; }
    void setProductStructureMode(int v) override { m_productStructureMode = v; }
    int hiddenPartsMode() const override { return m_hiddenPartsMode; }
    void setHiddenPartsMode(int v) override { m_hiddenPartsMode = v; }
    int insUnitsDefTarget() const override { return m_insUnitsDefTarget; }
    void setInsUnitsDefTarget(int v) override { m_insUnitsDefTarget = v; }
    const std::vector<std::int64_t>& selectionSet() const override { return m_selectionSet; }
    void setSelectionSet(const std::vector<std::int64_t>& v) override { m_selectionSet = v; }
    const ComponentNames& componentNames() const override { return m_componentNames; }
    void addComponentName(std::int64_t handle, const std::wstring& name) override {
        m_componentNames[handle] = name;
    }
    void setComponentNames(const ComponentNames& v) override { m_componentNames = v; }
    const std::vector<std::int64_t>& hiddenComponents() const override {
        return m_hiddenComponents;
    }
    void addHiddenComponent(std::int64_t handle) override { m_hiddenComponents.push_back(handle); }
    void setHiddenComponents(const std::vector<std::int64_t>& v) override {
        m_hiddenComponents = v;
    }
    int stepFormatVersion() const override { return m_stepFormatVersion; }
    void setStepFormatVersion(int v) override { m_stepFormatVersion = v; }
    int acisFormatVersion() const override { return m_acisFormatVersion; }
    void setAcisFormatVersion(int v) override { m_acisFormatVersion = v; }
    int catiaV4FormatVersion() const override { return m_catiaV4FormatVersion; }
    void setCatiaV4FormatVersion(int v) override { m_catiaV4FormatVersion = v; }
    int catiaV5FormatVersion() const override { return m_catiaV5FormatVersion; }
    void setCatiaV5FormatVersion(int v) override { m_catiaV5FormatVersion = v; }
    int parasolidFormatVersion() const override { return m_parasolidFormatVersion; }
    void setParasolidFormatVersion(int v) override { m_parasolidFormatVersion = v; }
    int xcgmFormatVersion() const override { return m_xcgmFormatVersion; }
    void setXcgmFormatVersion(int v) override { m_xcgmFormatVersion = v; }
    bool printDebugLog() const override { return m_printDebugLog; }
    void setPrintDebugLog(bool v) override { m_printDebugLog = v; }

private:
    std::wstring m_file;
    std::wstring m_formatVersion;
    int m_geometryFlags = 0;
    std::wstring m_temporaryDwg;
    bool m_insUnitsScaling = false;
    int m_productStructureMode = 1;  // as_mechanical_components
    int m_hiddenPartsMode = 0;       // export_hide
    int m_insUnitsDefTarget = 0;     // undefined
    std::vector<std::int64_t> m_selectionSet;
    ComponentNames m_componentNames;
    std::vector<std::int64_t> m_hiddenComponents;
    int m_stepFormatVersion = 2;
    int m_acisFormatVersion = 0;
    int m_catiaV4FormatVersion = 0;
    int m_catiaV5FormatVersion = 0;
    int m_parasolidFormatVersion = 0;
    int m_xcgmFormatVersion = 0;
    bool m_printDebugLog = false;
};

namespace detail {
// The string member a set cannot do without; its absence throws std::invalid_argument(message).
std::wstring requiredString(const JsonValue& object, const wchar_t* key, const char* message);
// The DEBUG record "<text><narrow value>".
void debugValue(const char* text, const std::wstring& value);
// The interface a name stands for; a name other than "connect" and "legacy" gives UConnect.
EBridgeInterface interfaceFromName(const std::wstring& name);
}  // namespace detail

}  // namespace trx
