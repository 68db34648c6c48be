// The mechanics reader on the shared STEP files, checked against what each file's own text
// says: datum letters, tolerances by kind with their magnitudes, dimensions with their
// nominal values and signed tolerances, saved views and what they show, layers.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include <unistd.h>

#include <TDF_LabelSequence.hxx>
#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_DimensionObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XCAFDoc_Datum.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_Dimension.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_GeomTolerance.hxx>
#include <XCAFDoc_LayerTool.hxx>
#include <XCAFDoc_MaterialTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XCAFDoc_ViewTool.hxx>

#include "common/protocol.h"
#include "mechanics.h"
#include "step_document.h"
#include "step_text.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_pmi.h"
#include "trx_api/trx_api_exchange_visualization_primitives.h"

namespace trx::test {
namespace {

namespace fs = std::filesystem;

fs::path stepDir() {
    if (const char* dir = std::getenv("TRX_TESTDATA_DIR")) return fs::path(dir) / "step";
    return fs::path(TRX_TESTDATA_DIR) / "step";
}

const char* const kNistFiles[] = {"nist_ctc_01_asme1_ap242-e1.stp",
                                  "nist_ctc_05_asme1_ap242-e1.stp",
                                  "nist_ftc_06_asme1_ap242-e1.stp"};

// ---- what the reader made of a file ---------------------------------------------------

struct Output {
    step::StepDocument doc;
    std::unique_ptr<step::MechanicsReader> reader;
    std::vector<step::PartMechanics> parts;
    std::shared_ptr<ExcPMIData> root;
    std::map<std::wstring, std::shared_ptr<ExcPMIAnnotation>> byId;
    std::vector<std::shared_ptr<ExcPMIDatum>> datums;
    std::vector<std::shared_ptr<ExcPMIDatumTarget>> targets;
    std::vector<std::shared_ptr<ExcPMIGDT>> gdts;
    std::vector<std::shared_ptr<ExcPMIDimension>> dims;
    std::vector<std::shared_ptr<ExcPMICapture>> captures;
    std::vector<std::shared_ptr<ExcMiscLayer>> layers;
    std::vector<std::shared_ptr<ExcMiscMaterial>> materials;
    std::size_t graphics = 0;

    ~Output() {
        reader.reset();
        step::closeStep(doc);
    }
    void collect(const ExcPMIData& data) {
        for (const auto& set : data.annotationSets()) {
            for (const auto& view : set->views()) {
                for (const auto& d : view->datums()) datums.push_back(d), byId[d->id()] = d;
                for (const auto& t : view->datumTargets()) targets.push_back(t), byId[t->id()] = t;
                for (const auto& g : view->gdts()) gdts.push_back(g), byId[g->id()] = g;
                for (const auto& d : view->dimensions()) dims.push_back(d), byId[d->id()] = d;
            }
            for (const auto& c : set->captures()) captures.push_back(c);
        }
    }
    template <class T>
    std::shared_ptr<T> get(const std::string& kind, int entity) const {
        auto it = byId.find(toWide(kind + "#" + std::to_string(entity)));
        return it == byId.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
    }
};

std::shared_ptr<Output> read(const std::string& name,
                             ELengthUnitType units = ELengthUnitType::millimeter) {
    static std::map<std::pair<std::string, ELengthUnitType>, std::shared_ptr<Output>> cache;
    auto& out = cache[{name, units}];
    if (out) return out;
    out = std::make_shared<Output>();
    out->doc = step::readStep((stepDir() / name).string(), units, [](const std::wstring&) {});
    out->reader = std::make_unique<step::MechanicsReader>(out->doc);
    TDF_LabelSequence labels;
    XCAFDoc_DocumentTool::ShapeTool(out->doc.doc->Main())->GetShapes(labels);
    std::uint64_t block = 0;
    for (const TDF_Label& label : labels) {
        out->parts.push_back(out->reader->of(label, ++block));
        const auto& p = out->parts.back();
        if (p.pmi) out->collect(*p.pmi);
        if (p.misc) {
            for (const auto& l : p.misc->layers()) out->layers.push_back(l);
            for (const auto& m : p.misc->materials()) out->materials.push_back(m);
        }
        out->graphics += p.graphics.size();
    }
    out->root = out->reader->root();
    if (out->root) out->collect(*out->root);
    return out;
}

std::vector<std::string> presentFiles() {
    std::vector<std::string> out;
    for (const char* f : kNistFiles)
        if (fs::exists(stepDir() / f)) out.push_back(f);
    return out;
}

#define FOR_EACH_NIST_FILE(file)                                            \
    const auto files = presentFiles();                                      \
    if (files.empty()) GTEST_SKIP() << "no NIST files in " << stepDir();    \
    for (const std::string& file : files)

// ---- what the file says ---------------------------------------------------------------

const std::map<std::string, std::string> kToleranceKinds = {
    {"ANGULARITY_TOLERANCE", "orientation_angularity"},
    {"CIRCULAR_RUNOUT_TOLERANCE", "run_out_circular"},
    {"COAXIALITY_TOLERANCE", "location_coaxiality"},
    {"CONCENTRICITY_TOLERANCE", "location_concentricity"},
    {"CYLINDRICITY_TOLERANCE", "form_cylindricity"},
    {"FLATNESS_TOLERANCE", "form_flatness"},
    {"LINE_PROFILE_TOLERANCE", "form_profile_any_line"},
    {"PARALLELISM_TOLERANCE", "orientation_parallelism"},
    {"PERPENDICULARITY_TOLERANCE", "orientation_perpendicularity"},
    {"POSITION_TOLERANCE", "location_true_position"},
    {"ROUNDNESS_TOLERANCE", "form_circularity"},
    {"STRAIGHTNESS_TOLERANCE", "form_straightness"},
    {"SURFACE_PROFILE_TOLERANCE", "form_profile_any_surface"},
    {"SYMMETRY_TOLERANCE", "location_symmetry"},
    {"TOTAL_RUNOUT_TOLERANCE", "run_out_total"}};

const char* const kDimensionTypes[] = {"DIMENSIONAL_SIZE",
                                       "DIMENSIONAL_LOCATION",
                                       "ANGULAR_LOCATION",
                                       "ANGULAR_SIZE",
                                       "DIMENSIONAL_SIZE_WITH_PATH",
                                       "DIMENSIONAL_LOCATION_WITH_PATH",
                                       "DIRECTED_DIMENSIONAL_LOCATION"};

struct FileFacts {
    StepText text;
    std::map<int, std::string> toleranceKind;  // entity → kind name
    std::map<int, double> magnitude;           // entity → mm
    std::map<int, int> upperRow;               // lower row of a composite frame → its upper row
    std::set<int> dimensions;
    std::map<std::string, int> datumOfLetter;  // letter → first DATUM entity

