#pragma once

// Modeller entities: ENTITY, ENTITY_LIST, method dispatch and the restore registry.

#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "acis_object.h"

class ATTRIB;
class ENTITY;
class pointer_map;  // deep-copy map of the real modeller; passed through, never used here

// Why entities are scanned or fixed up.
enum SCAN_TYPE { SCAN_UNSPECIFIED, SCAN_COPY, SCAN_DEEP_COPY };

// An ordered set of entity pointers; owns nothing. add() answers the entity's index.
class DECL_KERN ENTITY_LIST : public ACIS_OBJECT {
public:
    // Appends the entity unless it is null (answers -1) or already held (answers its index).
    int add(ENTITY* e);
    void add(const ENTITY_LIST& other);
    int lookup(const ENTITY* e) const;  // index, or -1
    int remove(const ENTITY* e);        // former index, or -1; later entries move up
    int count() const { return static_cast<int>(m_items.size()); }
    ENTITY* operator[](int i) const;    // null when out of range
    void clear();
    // The modeller's iteration: init(), then next() until it answers null.
    void init() const { m_cursor = 0; }
    ENTITY* next() const;
    std::vector<ENTITY*>::const_iterator begin() const { return m_items.begin(); }
    std::vector<ENTITY*>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<ENTITY*> m_items;
    std::unordered_map<const ENTITY*, int> m_index;
    mutable int m_cursor = 0;
};

// Names a method and the type of its argument record.
class DECL_KERN METHOD_ID {
public:
    METHOD_ID(const char* name, const char* arg_type) : m_name(name), m_arg_type(arg_type) {}
    const char* name() const { return m_name.c_str(); }
    const char* arg_type() const { return m_arg_type.c_str(); }
    bool operator==(const METHOD_ID& o) const;

private:
    std::string m_name;
    std::string m_arg_type;
};

// Argument record of a method; id() names its type, compared with METHOD_ID::arg_type().
class DECL_KERN METHOD_ARGS {
public:
    virtual ~METHOD_ARGS();
    virtual const char* id() const = 0;
};

typedef logical (*MethodFunction)(void* entity, const METHOD_ARGS& args);

// Methods of one class, added at run time.
class DECL_KERN METHOD_TABLE {
public:
    void add(const METHOD_ID& id, MethodFunction fn);  // replaces an entry of the same id
    MethodFunction find(const METHOD_ID& id) const;    // null when absent

private:
    std::vector<std::pair<METHOD_ID, MethodFunction>> m_entries;
};

// Restores one entity of a registered type from the file being restored.
typedef ENTITY* (*restore_function)();

class restore_def;

// The restore definitions one level below a type, found by type name. A constant-initialised
// intrusive list, so definitions in any library can register during static initialisation.
class DECL_KERN subtype_table {
public:
    constexpr subtype_table() = default;
    const restore_def* find(const char* name) const;  // the latest registration of the name

private:
    friend class restore_def;
    restore_def* m_first = nullptr;
};

// Types directly below ENTITY ("body", "attrib") and directly below ATTRIB.
DECL_KERN extern subtype_table ENTITY_subclasses;
DECL_KERN extern subtype_table ATTRIB_subclasses;

// Registers a type by name among its parent's subtypes and gives it a fresh type code,
// stored in type_code. `subclasses` is the table that the type's own subtypes register in.
// The definition is withdrawn when the object is destroyed (e.g. when a library unloads).
class DECL_KERN restore_def {
public:
    restore_def(subtype_table& parent, const char* name, int& type_code, restore_function fn,
                subtype_table* subclasses = nullptr);
    ~restore_def();
    restore_def(const restore_def&) = delete;
    restore_def& operator=(const restore_def&) = delete;

    const char* name() const { return m_name; }
    int type_code() const { return m_type_code; }
    restore_function restore() const { return m_restore; }
    const subtype_table* subclasses() const { return m_subclasses; }

private:
    friend class subtype_table;
    subtype_table& m_parent;
    const char* m_name;
    int m_type_code;
    restore_function m_restore;
    subtype_table* m_subclasses;
    restore_def* m_next = nullptr;
};

