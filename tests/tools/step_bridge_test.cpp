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
#include "tool_support.h"
#include "trx_api/trx_api.h"

using namespace trx;
using namespace trx::test;

namespace {

// ---- the STEP text, read without OCCT ----

// A parameter: a reference, a number, a string or enumeration, a list or a typed value
// (LENGTH_MEASURE(25.4): str is the type, items its one value).
struct Value {
    enum Kind { none, ref, number, text, list, typed } kind = none;
    long id = 0;
    double num = 0;
    std::string str;
    std::vector<Value> items;
};
using Params = std::vector<Value>;

struct Entity {
    std::string type;                     // empty for a complex entity
    Params args;                          // of a simple entity
    std::map<std::string, Params> parts;  // of a complex one, by part type
};

class StepText {
public:
    explicit StepText(const std::string& text) : m_t(text) {
        m_p = m_t.find("DATA;");
        while (m_p != std::string::npos && m_p < m_t.size()) {
            m_p = m_t.find('#', m_p);
            if (m_p == std::string::npos) break;
            const long id = std::strtol(m_t.c_str() + m_p + 1, nullptr, 10);
            m_p = m_t.find('=', m_p) + 1;
            skip();
            Entity e;
            if (m_t[m_p] == '(') {  // ( A(...) B(...) )
                ++m_p;
                for (skip(); m_t[m_p] != ')'; skip()) {
                    const std::string type = word();
                    e.parts[type] = params();
                }
                ++m_p;
            } else {
                e.type = word();
                e.args = params();
            }
            m_e[id] = std::move(e);
            m_p = m_t.find(';', m_p);
        }
    }
    const Entity* at(long id) const {
        const auto it = m_e.find(id);
        return it == m_e.end() ? nullptr : &it->second;
    }
    const Entity* at(const Value& v) const { return v.kind == Value::ref ? at(v.id) : nullptr; }
    bool is(const Value& v, const char* type) const {
        const Entity* e = at(v);
        return e && e->type == type;
    }
    std::vector<long> all(const std::string& type) const {
        std::vector<long> ids;
        for (const auto& [id, e] : m_e)
            if (e.type == type) ids.push_back(id);
        return ids;
    }
    const std::map<long, Entity>& entities() const { return m_e; }

private:
    void skip() {
        while (m_p < m_t.size() && std::isspace(static_cast<unsigned char>(m_t[m_p]))) ++m_p;
    }
    std::string word() {
        skip();
        const std::size_t start = m_p;
        while (m_p < m_t.size() && (std::isalnum(static_cast<unsigned char>(m_t[m_p])) || m_t[m_p] == '_'))
            ++m_p;
        return m_t.substr(start, m_p - start);
    }
    Params params() {  // at '(' ... ')'
        Params out;
        skip();
        ++m_p;
        for (skip(); m_t[m_p] != ')'; skip()) {
            out.push_back(value());
            skip();
            if (m_t[m_p] == ',') ++m_p;
        }
        ++m_p;
        return out;
    }
    Value value() {
        skip();
        Value v;
        const char c = m_t[m_p];
        if (c == '#') {
            v.kind = Value::ref;
            v.id = std::strtol(m_t.c_str() + m_p + 1, nullptr, 10);
            ++m_p;
            while (std::isdigit(static_cast<unsigned char>(m_t[m_p]))) ++m_p;
        } else if (c == '\'') {
            v.kind = Value::text;
            for (++m_p; !(m_t[m_p] == '\'' && m_t[m_p + 1] != '\''); ++m_p) {
                if (m_t[m_p] == '\'') ++m_p;  // '' is one quote
                v.str += m_t[m_p];
            }
            ++m_p;
        } else if (c == '.' && std::isalpha(static_cast<unsigned char>(m_t[m_p + 1]))) {
            v.kind = Value::text;
            const std::size_t end = m_t.find('.', m_p + 1);
            v.str = m_t.substr(m_p + 1, end - m_p - 1);
            m_p = end + 1;
        } else if (c == '(') {
            v.kind = Value::list;
            v.items = params();
        } else if (c == '$' || c == '*') {
            ++m_p;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            v.kind = Value::typed;
            v.str = word();
            v.items = params();
        } else {
            v.kind = Value::number;
            char* end = nullptr;
            v.num = std::strtod(m_t.c_str() + m_p, &end);
            m_p = static_cast<std::size_t>(end - m_t.c_str());
        }
        return v;
    }

