// The STEP bridge on the shipped sample and the shared STEP files, through the real host and
// on its own pipe. What arrives is checked against what the STEP text says (products,
// usages, solids, points, placements, colours), read here without OCCT; then bad files,
// streaming, a bridge stopped part-way, and that no segment is left.

#include <gtest/gtest.h>

#ifndef TRX_STEP_BRIDGE_EXE
TEST(StepBridge, NeedsOpenCascade) { GTEST_SKIP() << "built without the STEP bridge"; }
#else

#include <array>
#include <cmath>
#include <csignal>
#include <deque>
#include <map>
#include <set>
#include <sys/stat.h>

#include "common/framing.h"
#include "common/process.h"
#include "common/protocol.h"
#include "acis/acis.h"
#include "step/step_text.h"
#include "tool_support.h"
#include "trx_api/trx_api.h"

using namespace trx;
using namespace trx::test;

namespace {

// ---- the STEP text, read without OCCT ----

using Vec = std::array<double, 3>;
struct Box {
    Vec min{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    Vec max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    void add(const Vec& p) {
        for (int c = 0; c < 3; ++c) min[c] = std::min(min[c], p[c]), max[c] = std::max(max[c], p[c]);
    }
};
// Rotation (rows) and translation.
struct Placement {
    std::array<Vec, 3> r{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec t{0, 0, 0};
};

// What the text says the import must show, lengths in millimetres.
struct Facts {
    std::size_t blocks = 0, parts = 0, references = 0, roots = 0, solids = 0;
    Box vertices;      // every B-rep vertex lies on the mesh
    Box reach;         // every point of the shapes lies in here
    std::map<std::string, Placement> usages;           // by usage (NAUO) name
    std::map<std::string, std::set<Vec>> partColours;  // by product name, 0..1
    std::map<std::string, Vec> usageColours;           // by usage name
};

using T = StepText;

Vec triple(const std::string& list) {
    Vec v{0, 0, 0};
    const auto items = T::items(list);
    for (std::size_t c = 0; c < 3 && c < items.size(); ++c) v[c] = T::num(items[c]);
    return v;
}

Placement frame(const StepText& s, int axis2) {
    const auto a = s.args(axis2);  // name, location, axis, ref_direction
    Placement f;
    f.t = triple(s.args(T::ref(a[1]))[1]);
    Vec z = T::ref(a[2]) ? triple(s.args(T::ref(a[2]))[1]) : Vec{0, 0, 1};
    Vec x = T::ref(a[3]) ? triple(s.args(T::ref(a[3]))[1]) : Vec{1, 0, 0};
    const auto norm = [](Vec v) {
        const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        return Vec{v[0] / l, v[1] / l, v[2] / l};
    };
    z = norm(z);
    const double d = x[0] * z[0] + x[1] * z[1] + x[2] * z[2];
    x = norm({x[0] - d * z[0], x[1] - d * z[1], x[2] - d * z[2]});
    const Vec y{z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]};
    for (int r = 0; r < 3; ++r) f.r[r] = {x[r], y[r], z[r]};  // columns x, y, z
    return f;
}

// b after the inverse of a: where an item placed by `a` in the child goes by `b` in the parent.
Placement relative(const Placement& a, const Placement& b) {
    Placement out;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            out.r[i][j] = 0;
            for (int k = 0; k < 3; ++k) out.r[i][j] += b.r[i][k] * a.r[j][k];
        }
    for (int i = 0; i < 3; ++i) {
        out.t[i] = b.t[i];
        for (int j = 0; j < 3; ++j) out.t[i] -= out.r[i][j] * a.t[j];
    }
    return out;
}

Facts factsOf(const std::string& file) {
    const StepText s(file);
    Facts f;
    const auto productOf = [&](const std::string& pd) {  // PRODUCT_DEFINITION -> formation -> product
        return T::ref(s.args(T::ref(s.args(T::ref(pd))[2]))[2]);
    };
    const auto productName = [&](int product) { return T::str(s.args(product)[1]); };

    // Products with a shape, and the representation of each.
    std::map<int, int> shapeOf;
    std::map<int, int> productOfRep;
    for (int sdr : s.simple("SHAPE_DEFINITION_REPRESENTATION")) {
        const auto a = s.args(sdr);
        const int pds = T::ref(a[0]);
        if (s.type(pds) != "PRODUCT_DEFINITION_SHAPE" ||
            s.type(T::ref(s.args(pds)[2])) != "PRODUCT_DEFINITION")
            continue;
        shapeOf[productOf(s.args(pds)[2])] = T::ref(a[1]);
        productOfRep[T::ref(a[1])] = productOf(s.args(pds)[2]);
    }
    std::set<int> assemblies, children;
    std::map<int, std::string> usageOfPds;  // the usage's own shape, for its placement
    for (int n : s.simple("NEXT_ASSEMBLY_USAGE_OCCURRENCE")) {
        const auto a = s.args(n);
        assemblies.insert(productOf(a[3]));
        children.insert(productOf(a[4]));
        ++f.references;
        for (int pds : s.referrers(n))
            if (s.type(pds) == "PRODUCT_DEFINITION_SHAPE" && T::ref(s.args(pds)[2]) == n)
                usageOfPds[pds] = T::str(a[1]);
    }
    // OCCT makes a product with several plain shape relationships an assembly of them.
    std::map<int, std::size_t> related;
    for (int r : s.simple("SHAPE_REPRESENTATION_RELATIONSHIP")) ++related[T::ref(s.args(r)[2])];
    f.blocks = shapeOf.size();
    for (const auto& [product, rep] : shapeOf) {
        if (related[rep] > 1) {
            f.blocks += related[rep];
            f.references += related[rep];
            assemblies.insert(product);
        }
        if (!children.count(product)) ++f.roots;
    }
    f.parts = f.blocks - assemblies.size();
    std::set<int> solids;
    for (const auto* type : {"MANIFOLD_SOLID_BREP", "BREP_WITH_VOIDS"})
        for (int id : s.simple(type)) solids.insert(id);
    f.solids = solids.size();

    // The unit of the B-rep: its representation's context.
    double mm = 0;
    for (const auto& entity : s.entities()) {
        const auto a = s.args(entity.first);
        if (a.size() != 3 || a[1][0] != '(') continue;
        bool holdsSolid = false;
        for (const auto& item : T::items(a[1])) holdsSolid |= solids.count(T::ref(item)) > 0;
        if (!holdsSolid) continue;
        const auto context = s.args(T::ref(a[2]), "GLOBAL_UNIT_ASSIGNED_CONTEXT");
        for (int unit : T::refsIn(context.empty() ? "" : context[0]))
            if (s.is(unit, "LENGTH_UNIT")) {
                const double u = s.unitMm(unit);
                EXPECT_TRUE(mm == 0 || mm == u) << "B-rep in two units";
                mm = u;
            }
    }
    EXPECT_GT(mm, 0) << "no unit for the B-rep";
    const auto scaled = [&](Vec v) { return Vec{v[0] * mm, v[1] * mm, v[2] * mm}; };

    for (int v : s.simple("VERTEX_POINT")) f.vertices.add(scaled(triple(s.args(T::ref(s.args(v)[1]))[1])));
    for (int p : s.simple("CARTESIAN_POINT"))
        if (T::items(s.args(p)[1]).size() == 3) f.reach.add(scaled(triple(s.args(p)[1])));
    // Curved shapes reach beyond their points by at most their radius.
    double radius = 0;
    const auto arg = [&](int id, int i) { return T::num(s.args(id)[i]); };
    for (const auto* type : {"CIRCLE", "CYLINDRICAL_SURFACE", "SPHERICAL_SURFACE", "CONICAL_SURFACE"})
        for (int id : s.simple(type)) radius = std::max(radius, arg(id, 2));
    for (int id : s.simple("ELLIPSE")) radius = std::max({radius, arg(id, 2), arg(id, 3)});
    for (int id : s.simple("TOROIDAL_SURFACE")) radius = std::max(radius, arg(id, 2) + arg(id, 3));
    for (int c = 0; c < 3; ++c) f.reach.min[c] -= radius * mm, f.reach.max[c] += radius * mm;

    // Placements of the usages: the transformation of their representation relationship.
    for (int cdsr : s.simple("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION")) {
        const auto a = s.args(cdsr);
        const auto name = usageOfPds.find(T::ref(a[1]));
        if (!s.has(T::ref(a[0])) || name == usageOfPds.end()) continue;
        const auto rr = s.args(T::ref(a[0]), "REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION");
        const auto idt = s.args(T::ref(rr.at(0)));
        Placement p = relative(frame(s, T::ref(idt[2])), frame(s, T::ref(idt[3])));
        p.t = scaled(p.t);
        f.usages[name->second] = p;
    }

    // Colours: styled items of a product's shapes, and styles overridden for one usage.
    const auto colourIn = [&](const std::string& styles) {  // the first colour down the references
        std::deque<std::string> todo{styles};
        for (int steps = 0; !todo.empty() && steps < 64; ++steps) {
            const std::string v = todo.front();
            todo.pop_front();
            if (s.type(T::ref(v)) == "COLOUR_RGB")
                return std::optional<Vec>(Vec{arg(T::ref(v), 1), arg(T::ref(v), 2), arg(T::ref(v), 3)});
            const auto next = T::ref(v) ? s.args(T::ref(v)) : T::items(v);
            todo.insert(todo.end(), next.begin(), next.end());
        }
        return std::optional<Vec>();
    };
    const auto ownerOf = [&](int item) -> int {  // up the topology to a product's shape
        std::deque<int> todo{item};
        std::set<int> seen;
        while (!todo.empty()) {
            const int id = todo.front();
            todo.pop_front();
            if (!seen.insert(id).second || seen.size() > 10000) continue;
            if (auto p = productOfRep.find(id); p != productOfRep.end()) return p->second;
            if (s.type(id) == "SHAPE_REPRESENTATION_RELATIONSHIP")
                todo.insert(todo.end(), {T::ref(s.args(id)[2]), T::ref(s.args(id)[3])});
            static const std::set<std::string> kTopology{
                "ADVANCED_FACE", "FACE_SURFACE", "CLOSED_SHELL", "OPEN_SHELL", "MANIFOLD_SOLID_BREP",
                "BREP_WITH_VOIDS", "SHELL_BASED_SURFACE_MODEL", "SHAPE_REPRESENTATION_RELATIONSHIP"};
            for (int u : s.referrers(id)) {
                const std::string t = s.type(u);
                const std::string tail = "SHAPE_REPRESENTATION";
                if (kTopology.count(t) ||
                    (t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0))
                    todo.push_back(u);
            }
        }
        return 0;
    };
    // A style for one usage names it by its placement, or by a shape of the usage's own.
    std::map<int, std::string> usageOfContext;
    for (int cdsr : s.simple("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION"))
        if (auto n = usageOfPds.find(T::ref(s.args(cdsr)[1])); n != usageOfPds.end())
            usageOfContext[T::ref(s.args(cdsr)[0])] = n->second;
    for (int sdr : s.simple("SHAPE_DEFINITION_REPRESENTATION"))
        if (auto n = usageOfPds.find(T::ref(s.args(sdr)[0])); n != usageOfPds.end())
            usageOfContext[T::ref(s.args(sdr)[1])] = n->second;
    for (const auto* type : {"STYLED_ITEM", "OVER_RIDING_STYLED_ITEM"})
        for (int id : s.simple(type)) {
            const auto a = s.args(id);
            const auto colour = colourIn(a[1]);
            if (!colour) continue;
            const int context = T::ref(T::items(a[1])[0]);
            if (s.type(context) == "PRESENTATION_STYLE_BY_CONTEXT") {
                if (auto u = usageOfContext.find(T::ref(s.args(context)[1])); u != usageOfContext.end())
                    f.usageColours[u->second] = *colour;
                continue;
            }
            if (const int product = ownerOf(T::ref(a[2]))) f.partColours[productName(product)].insert(*colour);
        }
    return f;
}

// ---- running the programs ----

std::string sample() { return std::string(TRX_SAMPLES_DIR) + "/fixture.step"; }

std::vector<std::string> sharedFiles() {
    std::vector<std::string> files;
    const fs::path dir = testdataDir() / "step";
    if (fs::exists(dir))
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string ext = e.path().extension().string();
            if (ext == ".stp" || ext == ".step") files.push_back(e.path().string());
        }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> allFiles() {
    std::vector<std::string> files{sample()};
    for (const auto& f : sharedFiles()) files.push_back(f);
    return files;
}

// The host with the STEP bridge.
HostRun runStepHost(const Scratch& scratch, std::vector<std::string> args,
                    std::vector<std::string> env = {}) {
    args.insert(args.begin(), {"--bridge", TRX_STEP_BRIDGE_EXE});
    return runHost(scratch, std::move(args), std::move(env), 120000);
}

// The bridge on its own pipe: every object of one import, in order, binary ones loaded.
struct Import {
    std::vector<std::shared_ptr<IExchangeObject>> objects;
    Result result;
    std::vector<std::string> segments;  // the bridge made
    std::string ending;                 // how the bridge ended

