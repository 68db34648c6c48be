#include "product_tree.h"

#include <cmath>
#include <functional>

#include <NCollection_DataMap.hxx>
#include <Quantity_ColorRGBA.hxx>
#include <TCollection_AsciiString.hxx>
#include <TDF_LabelMapHasher.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TopExp.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include "trx_api/trx_api_exchange_structure.h"

namespace trx::step {
namespace {

unsigned short channel(double v) {
    return static_cast<unsigned short>(std::lround(std::min(std::max(v, 0.0), 1.0) * 255));
}

ExcTransformation transformationOf(const TopLoc_Location& location, double mmToUnits) {
    const gp_Trsf trsf = location.Transformation();
    ExcTransformation t;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) t.affine()[r][c] = trsf.Value(r + 1, c + 1);
        t.translation()[r] = trsf.Value(r + 1, 4) * mmToUnits;
    }
    return t;
}

std::wstring entryOf(const TDF_Label& label) {
    TCollection_AsciiString entry;
    TDF_Tool::Entry(label, entry);
    return toWide(entry.ToCString());
}

}  // namespace

std::wstring nameOf(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
    // Without a replacement character the conversion is to UTF-8.
    std::wstring text = toWide(TCollection_AsciiString(name->Get()).ToCString());
    // "=>[0:1:1:2]": OCCT's stand-in for a component the file did not name.
    if (text.rfind(L"=>[", 0) == 0) return {};
    return text;
}

std::optional<ExcColor> colourOf(const Handle(XCAFDoc_ColorTool)& colours, const TDF_Label& label) {
    Quantity_ColorRGBA rgba;
    if (!colours->GetColor(label, XCAFDoc_ColorSurf, rgba) &&
        !colours->GetColor(label, XCAFDoc_ColorGen, rgba))
        return std::nullopt;
    // The file's own numbers: OCCT keeps colours linear and reads STEP's as sRGB.
    double r = 0, g = 0, b = 0;
    rgba.GetRGB().Values(r, g, b, Quantity_TOC_sRGB);
    const float alpha = rgba.Alpha();
    if (alpha < 1.0f) return ExcColor(channel(r), channel(g), channel(b), channel(alpha));
    return ExcColor(channel(r), channel(g), channel(b));
}

std::vector<std::optional<ExcColor>> faceColours(const Handle(XCAFDoc_ColorTool)& colours,
                                                 const TDF_Label& part,
                                                 const TopTools_IndexedMapOfShape& faces) {
    std::vector<std::optional<ExcColor>> out(static_cast<std::size_t>(faces.Extent()),
                                             colourOf(colours, part));
    TDF_LabelSequence subshapes;
    XCAFDoc_ShapeTool::GetSubShapes(part, subshapes);
    // Shells and solids first, so that a face's own colour is the one that stays.
    for (const bool ownFaces : {false, true}) {
        for (const TDF_Label& sub : subshapes) {
            const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(sub);
            if ((shape.ShapeType() == TopAbs_FACE) != ownFaces) continue;
            const auto colour = colourOf(colours, sub);
            if (!colour) continue;
            TopTools_IndexedMapOfShape held;
            TopExp::MapShapes(shape, TopAbs_FACE, held);
            for (int k = 1; k <= held.Extent(); ++k)
                if (const int index = faces.FindIndex(held(k)); index > 0)
                    out[static_cast<std::size_t>(index - 1)] = colour;
        }
    }
    return out;
}

ProductTree productTree(const StepDocument& document, const std::wstring& productName) {
    const Handle(XCAFDoc_ColorTool) colours =
        XCAFDoc_DocumentTool::ColorTool(document.doc->Main());
    ProductTree tree;
    tree.structure = std::make_shared<ExcProductStructure>();
    tree.structure->setProductName(productName);
    tree.structure->setUnits(document.units);

    // Each prototype once, however often it is placed: a file whose components loop stops
    // at the block already made.
    NCollection_DataMap<TDF_Label, std::uint64_t, TDF_LabelMapHasher> ids;
    auto reference = [&](const TDF_Label& label, std::uint64_t blockId) {
        auto r = std::make_shared<ExcBlockReference>();
        r->setGuid(IExchangeObject::generateUUID());
        r->setPersistentId(entryOf(label));
        r->setBlockId(blockId);
        std::wstring name = nameOf(label);
        if (name.empty()) name = tree.blocks[static_cast<std::size_t>(blockId - 1)].name;
        r->setName(name);
        r->setHidden(!colours->IsVisible(label));
        return r;
    };
    std::function<std::uint64_t(const TDF_Label&)> blockOf = [&](const TDF_Label& label) {
        if (const std::uint64_t* known = ids.Seek(label)) return *known;
        const std::uint64_t id = tree.blocks.size() + 1;
        ids.Bind(label, id);
        const bool assembly = XCAFDoc_ShapeTool::IsAssembly(label);
        BlockSource source;
        source.id = id;
        source.name = nameOf(label);
        if (source.name.empty()) source.name = L"block " + std::to_wstring(id);
        source.label = label;
        source.part = !assembly;
        if (!assembly) source.shape = XCAFDoc_ShapeTool::GetShape(label);
        auto block = std::make_shared<ExcBlock>();
        block->setId(id);
        block->setName(source.name);
        block->setPart(source.part);
        tree.structure->addBlock(block);
        tree.blocks.push_back(std::move(source));
        if (!assembly) return id;

        TDF_LabelSequence components;
        XCAFDoc_ShapeTool::GetComponents(label, components);
        for (const TDF_Label& component : components) {
            TDF_Label prototype;
            if (!XCAFDoc_ShapeTool::GetReferredShape(component, prototype)) continue;
            const std::uint64_t child = blockOf(prototype);
            auto r = reference(component, child);
            r->setTransformation(transformationOf(XCAFDoc_ShapeTool::GetLocation(component),
                                                  document.mmToUnits));
            if (const auto colour = colourOf(colours, component)) r->setColor(*colour);
            block->addBlockReference(r);
        }
        return id;
    };

    TDF_LabelSequence free;
    XCAFDoc_DocumentTool::ShapeTool(document.doc->Main())->GetFreeShapes(free);
    for (const TDF_Label& label : free)
        tree.structure->addRootBlockReference(reference(label, blockOf(label)));
    return tree;
}

}  // namespace trx::step
