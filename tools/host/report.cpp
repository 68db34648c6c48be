#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <map>
#include <ostream>
#include <sstream>

#include "acis/acis.h"
#include "common/protocol.h"
#include "trx_api/trx_api_acis_attrib_id.h"
#include "trx_api/trx_api_exchange_geometry.h"
#include "trx_api/trx_api_exchange_mechanical.h"
#include "trx_api/trx_api_exchange_messages.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::host {
namespace {

void measureBody(const BODY& body, tools::MeshStats& stats) {
    const auto& v = body.vertices();
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
        tools::Triangle t{};
        for (int k = 0; k < 3; ++k) t.vertices[k] = {v[i + k].x(), v[i + k].y(), v[i + k].z()};
        stats.add(t);
    }
}

void countNodes(const ExcVisuNode& node, int depth,
                const std::function<void(const ExcVisuNode&)>& visit) {
    if (depth > kMaxTreeDepth) return;
    visit(node);
    for (const auto& child : node.childNodes())
        if (child) countNodes(*child, depth + 1, visit);
}

bool propertyValue(const ExcMiscPropertiesGroup& group, const wchar_t* name, double& out) {
    for (const auto& p : group.properties()) {
        if (p.name() != name) continue;
        wchar_t* end = nullptr;
        const double v = std::wcstod(p.value().c_str(), &end);
        // A value that does not fit a double (or says "inf") is kept: the report says so.
        if (end == p.value().c_str() || *end != 0) return false;
        out = v;
        return true;
    }
    return false;
}

Measures measuresOf(const ExcMechanicalMiscData& misc) {
    namespace p = tools::mesh_props;
    Measures m;
    for (const auto& group : misc.miscData().groups()) {
        if (!group || group->name() != p::kGroup) continue;
        double triangles = 0;
        bool ok = propertyValue(*group, p::kTriangles, triangles) && triangles >= 0;
        ok = ok && propertyValue(*group, p::kArea, m.stats.area);
        ok = ok && propertyValue(*group, p::kVolume, m.stats.volume);
        for (int c = 0; c < 3 && ok; ++c)
            ok = propertyValue(*group, p::kBoxMin[c], m.stats.min[c]) &&
                 propertyValue(*group, p::kBoxMax[c], m.stats.max[c]);
        m.stats.triangles = static_cast<std::size_t>(triangles);
        m.present = ok;
    }
    return m;
}

std::string fixed(double v, int decimals = 3) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string point(const tools::Point& p) {
    return "(" + fixed(p[0]) + ", " + fixed(p[1]) + ", " + fixed(p[2]) + ")";
}

std::string pad(const std::string& text, std::size_t width, bool right = false) {
    if (text.size() >= width) return text;
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

// ---- JSON ----

class Json {
public:
    JsonDocument doc;
    JsonAllocator& a() { return doc.GetAllocator(); }
    JsonValue str(const std::wstring& s) {
        return JsonValue(s.c_str(), static_cast<rapidjson::SizeType>(s.size()), a());
    }
    JsonValue str(const std::string& s) { return str(toWide(s)); }
    static JsonValue num(double v) { return std::isfinite(v) ? JsonValue(v) : JsonValue(); }
    JsonValue point(const tools::Point& p) {
        JsonValue v(rapidjson::kArrayType);
        for (double c : p) v.PushBack(num(c), a());
        return v;
    }
    JsonValue counts(std::initializer_list<std::pair<const wchar_t*, std::size_t>> list) {
        JsonValue v(rapidjson::kObjectType);
        for (const auto& [key, n] : list)
            v.AddMember(JsonValue::StringRefType(key), JsonValue(static_cast<std::uint64_t>(n)),
                        a());
        return v;
    }
    JsonValue values(const std::vector<PmiValue>& list) {
        JsonValue v(rapidjson::kArrayType);
        for (const auto& item : list) {
            JsonValue entry(rapidjson::kObjectType);
            entry.AddMember(L"type", str(item.type), a());
            // A value the file does not give is unknown, not 0.
            entry.AddMember(L"value", item.value ? num(*item.value) : JsonValue(), a());
            v.PushBack(entry, a());
        }
        return v;
    }
    JsonValue pmi(const PmiSummary& p) {
        JsonValue v(rapidjson::kObjectType);
        JsonValue datums(rapidjson::kArrayType);
        for (const auto& label : p.datumLabels.kept) datums.PushBack(str(label), a());
        v.AddMember(L"datums", datums, a());
        v.AddMember(L"datum_targets", JsonValue(static_cast<std::uint64_t>(p.datumTargets)), a());
        v.AddMember(L"tolerances", values(p.tolerances.kept), a());
        v.AddMember(L"dimensions", values(p.dimensions.kept), a());
        // Every annotation by kind, also those the lists above do not keep.
        v.AddMember(L"counts",
                    counts({{L"datums", p.datums},
                            {L"datum_targets", p.datumTargets},
                            {L"tolerances", p.tolerances.total()},
                            {L"dimensions", p.dimensions.total()},
                            {L"notes", p.notes},
                            {L"roughness", p.roughness},
                            {L"annotation_views", p.annotationViews}}),
                    a());
        return v;
    }
    JsonValue measures(const tools::MeshStats& s) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"triangles", JsonValue(static_cast<std::uint64_t>(s.triangles)), a());
        v.AddMember(L"area", num(s.area), a());
        v.AddMember(L"volume", num(s.volume), a());
        JsonValue box(rapidjson::kObjectType);
        box.AddMember(L"min", point(s.min), a());
        box.AddMember(L"max", point(s.max), a());
        v.AddMember(L"bounding_box", box, a());
        return v;
    }
};

}  // namespace

