// trx-bridge: the reference bridge for STL. Reads commands on standard input and answers
// on standard output, one document per frame (UTF-8 text and a NUL byte).

#include "bridge_core/serve.h"
#include "stl_import.h"

int main(int argc, char** argv) {
    using namespace trx;
    bridge::BridgeProgram program;
    program.name = "trx-bridge";
    program.formats = "STL, ASCII and binary";
    program.info = [] {
        BridgeInfo info;
        info.setName(L"trx reference bridge");
        info.setVersion(TRX_TOOLS_VERSION);
        info.setRequestedInterface(EBridgeInterface::Connect);
        info.newThirdpartyCore().setName(L"trx STL reader").setVersion(TRX_TOOLS_VERSION);
        // One reader serves both; a host lists them as the two kinds of STL it may meet.
        for (const wchar_t* kind : {L"STL files, ASCII", L"STL files, binary"})
            info.newImportFormat().setDescription(kind).addExtension(L"stl").addFilterExtensions(
                L"*.stl");
        return info;
    };
    program.import = bridge::runImport;
    return bridge::bridgeMain(argc, argv, program);
}
