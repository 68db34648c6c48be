#pragma once

// The bridge's answer to an info command: what it is and which formats it reads and writes.

#include <memory>
#include <string>
#include <vector>

#include "../mp/serializable.h"
#include "json/json_object.h"
#include "trx_api_command.h"
#include "trx_api_export.h"

namespace trx {

enum class EParasolidMode : std::int32_t { direct = 0, kernel = 1 };

// A translation kernel the bridge embeds.
class TRX_API ThirdpartyCore : public IJsonObject {
public:
    const std::wstring& name() const { return m_name; }
    ThirdpartyCore& setName(const std::wstring& v) { m_name = v; return *this; }
    const std::wstring& version() const { return m_version; }
    ThirdpartyCore& setVersion(const std::wstring& v) { m_version = v; return *this; }

    // readObject throws std::invalid_argument for a value that is not an object.
    TRX_JSON_RECORD(ThirdpartyCore);

private:
    std::wstring m_name;
    std::wstring m_version;
};

// A file format with the dialog filters and name patterns that recognise its files.
class TRX_API Format : public IJsonObject {
public:
    const std::wstring& description() const { return m_description; }
    Format& setDescription(const std::wstring& v) { m_description = v; return *this; }
    const std::vector<std::wstring>& extensions() const { return m_extensions; }
    Format& setExtensions(const std::vector<std::wstring>& v) { m_extensions = v; return *this; }
    Format& addExtension(const std::wstring& v) { m_extensions.push_back(v); return *this; }
    // One dialog filter: wildcard patterns joined by ';', such as *.stp;*.step.
    const std::vector<std::wstring>& filterExtensions() const { return m_filters; }
    Format& addFilterExtensions(const std::wstring& v) { m_filters.push_back(v); return *this; }
    // Regular expressions matched against whole lower-case file names; they stay local.
    const std::vector<std::wstring>& regex() const { return m_regex; }
    Format& setRegex(const std::vector<std::wstring>& v) { m_regex = v; return *this; }
    Format& addRegex(const std::wstring& v) { m_regex.push_back(v); return *this; }

    // "description|filter" for each filter.
    std::vector<std::wstring> getFilters() const;
    // Whether a regular expression or a filter pattern matches the file name. Patterns know
    // only "*", any run of characters; everything else stands for itself, case ignored.
    bool is(const std::wstring& fileName) const;

    // readObject throws std::invalid_argument for a value that is not an object. The
    // regular expressions take part in equality.
    TRX_JSON_RECORD(Format);

private:
    std::wstring m_description;
    std::vector<std::wstring> m_extensions;
    std::vector<std::wstring> m_filters;
    std::vector<std::wstring> m_regex;
};

class TRX_API BridgeInfo : public mp::ISerializable {
public:
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    const std::wstring& version() const { return m_version; }
    void setVersion(const std::wstring& v) { m_version = v; }
    EBridgeInterface requestedInterface() const { return m_requestedInterface; }
    void setRequestedInterface(EBridgeInterface v) { m_requestedInterface = v; }
    EParasolidMode parasolidMode() const { return m_parasolidMode; }
    void setParasolidMode(EParasolidMode v) { m_parasolidMode = v; }
    int modelerMajorVersion() const { return m_modelerMajorVersion; }
    void setModelerMajorVersion(int v) { m_modelerMajorVersion = v; }

    // Adders ignore empty pointers; new... appends a default entry and returns it for filling.
    const std::vector<std::shared_ptr<ThirdpartyCore>>& thirdpartyCores() const {
        return m_cores;
    }
    void addThirdpartyCore(const std::shared_ptr<ThirdpartyCore>& core);
    ThirdpartyCore& newThirdpartyCore();

    const std::vector<std::shared_ptr<Format>>& importFormats() const { return m_importFormats; }
    void addImportFormat(const std::shared_ptr<Format>& format);
    void addImportFormats(const std::vector<std::shared_ptr<Format>>& formats);
    Format& newImportFormat();

    const std::vector<std::shared_ptr<Format>>& exportFormats() const { return m_exportFormats; }
    void addExportFormat(const std::shared_ptr<Format>& format);
    void addExportFormats(const std::vector<std::shared_ptr<Format>>& formats);
    Format& newExportFormat();

    void writeObject(std::wostream& os) const override;
    // Appends to the lists; never clears them.
    void readObject(std::wistream& is) override;

    // Cores and formats compare by value, in list order.
    bool operator==(const BridgeInfo& o) const;
    bool operator!=(const BridgeInfo& o) const { return !(*this == o); }

private:
    template <class Self, class F>
    static void fields(Self& s, F&& f);

    std::wstring m_name;
    std::wstring m_version;
    EBridgeInterface m_requestedInterface = EBridgeInterface::UConnect;
    std::vector<std::shared_ptr<ThirdpartyCore>> m_cores;
    EParasolidMode m_parasolidMode = EParasolidMode::direct;
    std::vector<std::shared_ptr<Format>> m_importFormats;
    std::vector<std::shared_ptr<Format>> m_exportFormats;
    int m_modelerMajorVersion = 31;
};

}  // namespace trx
