// How the annotations are presented: the planes they are drawn in, the saved views that show
// them, and presentations that carry no semantics, sent as lines.

#include <algorithm>
#include <cmath>
#include <set>

#include <BRepAdaptor_Curve.hxx>
#include <GCPnts_QuasiUniformDeflection.hxx>
#include <StepAP242_DraughtingModelItemAssociation.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <StepGeom_Axis2Placement3d.hxx>
#include <StepGeom_Plane.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepVisual_AnnotationOccurrence.hxx>
#include <StepVisual_AnnotationPlane.hxx>
#include <StepVisual_CameraModelD3.hxx>
#include <StepVisual_CoordinatesList.hxx>
#include <StepVisual_DraughtingCallout.hxx>
#include <StepVisual_DraughtingModel.hxx>
#include <StepVisual_PlanarBox.hxx>
#include <StepVisual_TessellatedAnnotationOccurrence.hxx>
#include <StepVisual_TessellatedCurveSet.hxx>
#include <StepVisual_TessellatedGeometricSet.hxx>
#include <StepVisual_ViewVolume.hxx>
#include <TColStd_HSequenceOfInteger.hxx>
#include <TColgp_HArray1OfXYZ.hxx>
#include <TDF_LabelSequence.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_DimensionObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XCAFDoc_Datum.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_Dimension.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_GeomTolerance.hxx>

#include "mechanics_pmi.h"

