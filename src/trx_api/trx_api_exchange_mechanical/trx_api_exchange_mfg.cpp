#include "../trx_api_exchange_mfg.h"

#include "../trx_api_exchange_mechanical_common.h"
#include "../detail/enum_table.h"
#include "../detail/field_adapters.h"

namespace trx {

// ---- object and feature -------------------------------------------------------------

void ExcMfgObject::addLinkedElement(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_linkedElements, entity,
                      "ExcMfgObject: attempt to add null Linked Element object.");
}

TRX_FIELDS(ExcMfgObject, IJsonObject) {
    f(L"id", s.m_id);
    f(L"linked_elements", s.m_linkedElements, !s.m_linkedElements.empty());
}

TRX_FIELDS(ExcMfgFeature, ExcMfgObject) {
    f(L"name", s.m_name);
    // The kind decides the class; "none" and unreadable patterns leave no pattern.
    f(L"pattern", json::madeBy(s.m_pattern, &ExcMfgPattern::readPattern));
}

// ---- holes --------------------------------------------------------------------------

void ExcMfgFeatureHole::addLimitingGeometry(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_limitingGeometry, entity,
                      "ExcMfgFeatureHole: attempt to add null Limiting Geometry Entity object.");
}

void ExcMfgFeatureHole::addDefiningGeometry(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_definingGeometry, entity,
                      "ExcMfgFeatureHole: attempt to add null Defining Geometry Entity object.");
}

// Hole features carry the feature keys (id, links, name, pattern) like every other feature:
// holes are often patterned, and a peer that does not know the keys ignores them.
TRX_FIELDS(ExcMfgFeatureHole, ExcMfgFeature) {
    f(L"limiting", s.m_limitingGeometry);
    f(L"defining", s.m_definingGeometry);
}

template <class T>
void ExcMfgFeatureHoleType<T>::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcMfgFeatureHoleType")) return;
    ExcMfgFeatureHole::readObject(value);
    json::get(value, L"hole_data", m_holeData);
}

template <class T>
void ExcMfgFeatureHoleType<T>::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    ExcMfgFeatureHole::writeObject(value, allocator);
    json::put(value, allocator, L"hole_data", m_holeData);
}

template <class T>
bool ExcMfgFeatureHoleType<T>::operator==(const ExcMfgFeatureHoleType& o) const {
    return ExcMfgFeatureHole::operator==(o) && detail::same(m_holeData, o.m_holeData);
}

template class ExcMfgFeatureHoleType<ExcMfgSimpleHole>;
template class ExcMfgFeatureHoleType<ExcMfgTaperHole>;
template class ExcMfgFeatureHoleType<ExcMfgCounterBoreHole>;
template class ExcMfgFeatureHoleType<ExcMfgCounterSinkHole>;
template class ExcMfgFeatureHoleType<ExcMfgCounterDrillHole>;

// ---- threads ------------------------------------------------------------------------

void ExcMfgFeatureThread::addSideFace(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_sideFaces, entity,
                      "ExcMfgFeatureThread: attempt to add null Side Face Entity object.");
}

void ExcMfgFeatureThread::addTopFace(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_topFaces, entity,
                      "ExcMfgFeatureThread: attempt to add null Top Face Entity object.");
}

void ExcMfgFeatureThread::addBottomFace(const std::shared_ptr<ExcEntity>& entity) {
    json::addOrRefuse(m_bottomFaces, entity,
                      "ExcMfgFeatureThread: attempt to add null Bottom Face Entity object.");
}

TRX_FIELDS(ExcMfgFeatureThread, ExcMfgFeature) {
    f(L"thread_data", s.m_thread);  // only when set
    f(L"side_faces", s.m_sideFaces);
    f(L"top_faces", s.m_topFaces);
    f(L"bottom_faces", s.m_bottomFaces);
}

// ---- per-block container ------------------------------------------------------------

void ExcMfgData::addSimpleHole(const std::shared_ptr<ExcMfgFeatureSimpleHole>& v) {
    json::addOrRefuse(m_simpleHoles, v, "ExcMfgData: attempt to add null Simple Hole object.");
}
void ExcMfgData::addTaperHole(const std::shared_ptr<ExcMfgFeatureTaperHole>& v) {
    json::addOrRefuse(m_taperHoles, v, "ExcMfgData: attempt to add null Taper Hole object.");
}
void ExcMfgData::addCounterBoreHole(const std::shared_ptr<ExcMfgFeatureCounterBoreHole>& v) {
    json::addOrRefuse(m_counterBoreHoles, v,
                      "ExcMfgData: attempt to add null Counter Bore Hole object.");
}
void ExcMfgData::addCounterSinkHole(const std::shared_ptr<ExcMfgFeatureCounterSinkHole>& v) {
    json::addOrRefuse(m_counterSinkHoles, v,
                      "ExcMfgData: attempt to add null Counter Sink Hole object.");
}
void ExcMfgData::addCounterDrillHole(const std::shared_ptr<ExcMfgFeatureCounterDrillHole>& v) {
    json::addOrRefuse(m_counterDrillHoles, v,
                      "ExcMfgData: attempt to add null Counter Drill Hole object.");
}
void ExcMfgData::addInternalThread(const std::shared_ptr<ExcMfgFeatureInternalThread>& v) {
    json::addOrRefuse(m_internalThreads, v, "ExcMfgData: attempt to add null Internal Thread object.");
}
void ExcMfgData::addExternalThread(const std::shared_ptr<ExcMfgFeatureExternalThread>& v) {
    json::addOrRefuse(m_externalThreads, v, "ExcMfgData: attempt to add null External thread object.");
}
void ExcMfgData::addUnclassifiedFeature(const std::shared_ptr<ExcMfgFeatureUnclassified>& v) {
    json::addOrRefuse(m_unclassifiedFeatures, v,
                      "ExcMfgData: attempt to add null Unclassified Feature object.");
}

TRX_FIELDS(ExcMfgData, IJsonObject) {
    f(L"has_data", s.m_hasData);
    f(L"simple_holes", s.m_simpleHoles);
    f(L"taper_holes", s.m_taperHoles);
    f(L"counter_bore_holes", s.m_counterBoreHoles);
    f(L"counter_sink_holes", s.m_counterSinkHoles);
    f(L"counter_drill_holes", s.m_counterDrillHoles);
    f(L"internal_threads", s.m_internalThreads);
    f(L"external_threads", s.m_externalThreads);
    f(L"unclassified_features", s.m_unclassifiedFeatures);
}

}  // namespace trx
