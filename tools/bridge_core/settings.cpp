#include "settings.h"

#include <stdexcept>

#include "common/protocol.h"
#include "common/units.h"
#include "trx_api/trx_api_command.h"

namespace trx::bridge {

ImportSettings settingsOf(const Command& command) {
    ImportSettings settings;
    settings.legacy = command.internalInterface() == EBridgeInterface::Legacy;
    std::shared_ptr<ImportOptions> options;
    if (settings.legacy)
        options = command.legacyImportOptions();
    else
        options = command.importOptions();
    if (!options) throw std::invalid_argument("the import command carries no import options");
    settings.file = options->file();
    // The file system would read the name only up to the NUL: another file than the one named.
    if (const auto nul = settings.file.find(L'\0'); nul != std::wstring::npos)
        throw std::invalid_argument("the file name \"" +
                                    tools::clip(toNarrow(settings.file.substr(0, nul))) +
                                    "\\0...\" holds a NUL character");

    if (auto modeler = options->formatOptionsOf<OptionsModeler>()) {
        if (modeler->modelerUnits() != ELengthUnitType::unknown)
            settings.units = modeler->modelerUnits();
        settings.pmi = modeler->preservePMIMode() != EPreservePMIModeType::disabled;
    }
    if (settings.legacy) {
        // The legacy set names drawing units; they win over a modeller group.
        const int code = command.legacyImportOptions()->insUnitsDefSource();
        const ELengthUnitType unit = tools::unitOfDrawingCode(code);
        if (unit != ELengthUnitType::unknown)
            settings.units = unit;
        else if (code != 0)
            settings.warnings.push_back(L"Drawing unit " + std::to_wstring(code) +
                                        L" has no length unit here; using " +
                                        enumToString(settings.units) + L".");
    }
    if (auto graphical = options->formatOptionsOf<OptionsGraphical>()) {
        settings.visualization =
            graphical->visuBRepTessellationMode() != EVisuBRepTessellationModeType::never;
        // A sag that is not a positive number leaves the choice to the bridge.
        if (graphical->tesselation3DSagValue() > 0)
            settings.chordalDeflection = graphical->tesselation3DSagValue();
    }
    if (auto mechanical = options->formatOptionsOf<OptionsMechanical>())
        settings.mechanical =
            mechanical->miscDataProcessingMode() != EMiscDataProcessingModeType::none;
    return settings;
}

}  // namespace trx::bridge
