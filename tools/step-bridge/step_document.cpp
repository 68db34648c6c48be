#include "step_document.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <stdexcept>

#include <IFSelect_ReturnStatus.hxx>
#include <IGESCAFControl_Reader.hxx>
#include <Interface_Check.hxx>
#include <Interface_InterfaceModel.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <TColStd_SequenceOfAsciiString.hxx>
#include <XCAFApp_Application.hxx>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif
#include <XCAFDoc_DocumentTool.hxx>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/units.h"

namespace trx::step {
namespace {

// OCCT's messages, handed to whoever reads the file now. Set while a read runs.
std::mutex g_logMutex;
std::function<void(const std::wstring&)> g_log;

class LogPrinter : public Message_Printer {
protected:
    void send(const TCollection_AsciiString& text, const Message_Gravity gravity) const override {
        if (gravity < Message_Warning) return;  // traces and infos say nothing to a user
        std::lock_guard<std::mutex> lock(g_logMutex);
        if (g_log)
            g_log((gravity >= Message_Fail ? L"OCCT error: " : L"OCCT warning: ") +
                  toWide(text.ToCString()));
    }
};

// OCCT keeps what its static set-up makes for the life of the process, behind pointers that
// LeakSanitizer does not recognise (arrays point before their first element). Its frames have
// no frame pointers, so a leak report cannot tell that memory from any other OCCT allocation:
// the set-up is exempted here, where it happens, and nothing else is.
#if defined(__SANITIZE_ADDRESS__)
using StaticSetUp = __lsan::ScopedDisabler;
#else
struct StaticSetUp {};
#endif

// Once per process: OCCT's static set-up (not thread-safe on first use), and its printer to
// standard output, which is the protocol pipe, replaced by ours.
void setUpOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        [[maybe_unused]] const StaticSetUp exempt;
        XCAFApp_Application::GetApplication();
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
        messenger->AddPrinter(new LogPrinter);
        STEPCAFControl_Controller::Init();
        // Shapes in millimetres whatever the file says; we scale from there.
        Interface_Static::SetCVal("xstep.cascade.unit", "MM");
    });
}

bool endsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) return false;
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) !=
            tail[i])
            return false;
    return true;
}

struct LogScope {
    explicit LogScope(const std::function<void(const std::wstring&)>& log) {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log = log;
    }
    ~LogScope() {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log = nullptr;
    }
};

void readIges(const std::string& path, StepDocument& out) {
    IGESCAFControl_Reader reader;
    reader.SetColorMode(true);
    reader.SetNameMode(true);
    reader.SetLayerMode(true);
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone)
        throw ReadError(path + ": not an IGES file OCCT can read");
    if (!reader.Transfer(out.doc)) throw ReadError(path + ": OCCT could not translate it");
}

void readStepFile(const std::string& path, StepDocument& out, const std::wstring& firstError) {
    STEPCAFControl_Reader reader;
    reader.SetColorMode(true);
    reader.SetNameMode(true);
    reader.SetLayerMode(true);
    reader.SetPropsMode(true);
    reader.SetGDTMode(true);
    reader.SetMatMode(true);
    reader.SetViewMode(true);
    const IFSelect_ReturnStatus status = reader.ReadFile(path.c_str());
    const Handle(Interface_InterfaceModel) model = reader.Reader().Model();
    // The parser's complaints (syntax, premature end) are the model's global fails.
    std::string complaint;
    if (!model.IsNull() && model->GlobalCheck()->NbFails() > 0)
        complaint = model->GlobalCheck()->CFail(1);
    // Some complaints only reach the messenger, framed in stars.
    if (complaint.empty() && !firstError.empty()) {
        complaint = toNarrow(firstError);
        const std::size_t start = complaint.find_first_not_of("* ");
        const std::size_t end = complaint.find_last_not_of("* ");
        complaint = start == std::string::npos ? "" : complaint.substr(start, end + 1 - start);
    }
    if (status != IFSelect_RetDone)
        throw ReadError(path + ": not a STEP file OCCT can read" +
                        (complaint.empty() ? std::string() : ": " + complaint));
    // The parser skips what it cannot read and goes on, and the translation then dereferences
    // the entities it left out: refused here, before they crash it.
    if (!complaint.empty())
        throw ReadError(path + ": the STEP text is malformed: " + complaint);
    TColStd_SequenceOfAsciiString lengths, angles, solidAngles;
    reader.ChangeReader().FileUnits(lengths, angles, solidAngles);
    if (!lengths.IsEmpty()) {
        const double mm = unitInMm(lengths.First().ToCString());
        if (mm > 0) out.fileUnitMm = mm;
    }
    if (!reader.Transfer(out.doc)) {
        const std::size_t tessellated = tessellatedShapeItems(model);
        throw ReadError(path + ": OCCT could not translate it" +
                            (tessellated > 0 ? " (it holds tessellated shapes only)" : ""),
                        tessellated);
    }
    out.session = reader.Reader().WS();
}