    // Lets the objects go (block geometry keeps its segment until then): what is left.
    std::vector<std::string> leftOnceReleased() {
        objects.clear();
        return leftSegments(segments);
    }
    template <class T>
    std::vector<std::shared_ptr<T>> all() const {
        std::vector<std::shared_ptr<T>> out;
        for (const auto& o : objects)
            if (auto t = std::dynamic_pointer_cast<T>(o)) out.push_back(t);
        return out;
    }
};

// With stopAfter, the bridge is sent SIGTERM once that many objects have come (it sends no
// more: it stops answering with the next one made); `ending` says how it ended.
Import importDirectly(const Scratch& scratch, const std::string& file,
                      std::vector<std::string> env = {}, std::size_t stopAfter = SIZE_MAX,
                      const std::vector<std::shared_ptr<IFormatOptions>>& groups = {}) {
    const std::string segmentLog = scratch.path("direct-segments.log").string();
    fs::remove(segmentLog);
    env.push_back("TRX_BRIDGE_SEGMENT_LOG=" + segmentLog);
    if (stopAfter != SIZE_MAX) env.push_back("TRX_BRIDGE_HANG_UNSENT=" + std::to_string(stopAfter));
    tools::ChildProcess bridge;
    bridge.start(TRX_STEP_BRIDGE_EXE, {}, env);
    tools::FrameReader reader(bridge.output());
    Command command;
    command.setType(Command::Import);
    command.setInternalInterface(EBridgeInterface::Connect);
    auto options = Command::newImportOptions();
    options->setFile(toWide(file));
    for (const auto& group : groups) options->setFormatOptions(group);
    command.setImportOptions(options);
    EXPECT_TRUE(tools::sendDocument(bridge.input(), command));
    Import out;
    while (out.objects.size() < stopAfter) {
        std::wstring text;
        if (reader.read(text, 120000) != tools::FrameReader::Status::frame) break;
        JsonDocument doc;
        tools::parseDocument(text, doc);
        std::wistringstream in(text);
        if (tools::kindOf(doc) == tools::DocumentKind::result) {
            out.result.readObject(in);
            break;
        }
        ExchangeObjectWrapper wrapper;
        wrapper.readObject(in);
        if (!wrapper.get()) continue;
        wrapper.get()->load();
        out.objects.push_back(wrapper.get());
    }
    // Hung, or still on its way there: either way it stops at its next safe point.
    if (stopAfter != SIZE_MAX) bridge.terminate();
    bridge.closeInput();
    EXPECT_TRUE(bridge.wait(20000));
    out.ending = bridge.describe();
    out.segments = lines(readFile(segmentLog));
    return out;
}

bool near(const Vec& a, const Vec& b, double tolerance) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(a[c] - b[c]) > tolerance) return false;
    return true;
}

