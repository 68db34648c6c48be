#pragma once

// A named solid given as a triangle soup.

#include <string>
#include <vector>

#include "entity.h"

class DECL_KERN SPAposition {
public:
    SPAposition() = default;
    SPAposition(double x, double y, double z) : m_c{x, y, z} {}
    double x() const { return m_c[0]; }
    double y() const { return m_c[1]; }
    double z() const { return m_c[2]; }
    bool operator==(const SPAposition& o) const;
    bool operator!=(const SPAposition& o) const { return !(*this == o); }

private:
    double m_c[3] = {0.0, 0.0, 0.0};
};

class DECL_KERN BODY : public ENTITY {
public:
    BODY() = default;
    explicit BODY(const std::string& name) : m_name(name) {}

    const std::string& name() const { return m_name; }
    void set_name(const std::string& name) { m_name = name; }
    // Three vertices per triangle.
    const std::vector<SPAposition>& vertices() const { return m_vertices; }
    int triangle_count() const { return static_cast<int>(m_vertices.size() / 3); }
    void add_triangle(const SPAposition& a, const SPAposition& b, const SPAposition& c);

    int identity(int level = 0) const override;
    const char* type_name() const override;
    int size() const override;
    void debug_ent(FILE* fp) const override;
    void save(ENTITY_LIST& list) const override;
    void save_common(ENTITY_LIST& list) const;
    void restore_common();
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm = nullptr, logical dpcpy_skip = 0,
                      SCAN_TYPE reason = SCAN_COPY) const override;
    void copy_common(ENTITY_LIST& list, const BODY* from, pointer_map* pm = nullptr,
                     logical dpcpy_skip = 0, SCAN_TYPE reason = SCAN_COPY);
    ENTITY* make_copy() const override;
    logical call_method(const METHOD_ID& id, const METHOD_ARGS& args) override;
    static void add_method(const METHOD_ID& id, MethodFunction fn);

protected:
    ~BODY() override;

private:
    std::string m_name;
    std::vector<SPAposition> m_vertices;
};

DECL_KERN logical is_BODY(const ENTITY* e);