    explicit FileFacts(const std::string& path) : text(path) {
        for (const auto& [id, body] : text.entities()) {
            for (const auto& type : text.types(id)) {
                auto kind = kToleranceKinds.find(type);
                if (kind == kToleranceKinds.end()) continue;
                toleranceKind[id] = kind->first;
                auto args = text.args(id, "GEOMETRIC_TOLERANCE");
                if (args.empty()) args = text.args(id, type);
                if (args.size() > 2)
                    if (auto v = text.measure(StepText::ref(args[2]))) magnitude[id] = *v;
            }
            for (const char* type : kDimensionTypes)
                if (text.is(id, type)) dimensions.insert(id);
            if (text.is(id, "DATUM")) {
                const auto args = text.args(id, "DATUM");
                if (args.size() > 4) datumOfLetter.emplace(StepText::str(args[4]), id);
            }
        }
        for (int rel : text.all("GEOMETRIC_TOLERANCE_RELATIONSHIP")) {
            const auto args = text.args(rel, "GEOMETRIC_TOLERANCE_RELATIONSHIP");
            if (args.size() > 3 && StepText::str(args[0]) == "composite")
                upperRow[StepText::ref(args[3])] = StepText::ref(args[2]);
        }
    }

    // ADVANCED_FACEs a shape aspect designates, through the usages naming items and the
    // aspects it is made of.
    void faces(int aspect, std::set<int>& out, std::set<int>& seen) const {
        if (!seen.insert(aspect).second) return;
        for (int r : text.referrers(aspect)) {
            if (text.is(r, "GEOMETRIC_ITEM_SPECIFIC_USAGE") ||
                text.is(r, "ITEM_IDENTIFIED_REPRESENTATION_USAGE")) {
                for (int item : StepText::refsIn(text.entities().at(r)))
                    if (text.is(item, "ADVANCED_FACE")) out.insert(item);
            } else if (text.is(r, "SHAPE_ASPECT_RELATIONSHIP") ||
                       text.is(r, "SHAPE_ASPECT_DERIVING_RELATIONSHIP")) {
                auto args = text.args(r, text.types(r).front());
                if (args.size() > 3 && StepText::ref(args[2]) == aspect)
                    faces(StepText::ref(args[3]), out, seen);
            }
        }
    }