// A colour of the file (0..1) against one sent (0..255).
bool sameColour(const ExcColor& sent, const Vec& file) {
    return near({double(sent[ExcColor::red]), double(sent[ExcColor::green]),
                 double(sent[ExcColor::blue])},
                {file[0] * 255, file[1] * 255, file[2] * 255}, 1);
}

}  // namespace

// ---- what every file holds ----

// Blocks, parts, roots and solids as the text counts them; every solid meshed, with the
// same triangles in its bodies, its drawing and its measures; and the whole model between
// the file's vertices and the reach of its points and radii, in millimetres and, asked for,
// in inches (a factor lost or applied twice falls outside).
TEST(StepBridge, EveryFileArrivesAsItsTextSays) {
    Scratch scratch;
    for (const auto& file : allFiles()) {
        const Facts facts = factsOf(file);
        for (const double unitMm : {1.0, 25.4}) {
            SCOPED_TRACE(file + (unitMm == 1 ? " in mm" : " in inches"));
            std::vector<std::string> args{file};
            if (unitMm != 1) args.insert(args.end(), {"--units", "inch"});
            const HostRun run = runStepHost(scratch, args);
            ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
            EXPECT_EQ(run[L"errors"].Size(), 0u);
            EXPECT_EQ(str(run[L"units"]), unitMm == 1 ? "mm" : "in");
            const JsonValue& blocks = run[L"blocks"];
            EXPECT_EQ(blocks.Size(), facts.blocks);
            std::size_t parts = 0, bodies = 0;
            for (const auto& b : blocks.GetArray()) {
                parts += b[L"part"].GetBool();
                bodies += b[L"bodies"].GetUint64();
                if (b[L"bodies"].GetUint64() == 0) continue;
                const std::uint64_t triangles = b[L"geometry"][L"triangles"].GetUint64();
                EXPECT_GT(triangles, 0u) << str(b[L"name"]);
                EXPECT_EQ(b[L"visualization"][L"triangles"].GetUint64(), triangles);
                EXPECT_EQ(b[L"mechanical"][L"triangles"].GetUint64(), triangles);
                for (const auto& id : b[L"bridge_ids"].GetArray())
                    EXPECT_EQ(id.GetUint64(), b[L"id"].GetUint64());
            }
            EXPECT_EQ(parts, facts.parts);
            EXPECT_EQ(bodies, facts.solids);
            EXPECT_EQ(run[L"tree"].Size(), facts.roots);
            const JsonValue& box = run[L"totals"][L"bounding_box"];
            for (int c = 0; c < 3; ++c) {
                const double min = box[L"min"][c].GetDouble() * unitMm;
                const double max = box[L"max"][c].GetDouble() * unitMm;
                const double slack = 1e-6 * (facts.reach.max[c] - facts.reach.min[c]) + 1e-6;
                EXPECT_LE(min, facts.vertices.min[c] + slack) << "axis " << c;
                EXPECT_GE(max, facts.vertices.max[c] - slack) << "axis " << c;
                EXPECT_GE(min, facts.reach.min[c] - slack) << "axis " << c;
                EXPECT_LE(max, facts.reach.max[c] + slack) << "axis " << c;
            }
            expectNoSegmentLeft(run);
        }
    }
}

