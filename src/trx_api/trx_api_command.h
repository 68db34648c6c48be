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

class TRX_API BridgeOptions : public IJsonObject {
public:
    virtual const std::wstring& file() const = 0;
    virtual void setFile(const std::wstring& file) = 0;
    virtual EOperationType operationType() const = 0;
};

class TRX_API ImportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    virtual bool forceMPMode() const = 0;
    virtual void setForceMPMode(bool v) = 0;
    virtual bool translateWorldOrientation() const = 0;
    virtual void setTranslateWorldOrientation(bool v) = 0;
    virtual bool translateMiscData() const = 0;
    virtual void setTranslateMiscData(bool v) = 0;
    // The group held for a format type, or empty.
    virtual std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const = 0;
    // Stores the group under its own format type, replacing one of the same type; empty is ignored.
    virtual void setFormatOptions(std::shared_ptr<IFormatOptions> options) = 0;
    virtual int modelerVersion() const = 0;
    virtual void setModelerVersion(int v) = 0;

    // The group of class G, or empty.
    template <class G> std::shared_ptr<G> formatOptionsOf() const {
        return std::dynamic_pointer_cast<G>(formatOptions(G::kFormatType));
    }
};

class TRX_API ExportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    virtual const std::wstring& formatVersion() const = 0;
    virtual void setFormatVersion(const std::wstring& v) = 0;
    virtual int geometryFlags() const = 0;
    virtual void setGeometryFlags(int v) = 0;
    virtual std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const = 0;
    virtual void setFormatOptions(std::shared_ptr<IFormatOptions> options) = 0;

    template <class G> std::shared_ptr<G> formatOptionsOf() const {
        return std::dynamic_pointer_cast<G>(formatOptions(G::kFormatType));
    }
};

// The flat option sets of the legacy interface. The mode fields hold the values of their
// name tables ("pmi_mode": 0 none, 1 graphical, 2 semantic; ...).
class TRX_API LegacyImportOptions : public ImportOptions {
public:
    virtual bool useIopMP() const = 0;
    virtual void setUseIopMP(bool v) = 0;
    virtual const std::wstring& temporaryDwg() const = 0;
    virtual void setTemporaryDwg(const std::wstring& v) = 0;
    virtual int pmiMode() const = 0;
    virtual void setPmiMode(int v) = 0;
    virtual int productStructureMode() const = 0;
    virtual void setProductStructureMode(int v) = 0;
    virtual int colorsMode() const = 0;
    virtual void setColorsMode(int v) = 0;
    virtual int hiddenPartsMode() const = 0;
    virtual void setHiddenPartsMode(int v) = 0;
    virtual int insUnitsDefSource() const = 0;
    virtual void setInsUnitsDefSource(int v) = 0;
    virtual bool importAcisNatively() const = 0;
    virtual void setImportAcisNatively(bool v) = 0;
    virtual bool stepRotateYZ() const = 0;
    virtual void setStepRotateYZ(bool v) = 0;
    virtual bool solidWorksRotateYZ() const = 0;
    virtual void setSolidWorksRotateYZ(bool v) = 0;
    virtual EEdgeAttributeModeType catiaV5EdgeAttributeMode() const = 0;
    virtual void setCatiaV5EdgeAttributeMode(EEdgeAttributeModeType v) = 0;
    virtual bool insUnitsScaling() const = 0;
    virtual void setInsUnitsScaling(bool v) = 0;
    virtual bool hasAlternateSearchPath(const std::wstring& key) const = 0;
    // Empty when the key has no entry.
    virtual const std::wstring& alternateSearchPath(const std::wstring& key) const = 0;
    // Stores or replaces the entry; an empty path is ignored.
    virtual void setAlternateSearchPath(const std::wstring& key, const std::wstring& path) = 0;
    virtual bool printDebugLog() const = 0;
    virtual void setPrintDebugLog(bool v) = 0;
};

using ComponentNames = std::map<std::int64_t, std::wstring>;

// Per-format groups do not apply to this set: formatOptions is always empty.
class TRX_API LegacyExportOptions : public ExportOptions {
public:
    virtual const std::wstring& temporaryDwg() const = 0;
    virtual void setTemporaryDwg(const std::wstring& v) = 0;
    virtual bool insUnitsScaling() const = 0;
    virtual void setInsUnitsScaling(bool v) = 0;
    virtual int productStructureMode() const = 0;
    virtual void setProductStructureMode(int v) = 0;
    virtual int hiddenPartsMode() const = 0;
    virtual void setHiddenPartsMode(int v) = 0;
    virtual int insUnitsDefTarget() const = 0;
    virtual void setInsUnitsDefTarget(int v) = 0;
    virtual const std::vector<std::int64_t>& selectionSet() const = 0;
    virtual void setSelectionSet(const std::vector<std::int64_t>& v) = 0;
    virtual const ComponentNames& componentNames() const = 0;
    virtual void addComponentName(std::int64_t handle, const std::wstring& name) = 0;
    virtual void setComponentNames(const ComponentNames& v) = 0;
    virtual const std::vector<std::int64_t>& hiddenComponents() const = 0;
    virtual void addHiddenComponent(std::int64_t handle) = 0;
    virtual void setHiddenComponents(const std::vector<std::int64_t>& v) = 0;
    virtual int stepFormatVersion() const = 0;
    virtual void setStepFormatVersion(int v) = 0;
    virtual int acisFormatVersion() const = 0;
    virtual void setAcisFormatVersion(int v) = 0;
    virtual int catiaV4FormatVersion() const = 0;
    virtual void setCatiaV4FormatVersion(int v) = 0;
    virtual int catiaV5FormatVersion() const = 0;
    virtual void setCatiaV5FormatVersion(int v) = 0;
    virtual int parasolidFormatVersion() const = 0;
    virtual void setParasolidFormatVersion(int v) = 0;
    virtual int xcgmFormatVersion() const = 0;
    virtual void setXcgmFormatVersion(int v) = 0;
    virtual bool printDebugLog() const = 0;
    virtual void setPrintDebugLog(bool v) = 0;
};

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