void Report::start() { m_mark = Clock::now(); }

BlockReport& Report::block(std::uint64_t id) {
    BlockReport& b = m_blocks[id];
    b.id = id;
    return b;
}

void Report::mark(const std::wstring& stage, Listener& listener) {
    const auto now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - m_mark).count();
    m_mark = now;
    m_stages.add({stage, seconds});
    m_lastStage = stage;
    listener.stage(stage, seconds);
}

void Report::arrived(const std::wstring& objectName) {
    const auto it = m_arrived.find(objectName);
    if (it != m_arrived.end())
        ++it->second;
    else if (m_arrived.size() < kMaxKept)
        m_arrived.emplace(objectName, 1);
    else
        ++m_otherArrived;
}

void Report::error(const std::wstring& text) { m_errors.add(text); }
void Report::note(const std::wstring& text) { m_notes.add(text); }
void Report::noteSegment(const std::wstring& name) { m_segments.add(name); }

void Report::checkFinite(const Measures& m, const BlockReport& b, const wchar_t* what) {
    if (!m.present) return;
    std::wstring bad;
    const tools::MeshStats& s = m.stats;
    if (!std::isfinite(s.area)) bad += L" area";
    if (!std::isfinite(s.volume)) bad += L" volume";
    for (int c = 0; c < 3; ++c)
        if (!std::isfinite(s.min[c]) || !std::isfinite(s.max[c])) {
            bad += L" bounding box";
            break;
        }
    if (!bad.empty())
        note(L"block " + std::to_wstring(b.id) + L": " + what + L" not a finite number:" + bad +
             L" (too large for a double)");
}

void Report::takeStructure(const ExcProductStructure& structure) {
    for (const auto& b : structure.blocks()) {
        if (!b) continue;
        BlockReport& r = block(b->id());
        r.name = b->name();
        r.part = b->isPart();
    }
    m_shape = shapeOf(structure);
    if (m_shape.loops) note(L"the assembly tree loops: a block contains itself");
    if (m_shape.tooDeep)
        note(L"the assembly tree is deeper than " + std::to_wstring(kMaxTreeDepth) +
             L" levels; it is counted to there");
    if (m_shape.missing > 0)
        note(std::to_wstring(m_shape.missing) +
             L" references of the assembly tree name blocks that are not in it");
}

void Report::setSceneFigures(const Scene& scene) {
    SceneFigures f;
    f.placements = scene.instances.size();
    f.instances = scene.leafCount();
    f.meshes = scene.meshes.size();
    f.triangles = scene.triangleCount();
    f.materials = scene.materials.size();
    f.views = scene.views.size();
    f.bounds = scene.bounds;
    m_scene = f;
    for (const auto& n : scene.notes) note(n);
}

void Report::addOutput(OutputFile file) { m_outputs.push_back(std::move(file)); }