namespace trx::step::detail {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The callouts an identified item belongs to: itself, or the callouts holding it.
std::vector<Handle(StepVisual_DraughtingCallout)> calloutsOf(
    const ModelView& m, const Handle(Standard_Transient)& item) {
    if (auto c = Handle(StepVisual_DraughtingCallout)::DownCast(item)) return {c};
    if (auto plane = Handle(StepVisual_AnnotationPlane)::DownCast(item))
        return m.shareds<StepVisual_DraughtingCallout>(plane);
    return m.sharings<StepVisual_DraughtingCallout>(item);
}

// Millimetres per unit of the representation (draughting model) that holds e.
double holderMm(const ModelView& m, const Handle(Standard_Transient)& e) {
    for (const auto& rep : m.sharings<StepRepr_Representation>(e)) return m.contextMm(rep);
    for (const auto& plane : m.sharings<StepVisual_AnnotationPlane>(e))
        for (const auto& rep : m.sharings<StepRepr_Representation>(plane)) return m.contextMm(rep);
    return 1;
}

bool planeOf(const ModelView& m, const Handle(StepVisual_AnnotationPlane)& plane, Placement& out) {
    const double mm = holderMm(m, plane);
    for (const auto& p : m.shareds<StepGeom_Plane>(plane))
        if (m.placement(p->Position(), mm, out)) return true;
    for (const auto& box : m.shareds<StepVisual_PlanarBox>(plane))
        if (m.placement(box->Placement().Axis2Placement3d(), mm, out)) return true;
    return false;
}

ExcVector3d vec(const double v[3], double k = 1) {
    return ExcVector3d(v[0] * k, v[1] * k, v[2] * k);
}

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A plane through the placement's origin (millimetres), normal to its z axis, in the
// requested unit.
std::shared_ptr<ExcClippingPlane> clippingPlane(const Placement& p, double k) {
    auto clip = std::make_shared<ExcClippingPlane>();
    clip->setHasPlane(true);
    clip->setOrigin(vec(p.origin, k));
    clip->setVectorU(vec(p.x));
    clip->setVectorV(vec(p.y));
    clip->setHasCoefficients(true);
    clip->setCoefficient(ExcClippingPlane::a, p.z[0])
        .setCoefficient(ExcClippingPlane::b, p.z[1])
        .setCoefficient(ExcClippingPlane::c, p.z[2])
        .setCoefficient(ExcClippingPlane::d, -dot(p.z, p.origin) * k);
    return clip;
}

void readCamera(const ModelView& m, const Handle(StepVisual_CameraModelD3)& camera, double mm,
                SavedView& view) {
    const double k = m.mmToUnits();
    Placement vrs;
    m.placement(camera->ViewReferenceSystem(), mm, vrs);
    auto out = std::make_shared<ExcCamera>();
    out->setName(text(camera->Name()));
    const Handle(StepVisual_ViewVolume) volume = camera->PerspectiveOfVolume();
    double distance = 0;
    if (!volume.IsNull()) {
        distance = volume->ViewPlaneDistance() * mm * k;
        const Handle(StepVisual_PlanarBox) window = volume->ViewWindow();
        const double width = window.IsNull() ? 0 : window->SizeInX() * mm * k;
        const double height = window.IsNull() ? 0 : window->SizeInY() * mm * k;
        if (volume->ProjectionType() == StepVisual_copCentral) {
            out->setType(ExcCamera::EType::perspective);
            if (distance > 0 && height > 0)
                out->setPerspectiveViewAngle(2 * std::atan(height / 2 / distance) * 180 / kPi);
        } else {
            out->setType(ExcCamera::EType::orthographic);
            // The width of model space the view shows.
            out->setOrthographicZoomFactor(width);
        }
        // The front clipping plane, else the back one: a capture holds one plane.
        const bool front = volume->FrontPlaneClipping();
        if (front || volume->BackPlaneClipping()) {
            Placement plane = vrs;
            const double d = front ? volume->FrontPlaneDistance() : volume->BackPlaneDistance();
            for (int i = 0; i < 3; ++i) plane.origin[i] += vrs.z[i] * d * mm;
            view.clipping = clippingPlane(plane, k);
        }
    }
    // The camera looks along the reference system's z axis. Writers put the eye at its origin
    // with the view plane ahead, or put the eye at the projection point behind the origin.
    double projection[3], back[3];
    bool behind = !volume.IsNull() && distance <= 0 &&
                  m.point(volume->ProjectionPoint(), mm, projection);
    if (behind) {
        for (int i = 0; i < 3; ++i) back[i] = vrs.origin[i] - projection[i];
        behind = dot(back, vrs.z) > 0;
    }
    double eye[3], target[3];
    for (int i = 0; i < 3; ++i) {
        eye[i] = (behind ? projection[i] : vrs.origin[i]) * k;
        target[i] = behind ? vrs.origin[i] * k : eye[i] + vrs.z[i] * (distance > 0 ? distance : 1);
    }
    out->setEye(vec(eye));
    out->setTarget(vec(target));
    out->setUp(vec(vrs.y));
    view.camera = out;
    // A camera that clips by planes: its first plane.
    if (!view.clipping) {
        for (const auto& plane : m.shareds<StepGeom_Plane>(camera)) {
            Placement p;
            if (!m.placement(plane->Position(), mm, p)) continue;
            view.clipping = clippingPlane(p, k);
            break;
        }
    }
}

// Writers put the viewer on either side of the view reference system. The annotations a
// view shows face its viewer (their text reads unmirrored), so where most of their planes
// face away from the camera, the camera looks the other way along the same line.
void faceTheAnnotations(const ModelView& m,
                        const std::vector<Handle(StepVisual_DraughtingCallout)>& callouts,
                        ExcCamera& camera) {
    const ExcVector3d& eye = camera.eye();
    const ExcVector3d& target = camera.target();
    const double look[3] = {target.x() - eye.x(), target.y() - eye.y(), target.z() - eye.z()};
    int away = 0;
    for (const auto& callout : callouts)
        for (const auto& plane : m.sharings<StepVisual_AnnotationPlane>(callout)) {
            Placement p;
            if (!planeOf(m, plane, p)) continue;
            const double d = dot(p.z, look);
            away += d > 0 ? 1 : d < 0 ? -1 : 0;
            break;
        }
    if (away <= 0) return;
    const ExcVector3d oldEye = eye;
    camera.setEye(target);
    camera.setTarget(oldEye);
}

// Integers of a list or a list of lists, as the file writes them: "(1,2,3)", "((1,2),(3))".
std::vector<std::vector<int>> intLists(const std::string& s) {
    std::vector<std::vector<int>> out;
    int depth = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '(') {
            if (++depth == 2 || out.empty()) out.emplace_back();
        } else if (c == ')') {
            --depth;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            if (out.empty()) out.emplace_back();
            out.back().push_back(std::atoi(s.c_str() + i));
            while (i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) ++i;
        }
    }
    return out;
}