// Type codes, assigned when the built-in types register.
DECL_KERN extern int ENTITY_TYPE;
DECL_KERN extern int ATTRIB_TYPE;
DECL_KERN extern int BODY_TYPE;
// Identity levels: ENTITY is level 0, the types directly below it level 1.
constexpr int ENTITY_LEVEL = 0;
constexpr int ATTRIB_LEVEL = 1;
constexpr int BODY_LEVEL = 1;

// Base of all entities. An entity carries a chain of attributes, which it owns: lose()
// loses them with it. Entities are created with ACIS_NEW and destroyed only by lose().
//
// A subclass at level N, named "my_type" and registered with a restore_def, provides:
//   identity(level): level 0 or N gives its type code, a level above N gives -1, below N the
//     parent's identity (negative levels count upwards: -1 is the parent's type);
//   type_name(), size(), make_copy(), copy_data(), and save():
//     save_begin(); write_id_level("my_type", N); Parent::save_common(list); <own data>;
//     save_end();
//   a restore function: ACIS_NEW the type, Parent::restore_common(), read the own data;
//   copy_data(): ACIS_NEW the type, copy_common(list, this, pm, dpcpy_skip, reason), own data.
// save_common of a class writes its id and then calls its parent's save_common, so ids run
// from the most derived type down to level 1; restore_common reads data only (the restore
// driver has read the ids to pick the restore function).
class DECL_KERN ENTITY : public ACIS_OBJECT {
public:
    virtual int identity(int level = 0) const;
    virtual const char* type_name() const;
    virtual int size() const;
    virtual void debug_ent(FILE* fp) const;

    // Saving, through the file of the save in progress.
    virtual void save(ENTITY_LIST& list) const = 0;
    void save_common(ENTITY_LIST& list) const;  // adds the attributes to the save list
    void restore_common();

    // Copying (api_copy_entity): scan adds the entities that go with this one to the list,
    // copy_data makes the copy with references held as list indices, fix_common turns them
    // into pointers to the copies (or restored entities) in `array`.
    virtual void copy_scan(ENTITY_LIST& list, SCAN_TYPE reason = SCAN_COPY,
                           logical dpcpy_skip = 0) const;
    virtual logical is_deepcopyable() const;
    virtual ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm = nullptr, logical dpcpy_skip = 0,
                              SCAN_TYPE reason = SCAN_COPY) const = 0;
    void copy_common(ENTITY_LIST& list, const ENTITY* from, pointer_map* pm = nullptr,
                     logical dpcpy_skip = 0, SCAN_TYPE reason = SCAN_COPY);
    virtual void fix_common(ENTITY** array, SCAN_TYPE reason);
    // A detached snapshot of this entity's own data (no attributes).
    virtual ENTITY* make_copy() const = 0;
    void fixup_copy(ENTITY* copy) const;

    // Runs a method of this entity's class or of a base class; 0 when none matches.
    virtual logical call_method(const METHOD_ID& id, const METHOD_ARGS& args);
    static void add_method(const METHOD_ID& id, MethodFunction fn);

    // Loses the attributes, then the entity itself.
    virtual void lose();

    ATTRIB* attrib() const { return m_attrib; }
    void add_attrib(ATTRIB* a);     // appends a detached attribute to the chain
    void remove_attrib(ATTRIB* a);  // detaches an attribute of the chain

protected:
    ENTITY();
    ENTITY(const ENTITY& other);             // the attribute chain is not copied
    ENTITY& operator=(const ENTITY& other);  // keeps the attribute chain
    virtual ~ENTITY();
    // Prologue and epilogue of every save(): checks a save is in progress, ends the record.
    void save_begin() const;
    void save_end() const;

private:
    friend class ATTRIB;
    ATTRIB* m_attrib = nullptr;
    ATTRIB* m_last = nullptr;
};