void Report::take(const std::shared_ptr<IExchangeObject>& object, Listener& listener) {
    if (scene) scene->take(object);
    if (auto p = std::dynamic_pointer_cast<ExcProgress>(object)) {
        m_lastProgress = p->stage();
        listener.progress(p->progress(), p->progressMax(), p->stage());
    } else if (auto m = std::dynamic_pointer_cast<ExcMessage>(object)) {
        m_messages.add({severityOf(m->get()), tools::clip(m->get(), 4 * tools::kMaxForeignText)});
        listener.message(m->get());
    } else if (auto l = std::dynamic_pointer_cast<ExcLog>(object)) {
        listener.log(l->get());
    } else if (auto s = std::dynamic_pointer_cast<ExcStageFinished>(object)) {
        mark(enumToString(s->stage()), listener);
    } else if (auto ps = std::dynamic_pointer_cast<ExcProductStructure>(object)) {
        m_structure = ps;
        takeStructure(*ps);
    } else if (auto g = std::dynamic_pointer_cast<ExcBlockGeometry>(object)) {
        BlockReport& r = block(g->blockId());
        ENTITY_LIST entities;
        if (!g->getGeometry(entities)) {
            error(L"block " + std::to_wstring(g->blockId()) + L": its geometry cannot be restored");
            return;
        }
        for (ENTITY* e : entities) {
            if (is_BODY(e)) {
                ++r.bodies;
                measureBody(*static_cast<BODY*>(e), r.geometry.stats);
                r.geometry.present = true;
                for (ATTRIB* a = e->attrib(); a; a = a->next())
                    if (is_ATTRIB_BRIDGE_ID(a))
                        r.bridgeIds.push_back(static_cast<ATTRIB_BRIDGE_ID*>(a)->id());
            }
        }
        for (ENTITY* e : entities) e->lose();
        r.geometry.stats.volume = std::abs(r.geometry.stats.volume);
        checkFinite(r.geometry, r, L"the restored geometry measures");
    } else if (auto v = std::dynamic_pointer_cast<ExcBlockVisualization>(object)) {
        BlockReport& r = block(v->blockId());
        r.hasVisualization = true;
        if (!v->visualizationData()) return;
        addColors(*v->visualizationData(), r.colors);
        for (const auto& root : v->visualizationData()->sceneRootNodes()) {
            if (!root) continue;
            countNodes(*root, 0, [&](const ExcVisuNode& node) {
                if (!node.mesh()) return;
                for (const auto& face : node.mesh()->faces()) {
                    if (!face) continue;
                    r.visuVertices += face->vertices().size() / 3;
                    for (const auto& polygon : face->polygons()) {
                        if (polygon.type == tools::kTriangleListPolygon)
                            r.visuTriangles += polygon.indices.size() / 3;
                        else if (polygon.indices.size() >= 3)
                            r.visuTriangles += polygon.indices.size() - 2;
                    }
                }
            });
        }
    } else if (auto mech = std::dynamic_pointer_cast<ExcBlockMechanicalData>(object)) {
        BlockReport& r = block(mech->blockId());
        if (mech->miscData()) {
            // A second object for the block (PMI apart from the measures) keeps the first's.
            Measures m = measuresOf(*mech->miscData());
            if (m.present || !r.mechanical.present) {
                r.mechanical = m;
                checkFinite(r.mechanical, r, L"the bridge measured");
            }
            addLayers(*mech->miscData(), r.layers);
        }
        if (mech->pmiData()) r.pmi.add(*mech->pmiData(), m_views, mech->blockId());
    } else if (auto av = std::dynamic_pointer_cast<ExcRootAssemblyVisualization>(object)) {
        if (!av->visualizationData()) return;
        for (const auto& root : av->visualizationData()->sceneRootNodes())
            if (root) countNodes(*root, 0, [&](const ExcVisuNode&) { ++m_assemblyNodes; });
    } else if (auto rootMech = std::dynamic_pointer_cast<ExcRootMechanicalData>(object)) {
        m_rootMechanical = true;
        if (rootMech->pmiData()) m_rootPmi.add(*rootMech->pmiData(), m_views, std::nullopt);
    } else if (auto names = std::dynamic_pointer_cast<LegacyComponentInstanceNames>(object)) {
        legacyNames += names->map().size();
    }
}

std::wstring Report::whereText() const {
    std::wstring text =
        m_lastProgress.empty() ? L"before any progress" : L"in stage \"" + m_lastProgress + L"\"";
    text += m_lastStage.empty() ? L", no stage finished yet"
                                : L", after \"" + m_lastStage + L"\" finished";
    return text;
}

