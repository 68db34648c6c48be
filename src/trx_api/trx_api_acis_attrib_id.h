#pragma once

// Modeller attributes that mark translated entities (bodies, faces, edges) so that both
// processes can find them again after saving, restoring and copying the model.
//
// ATTRIB_BRIDGE (level 2, below ATTRIB) carries nothing and groups the library's attributes;
// ATTRIB_BRIDGE_ID (level 3) carries a whole-number id chosen by the caller. Their restore
// definitions register while the library loads, so saved data holding them restores by type
// name alone.

#include "../acis/attrib.h"
#include "trx_api_export.h"

// Type codes, assigned when the restore definitions register (-1 before that).
TRX_API extern int ATTRIB_BRIDGE_TYPE;
TRX_API extern int ATTRIB_BRIDGE_ID_TYPE;
constexpr int ATTRIB_BRIDGE_LEVEL = ATTRIB_LEVEL + 1;
constexpr int ATTRIB_BRIDGE_ID_LEVEL = ATTRIB_BRIDGE_LEVEL + 1;

class TRX_API ATTRIB_BRIDGE : public ATTRIB {
public:
    explicit ATTRIB_BRIDGE(ENTITY* owner = nullptr) : ATTRIB(owner) {}
    ATTRIB_BRIDGE(const ATTRIB_BRIDGE& other) = default;
    ATTRIB_BRIDGE& operator=(const ATTRIB_BRIDGE& other) = default;

    static int staticType() { return ATTRIB_BRIDGE_TYPE; }

    int identity(int level = 0) const override;
    const char* type_name() const override;
    int size() const override;
    void save(ENTITY_LIST& list) const override;
    void save_common(ENTITY_LIST& list) const;
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm = nullptr, logical dpcpy_skip = 0,
                      SCAN_TYPE reason = SCAN_COPY) const override;
    logical call_method(const METHOD_ID& id, const METHOD_ARGS& args) override;
    static void add_method(const METHOD_ID& id, MethodFunction fn);

protected:
    ~ATTRIB_BRIDGE() override;

private:
    ENTITY* make_copy() const override;
};

class TRX_API ATTRIB_BRIDGE_ID : public ATTRIB_BRIDGE {
public:
    // No id, and the modeller's default owner actions (the attribute stays behind on copy).
    ATTRIB_BRIDGE_ID() = default;
    explicit ATTRIB_BRIDGE_ID(ENTITY* owner) : ATTRIB_BRIDGE(owner) {}
    // With an id: the attribute follows its owner through copy, split, merge, transformation
    // and geometry changes.
    ATTRIB_BRIDGE_ID(ENTITY* owner, long id);
    ATTRIB_BRIDGE_ID(const ATTRIB_BRIDGE_ID& other) = default;
    ATTRIB_BRIDGE_ID& operator=(const ATTRIB_BRIDGE_ID& other) = default;

    long id() const { return m_id; }
    static int staticType() { return ATTRIB_BRIDGE_ID_TYPE; }

    int identity(int level = 0) const override;
    const char* type_name() const override;
    int size() const override;
    void save(ENTITY_LIST& list) const override;
    void save_common(ENTITY_LIST& list) const;
    void restore_common();
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm = nullptr, logical dpcpy_skip = 0,
                      SCAN_TYPE reason = SCAN_COPY) const override;
    void copy_common(ENTITY_LIST& list, const ATTRIB_BRIDGE_ID* from, pointer_map* pm = nullptr,
                     logical dpcpy_skip = 0, SCAN_TYPE reason = SCAN_COPY);
    logical call_method(const METHOD_ID& id, const METHOD_ARGS& args) override;
    static void add_method(const METHOD_ID& id, MethodFunction fn);

protected:
    ~ATTRIB_BRIDGE_ID() override;

private:
    ENTITY* make_copy() const override;

    long m_id = 0;
};

// False for null; otherwise whether the entity is (or derives from) the class.
TRX_API logical is_ATTRIB_BRIDGE(const ENTITY* e);
TRX_API logical is_ATTRIB_BRIDGE_ID(const ENTITY* e);
