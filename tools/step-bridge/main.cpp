// trx-step-bridge: the reference bridge for STEP and IGES. Reads commands on standard input
// and answers on standard output, one document per frame (UTF-8 text and a NUL byte).

#include <Standard_Version.hxx>

#include "bridge_core/serve.h"
#include "step_import.h"

int main(int argc, char** argv) {
    using namespace trx;
    bridge::BridgeProgram program;
    program.name = "trx-step-bridge";
    program.formats = "STEP AP203, AP214, AP242; IGES";
    program.info = [] {
        BridgeInfo info;
        info.setName(L"trx STEP bridge");
        info.setVersion(TRX_TOOLS_VERSION);
        info.setRequestedInterface(EBridgeInterface::Connect);
        info.newThirdpartyCore()
            .setName(L"Open CASCADE Technology")
            .setVersion(toWide(OCC_VERSION_COMPLETE));
        info.newImportFormat()
            .setDescription(L"STEP files")
            .addExtension(L"stp")
            .addExtension(L"step")
            .addExtension(L"p21")
            .addFilterExtensions(L"*.stp;*.step;*.p21");
        info.newImportFormat()
            .setDescription(L"IGES files")
            .addExtension(L"igs")
            .addExtension(L"iges")
            .addFilterExtensions(L"*.igs;*.iges");
        return info;
    };
    program.import = step::runImport;
    program.afterAnswer = step::closeAnsweredDocument;
    program.guardStdout = true;
    return bridge::bridgeMain(argc, argv, program);
}
