#pragma once

// The request the host sends to the bridge, and the option sets an import or export carries.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../mp/serializable.h"
#include "json/json_object.h"
#include "trx_api_export.h"
#include "trx_api_option_enums.h"
#include "trx_api_option_groups.h"

namespace trx {

// Which family of option sets a command carries: Legacy uses the flat legacy sets.
enum class EBridgeInterface : std::int32_t { UConnect = 0, Connect = 1, Legacy = 2 };

// ---- option sets ---------------------------------------------------------------------

// The two accessors of one option of a set.
#define TRX_SET_OPTION(Type, getter, setter)                                                       \
    virtual OptionArg<Type> getter() const = 0;                                                    \
    virtual void setter(OptionArg<Type> v) = 0;

class TRX_API BridgeOptions : public IJsonObject {
public:
    virtual EOperationType operationType() const = 0;
    TRX_SET_OPTION(std::wstring, file, setFile)
    // The group held for a format type, or empty.
    virtual std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const = 0;
    // Stores the group under its own format type, replacing one of the same type; empty is ignored.
    virtual void setFormatOptions(std::shared_ptr<IFormatOptions> options) = 0;

    // The group of class G, or empty.
    template <class G> std::shared_ptr<G> formatOptionsOf() const {
        return std::dynamic_pointer_cast<G>(formatOptions(G::kFormatType));
    }
};

class TRX_API ImportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    TRX_SET_OPTION(bool, forceMPMode, setForceMPMode)
    TRX_SET_OPTION(bool, translateWorldOrientation, setTranslateWorldOrientation)
    TRX_SET_OPTION(bool, translateMiscData, setTranslateMiscData)
    TRX_SET_OPTION(int, modelerVersion, setModelerVersion)
};

class TRX_API ExportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    TRX_SET_OPTION(std::wstring, formatVersion, setFormatVersion)
    TRX_SET_OPTION(int, geometryFlags, setGeometryFlags)
};

// The flat option sets of the legacy interface. The mode fields hold the values of their
// name tables ("pmi_mode": 0 none, 1 graphical, 2 semantic; ...).
class TRX_API LegacyImportOptions : public ImportOptions {
public:
    TRX_SET_OPTION(bool, useIopMP, setUseIopMP)
    TRX_SET_OPTION(std::wstring, temporaryDwg, setTemporaryDwg)
    TRX_SET_OPTION(int, pmiMode, setPmiMode)
    TRX_SET_OPTION(int, productStructureMode, setProductStructureMode)
    TRX_SET_OPTION(int, colorsMode, setColorsMode)
    TRX_SET_OPTION(int, hiddenPartsMode, setHiddenPartsMode)
    TRX_SET_OPTION(int, insUnitsDefSource, setInsUnitsDefSource)
    TRX_SET_OPTION(bool, importAcisNatively, setImportAcisNatively)
    TRX_SET_OPTION(bool, stepRotateYZ, setStepRotateYZ)
    TRX_SET_OPTION(bool, solidWorksRotateYZ, setSolidWorksRotateYZ)
    TRX_SET_OPTION(EEdgeAttributeModeType, catiaV5EdgeAttributeMode, setCatiaV5EdgeAttributeMode)
    TRX_SET_OPTION(bool, insUnitsScaling, setInsUnitsScaling)
    virtual bool hasAlternateSearchPath(const std::wstring& key) const = 0;
    // Empty when the key has no entry.
    virtual const std::wstring& alternateSearchPath(const std::wstring& key) const = 0;
    // Stores or replaces the entry; an empty path is ignored.
    virtual void setAlternateSearchPath(const std::wstring& key, const std::wstring& path) = 0;
    TRX_SET_OPTION(bool, printDebugLog, setPrintDebugLog)
};

using ComponentNames = std::map<std::int64_t, std::wstring>;

