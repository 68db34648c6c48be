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

// One option of a set: the interface's accessors over the member m_<getter>. Leaves the class
// in its protected section.
#define TRX_SET_MEMBER(Type, getter, setter, initial)                                              \
public:                                                                                            \
    OptionArg<Type> getter() const override { return m_##getter; }                                 \
    void setter(OptionArg<Type> v) override { m_##getter = v; }                                    \
                                                                                                   \
protected:                                                                                         \
    Type m_##getter{initial};

// A set that holds per-format groups.
template <class Interface>
class WithGroups : public Interface {
public:
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const override {
        return m_formatOptions.get(type);
    }
    void setFormatOptions(std::shared_ptr<IFormatOptions> options) override {
        m_formatOptions.set(std::move(options));
    }

protected:
    FormatOptionsMap m_formatOptions;
};

// What both import sets hold. The legacy form leaves all but the file and the groups out.
template <class Interface>
class ImportSet : public WithGroups<Interface> {
    TRX_SET_MEMBER(std::wstring, file, setFile, )
    TRX_SET_MEMBER(bool, forceMPMode, setForceMPMode, )
    TRX_SET_MEMBER(bool, translateWorldOrientation, setTranslateWorldOrientation, )
    TRX_SET_MEMBER(bool, translateMiscData, setTranslateMiscData, )
    TRX_SET_MEMBER(int, modelerVersion, setModelerVersion, 31)
};

// What both export sets hold.
template <class Interface>
class ExportSet : public Interface {
    TRX_SET_MEMBER(std::wstring, file, setFile, )
    TRX_SET_MEMBER(std::wstring, formatVersion, setFormatVersion, )
    TRX_SET_MEMBER(int, geometryFlags, setGeometryFlags, )
};

class ImportOptionsImpl final : public ImportSet<ImportOptions> {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
};

class ExportOptionsImpl final : public WithGroups<ExportSet<ExportOptions>> {
public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
};

// The mode fields hold the values of their name tables; the comments name the defaults.
class LegacyImportOptionsImpl final : public ImportSet<LegacyImportOptions> {
    TRX_SET_MEMBER(bool, useIopMP, setUseIopMP, )
    TRX_SET_MEMBER(std::wstring, temporaryDwg, setTemporaryDwg, )
    TRX_SET_MEMBER(int, pmiMode, setPmiMode, 1)                            // graphical
    TRX_SET_MEMBER(int, productStructureMode, setProductStructureMode, 2)  // as_mechanical_components
    TRX_SET_MEMBER(int, colorsMode, setColorsMode, 1)                      // matching_index
    TRX_SET_MEMBER(int, hiddenPartsMode, setHiddenPartsMode, 1)            // import_show
    TRX_SET_MEMBER(int, insUnitsDefSource, setInsUnitsDefSource, 0)        // undefined
    TRX_SET_MEMBER(bool, importAcisNatively, setImportAcisNatively, )
    TRX_SET_MEMBER(bool, stepRotateYZ, setStepRotateYZ, )
    TRX_SET_MEMBER(bool, solidWorksRotateYZ, setSolidWorksRotateYZ, )
    TRX_SET_MEMBER(EEdgeAttributeModeType, catiaV5EdgeAttributeMode, setCatiaV5EdgeAttributeMode, EEdgeAttributeModeType::wire_body_only)
    TRX_SET_MEMBER(bool, insUnitsScaling, setInsUnitsScaling, )
    TRX_SET_MEMBER(bool, printDebugLog, setPrintDebugLog, )

public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    bool hasAlternateSearchPath(const std::wstring& key) const override;
    const std::wstring& alternateSearchPath(const std::wstring& key) const override;
    void setAlternateSearchPath(const std::wstring& key, const std::wstring& path) override;

private:
    std::map<std::wstring, std::wstring> m_alternateSearchPaths;
};

class LegacyExportOptionsImpl final : public ExportSet<LegacyExportOptions> {
    TRX_SET_MEMBER(std::wstring, temporaryDwg, setTemporaryDwg, )
    TRX_SET_MEMBER(bool, insUnitsScaling, setInsUnitsScaling, )
    TRX_SET_MEMBER(int, productStructureMode, setProductStructureMode, 1)  // as_mechanical_components
    TRX_SET_MEMBER(int, hiddenPartsMode, setHiddenPartsMode, 0)            // export_hide
    TRX_SET_MEMBER(int, insUnitsDefTarget, setInsUnitsDefTarget, 0)        // undefined
    TRX_SET_MEMBER(std::vector<std::int64_t>, selectionSet, setSelectionSet, )
    TRX_SET_MEMBER(ComponentNames, componentNames, setComponentNames, )
    TRX_SET_MEMBER(std::vector<std::int64_t>, hiddenComponents, setHiddenComponents, )
    TRX_SET_MEMBER(int, stepFormatVersion, setStepFormatVersion, 2)
    TRX_SET_MEMBER(int, acisFormatVersion, setAcisFormatVersion, 0)
    TRX_SET_MEMBER(int, catiaV4FormatVersion, setCatiaV4FormatVersion, 0)
    TRX_SET_MEMBER(int, catiaV5FormatVersion, setCatiaV5FormatVersion, 0)
    TRX_SET_MEMBER(int, parasolidFormatVersion, setParasolidFormatVersion, 0)
    TRX_SET_MEMBER(int, xcgmFormatVersion, setXcgmFormatVersion, 0)
    TRX_SET_MEMBER(bool, printDebugLog, setPrintDebugLog, )

public:
    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    std::shared_ptr<IFormatOptions> formatOptions(EFormatType) const override { return nullptr; }
    void setFormatOptions(std::shared_ptr<IFormatOptions>) override {}
    void addComponentName(std::int64_t handle, const std::wstring& name) override {
        m_componentNames[handle] = name;
    }
    void addHiddenComponent(std::int64_t handle) override { m_hiddenComponents.push_back(handle); }
};

#undef TRX_SET_MEMBER

namespace detail {
// The string member a set cannot do without; its absence throws std::invalid_argument(message).
std::wstring requiredString(const JsonValue& object, const wchar_t* key, const char* message);
// The DEBUG record "<text><narrow value>".
void debugValue(const char* text, const std::wstring& value);
// The interface a name stands for; a name other than "connect" and "legacy" gives UConnect.
EBridgeInterface interfaceFromName(const std::wstring& name);
}  // namespace detail

}  // namespace trx