// Writes tessellated annotation geometry as edges in the requested unit: curve sets as line
// strips, triangle sets (filled text) as filled triangles. Positions are relative to the
// set's own placement when it is a repositioned one.
class TessellatedWriter {
public:
    TessellatedWriter(const ModelView& m, double mm, ExcVisuPMI& out) : m_(m), mm_(mm), out_(out) {}

    bool any() const { return any_; }

    void curves(const Handle(StepVisual_TessellatedCurveSet)& set, const Placement& at) {
        if (set->CoordList().IsNull() || set->Curves().IsNull()) return;
        const Handle(TColgp_HArray1OfXYZ) points = set->CoordList()->Points();
        for (const Handle(TColStd_HSequenceOfInteger)& strip : *set->Curves()) {
            if (strip.IsNull()) continue;
            std::vector<int> indices;
            for (int j = 1; j <= strip->Length(); ++j) indices.push_back(strip->Value(j));
            add(points, at, indices, ExcVisuEdge::ELineType::line_strip);
        }
    }

    // A triangle set OCCT leaves untyped: its arguments as the file writes them.
    void triangles(const Handle(Standard_Transient)& set, const Placement& at) {
        std::string type;
        const auto args = m_.rawArguments(set, &type);
        std::vector<std::vector<int>> strips, fans, plain;
        std::vector<int> pnindex;
        if (type == "COMPLEX_TRIANGULATED_SURFACE_SET" && args.size() >= 7) {
            strips = intLists(args[5]);
            fans = intLists(args[6]);
        } else if (type == "TRIANGULATED_SURFACE_SET" && args.size() >= 6) {
            plain = intLists(args[5]);
        } else {
            return;
        }
        for (const auto& l : intLists(args[4])) pnindex.insert(pnindex.end(), l.begin(), l.end());
        auto coords = Handle(StepVisual_CoordinatesList)::DownCast(
            m_.entityOf(std::atoi(args[1].c_str() + (args[1].empty() ? 0 : 1))));
        if (coords.IsNull()) return;
        const Handle(TColgp_HArray1OfXYZ) points = coords->Points();
        auto point = [&](int i) {
            return pnindex.empty()                                   ? i
                   : i >= 1 && i <= static_cast<int>(pnindex.size()) ? pnindex[i - 1]
                                                                     : 0;
        };
        auto triangle = [&](int a, int b, int c) {
            add(points, at, {point(a), point(b), point(c)},
                ExcVisuEdge::ELineType::line_loop_filled);
        };
        for (const auto& t : plain)
            if (t.size() == 3) triangle(t[0], t[1], t[2]);
        for (const auto& s : strips)
            for (std::size_t k = 2; k < s.size(); ++k)
                k % 2 == 0 ? triangle(s[k - 2], s[k - 1], s[k])
                           : triangle(s[k - 1], s[k - 2], s[k]);
        for (const auto& f : fans)
            for (std::size_t k = 2; k < f.size(); ++k) triangle(f[0], f[k - 1], f[k]);
    }

private:
    void add(const Handle(TColgp_HArray1OfXYZ)& points, const Placement& at,
             const std::vector<int>& indices, ExcVisuEdge::ELineType type) {
        if (points.IsNull()) return;
        std::vector<float> xyz;
        std::vector<int> order;
        for (int index : indices) {
            const int p = index - 1 + points->Lower();
            if (p < points->Lower() || p > points->Upper()) continue;
            const gp_XYZ& v = points->Value(p);
            order.push_back(static_cast<int>(order.size()));
            for (int c = 0; c < 3; ++c)
                xyz.push_back(static_cast<float>(
                    (at.origin[c] + (at.x[c] * v.X() + at.y[c] * v.Y() + at.z[c] * v.Z()) * mm_) *
                    m_.mmToUnits()));
        }
        if (order.size() < 2) return;
        auto edge = std::make_shared<ExcVisuEdge>();
        edge->setPoints(std::move(xyz));
        edge->setLineIndices(std::move(order));
        edge->setLineType(type);
        out_.addEdge(edge);
        any_ = true;
    }