std::wstring Report::arrivedText() const {
    std::wstring text;
    for (const auto& [name, count] : m_arrived) {
        if (!text.empty()) text += L", ";
        text += std::to_wstring(count) + L" " + name;
    }
    if (m_otherArrived > 0)
        text += L", and " + std::to_wstring(m_otherArrived) + L" more under other names";
    return text.empty() ? L"nothing" : text;
}

void Report::writeText(std::ostream& os) const {
    if (interfaceName.empty())
        os << "Bridge: none chosen\n";
    else
        os << "Bridge: " << toNarrow(bridgeName) << ' ' << toNarrow(bridgeVersion)
           << " (interface " << toNarrow(interfaceName) << (delayed ? ", delayed loading" : "")
           << ")\n";
    os << "File: " << toNarrow(file) << '\n';
    if (m_structure) {
        os << "Product \"" << toNarrow(m_structure->productName()) << "\", units "
           << toNarrow(enumToString(m_structure->units())) << "\n\nAssembly tree ("
           << m_shape.instances << " part instance" << (m_shape.instances == 1 ? "" : "s") << ", "
           << m_shape.depth << " level" << (m_shape.depth == 1 ? "" : "s") << ")\n  "
           << toNarrow(m_structure->productName()) << '\n';
        writeTree(os);
    }
    if (!m_blocks.empty()) {
        std::size_t nameWidth = 4;
        for (const auto& [id, b] : m_blocks)
            nameWidth = std::max(nameWidth, toNarrow(b.name).size());
        os << "\nBlocks (area and volume as the bridge measured them, the rest from the restored "
              "bodies)\n  "
           << pad("id", 4, true) << "  " << pad("name", nameWidth) << pad("bodies", 8, true)
           << pad("bridge id", 11, true) << pad("triangles", 11, true) << pad("area", 14, true)
           << pad("volume", 14, true) << "  bounding box\n";
        for (const auto& [id, b] : m_blocks) {
            std::string ids;
            for (long i : b.bridgeIds) ids += (ids.empty() ? "" : ",") + std::to_string(i);
            const tools::MeshStats& s = b.geometry.stats;
            const tools::MeshStats& m = b.mechanical.stats;
            os << "  " << pad(std::to_string(id), 4, true) << "  "
               << pad(toNarrow(b.name), nameWidth) << pad(std::to_string(b.bodies), 8, true)
               << pad(ids.empty() ? "-" : ids, 11, true)
               << pad(std::to_string(s.triangles), 11, true)
               << pad(b.mechanical.present ? fixed(m.area) : "-", 14, true)
               << pad(b.mechanical.present ? fixed(m.volume) : "-", 14, true) << "  "
               << (b.geometry.present ? point(s.min) + " .. " + point(s.max) : "-") << '\n';
        }
        tools::MeshStats total;
        std::size_t bodies = 0;
        for (const auto& [id, b] : m_blocks) {
            total.add(b.geometry.stats);
            bodies += b.bodies;
        }
        os << "  total: " << m_blocks.size() << " blocks, " << bodies << " bodies, "
           << total.triangles << " triangles, bounding box " << point(total.min) << " .. "
           << point(total.max);
        if (m_structure) os << ' ' << toNarrow(enumToString(m_structure->units()));
        os << '\n';
    }
    writeModel(os);
    writeOutputs(os);
    if (!m_stages.kept.empty()) {
        os << "\nStages\n";
        for (const auto& s : m_stages.kept)
            os << "  " << pad(toNarrow(s.stage), 20) << fixed(s.seconds, 4) << " s\n";
        if (m_stages.more > 0) os << "  ... and " << m_stages.more << " more\n";
    }
    os << "\nObjects: " << toNarrow(arrivedText()) << '\n';
    for (const auto& n : m_notes.kept) os << "Note: " << toNarrow(n) << '\n';
    if (m_notes.more > 0) os << "Note: ... and " << m_notes.more << " more notes\n";
    for (const auto& e : m_errors.kept) os << "Error: " << toNarrow(e) << '\n';
    if (m_errors.more > 0) os << "Error: ... and " << m_errors.more << " more errors\n";
    if (m_segments.more > 0)
        os << "Segments: " << m_segments.kept.size() + m_segments.more << " named\n";
    os << (status == "ok" ? "Done" : "Failed") << " in " << fixed(seconds, 3)
       << " s: " << toNarrow(message) << '\n';
}