    // The id the reader gives the annotation a presentation link's definition stands for.
    std::string annotationIdOf(int definition) const {
        if (toleranceKind.count(definition)) {
            auto upper = upperRow.find(definition);
            return "gdt#" + std::to_string(upper == upperRow.end() ? definition : upper->second);
        }
        if (dimensions.count(definition)) return "dim#" + std::to_string(definition);
        if (text.is(definition, "PLACED_DATUM_TARGET_FEATURE") ||
            text.is(definition, "DATUM_TARGET"))
            return "target#" + std::to_string(definition);
        if (text.is(definition, "DATUM_FEATURE")) {
            for (int r : text.referrers(definition)) {
                if (!text.is(r, "SHAPE_ASPECT_RELATIONSHIP")) continue;
                const auto args = text.args(r, "SHAPE_ASPECT_RELATIONSHIP");
                const int datum = args.size() > 3 ? StepText::ref(args[3]) : 0;
                if (StepText::ref(args[2]) == definition && text.is(datum, "DATUM"))
                    return "datum#" + std::to_string(datumOfLetter.at(
                                          StepText::str(text.args(datum, "DATUM")[4])));
            }
        }
        return {};
    }
};

const FileFacts& facts(const std::string& name) {
    static std::map<std::string, std::unique_ptr<FileFacts>> cache;
    auto& f = cache[name];
    if (!f) f = std::make_unique<FileFacts>((stepDir() / name).string());
    return *f;
}

int faceCount(const ExcPMIAnnotation& a) {
    int n = 0;
    for (const auto& e : a.linkedElements())
        if (e->fsp() && e->fsp()->subentType() == ExcFullSubentPath::ESubentType::face) ++n;
    return n;
}

void expectNear(double expected, double actual, const std::string& what) {
    EXPECT_NEAR(expected, actual, 1e-9 * std::max(1.0, std::abs(expected))) << what;
}

// ---- tests --------------------------------------------------------------------------------

TEST(StepMechanics, DatumsOnePerLetterOnTheFacesOfTheirFeatures) {
    FOR_EACH_NIST_FILE(file) {
        SCOPED_TRACE(file);
        const FileFacts& f = facts(file);
        auto out = read(file);
        std::set<std::string> letters;
        for (const auto& [letter, first] : f.datumOfLetter) letters.insert(letter);
        std::multiset<std::string> labels;
        for (const auto& d : out->datums) labels.insert(toNarrow(d->label()));
        EXPECT_EQ(std::multiset<std::string>(letters.begin(), letters.end()), labels);

        for (const auto& d : out->datums) {
            // Faces of every feature of the letter, as the file's usages name them.
            std::set<int> faces, seen;
            for (int feature : f.text.all("DATUM_FEATURE"))
                if (f.annotationIdOf(feature) == toNarrow(d->id())) f.faces(feature, faces, seen);
            EXPECT_EQ(static_cast<int>(faces.size()), faceCount(*d)) << toNarrow(d->label());
            for (const auto& target : d->targetIds())
                EXPECT_TRUE(out->byId.count(target)) << toNarrow(target);
        }

        // Targets: one per target entity, labelled by their datum's letter and number.
        std::multiset<std::string> expected, got;
        for (const char* type : {"PLACED_DATUM_TARGET_FEATURE", "DATUM_TARGET"})
            for (int t : f.text.all(type)) {
                std::string letter;
                for (int r : f.text.referrers(t)) {
                    const auto args = f.text.args(r, "SHAPE_ASPECT_RELATIONSHIP");
                    if (args.size() > 3 && StepText::ref(args[2]) == t &&
                        f.text.is(StepText::ref(args[3]), "DATUM"))
                        letter = StepText::str(f.text.args(StepText::ref(args[3]), "DATUM")[4]);
                }
                expected.insert(letter + StepText::str(f.text.args(t, type)[4]));
            }
        for (const auto& t : out->targets) got.insert(toNarrow(t->label()));
        EXPECT_EQ(expected, got);

        // The zone spans the target's own size: a rectangle's diagonal, a line's length, a
        // circle's diameter (the file's "target ..." parameters, from their units).
        for (const auto& t : out->targets) {
            const int id = std::atoi(toNarrow(t->id()).c_str() + 7);  // "target#n"
            double len = 0, width = 0, diameter = 0;
            for (int pd : f.text.referrers(id)) {
                if (!f.text.is(pd, "PROPERTY_DEFINITION")) continue;
                for (int sdr : f.text.referrers(pd)) {
                    if (!f.text.is(sdr, "SHAPE_DEFINITION_REPRESENTATION")) continue;
                    const int rep =
                        StepText::ref(f.text.args(sdr, "SHAPE_DEFINITION_REPRESENTATION")[1]);
                    for (int item : StepText::refsIn(
                             f.text.args(rep, "SHAPE_REPRESENTATION_WITH_PARAMETERS")[1])) {
                        const std::string name = f.text.itemName(item);
                        if (name == "target length") len = *f.text.measure(item);
                        if (name == "target width") width = *f.text.measure(item);
                        if (name == "target diameter") diameter = *f.text.measure(item);
                    }
                }
            }
            double span = 0;
            for (int c = 0; c < 3; ++c)
                span += std::pow(t->zonePoint2()[c] - t->zonePoint1()[c], 2);
            expectNear(diameter > 0 ? diameter : std::hypot(len, width), std::sqrt(span),
                       toNarrow(t->label()));
            EXPECT_EQ(diameter > 0, t->hasDiameter());
        }
    }
}

TEST(StepMechanics, TolerancesByKindWithTheValuesTheFileGives) {
    FOR_EACH_NIST_FILE(file) {
        SCOPED_TRACE(file);
        const FileFacts& f = facts(file);
        auto out = read(file);
        std::map<std::string, int> expectedKinds, gotKinds;
        for (const auto& [id, kind] : f.toleranceKind) ++expectedKinds[kToleranceKinds.at(kind)];
        for (const auto& g : out->gdts)
            gotKinds[toNarrow(enumToString(g->toleranceType()))] += g->isComposite() ? 2 : 1;
        EXPECT_EQ(expectedKinds, gotKinds);

        for (const auto& [id, kind] : f.toleranceKind) {
            const bool lower = f.upperRow.count(id) > 0;
            auto g = out->get<ExcPMIGDT>("gdt", lower ? f.upperRow.at(id) : id);
            ASSERT_TRUE(g) << "tolerance #" << id;
            ASSERT_TRUE(f.magnitude.count(id)) << "the file gives #" << id << " no magnitude";
            const double value = lower ? g->compositeToleranceValue() : g->toleranceValue();
            expectNear(f.magnitude.at(id), value, "tolerance #" + std::to_string(id));
            EXPECT_NE(g->note(), tools::kValueUnknown);
            // Faces of the toleranced aspect, as the file's usages name them.
            std::set<int> faces, seen;
            auto args = f.text.args(id, "GEOMETRIC_TOLERANCE");
            if (args.empty()) args = f.text.args(id, kind);
            if (!lower) {
                f.faces(StepText::ref(args[3]), faces, seen);
                EXPECT_EQ(static_cast<int>(faces.size()), faceCount(*g)) << "tolerance #" << id;
            }
        }
        EXPECT_TRUE(out->reader->warnings().empty() ||
                    std::none_of(out->reader->warnings().begin(), out->reader->warnings().end(),
                                 [](const std::wstring& w) { return w.find(L"Tolerance") == 0; }));
    }
}

TEST(StepMechanics, DimensionsWithNominalValuesAndSignedTolerances) {
    FOR_EACH_NIST_FILE(file) {
        SCOPED_TRACE(file);
        const FileFacts& f = facts(file);
        auto out = read(file);
        EXPECT_EQ(f.dimensions.size(), out->dims.size());
        std::map<int, double> nominal;
        std::map<int, int> decimals;  // "NR2 a.b" of the nominal value: b places
        for (int dcr : f.text.all("DIMENSIONAL_CHARACTERISTIC_REPRESENTATION")) {
            const auto args = f.text.args(dcr, "DIMENSIONAL_CHARACTERISTIC_REPRESENTATION");
            const int rep = StepText::ref(args[1]);
            for (int item :
                 StepText::refsIn(f.text.args(rep, "SHAPE_DIMENSION_REPRESENTATION")[1])) {
                if (f.text.itemName(item) != "nominal value") continue;
                nominal[StepText::ref(args[0])] = *f.text.measure(item);
                for (int q : StepText::refsIn(
                         f.text.args(item, "QUALIFIED_REPRESENTATION_ITEM").empty()
                             ? std::string()
                             : f.text.args(item, "QUALIFIED_REPRESENTATION_ITEM")[0])) {
                    const auto format =
                        StepText::str(f.text.args(q, "VALUE_FORMAT_TYPE_QUALIFIER")[0]);
                    decimals[StepText::ref(args[0])] =
                        std::atoi(format.c_str() + format.rfind('.') + 1);
                }
            }
        }
        for (int id : f.dimensions) {
            auto d = out->get<ExcPMIDimension>("dim", id);
            ASSERT_TRUE(d) << "dimension #" << id;
            expectNear(nominal.count(id) ? nominal.at(id) : 0.0, d->value(),
                       "dimension #" + std::to_string(id));
            // A dimension the file gives no value says so, rather than showing 0.
            EXPECT_EQ(nominal.count(id) == 0, d->hasFakeAlphanumericalValue() &&
                                                  d->fakeAlphanumericalValue() == tools::kValueUnknown)
                << "dimension #" << id;
            EXPECT_EQ(decimals.count(id) ? decimals.at(id) : 0, d->valuePrecision())
                << "dimension #" << id;
        }
        for (int pmt : f.text.all("PLUS_MINUS_TOLERANCE")) {
            const auto args = f.text.args(pmt, "PLUS_MINUS_TOLERANCE");
            const auto range = f.text.args(StepText::ref(args[0]), "TOLERANCE_VALUE");
            if (range.size() < 2) continue;
            auto d = out->get<ExcPMIDimension>("dim", StepText::ref(args[1]));
            ASSERT_TRUE(d) << "dimension #" << args[1];
            EXPECT_EQ(ExcPMIDimension::EMainType::tolerance, d->mainType());
            expectNear(*f.text.measure(StepText::ref(range[0])), d->numericalToleranceLower(),
                       "lower of " + args[1]);
            expectNear(*f.text.measure(StepText::ref(range[1])), d->numericalToleranceUpper(),
                       "upper of " + args[1]);
        }
    }
}

TEST(StepMechanics, SavedViewsShowWhatTheirCalloutsPresent) {
    FOR_EACH_NIST_FILE(file) {
        SCOPED_TRACE(file);
        const FileFacts& f = facts(file);
        auto out = read(file);
        std::map<std::string, std::set<std::string>> expected, got;
        for (int camera : f.text.all("CAMERA_MODEL_D3")) {
            // The draughting model holding the camera, and the callouts in it.
            for (int model : f.text.referrers(camera)) {
                if (!f.text.is(model, "DRAUGHTING_MODEL")) continue;
                auto& ids = expected[StepText::str(f.text.args(model, "REPRESENTATION")[0])];
                std::vector<int> callouts;
                for (int item : StepText::refsIn(f.text.args(model, "REPRESENTATION")[1])) {
                    if (f.text.is(item, "DRAUGHTING_CALLOUT")) callouts.push_back(item);
                    if (f.text.is(item, "ANNOTATION_PLANE"))
                        for (int c : StepText::refsIn(f.text.args(item, "ANNOTATION_PLANE")[3]))
                            callouts.push_back(c);
                }
                for (int callout : callouts)
                    for (int link : f.text.referrers(callout)) {
                        const auto args = f.text.args(link, "DRAUGHTING_MODEL_ITEM_ASSOCIATION");
                        if (args.size() < 5) continue;
                        const std::string id = f.annotationIdOf(StepText::ref(args[2]));
                        if (!id.empty()) ids.insert(id);
                    }
            }
        }
        for (const auto& c : out->captures) {
            auto& ids = got[toNarrow(c->name())];
            for (const auto& id : c->annotationIds()) ids.insert(toNarrow(id));
            ASSERT_TRUE(c->camera());
            for (const auto& id : c->annotationIds())
                EXPECT_TRUE(out->byId.count(id)) << toNarrow(id);
        }
        EXPECT_EQ(f.text.all("CAMERA_MODEL_D3").size(), out->captures.size());
        EXPECT_EQ(expected, got);

        // Each camera looks along its reference system's axis, up along axis x reference,
        // and from the side its annotations face: most of the planes of the callouts it
        // shows have their normal towards the viewer.
        std::map<std::string, std::array<std::array<double, 3>, 2>> axes;
        auto direction = [&](int id) {
            std::array<double, 3> d{};
            const auto ratios = f.text.args(id, "DIRECTION")[1];
            std::sscanf(ratios.c_str(), "(%lf,%lf,%lf)", &d[0], &d[1], &d[2]);
            const double n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            for (double& c : d) c /= n;
            return d;
        };
        for (int camera : f.text.all("CAMERA_MODEL_D3")) {
            const auto args = f.text.args(camera, "CAMERA_MODEL_D3");
            const auto vrs = f.text.args(StepText::ref(args[1]), "AXIS2_PLACEMENT_3D");
            const auto z = direction(StepText::ref(vrs[2]));
            const auto x = direction(StepText::ref(vrs[3]));
            const std::array<double, 3> y{z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2],
                                          z[0] * x[1] - z[1] * x[0]};
            int facing = 0;
            for (int model : f.text.referrers(camera))
                for (int item : StepText::refsIn(f.text.entities().at(model))) {
                    if (!f.text.is(item, "DRAUGHTING_CALLOUT")) continue;
                    for (int plane : f.text.referrers(item)) {
                        if (!f.text.is(plane, "ANNOTATION_PLANE")) continue;
                        const int geometry =
                            StepText::ref(f.text.args(plane, "ANNOTATION_PLANE")[2]);
                        if (!f.text.is(geometry, "PLANE")) continue;
                        const auto placement = f.text.args(
                            StepText::ref(f.text.args(geometry, "PLANE")[1]), "AXIS2_PLACEMENT_3D");
                        const auto normal = direction(StepText::ref(placement[2]));
                        const double d = normal[0] * z[0] + normal[1] * z[1] + normal[2] * z[2];
                        facing += d > 0 ? 1 : d < 0 ? -1 : 0;
                    }
                }
            ASSERT_NE(facing, 0) << StepText::str(args[0]);
            const double side = facing > 0 ? -1 : 1;
            axes[StepText::str(args[0])] = {
                std::array<double, 3>{side * z[0], side * z[1], side * z[2]}, y};
        }
        for (const auto& c : out->captures) {
            const auto& cam = *c->camera();
            ASSERT_TRUE(axes.count(toNarrow(cam.name()))) << toNarrow(cam.name());
            const auto& [z, y] = axes.at(toNarrow(cam.name()));
            double look[3], n = 0;
            for (int i = 0; i < 3; ++i) n += std::pow(look[i] = cam.target()[i] - cam.eye()[i], 2);
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(z[i], look[i] / std::sqrt(n), 1e-6) << toNarrow(cam.name());
                EXPECT_NEAR(y[i], cam.up()[i], 1e-6) << toNarrow(cam.name());
            }
        }
        // Every annotation has an id of its own.
        EXPECT_EQ(out->datums.size() + out->targets.size() + out->gdts.size() + out->dims.size(),
                  out->byId.size());
    }
}

