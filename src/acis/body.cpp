#include "body.h"

#include <algorithm>
#include <cstring>

#include "detail/context.h"
#include "errors.h"
#include "savres.h"

namespace {
METHOD_TABLE& body_methods() {
    static METHOD_TABLE table;
    return table;
}
}  // namespace

bool SPAposition::operator==(const SPAposition& o) const {
    return m_c[0] == o.m_c[0] && m_c[1] == o.m_c[1] && m_c[2] == o.m_c[2];
}

BODY::~BODY() = default;

void BODY::add_triangle(const SPAposition& a, const SPAposition& b, const SPAposition& c) {
    m_vertices.insert(m_vertices.end(), {a, b, c});
}

int BODY::identity(int level) const {
    if (level == 0 || level == BODY_LEVEL) return BODY_TYPE;
    if (level > BODY_LEVEL) return -1;
    return ENTITY::identity(level + 1);
}

const char* BODY::type_name() const {
    return "body";
}

int BODY::size() const {
    return sizeof(BODY);
}

void BODY::debug_ent(FILE* fp) const {
    if (!fp) return;
    ENTITY::debug_ent(fp);
    std::fprintf(fp, "  name \"%s\", %d triangles\n", m_name.c_str(), triangle_count());
}

void BODY::save(ENTITY_LIST& list) const {
    save_begin();
    save_common(list);
    save_end();
}

void BODY::save_common(ENTITY_LIST& list) const {
    write_id_level("body", BODY_LEVEL);
    ENTITY::save_common(list);
    write_string(m_name);
    write_long(static_cast<long>(m_vertices.size()));
    for (const SPAposition& p : m_vertices) {
        write_double(p.x());
        write_double(p.y());
        write_double(p.z());
    }
}

void BODY::restore_common() {
    ENTITY::restore_common();
    m_name = read_string();
    long n = read_long();
    if (n < 0 || n % 3 != 0)
        sys_error(DATA_CORRUPT, "vertex count " + std::to_string(n) + " of a body");
    m_vertices.clear();
    // The count is a claim: the vector grows with the data actually read.
    m_vertices.reserve(static_cast<std::size_t>(std::min(n, 3L * 1024)));
    for (long i = 0; i < n; ++i) {
        double x = read_double();
        double y = read_double();
        double z = read_double();
        m_vertices.emplace_back(x, y, z);
    }
}

ENTITY* BODY::copy_data(ENTITY_LIST& list, pointer_map* pm, logical dpcpy_skip,
                        SCAN_TYPE reason) const {
    BODY* copy = ACIS_NEW BODY;
    copy->copy_common(list, this, pm, dpcpy_skip, reason);
    return copy;
}

void BODY::copy_common(ENTITY_LIST& list, const BODY* from, pointer_map* pm, logical dpcpy_skip,
                       SCAN_TYPE reason) {
    ENTITY::copy_common(list, from, pm, dpcpy_skip, reason);
    m_name = from->m_name;
    m_vertices = from->m_vertices;
}

ENTITY* BODY::make_copy() const {
    BODY* copy = ACIS_NEW BODY(m_name);
    copy->m_vertices = m_vertices;
    fixup_copy(copy);
    return copy;
}

logical BODY::call_method(const METHOD_ID& id, const METHOD_ARGS& args) {
    if (std::strcmp(id.arg_type(), args.id()) != 0) return 0;
    if (MethodFunction fn = body_methods().find(id)) return fn(this, args);
    return ENTITY::call_method(id, args);
}

void BODY::add_method(const METHOD_ID& id, MethodFunction fn) {
    body_methods().add(id, fn);
}

logical is_BODY(const ENTITY* e) {
    return e && e->identity(BODY_LEVEL) == BODY_TYPE;
}

namespace acis_detail {
ENTITY* BODY_restore_data() {
    BODY* b = ACIS_NEW BODY;
    b->restore_common();
    return b;
}
}  // namespace acis_detail
