#pragma once

// Internal: the per-thread state of the save, restore or copy in progress.

#include <unordered_set>

#include "../entity.h"
#include "../savres.h"

namespace acis_detail {

struct file_state {
    FileInterface* file = nullptr;
    ENTITY_LIST* save_list = nullptr;  // while saving
    long records = -1;                 // while restoring: records in the data
};

// The state of this thread.
file_state& current();
// The file of the save or restore in progress; raises NO_SAVE_IN_PROGRESS without one.
FileInterface& current_file();

// Makes a file current for the scope's lifetime.
class file_scope {
public:
    explicit file_scope(FileInterface* file, ENTITY_LIST* save_list = nullptr);
    ~file_scope();
    file_scope(const file_scope&) = delete;
    file_scope& operator=(const file_scope&) = delete;

private:
    file_state m_saved;
};

// Called by ENTITY's constructors and destructor.
void entity_created(ENTITY* e);
void entity_destroyed(ENTITY* e);

// Notes every entity created on this thread while it lives. Unless committed, the scope
// loses them when it ends, so a failed restore or copy leaves nothing behind, whatever
// the restore or copy functions of the entity classes had made.
class creation_scope {
public:
    creation_scope();
    ~creation_scope();
    creation_scope(const creation_scope&) = delete;
    creation_scope& operator=(const creation_scope&) = delete;
    void commit() { m_committed = true; }

private:
    friend void entity_created(ENTITY* e);
    friend void entity_destroyed(ENTITY* e);
    std::unordered_set<ENTITY*> m_created;
    creation_scope* m_outer;
    bool m_committed = false;
};


}  // namespace acis_detail

namespace acis_detail {
// Restore functions of the built-in types.
ENTITY* ATTRIB_restore_data();
ENTITY* BODY_restore_data();
}  // namespace acis_detail

namespace acis_detail {
// The file information of this thread: stamped into saves, replaced by restores.
const FileInfo& installed_file_info();
void install_file_info(FileInfo&& info) noexcept;
}  // namespace acis_detail
