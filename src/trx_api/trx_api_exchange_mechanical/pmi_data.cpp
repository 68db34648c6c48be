#include "../trx_api_exchange_pmi.h"

#include "pmi_fields.h"

namespace trx {

// ---- annotation view ----------------------------------------------------------------

template <class Self, class F>
void ExcPMIAnnotationView::lists(Self& s, F&& f) {
    f(L"notes", s.m_notes);
    f(L"datum", s.m_datums);
    f(L"datum_targets", s.m_datumTargets);
    f(L"GDTs", s.m_gdts);
    f(L"dimensions", s.m_dimensions);
    f(L"roughness", s.m_roughness);
}

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

void ExcPMIAnnotationView::readObject(const JsonValue& value) {
    TRX_TRACE();
    ExcPMIObject::readObject(value);
    if (!json::isObjectOrLog(value, "ExcPMIAnnotationView")) return;
    json::get(value, L"origin", m_origin);
    json::get(value, L"u", m_vectorU);
    json::get(value, L"v", m_vectorV);
    // Read annotations are indexed like added ones, but a duplicate id is not reported.
    lists(*this, [&](const wchar_t* key, auto& list) {
        const JsonValue* items = json::member(value, key);
        if (items == nullptr || !items->IsArray()) return;
        list.reserve(list.size() + items->Size());
        for (const auto& item : items->GetArray()) {
            auto annotation = std::make_shared<typename std::decay_t<decltype(list)>::value_type::element_type>();
            annotation->readObject(item);
            m_index.emplace(annotation->id(), annotation);
            list.push_back(std::move(annotation));
        }
    });
}

void ExcPMIAnnotationView::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcPMIObject::writeObject(value, allocator);
    json::put(value, allocator, L"origin", m_origin);
    json::put(value, allocator, L"u", m_vectorU);
    json::put(value, allocator, L"v", m_vectorV);
    lists(*this, json::Writer{value, allocator});
}

bool ExcPMIAnnotationView::operator==(const ExcPMIAnnotationView& o) const {
    return ExcPMIObject::operator==(o) && m_origin == o.m_origin && m_vectorU == o.m_vectorU &&
           m_vectorV == o.m_vectorV && detail::deepEqual(m_notes, o.m_notes) &&
           detail::deepEqual(m_datums, o.m_datums) && detail::deepEqual(m_datumTargets, o.m_datumTargets) &&
           detail::deepEqual(m_gdts, o.m_gdts) && detail::deepEqual(m_dimensions, o.m_dimensions) &&
           detail::deepEqual(m_roughness, o.m_roughness);
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

}  // namespace trx