// What the option set turns off stays away; the bodies always come. The legacy interface
// also gets a name for every block.
TEST(StepBridge, OptionsDecideWhatIsSent) {
    Scratch scratch;
    const Facts facts = factsOf(sample());
    const HostRun run =
        runStepHost(scratch, {sample(), "--no-visualization", "--no-mechanical", "--legacy"});
    ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
    const JsonValue& objects = run[L"objects"];
    EXPECT_EQ(objects[L"exc_block_geometry"].GetUint64(), facts.solids);
    for (const wchar_t* absent : {L"exc_block_visualization", L"exc_root_assembly_visualization",
                                  L"exc_block_mechanical_data"})
        EXPECT_FALSE(objects.HasMember(absent)) << toNarrow(absent);
    EXPECT_EQ(run[L"legacy_component_names"].GetUint64(), facts.blocks);
    expectNoSegmentLeft(run);
}

// The option set's sag is the mesh's, in the unit it asks for.
TEST(StepBridge, ChordalDeflectionIsTheOptionSets) {
    Scratch scratch;
    const auto triangles = [&](double sag, ELengthUnitType unit) {
        auto graphical = std::make_shared<OptionsGraphical>();
        graphical->setTesselation3DSagValue(sag);
        auto modeler = std::make_shared<OptionsModeler>();
        modeler->setModelerUnits(unit);
        Import import = importDirectly(scratch, sample(), {}, SIZE_MAX, {graphical, modeler});
        std::size_t n = 0;
        for (const auto& g : import.all<ExcBlockGeometry>()) {
            ENTITY_LIST bodies;
            EXPECT_TRUE(g->getGeometry(bodies));
            for (ENTITY* e : bodies) n += static_cast<BODY*>(e)->triangle_count(), e->lose();
        }
        EXPECT_EQ(import.leftOnceReleased(), std::vector<std::string>{});
        return n;
    };
    const std::size_t coarse = triangles(1, ELengthUnitType::millimeter);
    EXPECT_LT(coarse, triangles(0.01, ELengthUnitType::millimeter));
    EXPECT_EQ(triangles(1 / 25.4, ELengthUnitType::inch), coarse);
}

