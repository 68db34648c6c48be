#include "trx_api_acis_attrib_id.h"

#include <cstring>

#include "../acis/savres.h"

namespace {
constexpr const char* kBridgeName = "Veltrix_Bridge_Attribute";
constexpr const char* kBridgeIdName = "Veltrix_Bridge_ID_Attribute";
}  // namespace

int ATTRIB_BRIDGE_TYPE = -1;
int ATTRIB_BRIDGE_ID_TYPE = -1;

namespace {

ENTITY* ATTRIB_BRIDGE_restore() {
    ATTRIB_BRIDGE* a = ACIS_NEW ATTRIB_BRIDGE;
    a->restore_common();
    return a;
}

ENTITY* ATTRIB_BRIDGE_ID_restore() {
    ATTRIB_BRIDGE_ID* a = ACIS_NEW ATTRIB_BRIDGE_ID;
    a->restore_common();
    return a;
}

// Constant-initialised, so the definitions below can register in it in any order.
subtype_table ATTRIB_BRIDGE_subclasses;
// Registered while the library loads, withdrawn when it unloads.
restore_def g_bridgeDef(ATTRIB_subclasses, kBridgeName, ATTRIB_BRIDGE_TYPE, ATTRIB_BRIDGE_restore,
                        &ATTRIB_BRIDGE_subclasses);
restore_def g_bridgeIdDef(ATTRIB_BRIDGE_subclasses, kBridgeIdName, ATTRIB_BRIDGE_ID_TYPE,
                          ATTRIB_BRIDGE_ID_restore);

METHOD_TABLE& bridgeMethods() {
    static METHOD_TABLE table;
    return table;
}

METHOD_TABLE& bridgeIdMethods() {
    static METHOD_TABLE table;
    return table;
}

}  // namespace

// ---- ATTRIB_BRIDGE ------------------------------------------------------------------

ATTRIB_BRIDGE::~ATTRIB_BRIDGE() = default;

int ATTRIB_BRIDGE::identity(int level) const {
    if (level == 0 || level == ATTRIB_BRIDGE_LEVEL) return ATTRIB_BRIDGE_TYPE;
    if (level > ATTRIB_BRIDGE_LEVEL) return -1;
    // Level 1 is ATTRIB's own; negative levels count upwards from here.
    return ATTRIB::identity(level > 0 ? level : level + 1);
}

const char* ATTRIB_BRIDGE::type_name() const {
    return kBridgeName;
}

int ATTRIB_BRIDGE::size() const {
    return sizeof(ATTRIB_BRIDGE);
}

void ATTRIB_BRIDGE::save(ENTITY_LIST& list) const {
    save_begin();
    save_common(list);
    save_end();
}

void ATTRIB_BRIDGE::save_common(ENTITY_LIST& list) const {
    write_id_level(kBridgeName, ATTRIB_BRIDGE_LEVEL);
    ATTRIB::save_common(list);
}

ENTITY* ATTRIB_BRIDGE::copy_data(ENTITY_LIST& list, pointer_map* pm, logical dpcpy_skip,
                                 SCAN_TYPE reason) const {
    ATTRIB_BRIDGE* copy = ACIS_NEW ATTRIB_BRIDGE;
    copy->copy_common(list, this, pm, dpcpy_skip, reason);
    return copy;
}

ENTITY* ATTRIB_BRIDGE::make_copy() const {
    ATTRIB_BRIDGE* copy = ACIS_NEW ATTRIB_BRIDGE;
    copy->ATTRIB::operator=(*this);
    fixup_copy(copy);
    return copy;
}

logical ATTRIB_BRIDGE::call_method(const METHOD_ID& id, const METHOD_ARGS& args) {
    if (std::strcmp(id.arg_type(), args.id()) != 0) return 0;
    if (MethodFunction fn = bridgeMethods().find(id)) return fn(this, args);
    return ATTRIB::call_method(id, args);
}

void ATTRIB_BRIDGE::add_method(const METHOD_ID& id, MethodFunction fn) {
    bridgeMethods().add(id, fn);
}

// ---- ATTRIB_BRIDGE_ID ---------------------------------------------------------------