namespace {

std::string valueText(const std::optional<double>& v) {
    if (!v) return "unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *v);
    return text;
}

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

template <class List>
void moreLine(std::ostream& os, const List& list, const char* indent, const char* what) {
    if (list.more > 0) os << indent << "... and " << list.more << " more " << what << '\n';
}

void writePmi(std::ostream& os, const PmiSummary& pmi) {
    os << "    PMI: " << plural(pmi.datums, "datum", "datums");
    if (!pmi.datumLabels.kept.empty()) {
        std::string labels;
        for (const auto& l : pmi.datumLabels.kept)
            labels += (labels.empty() ? "" : ", ") + toNarrow(l);
        if (pmi.datumLabels.more > 0) labels += ", ...";
        os << " (" << labels << ")";
    }
    os << ", " << plural(pmi.datumTargets, "datum target", "datum targets") << ", "
       << plural(pmi.tolerances.total(), "tolerance", "tolerances") << ", "
       << plural(pmi.dimensions.total(), "dimension", "dimensions") << ", "
       << plural(pmi.notes, "note", "notes") << ", "
       << plural(pmi.roughness, "roughness symbol", "roughness symbols") << " in "
       << plural(pmi.annotationViews, "annotation view", "annotation views") << '\n';
    std::size_t width = 4;
    for (const auto* list : {&pmi.tolerances, &pmi.dimensions})
        for (const auto& v : list->kept) width = std::max(width, v.type.size());
    for (const auto& v : pmi.tolerances.kept)
        os << "      tolerance  " << pad(toNarrow(v.type), width) << "  " << valueText(v.value)
           << '\n';
    moreLine(os, pmi.tolerances, "      ", "tolerances");
    for (const auto& v : pmi.dimensions.kept)
        os << "      dimension  " << pad(toNarrow(v.type), width) << "  " << valueText(v.value)
           << '\n';
    moreLine(os, pmi.dimensions, "      ", "dimensions");
}

}  // namespace

// Colours, layers and PMI per block, the saved views, and the bridge's messages.
void Report::writeOutputs(std::ostream& os) const {
    if (m_scene) {
        const SceneFigures& f = *m_scene;
        os << "\nScene: " << f.instances << " part placements (" << f.placements
           << " nodes), " << f.meshes << " meshes, " << f.triangles << " triangles, "
           << f.materials << " materials, " << f.views << " views";
        if (!f.bounds.empty)
            os << ", bounds " << point(f.bounds.min) << " .. " << point(f.bounds.max);
        os << '\n';
    }
    for (const auto& o : m_outputs) {
        if (!o.error.empty()) {
            os << "Not written: " << o.kind << ' ' << o.path << ": " << o.error << '\n';
            continue;
        }
        os << "Wrote " << o.kind << ' ' << o.path << " (" << o.bytes << " bytes"
           << (o.detail.empty() ? "" : ", " + o.detail) << ", " << fixed(o.seconds, 3)
           << " s)\n";
    }
}

void Report::writeModel(std::ostream& os) const {
    bool heading = false;
    auto section = [&] {
        if (!heading) os << "\nPMI, colours and layers\n";
        heading = true;
    };
    for (const auto& [id, b] : m_blocks) {
        if (b.colors.kept.empty() && b.layers.total() == 0 && b.pmi.empty()) continue;
        section();
        os << "  block " << id << " \"" << toNarrow(tools::clip(b.name)) << "\""
           << (b.part ? " (part)" : "") << '\n';
        if (!b.colors.kept.empty()) {
            os << "    colours:";
            for (const auto& c : b.colors.kept) os << ' ' << toNarrow(c);
            if (b.colors.more > 0) os << " ... and " << b.colors.more << " more";
            os << '\n';
        }
        if (b.layers.total() > 0) {
            os << "    layers:";
            for (const auto& l : b.layers.kept)
                os << " \"" << toNarrow(l.name) << "\" (" << l.members << ")";
            if (b.layers.more > 0) os << " ... and " << b.layers.more << " more";
            os << '\n';
        }
        if (!b.pmi.empty()) writePmi(os, b.pmi);
    }
    if (!m_rootPmi.empty()) {
        section();
        os << "  the model as a whole\n";
        writePmi(os, m_rootPmi);
    }
    if (m_views.total() > 0) {
        os << "\nSaved views\n";
        for (const auto& v : m_views.kept)
            os << "  \"" << toNarrow(v.name) << "\"  "
               << plural(v.annotations, "annotation", "annotations")
               << (v.blockId ? "  [block " + std::to_string(*v.blockId) + "]" : std::string())
               << '\n';
        moreLine(os, m_views, "  ", "views");
    }
    if (m_messages.total() > 0) {
        std::map<std::wstring, std::size_t> bySeverity;
        for (const auto& m : m_messages.kept) ++bySeverity[m.severity];
        os << "\nMessages: " << m_messages.total() << " (";
        bool first = true;
        for (const auto& [severity, n] : bySeverity) {
            os << (first ? "" : ", ") << n << ' ' << toNarrow(severity);
            first = false;
        }
        if (m_messages.more > 0) os << (first ? "" : ", ") << m_messages.more << " not kept";
        os << ")\n";
    }
}

