// trx-step-sample: writes the shipped STEP sample, a small fixture as a two-level assembly of
// boxes and cylinders with names, colours and repeated instances, through OCCT's XCAF writer.
//
//   trx-step-sample OUTPUT.step
//
// The header carries no date or machine, so that a new run differs from the committed file
// only where OCCT lists the colour styles in another order.

#include <iostream>
#include <string>

#include <APIHeaderSection_MakeHeader.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <StepData_StepModel.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <gp_Ax1.hxx>
#include <gp_Trsf.hxx>

namespace {

class Fixture {
public:
    Fixture() {
        XCAFApp_Application::GetApplication()->NewDocument("BinXCAF", m_doc);
        m_shapes = XCAFDoc_DocumentTool::ShapeTool(m_doc->Main());
        m_colours = XCAFDoc_DocumentTool::ColorTool(m_doc->Main());
    }
    ~Fixture() { XCAFApp_Application::GetApplication()->Close(m_doc); }

    TDF_Label part(const char* name, const TopoDS_Shape& shape, const Quantity_Color& colour) {
        const TDF_Label label = m_shapes->AddShape(shape, false);
        TDataStd_Name::Set(label, name);
        m_colours->SetColor(label, colour, XCAFDoc_ColorSurf);
        return label;
    }
    TDF_Label assembly(const char* name) {
        const TDF_Label label = m_shapes->NewShape();
        TDataStd_Name::Set(label, name);
        return label;
    }
    // A placed instance, named as the file will name its usage.
    TDF_Label place(const TDF_Label& parent, const TDF_Label& child, const char* name,
                    const gp_Trsf& placement) {
        const TDF_Label component = m_shapes->AddComponent(parent, child, TopLoc_Location(placement));
        TDataStd_Name::Set(component, name);
        return component;
    }
    void colourInstance(const TDF_Label& component, const Quantity_Color& colour) {
        m_colours->SetColor(component, colour, XCAFDoc_ColorSurf);
    }
    bool write(const std::string& path) {
        m_shapes->UpdateAssemblies();
        STEPCAFControl_Writer writer;
        writer.SetColorMode(true);
        writer.SetNameMode(true);
        if (!writer.Transfer(m_doc, STEPControl_AsIs)) return false;
        APIHeaderSection_MakeHeader header(writer.ChangeWriter().Model());
        header.SetName(new TCollection_HAsciiString("fixture"));
        header.SetTimeStamp(new TCollection_HAsciiString("2024-01-01T00:00:00"));
        header.SetAuthorValue(1, new TCollection_HAsciiString("trx"));
        header.SetOrganizationValue(1, new TCollection_HAsciiString("trx"));
        header.SetOriginatingSystem(new TCollection_HAsciiString("trx-step-sample"));
        return writer.Write(path.c_str()) == IFSelect_RetDone;
    }

private:
    Handle(TDocStd_Document) m_doc;
    Handle(XCAFDoc_ShapeTool) m_shapes;
    Handle(XCAFDoc_ColorTool) m_colours;
};

gp_Trsf at(double x, double y, double z, double degreesAboutZ = 0) {
    gp_Trsf rotation;
    rotation.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), degreesAboutZ * M_PI / 180);
    gp_Trsf translation;
    translation.SetTranslation(gp_Vec(x, y, z));
    return translation * rotation;
}

Quantity_Color srgb(double r, double g, double b) {
    return Quantity_Color(r, g, b, Quantity_TOC_sRGB);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: trx-step-sample OUTPUT.step\n";
        return 2;
    }
    // OCCT's chatter stays off the terminal; failures are said below.
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    try {
        STEPCAFControl_Controller::Init();
        Interface_Static::SetCVal("write.step.unit", "MM");
        Fixture f;
        // Millimetres. The base plate lies on z = 0; two column modules stand on it, one
        // turned a quarter round; two brackets at its ends.
        const TDF_Label plate = f.part("base plate", BRepPrimAPI_MakeBox(120, 80, 10).Shape(),
                                       srgb(0.6, 0.6, 0.6));
        const TDF_Label column =
            f.part("column", BRepPrimAPI_MakeCylinder(6, 60).Shape(), srgb(0.2, 0.4, 0.8));
        const TDF_Label cap = f.part("cap", BRepPrimAPI_MakeBox(20, 20, 5).Shape(),
                                     srgb(0.8, 0.1, 0.1));
        const TDF_Label pin =
            f.part("pin", BRepPrimAPI_MakeCylinder(2, 15).Shape(), srgb(0.1, 0.7, 0.2));
        const TDF_Label bracket = f.part("bracket", BRepPrimAPI_MakeBox(30, 10, 40).Shape(),
                                         srgb(0.9, 0.5, 0.1));

        const TDF_Label module = f.assembly("column module");
        f.place(module, column, "column", at(0, 0, 0));
        f.place(module, cap, "cap", at(-10, -10, 60));
        f.place(module, pin, "pin 1", at(-6, 0, 65));
        f.place(module, pin, "pin 2", at(6, 0, 65));

        const TDF_Label root = f.assembly("fixture");
        f.place(root, plate, "base plate", at(0, 0, 0));
        f.place(root, module, "module A", at(30, 40, 10));
        f.place(root, module, "module B", at(90, 40, 10, 90));
        f.place(root, bracket, "bracket left", at(0, 35, 10));
        const TDF_Label right = f.place(root, bracket, "bracket right", at(120, 45, 10, 180));
        f.colourInstance(right, srgb(1.0, 0.9, 0.0));
        if (!f.write(argv[1])) {
            std::cerr << "trx-step-sample: cannot write " << argv[1] << "\n";
            return 1;
        }
    } catch (const Standard_Failure& failure) {
        std::cerr << "trx-step-sample: OCCT failed: " << failure.GetMessageString() << "\n";
        return 1;
    }
    return 0;
}