    const ModelView& m_;
    double mm_;
    ExcVisuPMI& out_;
    bool any_ = false;
};

// The entities a set refers to, typed or not: OCCT drops references to entities it does not
// know from typed sets, so the file's own argument list is read too.
std::vector<Handle(Standard_Transient)> membersOf(const ModelView& m,
                                                  const Handle(Standard_Transient)& set) {
    std::vector<Handle(Standard_Transient)> out;
    for (Interface_EntityIterator it = m.graph().Shareds(set); it.More(); it.Next())
        out.push_back(it.Value());
    if (set->IsKind(STANDARD_TYPE(StepVisual_TessellatedGeometricSet))) {
        const auto args = m.rawArguments(set);
        if (args.size() >= 2)
            for (std::size_t i = 0; i < args[1].size(); ++i)
                if (args[1][i] == '#')
                    if (auto e = m.entityOf(std::atoi(args[1].c_str() + i + 1)))
                        if (std::find(out.begin(), out.end(), e) == out.end()) out.push_back(e);
    }
    return out;
}

bool tessellatedLines(const ModelView& m, const Handle(StepVisual_DraughtingCallout)& callout,
                      ExcVisuPMI& out) {
    const double mm = holderMm(m, callout);
    TessellatedWriter writer(m, mm, out);
    for (const auto& occ : m.shareds<StepVisual_TessellatedAnnotationOccurrence>(callout)) {
        std::vector<Handle(Standard_Transient)> sets;
        for (Interface_EntityIterator it = m.graph().Shareds(occ); it.More(); it.Next())
            sets.push_back(it.Value());
        if (occ->Item().IsNull()) {
            // A repositioned set: OCCT keeps it untyped and drops the reference to it.
            const auto args = m.rawArguments(occ);
            if (args.size() >= 3 && args[2].size() > 1 && args[2][0] == '#')
                if (auto e = m.entityOf(std::atoi(args[2].c_str() + 1))) sets.push_back(e);
        }
        for (const Handle(Standard_Transient)& set : sets) {
            if (!set->IsKind(STANDARD_TYPE(StepRepr_RepresentationItem)) &&
                !set->IsKind(STANDARD_TYPE(StepData_UndefinedEntity)))
                continue;
            if (auto curves = Handle(StepVisual_TessellatedCurveSet)::DownCast(set)) {
                writer.curves(curves, Placement());
                continue;
            }
            Placement at;
            for (const auto& a : m.shareds<StepGeom_Axis2Placement3d>(set))
                if (m.placement(a, mm, at)) break;
            for (const auto& member : membersOf(m, set)) {
                if (auto curves = Handle(StepVisual_TessellatedCurveSet)::DownCast(member))
                    writer.curves(curves, at);
                else if (member->IsKind(STANDARD_TYPE(StepData_UndefinedEntity)))
                    writer.triangles(member, at);
            }
        }
    }
    return writer.any();
}

// Polylines of a presentation OCCT built as edges (in millimetres).
bool shapeLines(const TopoDS_Shape& shape, double k, ExcVisuPMI& out) {
    bool any = false;
    for (TopExp_Explorer ex(shape, TopAbs_EDGE); ex.More(); ex.Next()) {
        BRepAdaptor_Curve curve(TopoDS::Edge(ex.Current()));
        GCPnts_QuasiUniformDeflection points(curve, 0.01);
        if (!points.IsDone() || points.NbPoints() < 2) continue;
        std::vector<float> xyz;
        std::vector<int> indices;
        for (int i = 1; i <= points.NbPoints(); ++i) {
            const gp_Pnt p = points.Value(i);
            indices.push_back(i - 1);
            xyz.push_back(static_cast<float>(p.X() * k));
            xyz.push_back(static_cast<float>(p.Y() * k));
            xyz.push_back(static_cast<float>(p.Z() * k));
        }
        auto edge = std::make_shared<ExcVisuEdge>();
        edge->setPoints(std::move(xyz));
        edge->setLineIndices(std::move(indices));
        edge->setLineType(ExcVisuEdge::ELineType::line_strip);
        out.addEdge(edge);
        any = true;
    }
    return any;
}