    const std::string& m_t;
    std::size_t m_p = 0;
    std::map<long, Entity> m_e;
};

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

Vec triple(const Value& list) {
    Vec v{0, 0, 0};
    for (std::size_t c = 0; c < 3 && c < list.items.size(); ++c) v[c] = list.items[c].num;
    return v;
}

// Millimetres in one unit: SI (with its prefix) or converted from another.
double unitMm(const StepText& s, const Value& unit, int depth = 0) {
    const Entity* e = s.at(unit);
    if (!e || depth > 8) return 0;
    if (auto si = e->parts.find("SI_UNIT"); si != e->parts.end()) {
        static const std::map<std::string, double> prefix{
            {"", 1}, {"MILLI", 1e-3}, {"CENTI", 1e-2}, {"DECI", 0.1}, {"KILO", 1e3}, {"MICRO", 1e-6}};
        return 1000 * prefix.at(si->second[0].str);
    }
    if (auto cb = e->parts.find("CONVERSION_BASED_UNIT"); cb != e->parts.end()) {
        const Entity* m = s.at(cb->second[1]);
        const Params& mwu = m->type.empty() ? m->parts.at("MEASURE_WITH_UNIT") : m->args;
        const Value& v = mwu[0].kind == Value::typed ? mwu[0].items[0] : mwu[0];
        return v.num * unitMm(s, mwu[1], depth + 1);
    }
    return 0;
}

Placement frame(const StepText& s, const Value& axis2) {
    const Params& a = s.at(axis2)->args;  // name, location, axis, ref_direction
    Placement f;
    f.t = triple(s.at(a[1])->args[1]);
    Vec z = a[2].kind == Value::ref ? triple(s.at(a[2])->args[1]) : Vec{0, 0, 1};
    Vec x = a[3].kind == Value::ref ? triple(s.at(a[3])->args[1]) : Vec{1, 0, 0};
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

Facts factsOf(const std::string& text) {
    const StepText s(text);
    Facts f;
    const auto productOf = [&](const Value& pd) {  // PRODUCT_DEFINITION -> formation -> product
        return s.at(s.at(pd)->args[2])->args[2].id;
    };
    const auto productName = [&](long product) { return s.at(product)->args[1].str; };

    // Products with a shape, and the representation of each.
    std::map<long, long> shapeOf;
    std::map<long, long> productOfRep;
    for (long sdr : s.all("SHAPE_DEFINITION_REPRESENTATION")) {
        const Params& a = s.at(sdr)->args;
        const Entity* pds = s.at(a[0]);
        if (!pds || pds->type != "PRODUCT_DEFINITION_SHAPE" ||
            !s.is(pds->args[2], "PRODUCT_DEFINITION"))
            continue;
        shapeOf[productOf(pds->args[2])] = a[1].id;
        productOfRep[a[1].id] = productOf(pds->args[2]);
    }
    std::set<long> assemblies, children;
    std::map<long, std::string> usageOfPds;  // the usage's own shape, for its placement
    for (long n : s.all("NEXT_ASSEMBLY_USAGE_OCCURRENCE")) {
        const Params& a = s.at(n)->args;
        assemblies.insert(productOf(a[3]));
        children.insert(productOf(a[4]));
        ++f.references;
        for (const auto& [id, e] : s.entities())
            if (e.type == "PRODUCT_DEFINITION_SHAPE" && e.args[2].id == n) usageOfPds[id] = a[1].str;
    }
    // OCCT makes a product with several plain shape relationships an assembly of them.
    std::map<long, std::size_t> related;
    for (long r : s.all("SHAPE_REPRESENTATION_RELATIONSHIP")) ++related[s.at(r)->args[2].id];
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
    f.solids = s.all("MANIFOLD_SOLID_BREP").size() + s.all("BREP_WITH_VOIDS").size();

    // The unit of the B-rep: its representation's context.
    double mm = 0;
    std::set<long> solids;
    for (const auto* type : {"MANIFOLD_SOLID_BREP", "BREP_WITH_VOIDS"})
        for (long id : s.all(type)) solids.insert(id);
    for (const auto& [id, e] : s.entities()) {
        if (e.args.size() != 3 || e.args[1].kind != Value::list) continue;
        bool holdsSolid = false;
        for (const auto& item : e.args[1].items) holdsSolid |= solids.count(item.id) > 0;
        if (!holdsSolid) continue;
        for (const auto& unit : s.at(e.args[2])->parts.at("GLOBAL_UNIT_ASSIGNED_CONTEXT")[0].items)
            if (s.at(unit)->parts.count("LENGTH_UNIT")) {
                const double u = unitMm(s, unit);
                EXPECT_TRUE(mm == 0 || mm == u) << "B-rep in two units";
                mm = u;
            }
    }
    EXPECT_GT(mm, 0) << "no unit for the B-rep";
    const auto scaled = [&](Vec v) { return Vec{v[0] * mm, v[1] * mm, v[2] * mm}; };

    for (long v : s.all("VERTEX_POINT")) f.vertices.add(scaled(triple(s.at(s.at(v)->args[1])->args[1])));
    for (long p : s.all("CARTESIAN_POINT"))
        if (s.at(p)->args[1].items.size() == 3) f.reach.add(scaled(triple(s.at(p)->args[1])));
    // Curved shapes reach beyond their points by at most their radius.
    double radius = 0;
    for (const auto* type : {"CIRCLE", "CYLINDRICAL_SURFACE", "SPHERICAL_SURFACE", "CONICAL_SURFACE"})
        for (long id : s.all(type)) radius = std::max(radius, s.at(id)->args[2].num);
    for (long id : s.all("ELLIPSE"))
        radius = std::max({radius, s.at(id)->args[2].num, s.at(id)->args[3].num});
    for (long id : s.all("TOROIDAL_SURFACE"))
        radius = std::max(radius, s.at(id)->args[2].num + s.at(id)->args[3].num);
    for (int c = 0; c < 3; ++c) f.reach.min[c] -= radius * mm, f.reach.max[c] += radius * mm;

    // Placements of the usages: the transformation of their representation relationship.
    for (long cdsr : s.all("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION")) {
        const Params& a = s.at(cdsr)->args;
        const Entity* rr = s.at(a[0]);
        const auto name = usageOfPds.find(a[1].id);
        if (!rr || name == usageOfPds.end()) continue;
        const Params& idt = s.at(rr->parts.at("REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION")[0])->args;
        Placement p = relative(frame(s, idt[2]), frame(s, idt[3]));
        p.t = scaled(p.t);
        f.usages[name->second] = p;
    }

    // Colours: styled items of a product's shapes, and styles overridden for one usage.
    const auto colourIn = [&](const Value& styles) {  // the first colour down the references
        std::deque<Value> todo{styles};
        for (int steps = 0; !todo.empty() && steps < 64; ++steps) {
            const Value v = todo.front();
            todo.pop_front();
            const Entity* e = s.at(v);
            if (e && e->type == "COLOUR_RGB")
                return std::optional<Vec>(Vec{e->args[1].num, e->args[2].num, e->args[3].num});
            const Params& next = e ? e->args : v.items;
            todo.insert(todo.end(), next.begin(), next.end());
        }
        return std::optional<Vec>();
    };
    std::map<long, std::vector<long>> users;  // who refers to an entity
    std::function<void(long, const Value&)> note = [&](long from, const Value& v) {
        if (v.kind == Value::ref) users[v.id].push_back(from);
        for (const auto& item : v.items) note(from, item);
    };
    for (const auto& [id, e] : s.entities())
        for (const auto& p : e.args) note(id, p);
    const auto ownerOf = [&](long item) -> long {  // up the topology to a product's shape
        std::deque<long> todo{item};
        std::set<long> seen;
        while (!todo.empty()) {
            const long id = todo.front();
            todo.pop_front();
            if (!seen.insert(id).second || seen.size() > 10000) continue;
            if (auto p = productOfRep.find(id); p != productOfRep.end()) return p->second;
            const Entity* e = s.at(id);
            if (e && e->type == "SHAPE_REPRESENTATION_RELATIONSHIP")
                todo.insert(todo.end(), {e->args[2].id, e->args[3].id});
            static const std::set<std::string> kTopology{
                "ADVANCED_FACE", "FACE_SURFACE", "CLOSED_SHELL", "OPEN_SHELL", "MANIFOLD_SOLID_BREP",
                "BREP_WITH_VOIDS", "SHELL_BASED_SURFACE_MODEL", "SHAPE_REPRESENTATION_RELATIONSHIP"};
            for (long u : users[id]) {
                const std::string& t = s.at(u)->type;
                const std::string tail = "SHAPE_REPRESENTATION";
                if (kTopology.count(t) ||
                    (t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0))
                    todo.push_back(u);
            }
        }
        return 0;
    };
    // A style for one usage names it by its placement, or by a shape of the usage's own.
    std::map<long, std::string> usageOfContext;
    for (long cdsr : s.all("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION"))
        if (auto n = usageOfPds.find(s.at(cdsr)->args[1].id); n != usageOfPds.end())
            usageOfContext[s.at(cdsr)->args[0].id] = n->second;
    for (long sdr : s.all("SHAPE_DEFINITION_REPRESENTATION"))
        if (auto n = usageOfPds.find(s.at(sdr)->args[0].id); n != usageOfPds.end())
            usageOfContext[s.at(sdr)->args[1].id] = n->second;
    for (const auto* type : {"STYLED_ITEM", "OVER_RIDING_STYLED_ITEM"})
        for (long id : s.all(type)) {
            const Params& a = s.at(id)->args;
            const auto colour = colourIn(a[1]);
            if (!colour) continue;
            const Value& context = a[1].items[0];
            if (s.is(context, "PRESENTATION_STYLE_BY_CONTEXT")) {
                if (auto u = usageOfContext.find(s.at(context)->args[1].id); u != usageOfContext.end())
                    f.usageColours[u->second] = *colour;
                continue;
            }
            if (const long product = ownerOf(a[2].id)) f.partColours[productName(product)].insert(*colour);
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

struct HostRun {
    tools::RunResult process;
    JsonDocument summary;
    std::vector<std::string> toldSegments, bridgeSegments;
    const JsonValue& operator[](const wchar_t* key) const {
        static const JsonValue none;
        const auto m = summary.FindMember(key);
        return m == summary.MemberEnd() ? none : m->value;
    }
};

HostRun runHost(const Scratch& scratch, std::vector<std::string> args,
                std::vector<std::string> env = {}) {
    const std::string json = scratch.path("summary.json").string();
    const std::string segmentLog = scratch.path("segments.log").string();
    fs::remove(json);
    fs::remove(segmentLog);
    args.insert(args.begin(), {"--bridge", TRX_STEP_BRIDGE_EXE, "--json", json});
    env.push_back("TRX_BRIDGE_SEGMENT_LOG=" + segmentLog);
    HostRun run;
    run.process = tools::runProgram(TRX_HOST_EXE, args, env, 120000);
    run.summary = parseJson(readFile(json));
    if (!run.summary.IsObject()) {
        ADD_FAILURE() << "no JSON summary; the host wrote:\n" << run.process.out;
        run.summary.SetObject();
        return run;
    }
    for (const auto& seg : run[L"segments"].GetArray()) run.toldSegments.push_back(str(seg));
    run.bridgeSegments = lines(readFile(segmentLog));
    return run;
}

// Every segment the bridge made was named to the host, and none is left.
void expectNoSegmentLeft(const HostRun& run) {
    EXPECT_EQ(std::multiset<std::string>(run.bridgeSegments.begin(), run.bridgeSegments.end()),
              std::multiset<std::string>(run.toldSegments.begin(), run.toldSegments.end()));
    EXPECT_EQ(leftSegments(run.bridgeSegments), std::vector<std::string>{});
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
        const Facts facts = factsOf(readFile(file));
        for (const double unitMm : {1.0, 25.4}) {
            SCOPED_TRACE(file + (unitMm == 1 ? " in mm" : " in inches"));
            std::vector<std::string> args{file};
            if (unitMm != 1) args.insert(args.end(), {"--units", "inch"});
            const HostRun run = runHost(scratch, args);
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
    const Facts facts = factsOf(readFile(sample()));
    const HostRun run =
        runHost(scratch, {sample(), "--no-visualization", "--no-mechanical", "--legacy"});
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
        const Facts facts = factsOf(readFile(file));
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
    const Facts facts = factsOf(readFile(sample()));
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
        const HostRun run = runHost(scratch, {c.file, "--timeout", "20"});
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
    const HostRun run = runHost(scratch, {file});
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
        runHost(scratch, {sample()}, {"TRX_BRIDGE_CRASH_AFTER=15", "TRX_STEP_MESH_THREADS=2"});
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
