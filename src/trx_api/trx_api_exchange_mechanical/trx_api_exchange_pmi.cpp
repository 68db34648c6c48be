#include "../trx_api_exchange_pmi.h"

#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

// ---- annotation view ----------------------------------------------------------------

template <class T>
void ExcPMIAnnotationView::add(std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& v,
                               const char* refusal) {
    if (!json::addOrRefuse(list, v, refusal)) return;
    // The annotation stays in its list either way; the index keeps the earlier one.
    if (!m_index.emplace(v->id(), v).second) {
        detail::logWith(vx_bridge::kWarning,
                        [&](std::ostream& os) { os << "Duplicated PMI annotation id: " << toNarrow(v->id()); });
    }
}

void ExcPMIAnnotationView::addNote(const std::shared_ptr<ExcPMINote>& v) {
    add(m_notes, v, "ExcPMIAnnotationView: attempt to add null PMI Note object.");
}
void ExcPMIAnnotationView::addDatum(const std::shared_ptr<ExcPMIDatum>& v) {
    add(m_datums, v, "ExcPMIAnnotationView: attempt to add null PMI Datum object.");
}
void ExcPMIAnnotationView::addDatumTarget(const std::shared_ptr<ExcPMIDatumTarget>& v) {
    add(m_datumTargets, v, "ExcPMIAnnotationView: attempt to add null PMI Datum Target object.");
}
void ExcPMIAnnotationView::addGdt(const std::shared_ptr<ExcPMIGDT>& v) {
    add(m_gdts, v, "ExcPMIAnnotationView: attempt ot add null PMI GDT object.");
}
void ExcPMIAnnotationView::addDimension(const std::shared_ptr<ExcPMIDimension>& v) {
    add(m_dimensions, v, "ExcPMIAnnotationView: attempt to add null PMI Dimension object.");
}
void ExcPMIAnnotationView::addRoughness(const std::shared_ptr<ExcPMIRoughness>& v) {
    add(m_roughness, v, "ExcPMIAnnotationView: attempt to add null PMI Roughness object.");
}

std::shared_ptr<ExcPMIAnnotation> ExcPMIAnnotationView::getAnnotationById(const std::wstring& id) const {
    const auto it = m_index.find(id);
    return it != m_index.end() ? it->second : nullptr;
}

// The index follows from the lists and is not compared.
TRX_FIELDS(ExcPMIAnnotationView, ExcPMIObject) {
    f(L"origin", s.m_origin);
    f(L"u", s.m_vectorU);
    f(L"v", s.m_vectorV);
    // Read annotations are indexed like added ones, but a duplicate id is not reported.
    const auto indexed = [&s](auto& list) {
        return json::addedBy(list, [&s, &list](auto annotation) {
            s.m_index.emplace(annotation->id(), annotation);
            list.push_back(std::move(annotation));
        });
    };
    f(L"notes", indexed(s.m_notes));
    f(L"datum", indexed(s.m_datums));
    f(L"datum_targets", indexed(s.m_datumTargets));
    f(L"GDTs", indexed(s.m_gdts));
    f(L"dimensions", indexed(s.m_dimensions));
    f(L"roughness", indexed(s.m_roughness));
}

// ---- capture ------------------------------------------------------------------------

TRX_FIELDS(ExcPMICapture, ExcPMIObject) {
    f(L"capture_hidden", s.m_captureHidden);
    f(L"current", s.m_current);
    f(L"hidden_text", s.m_hiddenText);
    f(L"manage_hide_show", s.m_manageHideShow);
    f(L"camera", s.m_camera);
    f(L"clipping_plane", s.m_clippingPlane);
    f(L"annotation_ids", s.m_annotationIds);
    f(L"constructed_geometry", s.m_constructedGeometry);
    f(L"bodies", s.m_bodies);
}

void ExcPMICapture::addConstructedGeometry(const std::shared_ptr<ExcEntity>& v) {
    json::addOrRefuse(m_constructedGeometry, v, "ExcPMICapture: attempt to add null Constructed Geometry Entity object.");
}

void ExcPMICapture::addBody(const std::shared_ptr<ExcEntity>& v) {
    json::addOrRefuse(m_bodies, v, "ExcPMICapture: attempt to add null Body object.");
}

// ---- annotation set -----------------------------------------------------------------

TRX_FIELDS(ExcPMIAnnotationSet, IJsonObject) {
    f(L"block_id", s.m_blockId);
    f(L"name", s.m_name);
    f(L"hidden", s.m_hidden);
    f(L"standart", s.m_standart);
    f(L"annotation_views", s.m_views);
    f(L"captures", s.m_captures);
    f(L"constructed_geometry", s.m_constructedGeometry);
}

void ExcPMIAnnotationSet::addView(const std::shared_ptr<ExcPMIAnnotationView>& v) {
    json::addOrRefuse(m_views, v, "ExcPMIAnnotationSet: attempt to add null View object.");
}

void ExcPMIAnnotationSet::addCapture(const std::shared_ptr<ExcPMICapture>& v) {
    json::addOrRefuse(m_captures, v, "ExcPMIAnnotationSet: attempt to add null Capture object.");
}

void ExcPMIAnnotationSet::addConstructedGeometry(const std::shared_ptr<ExcEntity>& v) {
    json::addOrRefuse(m_constructedGeometry, v,
                      "ExcPMIAnnotationSet: attempt to add null Constructed Geometry Entity object.");
}

// ---- PMI data -----------------------------------------------------------------------

void ExcPMIData::addAnnotationSet(const std::shared_ptr<ExcPMIAnnotationSet>& v) {
    json::addOrRefuse(m_annotationSets, v, "ExcPMIData: attempt to add null PMI Annotation Set object.");
}

void ExcPMIData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isArrayOrLog(value, "ExcPMIData")) json::fromJson(value, m_annotationSets);
}

void ExcPMIData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value = json::toJson(m_annotationSets, allocator);
}

void ExcPMIData::writeBinary(detail::BinaryWriter& out) const { json::emit(out, m_annotationSets); }

void ExcPMIData::readBinary(detail::BinaryReader& in) { json::readArrayRecordBinary(*this, in, m_annotationSets); }

bool ExcPMIData::operator==(const ExcPMIData& o) const { return detail::same(m_annotationSets, o.m_annotationSets); }

}  // namespace trx
