#include "attrib.h"

#include <cstring>

#include "detail/context.h"
#include "savres.h"

namespace {
METHOD_TABLE& attrib_methods() {
    static METHOD_TABLE table;
    return table;
}

// Number of values of each owner-action enumeration, in the order of the action slots.
constexpr long kActionValues[] = {
    SplitCustom + 1,       MergeCustom + 1,       TransCustom + 1,       CopyCustom + 1,
    GeomChangedCustom + 1, GeomChangedCustom + 1, GeomChangedCustom + 1, GeomChangedCustom + 1};
}  // namespace

ATTRIB::ATTRIB(ENTITY* owner) {
    if (owner) owner->add_attrib(this);
}

ATTRIB::ATTRIB(const ATTRIB& other) : ENTITY(other) {
    std::memcpy(m_actions, other.m_actions, sizeof m_actions);
}

ATTRIB& ATTRIB::operator=(const ATTRIB& other) {
    ENTITY::operator=(other);
    std::memcpy(m_actions, other.m_actions, sizeof m_actions);
    return *this;
}

ATTRIB::~ATTRIB() {
    unhook();
}

void ATTRIB::set_entity(ENTITY* owner) {
    if (owner)
        owner->add_attrib(this);
    else
        unhook();
}

void ATTRIB::unhook() {
    // A snapshot (make_copy) names an owner whose chain does not hold it.
    if (m_owner && (m_prev ? m_prev->m_next == this : m_owner->m_attrib == this)) {
        (m_prev ? m_prev->m_next : m_owner->m_attrib) = m_next;
        (m_next ? m_next->m_prev : m_owner->m_last) = m_prev;
    }
    m_owner = nullptr;
    m_prev = m_next = nullptr;
}

void ATTRIB::copy_owner(ENTITY*) {}

int ATTRIB::identity(int level) const {
    if (level == 0 || level == ATTRIB_LEVEL) return ATTRIB_TYPE;
    if (level > ATTRIB_LEVEL) return -1;
    return ENTITY::identity(level + 1);
}

const char* ATTRIB::type_name() const {
    return "attrib";
}

int ATTRIB::size() const {
    return sizeof(ATTRIB);
}

void ATTRIB::debug_ent(FILE* fp) const {
    if (!fp) return;
    ENTITY::debug_ent(fp);
    std::fprintf(fp, "  owner %p, actions", static_cast<const void*>(m_owner));
    for (int a : m_actions) std::fprintf(fp, " %d", a);
    std::fputc('\n', fp);
}

void ATTRIB::save(ENTITY_LIST& list) const {
    save_begin();
    save_common(list);
    save_end();
}

void ATTRIB::save_common(ENTITY_LIST& list) const {
    write_id_level("attrib", ATTRIB_LEVEL);
    ENTITY::save_common(list);
    write_ptr(m_owner, list);
    for (int a : m_actions) write_long(a);
}

void ATTRIB::restore_common() {
    ENTITY::restore_common();
    m_pending_owner = read_ptr();
    for (int i = 0; i < kActions; ++i) {
        long v = read_long();
        if (v < 0 || v >= kActionValues[i])
            sys_error(DATA_CORRUPT, "owner action " + std::to_string(v) + " of an attribute");
        m_actions[i] = static_cast<int>(v);
    }
}

void ATTRIB::copy_scan(ENTITY_LIST& list, SCAN_TYPE reason, logical dpcpy_skip) const {
    ENTITY::copy_scan(list, reason, dpcpy_skip);
}

logical ATTRIB::is_deepcopyable() const {
    return ENTITY::is_deepcopyable();
}

ENTITY* ATTRIB::copy_data(ENTITY_LIST& list, pointer_map* pm, logical dpcpy_skip,
                          SCAN_TYPE reason) const {
    ATTRIB* copy = ACIS_NEW ATTRIB;
    copy->copy_common(list, this, pm, dpcpy_skip, reason);
    return copy;
}

void ATTRIB::copy_common(ENTITY_LIST& list, const ATTRIB* from, pointer_map* pm,
                         logical dpcpy_skip, SCAN_TYPE reason) {
    ENTITY::copy_common(list, from, pm, dpcpy_skip, reason);
    std::memcpy(m_actions, from->m_actions, sizeof m_actions);
    m_pending_owner = list.lookup(from->m_owner);
}

void ATTRIB::fix_common(ENTITY** array, SCAN_TYPE reason) {
    ENTITY::fix_common(array, reason);
    long owner = m_pending_owner;
    m_pending_owner = -1;
    if (owner >= 0 && array[owner]) array[owner]->add_attrib(this);
}

ENTITY* ATTRIB::make_copy() const {
    ATTRIB* copy = ACIS_NEW ATTRIB;
    *copy = *this;
    fixup_copy(copy);
    return copy;
}

void ATTRIB::fixup_copy(ATTRIB* copy) const {
    ENTITY::fixup_copy(copy);
    copy->unhook();
    copy->m_owner = m_owner;
}

logical ATTRIB::call_method(const METHOD_ID& id, const METHOD_ARGS& args) {
    if (std::strcmp(id.arg_type(), args.id()) != 0) return 0;
    if (MethodFunction fn = attrib_methods().find(id)) return fn(this, args);
    return ENTITY::call_method(id, args);
}

void ATTRIB::add_method(const METHOD_ID& id, MethodFunction fn) {
    attrib_methods().add(id, fn);
}

void ATTRIB::lose() {
    unhook();
    ENTITY::lose();
}

logical is_ATTRIB(const ENTITY* e) {
    return e && e->identity(ATTRIB_LEVEL) == ATTRIB_TYPE;
}

namespace acis_detail {
ENTITY* ATTRIB_restore_data() {
    ATTRIB* a = ACIS_NEW ATTRIB;
    a->restore_common();
    return a;
}
}  // namespace acis_detail