// Only a regular file that holds something is handed to OCCT: a FIFO would block its reader
// for ever, and an empty file gets a clearer word here than a parser error.
void checkFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw ReadError(path + ": cannot open the file: " + std::strerror(errno));
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::string("cannot read the file: ") + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (st.st_size == 0)
        problem = "the file is empty";
    ::close(fd);
    if (!problem.empty()) throw ReadError(path + ": " + problem);
}

}  // namespace

StepDocument readStep(const std::string& path, ELengthUnitType units,
                      const std::function<void(const std::wstring&)>& log) {
    checkFile(path);
    setUpOnce();
    std::wstring firstError;
    LogScope scope([&](const std::wstring& line) {
        const std::wstring prefix = L"OCCT error: ";
        if (firstError.empty() && line.rfind(prefix, 0) == 0) firstError = line.substr(prefix.size());
        log(line);
    });
    StepDocument out;
    out.path = path;
    out.units = units;
    const double unitMm = tools::millimetresPer(units);
    out.mmToUnits = unitMm > 0 ? 1.0 / unitMm : 1.0;
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    app->NewDocument("BinXCAF", out.doc);
    try {
        if (endsWith(path, ".igs") || endsWith(path, ".iges"))
            readIges(path, out);
        else
            readStepFile(path, out, firstError);
    } catch (const Standard_Failure& failure) {
        closeStep(out);
        throw ReadError(path + ": OCCT failed reading it: " +
                                 failure.GetMessageString());
    } catch (...) {
        closeStep(out);
        throw;
    }
    return out;
}

std::size_t tessellatedShapeItems(const Handle(Interface_InterfaceModel)& model) {
    if (model.IsNull()) return 0;
    static const std::set<std::string> kTypes = {
        "TESSELLATED_SHAPE_REPRESENTATION", "TESSELLATED_SOLID", "TESSELLATED_SHELL",
        "TESSELLATED_FACE", "TRIANGULATED_FACE", "COMPLEX_TRIANGULATED_FACE"};
    std::size_t count = 0;
    for (int i = 1; i <= model->NbEntities(); ++i) {
        Handle(StepData_UndefinedEntity) unknown =
            Handle(StepData_UndefinedEntity)::DownCast(model->Value(i));
        // A complex entity is a chain of parts; a broken one is not followed far.
        for (int part = 0; !unknown.IsNull() && part < 16; ++part) {
            if (kTypes.count(unknown->StepType())) {
                ++count;
                break;
            }
            unknown = unknown->IsComplex() ? unknown->Next() : nullptr;
        }
    }
    return count;
}

void closeStep(StepDocument& document) {
    if (document.doc.IsNull()) return;
    // Layers, GD&T and views link their labels both ways (graph nodes holding each other):
    // closing alone leaves those rings in memory, one set per file read. Forgetting the
    // attributes first lets each node unlink itself.
    document.doc->Main().Root().ForgetAllAttributes(Standard_True);
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    if (document.doc->IsOpened()) app->Close(document.doc);
    document.doc.Nullify();
    document.session.Nullify();
}

double unitInMm(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Unit {
        const char* name;
        double mm;
    };
    static const Unit kUnits[] = {{"MILLIMETRE", 1},      {"MILLIMETER", 1}, {"MM", 1},
                                  {"CENTIMETRE", 10},     {"CM", 10},        {"METRE", 1000},
                                  {"METER", 1000},        {"M", 1000},       {"INCH", 25.4},
                                  {"IN", 25.4},           {"FOOT", 304.8},   {"FT", 304.8},
                                  {"MICROMETRE", 0.001},  {"KILOMETRE", 1e6}};
    for (const auto& u : kUnits)
        if (name == u.name) return u.mm;
    return 0;
}

std::wstring faceId(std::uint64_t blockId, int index) {
    return L"face-" + std::to_wstring(blockId) + L"-" + std::to_wstring(index);
}

}  // namespace trx::step