// Each usage placed as its transformation says, each part and usage in the colour its styles
// give; the faces of a part numbered once each and turned outward.
TEST(StepBridge, PlacementsAndColoursAreTheFilesOwn) {
    Scratch scratch;
    for (const auto& file : allFiles()) {
        SCOPED_TRACE(file);
        const Facts facts = factsOf(file);
        Import import = importDirectly(scratch, file);
        ASSERT_EQ(import.result.code(), facts.parts == facts.solids ? Result::Ok : Result::Warning)
            << toNarrow(import.result.message());
        const auto structures = import.all<ExcProductStructure>();
        ASSERT_EQ(structures.size(), 1u);
        std::size_t references = 0, placed = 0;
        for (const auto& block : structures[0]->blocks()) {
            references += block->blockReferences().size();
            for (const auto& r : block->blockReferences()) {
                const std::string name = toNarrow(r->name());
                if (auto u = facts.usages.find(name); u != facts.usages.end()) {
                    SCOPED_TRACE(name);
                    ++placed;
                    const ExcTransformation& t = r->transformation();
                    for (int i = 0; i < 3; ++i) {
                        EXPECT_NEAR(t.translation()[i], u->second.t[i], 1e-6);
                        for (int j = 0; j < 3; ++j) EXPECT_NEAR(t.affine()[i][j], u->second.r[i][j], 1e-9);
                    }
                }
                if (auto c = facts.usageColours.find(name); c != facts.usageColours.end()) {
                    ASSERT_TRUE(r->color().hasRGB()) << name;
                    EXPECT_TRUE(sameColour(r->color(), c->second)) << name;
                }
            }
        }
        EXPECT_EQ(references, facts.references);
        EXPECT_EQ(placed, facts.usages.size());

        std::map<std::uint64_t, std::string> names;
        for (const auto& block : structures[0]->blocks()) names[block->id()] = toNarrow(block->name());
        for (const auto& visu : import.all<ExcBlockVisualization>()) {
            const std::string name = names[visu->blockId()];
            SCOPED_TRACE(name);
            std::set<std::wstring> ids;
            std::size_t coloured = 0, faces = 0, triangles = 0, agreeing = 0;
            double volume = 0;
            const auto expected = facts.partColours.find(name);
            for (const auto& node : visu->visualizationData()->sceneRootNodes())
                for (const auto& leaf : node->childNodes())
                    for (const auto& face : leaf->mesh() ? leaf->mesh()->faces() : ExcVisuMesh::Faces{}) {
                        ++faces;
                        // Turned outward: the enclosed volume is positive, and the corners'
                        // normals point where the triangle's turn does.
                        const auto at = [&](const std::vector<float>& list, int i) {
                            return Vec{list[3 * i], list[3 * i + 1], list[3 * i + 2]};
                        };
                        for (const auto& polygon : face->polygons())
                            for (std::size_t t = 0; t + 2 < polygon.indices.size(); t += 3) {
                                const int* k = &polygon.indices[t];
                                const Vec a = at(face->vertices(), k[0]), b = at(face->vertices(), k[1]),
                                          c = at(face->vertices(), k[2]);
                                const Vec u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
                                const Vec w{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
                                const Vec turn{u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                                               u[0] * w[1] - u[1] * w[0]};
                                volume += (a[0] * turn[0] + a[1] * turn[1] + a[2] * turn[2]) / 6;
                                double agree = 0;
                                for (int corner = 0; corner < 3; ++corner)
                                    for (int d = 0; d < 3; ++d) agree += at(face->normals(), k[corner])[d] * turn[d];
                                ++triangles;
                                agreeing += agree > 0;
                            }
                        EXPECT_TRUE(ids.insert(face->id()).second) << toNarrow(face->id());
                        EXPECT_EQ(face->id().rfind(L"face-" + std::to_wstring(visu->blockId()) + L"-", 0), 0u);
                        if (!face->color().hasRGB() || expected == facts.partColours.end()) continue;
                        ++coloured;
                        bool known = false;
                        for (const Vec& c : expected->second) known |= sameColour(face->color(), c);
                        EXPECT_TRUE(known) << "a face in a colour the file does not give it";
                    }
            EXPECT_GT(faces, 0u);
            EXPECT_GT(volume, 0);
            EXPECT_GE(agreeing, triangles * 99 / 100);
            if (expected != facts.partColours.end()) {
                EXPECT_EQ(coloured, faces);
            }
        }
        EXPECT_FALSE(import.segments.empty());
        EXPECT_EQ(import.leftOnceReleased(), std::vector<std::string>{});
    }
}

// Parts are sent as they are meshed: the first block's bodies are out before the last part
// is even handed to the mesher; with every thread count, the same triangles.
TEST(StepBridge, StreamsEachPartWhileTheNextAreMeshed) {
    Scratch scratch;
    const Facts facts = factsOf(sample());
    std::vector<std::pair<std::uint64_t, std::size_t>> first;
    for (const char* threads : {"0", "1", "3"}) {
        SCOPED_TRACE(std::string("threads ") + threads);
        Import import =
            importDirectly(scratch, sample(), {std::string("TRX_STEP_MESH_THREADS=") + threads});
        ASSERT_EQ(import.result.code(), Result::Ok);
        const std::string last = "part " + std::to_string(facts.solids) + " of " + std::to_string(facts.solids);
        std::size_t firstGeometry = SIZE_MAX, lastHandedOver = SIZE_MAX;
        std::vector<std::pair<std::uint64_t, std::size_t>> triangles;
        for (std::size_t i = 0; i < import.objects.size(); ++i) {
            const auto& o = import.objects[i];
            if (auto g = std::dynamic_pointer_cast<ExcBlockGeometry>(o)) {
                firstGeometry = std::min(firstGeometry, i);
                ENTITY_LIST bodies;
                ASSERT_TRUE(g->getGeometry(bodies));
                std::size_t n = 0;
                for (ENTITY* e : bodies) n += static_cast<BODY*>(e)->triangle_count(), e->lose();
                triangles.emplace_back(g->blockId(), n);
            }
            if (auto l = std::dynamic_pointer_cast<ExcLog>(o); l && toNarrow(l->get()).find(last) != std::string::npos)
                lastHandedOver = i;
        }
        EXPECT_EQ(triangles.size(), facts.solids);
        ASSERT_NE(lastHandedOver, SIZE_MAX);
        EXPECT_LT(firstGeometry, lastHandedOver);
        if (first.empty()) first = triangles;
        EXPECT_EQ(triangles, first);
        EXPECT_FALSE(import.segments.empty());
        EXPECT_EQ(import.leftOnceReleased(), std::vector<std::string>{});
    }
}

// ---- what goes wrong ----

TEST(StepBridge, BadFilesAreErrorsNamingThem) {
    Scratch scratch;
    const std::string text = readFile(sample());
    std::string broken = text;  // a complex entity left open, junk in its place
    const std::size_t cut = broken.find("PARAMETRIC_REPRESENTATION_CONTEXT()");
    broken.replace(cut, broken.find(';', cut) + 1 - cut, "this is not STEP at all\n");
    std::string lines = text.substr(0, text.size() / 2);
    lines.erase(lines.rfind(";\n") + 2);  // whole entities, then nothing: no ENDSEC
    struct Case {
        std::string file;
        std::string says;
    };
    const std::vector<Case> cases{
        {scratch.write("half.step", text.substr(0, text.size() / 2)), "not a STEP file OCCT can read"},
        {scratch.write("lines.step", lines), "unexpected end of file"},
        {scratch.write("broken.step", broken), "the STEP text is malformed"},
        {scratch.write("letter.step", "Dear reader,\nthis is a letter.\n"), "not a STEP file"},
        {scratch.write("empty.step", ""), "the file is empty"},
        {scratch.path("absent.step").string(), "No such file"},
        {scratch.path("folder.step").string(), "not a regular file"},
        {scratch.path("fifo.step").string(), "not a regular file"},
    };
    fs::create_directory(scratch.path("folder.step"));
    ASSERT_EQ(::mkfifo(scratch.path("fifo.step").c_str(), 0600), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const HostRun run = runStepHost(scratch, {c.file, "--timeout", "20"});
        EXPECT_EQ(run.process.exitCode(), 1) << run.process.out;
        EXPECT_EQ(str(run[L"status"]), "error");
        const std::string message = str(run[L"message"]);
        EXPECT_EQ(message.find(c.file), 0u) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_FALSE(run[L"objects"].HasMember(L"exc_product_structure"));
        expectNoSegmentLeft(run);
    }
}

// OCCT 7.6 reads no tessellated shapes: a file of nothing else says so, never an empty success.
TEST(StepBridge, TessellatedOnlyFileIsNoSilentSuccess) {
    Scratch scratch;
    const std::string file = scratch.write("tetra.stp", R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION((''),'2;1');
FILE_NAME('tetra','2024-01-01T00:00:00',(''),(''),'','','');
FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));
ENDSEC;
DATA;
#1=APPLICATION_CONTEXT('managed model based 3d engineering');
#2=APPLICATION_PROTOCOL_DEFINITION('international standard','ap242_managed_model_based_3d_engineering',2014,#1);
#3=PRODUCT_CONTEXT('',#1,'mechanical');
#4=PRODUCT('tetra','tetra','',(#3));
#5=PRODUCT_DEFINITION_FORMATION('','',#4);
#6=PRODUCT_DEFINITION_CONTEXT('part definition',#1,'design');
#7=PRODUCT_DEFINITION('design','',#5,#6);
#8=PRODUCT_DEFINITION_SHAPE('','',#7);
#9=SHAPE_DEFINITION_REPRESENTATION(#8,#10);
#10=TESSELLATED_SHAPE_REPRESENTATION('tetra',(#11),#20);
#11=TESSELLATED_SOLID('',(#12),$);
#12=TRIANGULATED_FACE('',#13,4,(),$,(),((1,3,2),(1,2,4),(2,3,4),(3,1,4)));
#13=COORDINATES_LIST('',4,((0.,0.,0.),(10.,0.,0.),(0.,10.,0.),(0.,0.,10.)));
#20=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#24))GLOBAL_UNIT_ASSIGNED_CONTEXT((#21,#22,#23))REPRESENTATION_CONTEXT('',''));
#21=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));
#22=(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));
#23=(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT());
#24=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-07),#21,'distance_accuracy_value','');
ENDSEC;
END-ISO-10303-21;
)");
    const HostRun run = runStepHost(scratch, {file});
    EXPECT_EQ(run.process.exitCode(), 1) << run.process.out;
    EXPECT_NE(str(run[L"message"]).find("tessellated shapes only"), std::string::npos);
    // Three tessellated items: the representation, the solid, the face.
    EXPECT_NE(run.process.out.find("message: Warning: the file holds 3 tessellated shape items"),
              std::string::npos) << run.process.out;
    expectNoSegmentLeft(run);
}

