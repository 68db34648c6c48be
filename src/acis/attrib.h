#pragma once

// Attributes: entities attached to an owner entity, with the actions the owner's changes
// apply to them.

#include "entity.h"

// What happens to an attribute when its owner is ...
// ... split,
enum split_action { SplitLose, SplitKeep, SplitCopy, SplitCustom };
// ... merged with another,
enum merge_action { MergeLose, MergeKeepKept, MergeKeepLost, MergeKeepOne, MergeCustom };
// ... transformed,
enum trans_action { TransLose, TransIgnore, TransApply, TransCustom };
// ... copied: only CopyCopy attributes go with the copy; CopyCustom calls copy_owner().
enum copy_action { CopyLose, CopyKeep, CopyCopy, CopyCustom };
// ... reversed, given new geometry, warped or changed by a local operation.
enum geometry_changed_action { GeomChangedLose, GeomChangedKeep, GeomChangedCustom };

class DECL_KERN ATTRIB : public ENTITY {
public:
    // Attaches to owner when one is given. All owner actions start as "lose".
    explicit ATTRIB(ENTITY* owner = nullptr);
    // Copy and assignment take the owner actions; the owner and the chain links stay.
    ATTRIB(const ATTRIB& other);
    ATTRIB& operator=(const ATTRIB& other);

    ENTITY* entity() const { return m_owner; }
    ENTITY* owner() const { return m_owner; }
    ATTRIB* next() const { return m_next; }
    ATTRIB* previous() const { return m_prev; }
    // Moves the attribute to another owner's chain (null: detaches it).
    void set_entity(ENTITY* owner);

    split_action split_owner_action() const { return split_action(m_actions[kSplit]); }
    merge_action merge_owner_action() const { return merge_action(m_actions[kMerge]); }
    trans_action trans_owner_action() const { return trans_action(m_actions[kTrans]); }
    copy_action copy_owner_action() const { return copy_action(m_actions[kCopy]); }
    geometry_changed_action reverse_owner_action() const { return geometry(kReverse); }
    geometry_changed_action rep_owner_geom_action() const { return geometry(kRepGeom); }
    geometry_changed_action warp_owner_action() const { return geometry(kWarp); }
    geometry_changed_action lop_change_owner_action() const { return geometry(kLopChange); }
    void set_split_owner_action(split_action a) { m_actions[kSplit] = a; }
    void set_merge_owner_action(merge_action a) { m_actions[kMerge] = a; }
    void set_trans_owner_action(trans_action a) { m_actions[kTrans] = a; }
    void set_copy_owner_action(copy_action a) { m_actions[kCopy] = a; }
    void set_reverse_owner_action(geometry_changed_action a) { m_actions[kReverse] = a; }
    void set_rep_owner_geom_action(geometry_changed_action a) { m_actions[kRepGeom] = a; }
    void set_warp_owner_action(geometry_changed_action a) { m_actions[kWarp] = a; }
    void set_lop_change_owner_action(geometry_changed_action a) { m_actions[kLopChange] = a; }

    // Called on each CopyCustom attribute of a copied entity, with the copy.
    virtual void copy_owner(ENTITY* copy);

    int identity(int level = 0) const override;
    const char* type_name() const override;
    int size() const override;
    void debug_ent(FILE* fp) const override;
    void save(ENTITY_LIST& list) const override;
    // Writes the "attrib" id, the entity part, the owner reference and the owner actions.
    void save_common(ENTITY_LIST& list) const;
    void restore_common();
    void copy_scan(ENTITY_LIST& list, SCAN_TYPE reason = SCAN_COPY,
                   logical dpcpy_skip = 0) const override;
    logical is_deepcopyable() const override;
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm = nullptr, logical dpcpy_skip = 0,
                      SCAN_TYPE reason = SCAN_COPY) const override;
    // Takes the owner actions and notes the owner's index in the list (the owner of the copy
    // is found by fix_common).
    void copy_common(ENTITY_LIST& list, const ATTRIB* from, pointer_map* pm = nullptr,
                     logical dpcpy_skip = 0, SCAN_TYPE reason = SCAN_COPY);
    // Attaches the attribute to the owner noted by copy_common or restore_common.
    void fix_common(ENTITY** array, SCAN_TYPE reason) override;
    ENTITY* make_copy() const override;
    // Completes a snapshot made by make_copy: it refers to the same owner but is not in the
    // owner's chain, so losing it leaves the owner alone.
    void fixup_copy(ATTRIB* copy) const;
    logical call_method(const METHOD_ID& id, const METHOD_ARGS& args) override;
    static void add_method(const METHOD_ID& id, MethodFunction fn);
    void lose() override;

    // The owner index noted by copy_common or restore_common; -1 for none. For the restore
    // driver's checks.
    long pending_owner() const { return m_pending_owner; }

protected:
    ~ATTRIB() override;

private:
    friend class ENTITY;
    enum { kSplit, kMerge, kTrans, kCopy, kReverse, kRepGeom, kWarp, kLopChange, kActions };
    geometry_changed_action geometry(int i) const { return geometry_changed_action(m_actions[i]); }
    void unhook();

    ENTITY* m_owner = nullptr;
    ATTRIB* m_next = nullptr;
    ATTRIB* m_prev = nullptr;
    long m_pending_owner = -1;
    int m_actions[kActions] = {};
};

DECL_KERN logical is_ATTRIB(const ENTITY* e);