namespace {

// References of one parent to the same block in the same colour: one line, "x3".
struct RefGroup {
    const ExcBlockReference* first;
    std::wstring color;
    std::size_t count = 1;
    bool sameName = true;
};

std::vector<RefGroup> groupReferences(const ExcBlockReferences& refs) {
    std::vector<RefGroup> groups;
    std::map<std::pair<std::uint64_t, std::wstring>, std::size_t> index;
    for (const auto& ref : refs) {
        if (!ref) continue;
        const std::wstring color = colorText(ref->color());
        const auto [it, fresh] =
            index.emplace(std::make_pair(ref->blockId(), color), groups.size());
        if (fresh) {
            groups.push_back({ref.get(), color});
            continue;
        }
        RefGroup& g = groups[it->second];
        ++g.count;
        g.sameName = g.sameName && g.first->name() == ref->name();
    }
    return groups;
}

}  // namespace

void Report::writeTree(std::ostream& os) const {
    std::size_t lines = 0;
    std::function<void(const ExcBlockReferences&, const std::string&, int)> tree;
    tree = [&](const ExcBlockReferences& refs, const std::string& indent, int depth) {
        const std::vector<RefGroup> groups = groupReferences(refs);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (lines == kMaxTreeLines) {
                os << "  " << indent << "... (the tree is cut here)\n";
                ++lines;
            }
            if (lines > kMaxTreeLines) return;
            ++lines;
            const RefGroup& g = groups[i];
            const auto b = m_structure->getBlockById(g.first->blockId());
            // Instances of one block may carry names of their own: then the block's name.
            const std::wstring& name = g.sameName || !b ? g.first->name() : b->name();
            const bool last = i + 1 == groups.size();
            os << "  " << indent << (last ? "`- " : "|- ") << toNarrow(tools::clip(name))
               << "  [block " << g.first->blockId() << "]";
            if (g.count > 1) os << "  x" << g.count;
            if (!g.color.empty()) os << "  " << toNarrow(g.color);
            os << '\n';
            if (b && depth < kMaxTreeDepth)
                tree(b->blockReferences(), indent + (last ? "   " : "|  "), depth + 1);
        }
    };
    tree(m_structure->rootBlockReferences(), "", 0);
}