// A bridge that crashes, or is stopped while parts are being meshed, leaves no segment; a
// stopped one ends promptly, by the signal.
TEST(StepBridge, CrashOrStopMidwayLeavesNoSegment) {
    Scratch scratch;
    const HostRun run =
        runStepHost(scratch, {sample()}, {"TRX_BRIDGE_CRASH_AFTER=15", "TRX_STEP_MESH_THREADS=2"});
    EXPECT_EQ(run.process.exitCode(), 3) << run.process.out;
    EXPECT_EQ(str(run[L"status"]), "bridge_died");
    EXPECT_FALSE(run.bridgeSegments.empty());
    expectNoSegmentLeft(run);

    // Objects 8 and on are the parts': stopped at each of them in turn, with meshing threads
    // of ours and with OCCT's alone. Only the sending thread may take the signal: it waits.
    for (const char* threads : {"2", "0"})
        for (std::size_t after = 8; after < 20; ++after) {
            SCOPED_TRACE("threads " + std::string(threads) + ", stopped after " + std::to_string(after));
            Import import = importDirectly(
                scratch, sample(), {std::string("TRX_STEP_MESH_THREADS=") + threads}, after);
            EXPECT_EQ(import.objects.size(), after);
            EXPECT_EQ(import.ending, "stopped by this program");
            EXPECT_EQ(import.leftOnceReleased(), std::vector<std::string>{});
        }
}

#endif
