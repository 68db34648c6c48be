// The command document.

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "../detail/option_sets.h"
#include "../detail/trace.h"

namespace trx {

TRX_ENUM(EBridgeInterface, (UConnect, "uconnect"), (Connect, "connect"), (Legacy, "legacy"));

TRX_ENUM(Command::EType, (Unknown, "unknown"), (Info, "info"), (Import, "import"),
    (Export, "export"), (Ping, "ping"));

EBridgeInterface detail::interfaceFromName(const std::wstring& name) {
    return enumFromStringOr(name, EBridgeInterface::UConnect);
}

void Command::setImportOptions(const std::shared_ptr<ImportOptions>& options) {
    if (dynamic_cast<ImportOptionsImpl*>(options.get()) == nullptr)
        throw std::invalid_argument("Wrong implementation of ImportOptions interface.");
    m_importOptions = options;
}

void Command::setExportOptions(const std::shared_ptr<ExportOptions>& options) {
    if (dynamic_cast<ExportOptionsImpl*>(options.get()) == nullptr)
        throw std::invalid_argument("Wrong implementation of ExportOptions interface");
    m_exportOptions = options;
}

std::shared_ptr<ImportOptions> Command::newImportOptions() {
    return std::make_shared<ImportOptionsImpl>();
}
std::shared_ptr<ExportOptions> Command::newExportOptions() {
    return std::make_shared<ExportOptionsImpl>();
}
std::shared_ptr<LegacyImportOptions> Command::newLegacyImportOptions() {
    return std::make_shared<LegacyImportOptionsImpl>();
}
std::shared_ptr<LegacyExportOptions> Command::newLegacyExportOptions() {
    return std::make_shared<LegacyExportOptionsImpl>();
}

namespace {

// A fresh set of the library's own class, read from the command's "options".
template <class Impl, class Slot>
void readOptions(const JsonValue& options, std::shared_ptr<Slot>& slot) {
    auto set = std::make_shared<Impl>();
    set->readObject(options);
    slot = std::move(set);
}

// The set to write, which must be of the library's own class.
template <class Impl, class Set>
const IJsonObject* ownSet(const std::shared_ptr<Set>& set, const char* missingText) {
    const auto* own = dynamic_cast<const Impl*>(set.get());
    if (own == nullptr) throw std::invalid_argument(missingText);
    return own;
}

}  // namespace

void Command::writeObject(std::wostream& os) const {
    TRX_TRACE();
    JsonDocument doc;
    auto& a = doc.GetAllocator();
    doc.SetObject();
    json::put(doc, a, L"bridge_interface", m_interface);
    json::put(doc, a, L"command", m_type);
    const bool legacy = m_interface == EBridgeInterface::Legacy;
    const IJsonObject* options = nullptr;
    if (m_type == Import) {
        options = legacy ? ownSet<LegacyImportOptionsImpl>(
                               m_legacyImportOptions,
                               "Import(LEGACY) command should contain import options(LEGACY)")
                         : ownSet<ImportOptionsImpl>(
                               m_importOptions, "Import command should contain import options");
    } else if (m_type == Export) {
        options = legacy ? ownSet<LegacyExportOptionsImpl>(
                               m_legacyExportOptions,
                               "Export(LEGACY) command should contain export options(LEGACY)")
                         : ownSet<ExportOptionsImpl>(
                               m_exportOptions, "Export command should contain export options");
    }
    if (options != nullptr) json::put(doc, a, L"options", *options);
    json::put(doc, a, L"mt_mode", m_useMultiThreading);
    JsonTextIO::write(os, doc, true);
}

void Command::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");
    // The interface first: it selects the option classes below.
    std::wstring name;
    if (json::get(doc, L"bridge_interface", name)) m_interface = detail::interfaceFromName(name);
    if (!json::get(doc, L"command", name))
        throw std::invalid_argument("Json document has no command type.");
    m_type = enumFromStringOr(name, Unknown);
    const bool legacy = m_interface == EBridgeInterface::Legacy;
    if (m_type == Import || m_type == Export) {
        const JsonValue* options = json::member(doc, L"options");
        if (options == nullptr || !options->IsObject()) {
            throw std::invalid_argument(m_type == Import ? "Import command should contain options."
                                                         : "Export command should contain options.");
        }
        if (m_type == Import) {
            if (legacy) readOptions<LegacyImportOptionsImpl>(*options, m_legacyImportOptions);
            else readOptions<ImportOptionsImpl>(*options, m_importOptions);
        } else {
            if (legacy) readOptions<LegacyExportOptionsImpl>(*options, m_legacyExportOptions);
            else readOptions<ExportOptionsImpl>(*options, m_exportOptions);
        }
    }
    json::get(doc, L"mt_mode", m_useMultiThreading);
}

}  // namespace trx
