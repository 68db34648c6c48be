#include "entity.h"

#include <atomic>
#include <cstring>
#include <new>

#include "attrib.h"
#include "detail/context.h"

// ---- allocation

namespace {
std::atomic<std::size_t> g_live_objects{0};
}

void* ACIS_OBJECT::operator new(std::size_t size) {
    void* p = ::operator new(size);
    ++g_live_objects;
    return p;
}

void* ACIS_OBJECT::operator new(std::size_t size, const char*, int) {
    return operator new(size);
}

void ACIS_OBJECT::operator delete(void* p) noexcept {
    if (!p) return;
    --g_live_objects;
    ::operator delete(p);
}

void ACIS_OBJECT::operator delete(void* p, const char*, int) noexcept {
    operator delete(p);
}

std::size_t acis_live_objects() {
    return g_live_objects.load();
}

// ---- ENTITY_LIST

int ENTITY_LIST::add(ENTITY* e) {
    if (!e) return -1;
    auto found = m_index.emplace(e, count());
    if (found.second) m_items.push_back(e);
    return found.first->second;
}

void ENTITY_LIST::add(const ENTITY_LIST& other) {
    for (ENTITY* e : other.m_items) add(e);
}

int ENTITY_LIST::lookup(const ENTITY* e) const {
    auto found = m_index.find(e);
    return found == m_index.end() ? -1 : found->second;
}

int ENTITY_LIST::remove(const ENTITY* e) {
    int i = lookup(e);
    if (i < 0) return -1;
    m_index.erase(e);
    m_items.erase(m_items.begin() + i);
    for (int j = i; j < count(); ++j) m_index[m_items[j]] = j;
    if (m_cursor > i) --m_cursor;
    return i;
}

ENTITY* ENTITY_LIST::operator[](int i) const {
    return i >= 0 && i < count() ? m_items[i] : nullptr;
}

void ENTITY_LIST::clear() {
    m_items.clear();
    m_index.clear();
    m_cursor = 0;
}

ENTITY* ENTITY_LIST::next() const {
    return m_cursor < count() ? m_items[m_cursor++] : nullptr;
}

// ---- methods

bool METHOD_ID::operator==(const METHOD_ID& o) const {
    return m_name == o.m_name && m_arg_type == o.m_arg_type;
}

METHOD_ARGS::~METHOD_ARGS() = default;

void METHOD_TABLE::add(const METHOD_ID& id, MethodFunction fn) {
    for (auto& entry : m_entries) {
        if (entry.first == id) {
            entry.second = fn;
            return;
        }
    }
    m_entries.emplace_back(id, fn);
}

MethodFunction METHOD_TABLE::find(const METHOD_ID& id) const {
    for (const auto& entry : m_entries)
        if (entry.first == id) return entry.second;
    return nullptr;
}

// ---- restore registry

namespace {
// ENTITY itself is never restored; its code is fixed, the registered types count on from it.
std::atomic<int> g_next_type_code{2};
}

int ENTITY_TYPE = 1;
subtype_table ENTITY_subclasses;
subtype_table ATTRIB_subclasses;

const restore_def* subtype_table::find(const char* name) const {
    for (const restore_def* d = m_first; d; d = d->m_next)
        if (std::strcmp(d->m_name, name) == 0) return d;
    return nullptr;
}

restore_def::restore_def(subtype_table& parent, const char* name, int& type_code,
                         restore_function fn, subtype_table* subclasses)
    : m_parent(parent), m_name(name), m_type_code(g_next_type_code++), m_restore(fn),
      m_subclasses(subclasses), m_next(parent.m_first) {
    type_code = m_type_code;
    parent.m_first = this;
}

restore_def::~restore_def() {
    for (restore_def** link = &m_parent.m_first; *link; link = &(*link)->m_next) {
        if (*link == this) {
            *link = m_next;
            return;
        }
    }
}

// ---- ENTITY

namespace {
METHOD_TABLE& entity_methods() {
    static METHOD_TABLE table;
    return table;
}
}  // namespace

ENTITY::ENTITY() {
    acis_detail::entity_created(this);
}

ENTITY::ENTITY(const ENTITY&) : ACIS_OBJECT() {
    acis_detail::entity_created(this);
}