// OCCT's presentations by the name of the annotation they were read from.
std::map<std::wstring, TopoDS_Shape> occtPresentations(const StepDocument& document) {
    std::map<std::wstring, TopoDS_Shape> out;
    if (document.doc.IsNull()) return out;
    Handle(XCAFDoc_DimTolTool) tool = XCAFDoc_DocumentTool::DimTolTool(document.doc->Main());
    // Each getter clears the sequence it fills.
    TDF_LabelSequence labels, more;
    tool->GetDimensionLabels(labels);
    tool->GetGeomToleranceLabels(more);
    labels.Append(more);
    tool->GetDatumLabels(more);
    labels.Append(more);
    for (const TDF_Label& label : labels) {
        TopoDS_Shape shape;
        Handle(TCollection_HAsciiString) name;
        if (Handle(XCAFDoc_Dimension) d; label.FindAttribute(XCAFDoc_Dimension::GetID(), d)) {
            if (auto o = d->GetObject()) {
                shape = o->GetPresentation();
                name = o->GetPresentationName();
            }
        } else if (Handle(XCAFDoc_GeomTolerance) t;
                   label.FindAttribute(XCAFDoc_GeomTolerance::GetID(), t)) {
            if (auto o = t->GetObject()) {
                shape = o->GetPresentation();
                name = o->GetPresentationName();
            }
        } else if (Handle(XCAFDoc_Datum) dt; label.FindAttribute(XCAFDoc_Datum::GetID(), dt)) {
            if (auto o = dt->GetObject()) {
                shape = o->GetPresentation();
                name = o->GetPresentationName();
            }
        }
        if (!shape.IsNull() && !name.IsNull()) out.emplace(text(name), shape);
    }
    return out;
}

}  // namespace