ATTRIB_BRIDGE_ID::ATTRIB_BRIDGE_ID(ENTITY* owner, long id) : ATTRIB_BRIDGE(owner), m_id(id) {
    set_copy_owner_action(CopyCopy);
    set_split_owner_action(SplitKeep);
    set_merge_owner_action(MergeKeepKept);
    set_trans_owner_action(TransApply);
    set_reverse_owner_action(GeomChangedKeep);
    set_rep_owner_geom_action(GeomChangedKeep);
    set_warp_owner_action(GeomChangedKeep);
    set_lop_change_owner_action(GeomChangedKeep);
}

ATTRIB_BRIDGE_ID::~ATTRIB_BRIDGE_ID() = default;

int ATTRIB_BRIDGE_ID::identity(int level) const {
    if (level == 0 || level == ATTRIB_BRIDGE_ID_LEVEL) return ATTRIB_BRIDGE_ID_TYPE;
    if (level == ATTRIB_BRIDGE_LEVEL || level == -1) return ATTRIB_BRIDGE_TYPE;
    if (level > ATTRIB_BRIDGE_ID_LEVEL) return -1;
    // Level 1 is ATTRIB's own; -2 and below count upwards past the base.
    return ATTRIB::identity(level > 0 ? level : level + 2);
}

const char* ATTRIB_BRIDGE_ID::type_name() const {
    return kBridgeIdName;
}

int ATTRIB_BRIDGE_ID::size() const {
    return sizeof(ATTRIB_BRIDGE_ID);
}

void ATTRIB_BRIDGE_ID::save(ENTITY_LIST& list) const {
    save_begin();
    save_common(list);
    save_end();
}

void ATTRIB_BRIDGE_ID::save_common(ENTITY_LIST& list) const {
    write_id_level(kBridgeIdName, ATTRIB_BRIDGE_ID_LEVEL);
    write_id_level(kBridgeName, ATTRIB_BRIDGE_LEVEL);
    ATTRIB::save_common(list);
    write_long(m_id);
}

void ATTRIB_BRIDGE_ID::restore_common() {
    ATTRIB::restore_common();
    m_id = read_long();
}

ENTITY* ATTRIB_BRIDGE_ID::copy_data(ENTITY_LIST& list, pointer_map* pm, logical dpcpy_skip,
                                    SCAN_TYPE reason) const {
    ATTRIB_BRIDGE_ID* copy = ACIS_NEW ATTRIB_BRIDGE_ID;
    copy->copy_common(list, this, pm, dpcpy_skip, reason);
    return copy;
}

void ATTRIB_BRIDGE_ID::copy_common(ENTITY_LIST& list, const ATTRIB_BRIDGE_ID* from,
                                   pointer_map* pm, logical dpcpy_skip, SCAN_TYPE reason) {
    ATTRIB::copy_common(list, from, pm, dpcpy_skip, reason);
    m_id = from->m_id;
}

ENTITY* ATTRIB_BRIDGE_ID::make_copy() const {
    ATTRIB_BRIDGE_ID* copy = ACIS_NEW ATTRIB_BRIDGE_ID;
    copy->ATTRIB::operator=(*this);
    copy->m_id = m_id;
    fixup_copy(copy);
    return copy;
}

logical ATTRIB_BRIDGE_ID::call_method(const METHOD_ID& id, const METHOD_ARGS& args) {
    if (std::strcmp(id.arg_type(), args.id()) != 0) return 0;
    if (MethodFunction fn = bridgeIdMethods().find(id)) return fn(this, args);
    return ATTRIB_BRIDGE::call_method(id, args);
}

void ATTRIB_BRIDGE_ID::add_method(const METHOD_ID& id, MethodFunction fn) {
    bridgeIdMethods().add(id, fn);
}

// ---- type tests ---------------------------------------------------------------------

logical is_ATTRIB_BRIDGE(const ENTITY* e) {
    return e && e->identity(ATTRIB_BRIDGE_LEVEL) == ATTRIB_BRIDGE_TYPE;
}

logical is_ATTRIB_BRIDGE_ID(const ENTITY* e) {
    return e && e->identity(ATTRIB_BRIDGE_ID_LEVEL) == ATTRIB_BRIDGE_ID_TYPE;
}