TEST(StepMechanics, LayersWithTheirMembers) {
    FOR_EACH_NIST_FILE(file) {
        SCOPED_TRACE(file);
        const FileFacts& f = facts(file);
        auto out = read(file);
        std::map<std::string, std::size_t> expected, got;
        for (int layer : f.text.all("PRESENTATION_LAYER_ASSIGNMENT")) {
            const auto args = f.text.args(layer, "PRESENTATION_LAYER_ASSIGNMENT");
            // Every item of the model's shape (solids, faces, curves, points) is one member.
            std::size_t n = 0;
            for (int item : StepText::refsIn(args[2]))
                n += !f.text.is(item, "DRAUGHTING_CALLOUT") &&
                     !f.text.is(item, "ANNOTATION_PLANE") &&
                     !f.text.is(item, "TESSELLATED_ANNOTATION_OCCURRENCE") &&
                     !f.text.is(item, "ANNOTATION_CURVE_OCCURRENCE");
            expected[StepText::str(args[0])] = n;
        }
        for (const auto& l : out->layers) got[toNarrow(l->name())] += l->entities().size();
        EXPECT_EQ(expected, got);
    }
}

// The inch request: every length once from its own unit (the file's inches, or the
// millimetres of its shape), then into inches.
TEST(StepMechanics, InchRequestConvertsEveryValueOnce) {
    const std::string file = "nist_ftc_06_asme1_ap242-e1.stp";
    if (!fs::exists(stepDir() / file)) GTEST_SKIP() << "no " << file;
    const FileFacts& f = facts(file);
    auto mm = read(file);
    auto inch = read(file, ELengthUnitType::inch);
    // Flatness.1 is 0.01 in the file's inches.
    auto flatness = inch->get<ExcPMIGDT>("gdt", 16263);
    ASSERT_TRUE(flatness);
    EXPECT_NEAR(0.01, flatness->toleranceValue(), 1e-12);
    EXPECT_NEAR(0.254, mm->get<ExcPMIGDT>("gdt", 16263)->toleranceValue(), 1e-12);
    // A radius of 0.5 in, -0.02/+0.02.
    auto radius = inch->get<ExcPMIDimension>("dim", 16379);
    ASSERT_TRUE(radius);
    EXPECT_NEAR(0.5, radius->value(), 1e-12);
    EXPECT_NEAR(-0.02, radius->numericalToleranceLower(), 1e-12);
    EXPECT_NEAR(0.02, radius->numericalToleranceUpper(), 1e-12);
    EXPECT_EQ(ExcPMIDimension::EDimUnit::inch, radius->unit());
    for (const auto& [id, kind] : f.toleranceKind) {
        if (f.upperRow.count(id)) continue;
        expectNear(f.magnitude.at(id) / 25.4, inch->get<ExcPMIGDT>("gdt", id)->toleranceValue(),
                   "tolerance #" + std::to_string(id));
    }
    // Camera positions follow the unit too.
    ASSERT_EQ(mm->captures.size(), inch->captures.size());
    for (std::size_t i = 0; i < mm->captures.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(mm->captures[i]->camera()->eye()[c] / 25.4,
                        inch->captures[i]->camera()->eye()[c], 1e-9);
}

// A tolerance whose magnitude the file leaves out travels as unknown, never as a silent 0.
TEST(StepMechanics, ToleranceWithoutValueIsSentAsUnknown) {
    const std::string file = "nist_ctc_01_asme1_ap242-e1.stp";
    if (!fs::exists(stepDir() / file)) GTEST_SKIP() << "no " << file;
    std::ifstream in(stepDir() / file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string position = "GEOMETRIC_TOLERANCE('Position.1','',#95,#235)";
    const std::size_t at = text.find(position);
    ASSERT_NE(std::string::npos, at);
    text.replace(at, position.size(), "GEOMETRIC_TOLERANCE('Position.1','',$,#235)");
    const fs::path copy = fs::temp_directory_path() /
                          ("trx-step-no-value-" + std::to_string(::getpid()) + ".stp");
    std::ofstream(copy, std::ios::binary) << text;

    auto doc =
        step::readStep(copy.string(), ELengthUnitType::millimeter, [](const std::wstring&) {});
    fs::remove(copy);
    {
        step::MechanicsReader reader(doc);
        Output out;
        TDF_LabelSequence labels;
        XCAFDoc_DocumentTool::ShapeTool(doc.doc->Main())->GetShapes(labels);
        std::uint64_t block = 0;
        for (const TDF_Label& label : labels)
            if (auto pmi = reader.of(label, ++block).pmi) out.collect(*pmi);
        auto unknown = out.get<ExcPMIGDT>("gdt", 21);
        ASSERT_TRUE(unknown);
        EXPECT_EQ(0.0, unknown->toleranceValue());
        EXPECT_EQ(tools::kValueUnknown, unknown->note());
        EXPECT_NEAR(0.75, out.get<ExcPMIGDT>("gdt", 22)->toleranceValue(), 1e-12);
        EXPECT_EQ(L"", out.get<ExcPMIGDT>("gdt", 22)->note());
        const auto& w = reader.warnings();
        EXPECT_EQ(1, std::count_if(w.begin(), w.end(), [](const std::wstring& s) {
                      return s.find(L"Position.1") != std::wstring::npos;
                  }));
    }
    step::closeStep(doc);
}

TEST(StepMechanics, PartsWithoutPmiGiveNone) {
    for (const char* file : {"M6-1x12-countersunk-screw.step", "red_cube_blue_cylinder.step"}) {
        SCOPED_TRACE(file);
        if (!fs::exists(stepDir() / file)) continue;
        auto out = read(file);
        ASSERT_FALSE(out->parts.empty());
        for (const auto& p : out->parts) {
            EXPECT_FALSE(p.pmi);
            EXPECT_TRUE(p.graphics.empty());
        }
        EXPECT_FALSE(out->root);
        EXPECT_TRUE(out->reader->warnings().empty());
    }
}

// A material as the file names it, with its density in the units it gives; a volume of the
// validation properties in the requested unit.
TEST(StepMechanics, MaterialsAndValidationPropertiesInTheirOwnUnits) {
    const std::string file = "STS3215_03a.step";
    if (fs::exists(stepDir() / file)) {
        const FileFacts& f = facts(file);
        std::string name;
        double density = 0;
        for (int pd : f.text.all("PROPERTY_DEFINITION")) {
            if (StepText::str(f.text.args(pd, "PROPERTY_DEFINITION")[0]) != "material property")
                continue;
            for (int pdr : f.text.referrers(pd)) {
                const int rep =
                    StepText::ref(f.text.args(pdr, "PROPERTY_DEFINITION_REPRESENTATION")[1]);
                for (int item : StepText::refsIn(f.text.args(rep, "REPRESENTATION")[1])) {
                    if (f.text.is(item, "DESCRIPTIVE_REPRESENTATION_ITEM"))
                        name =
                            StepText::str(f.text.args(item, "DESCRIPTIVE_REPRESENTATION_ITEM")[0]);
                    if (f.text.is(item, "MEASURE_REPRESENTATION_ITEM")) {
                        const std::string v = f.text.args(item, "MEASURE_REPRESENTATION_ITEM")[1];
                        density = std::strtod(v.c_str() + v.find('(') + 1, nullptr);
                    }
                }
            }
        }
        auto out = read(file);
        ASSERT_EQ(1u, out->materials.size());
        EXPECT_EQ(name, toNarrow(out->materials[0]->name()));
        auto d = out->materials[0]->get(ExcMiscMaterial::EProperty::density);
        ASSERT_TRUE(d);
        EXPECT_DOUBLE_EQ(density, d->value());
        ASSERT_TRUE(d->unit().mass && d->unit().length);
        EXPECT_EQ(EMassUnitType::kilogram, d->unit().mass->units());
        EXPECT_EQ(1, d->unit().mass->dimension());
        EXPECT_EQ(ELengthUnitType::meter, d->unit().length->units());
        EXPECT_EQ(-3, d->unit().length->dimension());
    }
    const std::string part = "nist_ctc_01_asme1_ap242-e1.stp";
    if (!fs::exists(stepDir() / part)) return;
    const FileFacts& f = facts(part);
    double volume = 0;  // mm3: the file's unit is the cube of its millimetre
    for (int item : f.text.all("MEASURE_REPRESENTATION_ITEM")) {
        const auto args = f.text.args(item, "MEASURE_REPRESENTATION_ITEM");
        if (StepText::str(args[0]) == "volume measure")
            volume = std::strtod(args[1].c_str() + args[1].find('(') + 1, nullptr);
    }
    for (auto units : {ELengthUnitType::millimeter, ELengthUnitType::inch}) {
        const double scale = units == ELengthUnitType::inch ? 1 / (25.4 * 25.4 * 25.4) : 1;
        std::optional<double> got;
        for (const auto& p : read(part, units)->parts)
            if (p.misc)
                for (const auto& g : p.misc->miscData().groups())
                    for (const auto& prop : g->properties())
                        if (prop.name() == L"volume measure") got = std::stod(prop.value());
        ASSERT_TRUE(got);
        EXPECT_NEAR(volume * scale, *got, 1e-6 * volume * scale);
    }
}

// What OCCT's XCAF document holds beside what the file says and what the reader sends; printed
// for the report, not checked.
TEST(StepMechanics, PrintsWhatOcctReadsAgainstTheFile) {
    FOR_EACH_NIST_FILE(file) {
        const FileFacts& f = facts(file);
        auto out = read(file);
        const TDF_Label main = out->doc.doc->Main();
        Handle(XCAFDoc_DimTolTool) dt = XCAFDoc_DocumentTool::DimTolTool(main);
        TDF_LabelSequence tols, dims, datums, views, layers, materials;
        dt->GetGeomToleranceLabels(tols);
        dt->GetDimensionLabels(dims);
        dt->GetDatumLabels(datums);
        XCAFDoc_DocumentTool::ViewTool(main)->GetViewLabels(views);
        XCAFDoc_DocumentTool::LayerTool(main)->GetLayerLabels(layers);
        XCAFDoc_DocumentTool::MaterialTool(main)->GetMaterialLabels(materials);
        int tolValues = 0, semanticDims = 0;
        for (const auto& l : tols)
            if (Handle(XCAFDoc_GeomTolerance) t; l.FindAttribute(XCAFDoc_GeomTolerance::GetID(), t))
                tolValues += t->GetObject()->GetValue() != 0;
        for (const auto& l : dims)
            if (Handle(XCAFDoc_Dimension) d; l.FindAttribute(XCAFDoc_Dimension::GetID(), d)) {
                const auto type = d->GetObject()->GetType();
                semanticDims += type != XCAFDimTolObjects_DimensionType_CommonLabel &&
                                type != XCAFDimTolObjects_DimensionType_DimensionPresentation;
            }
        std::set<std::string> letters, targets;
        for (const auto& l : datums)
            if (Handle(XCAFDoc_Datum) d; l.FindAttribute(XCAFDoc_Datum::GetID(), d)) {
                auto o = d->GetObject();
                const std::string name = o->GetName().IsNull() ? "" : o->GetName()->ToCString();
                if (o->IsDatumTarget())
                    targets.insert(name + std::to_string(o->GetDatumTargetNumber()));
                else letters.insert(name);
            }
        int fileValues = 0;
        for (const auto& [id, v] : f.magnitude) fileValues += v != 0;
        int ourValues = 0;
        for (const auto& g : out->gdts)
            ourValues += (g->toleranceValue() != 0) +
                         (g->isComposite() && g->compositeToleranceValue() != 0);
        int targetsInFile = static_cast<int>(f.text.all("PLACED_DATUM_TARGET_FEATURE").size() +
                                             f.text.all("DATUM_TARGET").size());
        int ourRows = 0;
        for (const auto& g : out->gdts) ourRows += g->isComposite() ? 2 : 1;
        std::set<int> ourLayers;
        for (const auto& l : out->layers) ourLayers.insert(l->id());
        std::printf("\n%s\n  %-26s %6s %6s %6s\n", file.c_str(), "", "file", "OCCT", "ours");
        auto row = [](const char* what, std::size_t a, std::size_t b, std::size_t c) {
            std::printf("  %-26s %6zu %6zu %6zu\n", what, a, b, c);
        };
        row("tolerances (rows)", f.toleranceKind.size(), static_cast<std::size_t>(tols.Length()),
            static_cast<std::size_t>(ourRows));
        row("tolerance values not 0", static_cast<std::size_t>(fileValues),
            static_cast<std::size_t>(tolValues), static_cast<std::size_t>(ourValues));
        row("dimensions", f.dimensions.size(), static_cast<std::size_t>(semanticDims),
            out->dims.size());
        row("datum letters", f.datumOfLetter.size(), letters.size(), out->datums.size());
        row("datum targets", static_cast<std::size_t>(targetsInFile), targets.size(),
            out->targets.size());
        row("saved views", f.text.all("CAMERA_MODEL_D3").size(),
            static_cast<std::size_t>(views.Length()), out->captures.size());
        row("layers", f.text.all("PRESENTATION_LAYER_ASSIGNMENT").size(),
            static_cast<std::size_t>(layers.Length()), ourLayers.size());
        std::set<std::string> materialOwners;
        for (int pd : f.text.all("PROPERTY_DEFINITION")) {
            const auto args = f.text.args(pd, "PROPERTY_DEFINITION");
            if (StepText::str(args[0]) == "material property") materialOwners.insert(args[2]);
        }
        row("materials", materialOwners.size(), static_cast<std::size_t>(materials.Length()),
            out->materials.size());
        row("graphics without semantics", 0, 0, out->graphics);
    }
}

}  // namespace
}  // namespace trx::test