void Report::writeJson(std::ostream& os) const {
    Json j;
    auto& a = j.a();
    JsonValue& root = j.doc.SetObject();
    std::size_t treeNodes = 0;
    std::uint64_t treeNodesNotKept = 0;
    root.AddMember(L"status", j.str(status), a);
    root.AddMember(L"message", j.str(message), a);
    root.AddMember(L"file", j.str(file), a);
    JsonValue bridge(rapidjson::kObjectType);
    bridge.AddMember(L"name", j.str(bridgeName), a);
    bridge.AddMember(L"version", j.str(bridgeVersion), a);
    bridge.AddMember(L"program", j.str(bridgeProgram), a);
    root.AddMember(L"bridge", bridge, a);
    root.AddMember(L"interface", j.str(interfaceName), a);
    root.AddMember(L"delayed_loading", delayed, a);
    root.AddMember(L"seconds", Json::num(seconds), a);
    root.AddMember(L"seconds_to_result", Json::num(secondsToResult), a);
    if (status != "ok") root.AddMember(L"where", j.str(whereText()), a);
    if (m_structure) {
        root.AddMember(L"product", j.str(m_structure->productName()), a);
        root.AddMember(L"units", j.str(unitSymbol(m_structure->units())), a);
        root.AddMember(L"length_unit", j.str(enumToString(m_structure->units())), a);
        std::function<JsonValue(const std::vector<std::shared_ptr<ExcBlockReference>>&, int)> tree;
        tree = [&](const auto& refs, int depth) {
            JsonValue list(rapidjson::kArrayType);
            for (const auto& ref : refs) {
                if (!ref) continue;
                if (treeNodes == kMaxTreeLines) {
                    ++treeNodesNotKept;
                    continue;
                }
                ++treeNodes;
                JsonValue node(rapidjson::kObjectType);
                node.AddMember(L"name", j.str(ref->name()), a);
                node.AddMember(L"block_id", JsonValue(ref->blockId()), a);
                const std::wstring color = colorText(ref->color());
                if (!color.empty()) node.AddMember(L"color", j.str(color), a);
                const auto b = m_structure->getBlockById(ref->blockId());
                if (b && depth < kMaxTreeDepth)
                    node.AddMember(L"children", tree(b->blockReferences(), depth + 1), a);
                list.PushBack(node, a);
            }
            return list;
        };
        root.AddMember(L"tree", tree(m_structure->rootBlockReferences(), 0), a);
    }
    root.AddMember(L"instances", JsonValue(m_shape.instances), a);
    root.AddMember(L"depth", m_shape.depth, a);
    JsonValue blocks(rapidjson::kArrayType);
    tools::MeshStats total;
    std::size_t bodies = 0;
    for (const auto& [id, b] : m_blocks) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"id", JsonValue(id), a);
        v.AddMember(L"name", j.str(b.name), a);
        v.AddMember(L"part", b.part, a);
        v.AddMember(L"bodies", JsonValue(static_cast<std::uint64_t>(b.bodies)), a);
        JsonValue ids(rapidjson::kArrayType);
        for (long i : b.bridgeIds) ids.PushBack(JsonValue(static_cast<std::int64_t>(i)), a);
        v.AddMember(L"bridge_ids", ids, a);
        v.AddMember(L"geometry", b.geometry.present ? j.measures(b.geometry.stats) : JsonValue(),
                    a);
        if (b.hasVisualization) {
            JsonValue visu(rapidjson::kObjectType);
            visu.AddMember(L"triangles", JsonValue(static_cast<std::uint64_t>(b.visuTriangles)), a);
            visu.AddMember(L"vertices", JsonValue(static_cast<std::uint64_t>(b.visuVertices)), a);
            v.AddMember(L"visualization", visu, a);
        } else {
            v.AddMember(L"visualization", JsonValue(), a);
        }
        v.AddMember(L"mechanical",
                    b.mechanical.present ? j.measures(b.mechanical.stats) : JsonValue(), a);
        v.AddMember(L"is_part", b.part, a);
        JsonValue colors(rapidjson::kArrayType);
        for (const auto& c : b.colors.kept) colors.PushBack(j.str(c), a);
        v.AddMember(L"colors", colors, a);
        JsonValue layers(rapidjson::kArrayType);
        for (const auto& l : b.layers.kept) {
            JsonValue layer(rapidjson::kObjectType);
            layer.AddMember(L"name", j.str(l.name), a);
            layer.AddMember(L"members", JsonValue(static_cast<std::uint64_t>(l.members)), a);
            layers.PushBack(layer, a);
        }
        v.AddMember(L"layers", layers, a);
        v.AddMember(L"pmi", j.pmi(b.pmi), a);
        blocks.PushBack(v, a);
        total.add(b.geometry.stats);
        bodies += b.bodies;
    }
    root.AddMember(L"blocks", blocks, a);
    JsonValue totals = j.measures(total);
    totals.AddMember(L"blocks", JsonValue(static_cast<std::uint64_t>(m_blocks.size())), a);
    totals.AddMember(L"bodies", JsonValue(static_cast<std::uint64_t>(bodies)), a);
    root.AddMember(L"totals", totals, a);
    root.AddMember(L"assembly_nodes", JsonValue(static_cast<std::uint64_t>(m_assemblyNodes)), a);
    root.AddMember(L"root_mechanical_data", m_rootMechanical, a);
    JsonValue model(rapidjson::kObjectType);
    model.AddMember(L"pmi", j.pmi(m_rootPmi), a);
    root.AddMember(L"root", model, a);
    if (m_scene) {
        const SceneFigures& f = *m_scene;
        JsonValue v = j.counts({{L"placements", f.placements},
                                {L"instances", f.instances},
                                {L"meshes", f.meshes},
                                {L"triangles", f.triangles},
                                {L"materials", f.materials},
                                {L"views", f.views}});
        JsonValue box;
        if (!f.bounds.empty) {
            box.SetObject();
            box.AddMember(L"min", j.point(f.bounds.min), a);
            box.AddMember(L"max", j.point(f.bounds.max), a);
        }
        v.AddMember(L"bounding_box", box, a);
        root.AddMember(L"scene", v, a);
    } else {
        root.AddMember(L"scene", JsonValue(), a);
    }
    JsonValue outputs(rapidjson::kArrayType);
    for (const auto& o : m_outputs) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"kind", j.str(o.kind), a);
        v.AddMember(L"path", j.str(o.path), a);
        v.AddMember(L"bytes", JsonValue(static_cast<std::uint64_t>(o.bytes)), a);
        v.AddMember(L"seconds", Json::num(o.seconds), a);
        v.AddMember(L"detail", j.str(o.detail), a);
        v.AddMember(L"error", o.error.empty() ? JsonValue() : j.str(o.error), a);
        outputs.PushBack(v, a);
    }
    root.AddMember(L"outputs", outputs, a);
    JsonValue views(rapidjson::kArrayType);
    for (const auto& sv : m_views.kept) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"name", j.str(sv.name), a);
        v.AddMember(L"annotations", JsonValue(static_cast<std::uint64_t>(sv.annotations)), a);
        v.AddMember(L"block_id", sv.blockId ? JsonValue(*sv.blockId) : JsonValue(), a);
        views.PushBack(v, a);
    }
    root.AddMember(L"views", views, a);
    JsonValue messages(rapidjson::kArrayType);
    for (const auto& m : m_messages.kept) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"severity", j.str(m.severity), a);
        v.AddMember(L"text", j.str(m.text), a);
        messages.PushBack(v, a);
    }
    root.AddMember(L"messages", messages, a);
    root.AddMember(L"legacy_component_names", JsonValue(static_cast<std::uint64_t>(legacyNames)),
                   a);
    JsonValue stages(rapidjson::kArrayType);
    for (const auto& s : m_stages.kept) {
        JsonValue v(rapidjson::kObjectType);
        v.AddMember(L"stage", j.str(s.stage), a);
        v.AddMember(L"seconds", Json::num(s.seconds), a);
        stages.PushBack(v, a);
    }
    root.AddMember(L"stages", stages, a);
    JsonValue arrived(rapidjson::kObjectType);
    for (const auto& [name, count] : m_arrived)
        arrived.AddMember(j.str(name), JsonValue(static_cast<std::uint64_t>(count)), a);
    root.AddMember(L"objects", arrived, a);
    JsonValue segments(rapidjson::kArrayType);
    for (const auto& s : m_segments.kept) segments.PushBack(j.str(s), a);
    root.AddMember(L"segments", segments, a);
    JsonValue notes(rapidjson::kArrayType);
    for (const auto& n : m_notes.kept) notes.PushBack(j.str(n), a);
    root.AddMember(L"notes", notes, a);
    // How much of each list was counted and not kept.
    JsonValue more(rapidjson::kObjectType);
    more.AddMember(L"objects", JsonValue(static_cast<std::uint64_t>(m_otherArrived)), a);
    more.AddMember(L"stages", JsonValue(static_cast<std::uint64_t>(m_stages.more)), a);
    more.AddMember(L"segments", JsonValue(static_cast<std::uint64_t>(m_segments.more)), a);
    more.AddMember(L"notes", JsonValue(static_cast<std::uint64_t>(m_notes.more)), a);
    more.AddMember(L"errors", JsonValue(static_cast<std::uint64_t>(m_errors.more)), a);
    more.AddMember(L"messages", JsonValue(static_cast<std::uint64_t>(m_messages.more)), a);
    more.AddMember(L"views", JsonValue(static_cast<std::uint64_t>(m_views.more)), a);
    more.AddMember(L"tree_nodes", JsonValue(treeNodesNotKept), a);
    root.AddMember(L"not_kept", more, a);
    JsonValue errors(rapidjson::kArrayType);
    for (const auto& e : m_errors.kept) errors.PushBack(j.str(e), a);
    root.AddMember(L"errors", errors, a);

    std::wostringstream text;
    JsonTextIO::write(text, j.doc, true);
    os << toNarrow(text.str()) << '\n';
}

}  // namespace trx::host