// Per-format groups do not apply to this set: formatOptions is always empty.
class TRX_API LegacyExportOptions : public ExportOptions {
public:
    TRX_SET_OPTION(std::wstring, temporaryDwg, setTemporaryDwg)
    TRX_SET_OPTION(bool, insUnitsScaling, setInsUnitsScaling)
    TRX_SET_OPTION(int, productStructureMode, setProductStructureMode)
    TRX_SET_OPTION(int, hiddenPartsMode, setHiddenPartsMode)
    TRX_SET_OPTION(int, insUnitsDefTarget, setInsUnitsDefTarget)
    TRX_SET_OPTION(std::vector<std::int64_t>, selectionSet, setSelectionSet)
    TRX_SET_OPTION(ComponentNames, componentNames, setComponentNames)
    virtual void addComponentName(std::int64_t handle, const std::wstring& name) = 0;
    TRX_SET_OPTION(std::vector<std::int64_t>, hiddenComponents, setHiddenComponents)
    virtual void addHiddenComponent(std::int64_t handle) = 0;
    TRX_SET_OPTION(int, stepFormatVersion, setStepFormatVersion)
    TRX_SET_OPTION(int, acisFormatVersion, setAcisFormatVersion)
    TRX_SET_OPTION(int, catiaV4FormatVersion, setCatiaV4FormatVersion)
    TRX_SET_OPTION(int, catiaV5FormatVersion, setCatiaV5FormatVersion)
    TRX_SET_OPTION(int, parasolidFormatVersion, setParasolidFormatVersion)
    TRX_SET_OPTION(int, xcgmFormatVersion, setXcgmFormatVersion)
    TRX_SET_OPTION(bool, printDebugLog, setPrintDebugLog)
};

#undef TRX_SET_OPTION

// ---- command ---------------------------------------------------------------------------

// One request to the bridge. Import and export carry the option set of their interface family;
// only sets made by the factories below are accepted.
class TRX_API Command : public mp::ISerializable {
public:
    enum EType : std::int32_t { Unknown = 0, Info = 1, Import = 2, Export = 3, Ping = 4 };

    EType type() const { return m_type; }
    void setType(EType type) { m_type = type; }
    EBridgeInterface internalInterface() const { return m_interface; }
    void setInternalInterface(EBridgeInterface v) { m_interface = v; }
    bool useMultiThreading() const { return m_useMultiThreading; }
    void setUseMultiThreading(bool v) { m_useMultiThreading = v; }

    std::shared_ptr<ImportOptions> importOptions() const { return m_importOptions; }
    std::shared_ptr<ExportOptions> exportOptions() const { return m_exportOptions; }
    std::shared_ptr<LegacyImportOptions> legacyImportOptions() const {
        return m_legacyImportOptions;
    }
    std::shared_ptr<LegacyExportOptions> legacyExportOptions() const {
        return m_legacyExportOptions;
    }
    // Throw std::invalid_argument unless the set comes from newImportOptions/newExportOptions.
    void setImportOptions(const std::shared_ptr<ImportOptions>& options);
    void setExportOptions(const std::shared_ptr<ExportOptions>& options);
    void setLegacyImportOptions(const std::shared_ptr<LegacyImportOptions>& options) {
        m_legacyImportOptions = options;
    }
    void setLegacyExportOptions(const std::shared_ptr<LegacyExportOptions>& options) {
        m_legacyExportOptions = options;
    }

    // Fresh default sets of the library's own implementation.
    static std::shared_ptr<ImportOptions> newImportOptions();
    static std::shared_ptr<ExportOptions> newExportOptions();
    static std::shared_ptr<LegacyImportOptions> newLegacyImportOptions();
    static std::shared_ptr<LegacyExportOptions> newLegacyExportOptions();

    void writeObject(std::wostream& os) const override;
    void readObject(std::wistream& is) override;

private:
    EType m_type = Unknown;
    EBridgeInterface m_interface = EBridgeInterface::UConnect;
    std::shared_ptr<ImportOptions> m_importOptions;
    std::shared_ptr<ExportOptions> m_exportOptions;
    std::shared_ptr<LegacyImportOptions> m_legacyImportOptions;
    std::shared_ptr<LegacyExportOptions> m_legacyExportOptions;
    bool m_useMultiThreading = false;
};

}  // namespace trx