ENTITY& ENTITY::operator=(const ENTITY&) {
    return *this;
}

ENTITY::~ENTITY() {
    acis_detail::entity_destroyed(this);
    // Only lose() should get here, with the chain already gone; never leave owners dangling.
    while (m_attrib) m_attrib->unhook();
}

int ENTITY::identity(int level) const {
    return level == 0 ? ENTITY_TYPE : -1;
}

const char* ENTITY::type_name() const {
    return "entity";
}

int ENTITY::size() const {
    return sizeof(ENTITY);
}

void ENTITY::debug_ent(FILE* fp) const {
    if (!fp) return;
    std::fprintf(fp, "%s %p\n", type_name(), static_cast<const void*>(this));
    for (const ATTRIB* a = m_attrib; a; a = a->next())
        std::fprintf(fp, "  attribute %s %p\n", a->type_name(), static_cast<const void*>(a));
}

void ENTITY::save_common(ENTITY_LIST& list) const {
    for (ATTRIB* a = m_attrib; a; a = a->next()) list.add(a);
}

void ENTITY::restore_common() {}

void ENTITY::copy_scan(ENTITY_LIST& list, SCAN_TYPE reason, logical) const {
    if (reason != SCAN_COPY && reason != SCAN_DEEP_COPY) return;
    for (ATTRIB* a = m_attrib; a; a = a->next())
        if (a->copy_owner_action() == CopyCopy) list.add(a);
}

logical ENTITY::is_deepcopyable() const {
    return 1;
}

void ENTITY::copy_common(ENTITY_LIST&, const ENTITY*, pointer_map*, logical, SCAN_TYPE) {}

void ENTITY::fix_common(ENTITY**, SCAN_TYPE) {}

void ENTITY::fixup_copy(ENTITY*) const {}

logical ENTITY::call_method(const METHOD_ID& id, const METHOD_ARGS& args) {
    if (std::strcmp(id.arg_type(), args.id()) != 0) return 0;
    MethodFunction fn = entity_methods().find(id);
    return fn ? fn(this, args) : 0;
}

void ENTITY::add_method(const METHOD_ID& id, MethodFunction fn) {
    entity_methods().add(id, fn);
}

void ENTITY::lose() {
    while (ATTRIB* a = m_attrib) {
        a->unhook();  // first, so that a lose() of any kind cannot keep it in the chain
        a->lose();
    }
    delete this;
}

void ENTITY::add_attrib(ATTRIB* a) {
    if (!a || a == m_last) return;
    a->unhook();
    a->m_owner = this;
    a->m_prev = m_last;
    if (m_last)
        m_last->m_next = a;
    else
        m_attrib = a;
    m_last = a;
}

void ENTITY::remove_attrib(ATTRIB* a) {
    if (a && a->m_owner == this) a->unhook();
}

void ENTITY::save_begin() const {
    if (!acis_detail::current().save_list) sys_error(NO_SAVE_IN_PROGRESS, type_name());
}

void ENTITY::save_end() const {
    acis_detail::current_file().write_terminator();
}

// ---- creation scopes

namespace acis_detail {

namespace {
thread_local creation_scope* t_scope = nullptr;
}

void entity_created(ENTITY* e) {
    if (t_scope) t_scope->m_created.insert(e);
}

void entity_destroyed(ENTITY* e) {
    if (t_scope) t_scope->m_created.erase(e);
}

creation_scope::creation_scope() : m_outer(t_scope) {
    t_scope = this;
}

creation_scope::~creation_scope() {
    t_scope = m_outer;
    if (m_committed) {
        if (m_outer) m_outer->m_created.insert(m_created.begin(), m_created.end());
        return;
    }
    // Untie everything first: an entity must not take an attribute with it that is lost
    // on its own too, nor one that existed before the scope.
    t_scope = nullptr;
    for (ENTITY* e : m_created) {
        if (is_ATTRIB(e)) {
            ATTRIB* a = static_cast<ATTRIB*>(e);
            if (a->entity()) a->entity()->remove_attrib(a);
        }
        while (ATTRIB* a = e->attrib()) e->remove_attrib(a);
    }
    for (ENTITY* e : m_created) e->lose();
    t_scope = m_outer;
}

}  // namespace acis_detail
