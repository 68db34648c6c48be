#include "mechanics_model.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <tuple>

#include <StepAP242_DraughtingModelItemAssociation.hxx>
#include <StepAP242_ItemIdentifiedRepresentationUsage.hxx>
#include <StepBasic_ConversionBasedUnit.hxx>
#include <StepBasic_MeasureValueMember.hxx>
#include <StepBasic_MeasureWithUnit.hxx>
#include <StepBasic_NamedUnit.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepBasic_SiUnit.hxx>
#include <StepBasic_Unit.hxx>
#include <StepGeom_Axis2Placement3d.hxx>
#include <StepGeom_CartesianPoint.hxx>
#include <StepGeom_Direction.hxx>
#include <StepRepr_MeasureRepresentationItem.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_ReprItemAndMeasureWithUnit.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationRelationship.hxx>
#include <StepRepr_RepresentationContext.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepRepr_ShapeAspectRelationship.hxx>
#include <StepShape_DimensionalLocation.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepShape_TopologicalRepresentationItem.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Iterator.hxx>
#include <TransferBRep.hxx>
#include <Transfer_Binder.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XSControl_TransferReader.hxx>

#include "trx_api/json/json_object.h"

namespace trx::step::detail {

std::wstring text(const Handle(TCollection_HAsciiString)& s) {
    return s.IsNull() ? std::wstring() : toWide(s->ToCString());
}

std::string lower(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out += c < 128 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?';
    return out;
}

std::wstring number(double v) {
    wchar_t buf[40];
    std::swprintf(buf, 40, L"%.10g", v);
    return buf;
}

void addUnique(std::vector<int>& list, int v) {
    if (std::find(list.begin(), list.end(), v) == list.end()) list.push_back(v);
}

std::wstring annotationId(const wchar_t* kind, int ident) {
    return std::wstring(kind) + L"#" + std::to_wstring(ident);
}

namespace {

constexpr double kPi = 3.14159265358979323846;

double prefixFactor(const Handle(StepBasic_SiUnit)& si) {
    if (!si->HasPrefix()) return 1;
    static const double kFactors[] = {1e18, 1e15, 1e12, 1e9,  1e6,   1e3,   1e2,   1e1,
                                      1e-1, 1e-2, 1e-3, 1e-6, 1e-9, 1e-12, 1e-15, 1e-18};
    const int p = static_cast<int>(si->Prefix());
    return p >= 0 && p < 16 ? kFactors[p] : 1;
}

std::string upper(const Handle(TCollection_HAsciiString)& s) {
    std::string out = s.IsNull() ? "" : s->ToCString();
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

ModelView::ModelView(const StepDocument& document)
    : m_mmToUnits(document.mmToUnits), m_path(document.path) {
    if (!document.doc.IsNull()) indexParts(document);
    if (document.session.IsNull()) return;
    m_model = Handle(StepData_StepModel)::DownCast(document.session->Model());
    if (m_model.IsNull()) return;
    const Handle(XSControl_TransferReader)& reader = document.session->TransferReader();
    if (!reader.IsNull()) m_tp = reader->TransientProcess();
    if (!m_tp.IsNull() && m_tp->HasGraph())
        m_graph = &m_tp->Graph();
    else
        m_graph = &document.session->Graph();
    m_entities.reserve(static_cast<std::size_t>(m_model->NbEntities()));
    for (int i = 1; i <= m_model->NbEntities(); ++i) m_entities.push_back(m_model->Value(i));
}

void ModelView::indexParts(const StepDocument& document) {
    m_shapes = XCAFDoc_DocumentTool::ShapeTool(document.doc->Main());
    TDF_LabelSequence labels;
    m_shapes->GetShapes(labels);
    for (const TDF_Label& label : labels) {
        if (m_shapes->IsAssembly(label)) continue;
        const TopoDS_Shape shape = m_shapes->GetShape(label);
        if (shape.IsNull()) continue;
        const int part = static_cast<int>(m_parts.size());
        m_parts.push_back(label);
        m_partOfShape.emplace(shape.TShape().get(), part);
        const std::pair<TopAbs_ShapeEnum, std::unordered_map<const void*, Where>*> kinds[] = {
            {TopAbs_FACE, &m_faces},
            {TopAbs_EDGE, &m_edges},
            {TopAbs_VERTEX, &m_vertices},
            {TopAbs_SOLID, &m_solids}};
        for (const auto& [kind, index] : kinds) {
            TopTools_IndexedMapOfShape map;
            TopExp::MapShapes(shape, kind, map);
            for (int i = 1; i <= map.Extent(); ++i)
                index->emplace(map(i).TShape().get(), Where{part, i});
        }
    }
}

bool ModelView::failed(const Handle(Standard_Transient)& e) const {
    if (m_model.IsNull() || e.IsNull()) return false;
    const int num = m_model->Number(e);
    return num > 0 && m_model->Check(num, Standard_True)->HasFailed();
}

Handle(Standard_Transient) ModelView::entityOf(int ident) const {
    if (m_byIdent.empty())
        for (const auto& e : m_entities) m_byIdent.emplace(m_model->IdentLabel(e), e);
    auto it = m_byIdent.find(ident);
    return it == m_byIdent.end() ? Handle(Standard_Transient)() : it->second;
}

std::vector<std::string> ModelView::rawArguments(const Handle(Standard_Transient)& e,
                                                 std::string* type) const {
    if (!m_rawLoaded) {
        m_rawLoaded = true;
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        m_raw = bytes.str();
        // Where each "#n=...;" of the data section lies; strings and comments skipped.
        std::size_t i = m_raw.find("DATA;");
        i = i == std::string::npos ? m_raw.size() : i + 5;
        while (i < m_raw.size()) {
            const char c = m_raw[i];
            if (c == '/' && i + 1 < m_raw.size() && m_raw[i + 1] == '*') {
                const std::size_t end = m_raw.find("*/", i + 2);
                i = end == std::string::npos ? m_raw.size() : end + 2;
            } else if (c == '#') {
                std::size_t j = i + 1;
                int n = 0;
                while (j < m_raw.size() && std::isdigit(static_cast<unsigned char>(m_raw[j])))
                    n = n * 10 + (m_raw[j++] - '0');
                while (j < m_raw.size() && std::isspace(static_cast<unsigned char>(m_raw[j]))) ++j;
                if (j >= m_raw.size() || m_raw[j] != '=') {
                    i = j;
                    continue;
                }
                const std::size_t start = ++j;
                bool quoted = false;
                for (; j < m_raw.size(); ++j) {
                    if (m_raw[j] == '\'') quoted = !quoted;
                    else if (m_raw[j] == ';' && !quoted) break;
                }
                m_rawIndex[n] = {start, j - start};
                i = j + 1;
            } else if (c == 'E' && m_raw.compare(i, 7, "ENDSEC;") == 0) {
                break;
            } else {
                ++i;
            }
        }
    }
    std::vector<std::string> out;
    auto it = m_rawIndex.find(ident(e));
    if (it == m_rawIndex.end()) return out;
    const std::string body = m_raw.substr(it->second.first, it->second.second);
    const std::size_t open = body.find('(');
    if (open == std::string::npos) return out;
    if (type) {
        type->clear();
        for (std::size_t i = 0; i < open; ++i)
            if (!std::isspace(static_cast<unsigned char>(body[i]))) *type += body[i];
    }
    int depth = 0;
    bool quoted = false;
    std::string arg;
    for (std::size_t i = open + 1; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\'') quoted = !quoted;
        if (!quoted && (c == '(' || c == ')')) {
            if (c == ')' && depth == 0) break;
            depth += c == '(' ? 1 : -1;
        }
        if (!quoted && depth == 0 && c == ',') {
            out.push_back(arg);
            arg.clear();
            continue;
        }
        if (!std::isspace(static_cast<unsigned char>(c)) || quoted) arg += c;
    }
    out.push_back(arg);
    return out;
}

int ModelView::ident(const Handle(Standard_Transient)& e) const {
    return m_model.IsNull() || e.IsNull() ? 0 : m_model->IdentLabel(e);
}

double ModelView::unitMm(const Handle(Standard_Transient)& unit) const {
    if (unit.IsNull()) return 0;
    auto cached = m_unitCache.find(unit.get());
    if (cached != m_unitCache.end()) return cached->second;
    double mm = 0;
    m_unitCache[unit.get()] = 0;  // a conversion that refers to itself stays unknown
    if (Handle(StepBasic_SiUnit) si = Handle(StepBasic_SiUnit)::DownCast(unit)) {
        if (si->Name() == StepBasic_sunMetre) mm = 1000 * prefixFactor(si);
    } else if (Handle(StepBasic_ConversionBasedUnit) cb =
                   Handle(StepBasic_ConversionBasedUnit)::DownCast(unit)) {
        const Handle(StepBasic_MeasureWithUnit)& factor = cb->ConversionFactor();
        if (!factor.IsNull()) {
            const double base = unitMm(factor->UnitComponent().Value());
            mm = factor->ValueComponent() * base;
        }
        if (mm <= 0) {
            // A named unit whose factor OCCT could not type still has a known name.
            mm = unitInMm(upper(cb->Name()));
        }
    }
    m_unitCache[unit.get()] = mm;
    return mm;
}

namespace {

// Degrees per unit of a named plane angle unit; 0 when it is not one.
double unitDeg(const Handle(Standard_Transient)& unit, int depth = 0) {
    if (unit.IsNull() || depth > 4) return 0;
    if (Handle(StepBasic_SiUnit) si = Handle(StepBasic_SiUnit)::DownCast(unit))
        return si->Name() == StepBasic_sunRadian ? prefixFactor(si) * 180 / kPi : 0;
    if (Handle(StepBasic_ConversionBasedUnit) cb =
            Handle(StepBasic_ConversionBasedUnit)::DownCast(unit)) {
        // A degree is exact by its name; its factor in radians is rounded.
        const std::string name = upper(cb->Name());
        if (name == "DEGREE" || name == "DEGREES") return 1;
        const Handle(StepBasic_MeasureWithUnit)& factor = cb->ConversionFactor();
        if (!factor.IsNull()) {
            const double base = unitDeg(factor->UnitComponent().Value(), depth + 1);
            if (base > 0) return factor->ValueComponent() * base;
        }
    }
    return 0;
}

}  // namespace

std::optional<Measure> ModelView::measure(const Handle(Standard_Transient)& e) const {
    Handle(StepBasic_MeasureWithUnit) mwu;
    Measure out;
    if (Handle(StepRepr_ReprItemAndMeasureWithUnit) both =
            Handle(StepRepr_ReprItemAndMeasureWithUnit)::DownCast(e)) {
        mwu = both->GetMeasureWithUnit();
        if (!both->GetRepresentationItem().IsNull())
            out.name = text(both->GetRepresentationItem()->Name());
    } else if (Handle(StepRepr_MeasureRepresentationItem) item =
                   Handle(StepRepr_MeasureRepresentationItem)::DownCast(e)) {
        mwu = item->Measure();
        out.name = text(item->Name());
    } else {
        mwu = Handle(StepBasic_MeasureWithUnit)::DownCast(e);
    }
    if (mwu.IsNull()) return std::nullopt;
    const double value = mwu->ValueComponent();
    const Handle(Standard_Transient) unit = mwu->UnitComponent().Value();
    if (const double mm = unitMm(unit); mm > 0) {
        out.kind = Measure::length;
        out.value = value * mm;
    } else if (const double deg = unitDeg(unit); deg > 0) {
        out.kind = Measure::angle;
        out.value = value * deg;
    } else {
        // A ratio, a count, a derived unit: as written.
        out.kind = Measure::other;
        out.value = value;
    }
    return out;
}

std::optional<Measure> ModelView::measureIn(const Handle(Standard_Transient)& e) const {
    if (e.IsNull()) return std::nullopt;
    for (Interface_EntityIterator it = m_graph->Shareds(e); it.More(); it.Next())
        if (auto m = measure(it.Value())) return m;
    return std::nullopt;
}

double ModelView::contextMm(const Handle(StepRepr_Representation)& rep) const {
    if (rep.IsNull() || rep->ContextOfItems().IsNull()) return 1;
    for (Interface_EntityIterator it = m_graph->Shareds(rep->ContextOfItems()); it.More();
         it.Next())
        if (const double mm = unitMm(it.Value()); mm > 0) return mm;
    return 1;
}

bool ModelView::point(const Handle(StepGeom_CartesianPoint)& p, double mm, double out[3]) const {
    if (p.IsNull()) return false;
    for (int i = 0; i < 3; ++i)
        out[i] = i < p->NbCoordinates() ? p->CoordinatesValue(i + 1) * mm : 0;
    return true;
}

namespace {

bool direction(const Handle(StepGeom_Direction)& d, double out[3]) {
    if (d.IsNull()) return false;
    double n = 0;
    for (int i = 0; i < 3; ++i) {
        out[i] = i < d->NbDirectionRatios() ? d->DirectionRatiosValue(i + 1) : 0;
        n += out[i] * out[i];
    }
    if (n <= 0) return false;
    n = std::sqrt(n);
    for (int i = 0; i < 3; ++i) out[i] /= n;
    return true;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

bool ModelView::placement(const Handle(StepGeom_Axis2Placement3d)& a, double mm,
                          Placement& out) const {
    if (a.IsNull() || !point(a->Location(), mm, out.origin)) return false;
    double z[3] = {0, 0, 1}, x[3] = {1, 0, 0};
    if (a->HasAxis()) direction(a->Axis(), z);
    if (a->HasRefDirection()) direction(a->RefDirection(), x);
    // x is the reference direction made perpendicular to z.
    const double dot = x[0] * z[0] + x[1] * z[1] + x[2] * z[2];
    double n = 0;
    for (int i = 0; i < 3; ++i) {
        x[i] -= dot * z[i];
        n += x[i] * x[i];
    }
    if (n < 1e-24) {
        const double alt[3] = {std::abs(z[0]) < 0.9 ? 1.0 : 0.0, std::abs(z[0]) < 0.9 ? 0.0 : 1.0,
                               0};
        double y[3];
        cross(z, alt, y);
        cross(y, z, x);
        n = x[0] * x[0] + x[1] * x[1] + x[2] * x[2];
    }
    n = std::sqrt(n);
    for (int i = 0; i < 3; ++i) {
        out.x[i] = x[i] / n;
        out.z[i] = z[i];
    }
    cross(out.z, out.x, out.y);
    return true;
}

TopoDS_Shape ModelView::shapeOf(const Handle(Standard_Transient)& e) const {
    if (m_tp.IsNull() || e.IsNull()) return {};
    const int index = m_tp->MapIndex(e);
    if (index <= 0) return {};
    return TransferBRep::ShapeResult(m_tp->MapItem(index));
}

void ModelView::refsOf(const Handle(Standard_Transient)& item, std::vector<ShapeRef>& out) const {
    TopoDS_Shape shape = shapeOf(item);
    if (shape.IsNull()) {
        // A curve or surface stands for the topology built on it.
        for (const auto& topo : sharings<StepShape_TopologicalRepresentationItem>(item)) {
            shape = shapeOf(topo);
            if (!shape.IsNull()) break;
        }
    }
    refsOfShape(shape, out);
}

void ModelView::refsOfShape(const TopoDS_Shape& shape, std::vector<ShapeRef>& out) const {
    if (shape.IsNull()) return;
    auto add = [&](const std::unordered_map<const void*, Where>& index, const TopoDS_Shape& s,
                   char kind) {
        auto it = index.find(s.TShape().get());
        if (it == index.end()) return false;
        out.push_back(ShapeRef{it->second.part, kind, it->second.index});
        return true;
    };
    switch (shape.ShapeType()) {
        case TopAbs_FACE: add(m_faces, shape, 'f'); return;
        case TopAbs_EDGE: add(m_edges, shape, 'e'); return;
        case TopAbs_VERTEX: add(m_vertices, shape, 'v'); return;
        case TopAbs_SOLID: add(m_solids, shape, 'b'); return;
        default: break;
    }
    // A shell or compound: its solids, else its faces, else its edges.
    const std::pair<TopAbs_ShapeEnum,
                    std::pair<const std::unordered_map<const void*, Where>*, char>>
        kinds[] = {{TopAbs_SOLID, {&m_solids, 'b'}},
                   {TopAbs_FACE, {&m_faces, 'f'}},
                   {TopAbs_EDGE, {&m_edges, 'e'}}};
    for (const auto& [type, target] : kinds) {
        bool any = false;
        for (TopExp_Explorer ex(shape, type); ex.More(); ex.Next())
            any = add(*target.first, ex.Current(), target.second) || any;
        if (any) return;
    }
}

void ModelView::refsOfAspect(const Handle(Standard_Transient)& aspect,
                             std::vector<ShapeRef>& out) const {
    std::vector<const Standard_Transient*> seen;
    refsOfAspect(aspect, out, seen);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
}

void ModelView::refsOfAspect(const Handle(Standard_Transient)& aspect, std::vector<ShapeRef>& out,
                             std::vector<const Standard_Transient*>& seen) const {
    if (aspect.IsNull() || std::find(seen.begin(), seen.end(), aspect.get()) != seen.end()) return;
    seen.push_back(aspect.get());
    // The items a usage identifies (a set of them, too); presentation links name callouts.
    for (const auto& usage : sharings<StepAP242_ItemIdentifiedRepresentationUsage>(aspect)) {
        if (usage->IsKind(STANDARD_TYPE(StepAP242_DraughtingModelItemAssociation))) continue;
        for (const auto& item : shareds<StepRepr_RepresentationItem>(usage)) refsOf(item, out);
    }
    // Composite and derived aspects designate what their members designate.
    for (const auto& rel : sharings<StepRepr_ShapeAspectRelationship>(aspect)) {
        if (rel->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation))) continue;
        if (rel->RelatingShapeAspect() == aspect)
            refsOfAspect(rel->RelatedShapeAspect(), out, seen);
    }
}

int ModelView::partOfShape(const TopoDS_Shape& shape) const {
    auto own = m_partOfShape.find(shape.TShape().get());
    if (own != m_partOfShape.end()) return own->second;
    // An assembly made for one product (a solid beside its wireframe): its one part with faces.
    int found = -1;
    for (TopExp_Explorer ex(shape, TopAbs_FACE); ex.More(); ex.Next()) {
        auto f = m_faces.find(ex.Current().TShape().get());
        if (f == m_faces.end()) continue;
        if (found >= 0 && f->second.part != found) return -1;
        found = f->second.part;
    }
    return found;
}

int ModelView::partOfProduct(const Handle(Standard_Transient)& productOrShape) const {
    if (m_shapes.IsNull() || productOrShape.IsNull()) return -1;
    // The product, its shape, the representations of its shape and those related to them:
    // the first of these the transfer made a shape of.
    std::vector<Handle(Standard_Transient)> candidates{productOrShape};
    std::vector<Handle(StepRepr_ProductDefinitionShape)> pdss;
    if (auto pds = Handle(StepRepr_ProductDefinitionShape)::DownCast(productOrShape))
        pdss.push_back(pds);
    else
        pdss = sharings<StepRepr_ProductDefinitionShape>(productOrShape);
    for (const auto& pds : pdss) {
        candidates.push_back(pds);
        for (const auto& sdr : sharings<StepShape_ShapeDefinitionRepresentation>(pds)) {
            candidates.push_back(sdr);
            for (const auto& rep : shareds<StepRepr_Representation>(sdr)) {
                candidates.push_back(rep);
                for (const auto& rel : sharings<StepRepr_RepresentationRelationship>(rep))
                    for (const auto& other : shareds<StepRepr_Representation>(rel))
                        if (other != rep) candidates.push_back(other);
            }
        }
    }
    for (const auto& c : candidates) {
        const TopoDS_Shape shape = shapeOf(c);
        if (shape.IsNull()) continue;
        const int part = partOfShape(shape);
        if (part >= 0) return part;
    }
    return -1;
}

std::shared_ptr<ExcEntity> ModelView::entity(const ShapeRef& ref, std::uint64_t blockId) const {
    auto path = std::make_shared<ExcFullSubentPath>(static_cast<std::uint64_t>(ref.index));
    using T = ExcFullSubentPath::ESubentType;
    switch (ref.kind) {
        case 'f':
            path->setSubentType(T::face);
            path->setVisuId(faceId(blockId, ref.index));
            break;
        case 'e': path->setSubentType(T::edge); break;
        case 'v': path->setSubentType(T::vertex); break;
        default: path->setSubentType(T::body); break;
    }
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::fsp);
    e->setFsp(path);
    return e;
}

}  // namespace trx::step::detail