Presentation readPresentation(const ModelView& m, const StepDocument& document, Semantics& s,
                              std::vector<std::wstring>& warnings) {
    Presentation out;
    if (!m.valid()) return out;

    // Callouts to the annotations they present, through the presentation links.
    std::map<const Standard_Transient*, std::vector<int>> shows;
    std::map<const Standard_Transient*, std::vector<ShapeRef>> pointsAt;
    for (const auto& link : m.all<StepAP242_DraughtingModelItemAssociation>()) {
        const Handle(Standard_Transient) definition = link->Definition().Value();
        auto semantic = definition.IsNull() ? s.byEntity.end() : s.byEntity.find(definition.get());
        for (int i = 1; i <= link->NbIdentifiedItem(); ++i) {
            for (const auto& callout : calloutsOf(m, link->IdentifiedItemValue(i))) {
                if (semantic != s.byEntity.end()) addUnique(shows[callout.get()], semantic->second);
                else if (Handle(StepRepr_ShapeAspect) aspect =
                             Handle(StepRepr_ShapeAspect)::DownCast(definition))
                    m.refsOfAspect(aspect, pointsAt[callout.get()]);
            }
        }
    }

    // Annotation planes: each annotation lies in the plane of its first callout.
    const auto callouts = m.all<StepVisual_DraughtingCallout>();
    std::map<const Standard_Transient*, int> planeIndex;
    for (const auto& callout : callouts) {
        auto shown = shows.find(callout.get());
        if (shown == shows.end()) continue;
        const auto planes = m.sharings<StepVisual_AnnotationPlane>(callout);
        if (planes.empty()) continue;
        const Handle(StepVisual_AnnotationPlane)& plane = planes.front();
        auto found = planeIndex.find(plane.get());
        if (found == planeIndex.end()) {
            AnnotationPlane p;
            p.id = annotationId(L"plane", m.ident(plane));
            p.name = text(plane->Name());
            if (p.name.empty()) p.name = L"Annotation plane " + std::to_wstring(m.ident(plane));
            planeOf(m, plane, p.placement);
            found = planeIndex.emplace(plane.get(), static_cast<int>(out.planes.size())).first;
            out.planes.push_back(std::move(p));
        }
        for (int a : shown->second) {
            Annotation& annotation = s.annotations[static_cast<std::size_t>(a)];
            if (annotation.plane >= 0) continue;
            annotation.plane = found->second;
            out.planes[static_cast<std::size_t>(found->second)].annotations.push_back(a);
        }
    }

    // Saved views: draughting models with a camera.
    std::map<const Standard_Transient*, std::vector<int>> viewsOfCallout;
    for (const auto& model : m.all<StepVisual_DraughtingModel>()) {
        const auto cameras = m.shareds<StepVisual_CameraModelD3>(model);
        if (cameras.empty()) continue;
        SavedView view;
        view.id = annotationId(L"view", m.ident(model));
        view.name = text(model->Name());
        if (view.name.empty()) view.name = text(cameras.front()->Name());
        readCamera(m, cameras.front(), m.contextMm(model), view);
        std::vector<Handle(StepVisual_DraughtingCallout)> inView;
        for (Interface_EntityIterator it = m.graph().Shareds(model); it.More(); it.Next()) {
            for (const auto& callout : calloutsOf(m, it.Value())) {
                inView.push_back(callout);
                addUnique(viewsOfCallout[callout.get()], static_cast<int>(out.views.size()));
                auto shown = shows.find(callout.get());
                if (shown == shows.end()) continue;
                for (int a : shown->second) addUnique(view.annotations, a);
            }
        }
        if (view.camera) faceTheAnnotations(m, inView, *view.camera);
        out.views.push_back(std::move(view));
    }

    // Presentations without semantics.
    std::map<std::wstring, TopoDS_Shape> occt;
    bool occtRead = false;
    std::wstring undrawn;
    for (const auto& callout : callouts) {
        if (shows.count(callout.get())) continue;
        Graphic g;
        g.record = std::make_shared<ExcVisuPMI>();
        const std::wstring name = text(callout->Name());
        g.record->setDisplayName(name);
        g.record->setId(annotationId(L"graphic", m.ident(callout)));
        bool drawn = tessellatedLines(m, callout, *g.record);
        if (!drawn) {
            if (!occtRead) {
                occt = occtPresentations(document);
                occtRead = true;
            }
            auto shape = occt.find(name);
            if (shape != occt.end()) drawn = shapeLines(shape->second, m.mmToUnits(), *g.record);
        }
        if (!drawn) {
            undrawn += (undrawn.empty() ? L"" : L", ") +
                       (name.empty() ? L"" : L"'" + name + L"' ") + L"(#" +
                       std::to_wstring(m.ident(callout)) + L")";
            continue;
        }
        auto refs = pointsAt.find(callout.get());
        if (refs != pointsAt.end()) g.refs = refs->second;
        auto views = viewsOfCallout.find(callout.get());
        if (views != viewsOfCallout.end())
            for (int v : views->second)
                for (int a : out.views[static_cast<std::size_t>(v)].annotations)
                    addUnique(g.near, a);
        out.graphicOfCallout[m.ident(callout)] = static_cast<int>(out.graphics.size());
        out.graphics.push_back(std::move(g));
    }
    for (const auto& callout : callouts) {
        auto shown = shows.find(callout.get());
        if (shown != shows.end()) out.annotationsOfCallout[m.ident(callout)] = shown->second;
    }
    if (!undrawn.empty())
        warnings.push_back(L"Presentations without semantics that have no geometry to draw: " +
                           undrawn + L".");
    return out;
}

}  // namespace trx::step::detail
