// trx-step-baseline: what the STEP bridge's work costs OCCT alone, in one process: read the
// file into an XCAF document as the bridge does (every attribute mode, millimetres), then
// mesh it with the bridge's default deflection. The STEP benchmark (bench/step.sh) runs it
// beside the whole import through the host.
//
//   trx-step-baseline FILE [--serial]
//
// Prints one line: read and mesh seconds (wall) and the triangles made.

#include <chrono>
#include <cstdio>
#include <cstring>

#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <IMeshTools_Parameters.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Poly_Triangulation.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: trx-step-baseline FILE [--serial]\n");
        return 2;
    }
    const bool serial = argc > 2 && std::strcmp(argv[2], "--serial") == 0;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    try {
        STEPCAFControl_Controller::Init();
        Interface_Static::SetCVal("xstep.cascade.unit", "MM");
        Handle(TDocStd_Document) doc;
        XCAFApp_Application::GetApplication()->NewDocument("BinXCAF", doc);
        STEPCAFControl_Reader reader;
        reader.SetColorMode(true);
        reader.SetNameMode(true);
        reader.SetLayerMode(true);
        reader.SetPropsMode(true);
        reader.SetGDTMode(true);
        reader.SetMatMode(true);
        reader.SetViewMode(true);
        if (reader.ReadFile(argv[1]) != IFSelect_RetDone || !reader.Transfer(doc)) {
            std::fprintf(stderr, "trx-step-baseline: cannot read %s\n", argv[1]);
            return 1;
        }
        const auto read = Clock::now();

        IMeshTools_Parameters parameters;
        parameters.Relative = true;
        parameters.Deflection = 0.001;
        parameters.Angle = 0.5;
        parameters.InParallel = !serial;
        TDF_LabelSequence free;
        XCAFDoc_DocumentTool::ShapeTool(doc->Main())->GetFreeShapes(free);
        std::size_t triangles = 0;
        for (const TDF_Label& label : free) {
            const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(label);
            BRepMesh_IncrementalMesh mesh(shape, parameters);
            TopTools_IndexedMapOfShape faces;
            TopExp::MapShapes(shape, TopAbs_FACE, faces);
            for (int i = 1; i <= faces.Extent(); ++i) {
                TopLoc_Location location;
                const Handle(Poly_Triangulation) t =
                    BRep_Tool::Triangulation(TopoDS::Face(faces(i)), location);
                if (!t.IsNull()) triangles += static_cast<std::size_t>(t->NbTriangles());
            }
        }
        const auto meshed = Clock::now();
        XCAFApp_Application::GetApplication()->Close(doc);
        const auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
        std::printf("read %.4f mesh %.4f triangles %zu\n", seconds(read - start),
                    seconds(meshed - read), triangles);
    } catch (const Standard_Failure& failure) {
        std::fprintf(stderr, "trx-step-baseline: OCCT failed: %s\n", failure.GetMessageString());
        return 1;
    }
    return 0;
}
