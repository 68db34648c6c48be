#include "api.h"

#include <unordered_set>
#include <vector>

#include "attrib.h"
#include "body.h"
#include "detail/context.h"
#include "savres.h"

// The built-in types register here, beside the restore driver, so that any program that can
// restore also links their restore functions.
int ATTRIB_TYPE = -1;
int BODY_TYPE = -1;

namespace {
restore_def g_body_def(ENTITY_subclasses, "body", BODY_TYPE, acis_detail::BODY_restore_data);
restore_def g_attrib_def(ENTITY_subclasses, "attrib", ATTRIB_TYPE,
                         acis_detail::ATTRIB_restore_data, &ATTRIB_subclasses);

// Ends the entity records; a record's first type name has a level of 1 or more.
constexpr const char* kEndName = "end_of_entities";
constexpr int kMaxLevel = 64;

std::string at_byte(FileInterface& file) {
    return " at byte " + std::to_string(file.set_mark());
}

// Reads one record's type names (most derived first, down to level 1), finds the restore
// function registered for the chain and runs it.
ENTITY* restore_record(FileInterface& file) {
    std::string name;
    int level = file.read_id_level(name);
    if (level == 0) sys_error(DATA_CORRUPT, "fewer entity records than the header says");
    if (level > kMaxLevel)
        sys_error(DATA_CORRUPT, "type level " + std::to_string(level) + at_byte(file));
    std::vector<std::string> names{name};
    for (int expect = level - 1; expect >= 1; --expect) {
        if (file.read_id_level(name) != expect)
            sys_error(DATA_CORRUPT, "broken type name chain" + at_byte(file));
        names.push_back(name);
    }
    std::string saved_as;
    for (const std::string& n : names) saved_as += (saved_as.empty() ? "" : "-") + n;

    const subtype_table* table = &ENTITY_subclasses;
    const restore_def* def = nullptr;
    for (auto n = names.rbegin(); n != names.rend(); ++n) {
        def = table ? table->find(n->c_str()) : nullptr;
        if (!def) sys_error(UNKNOWN_ENTITY_TYPE, "\"" + *n + "\" (saved as \"" + saved_as + "\")");
        table = def->subclasses();
    }
    if (!def->restore())
        sys_error(UNKNOWN_ENTITY_TYPE, "\"" + saved_as + "\" cannot be restored");
    ENTITY* e = def->restore()();
    if (!e) sys_error(DATA_CORRUPT, "\"" + saved_as + "\" was not restored");
    file.read_terminator();
    return e;
}

// Attribute owners must lead out of the attributes: a loop would make an attribute its own
// (indirect) owner.
void check_owners(const std::vector<ENTITY*>& restored) {
    const std::size_t n = restored.size();
    std::vector<long> owner(n, -1);
    for (std::size_t i = 0; i < n; ++i)
        if (is_ATTRIB(restored[i])) owner[i] = static_cast<ATTRIB*>(restored[i])->pending_owner();
    enum : char { kNew, kOnPath, kDone };
    std::vector<char> state(n, kNew);
    for (std::size_t i = 0; i < n; ++i) {
        long j = static_cast<long>(i);
        while (j >= 0 && state[j] == kNew) {
            state[j] = kOnPath;
            j = owner[j];
        }
        if (j >= 0 && state[j] == kOnPath)
            sys_error(DATA_CORRUPT, "attribute " + std::to_string(j) + " owns itself");
        for (long k = static_cast<long>(i); k >= 0 && state[k] == kOnPath; k = owner[k])
            state[k] = kDone;
    }
}

// Records that no top-level entity leads to (through attribute chains, attributes' own
// included, and from an attribute to its owner) belong to nobody: a writer never makes them,
// and kept they would leak. They are lost; the caller reaches exactly what it did before.
void lose_unreachable(const std::vector<ENTITY*>& restored, long top) {
    std::unordered_set<const ENTITY*> reached;
    std::vector<const ENTITY*> todo(restored.begin(), restored.begin() + top);
    while (!todo.empty()) {
        const ENTITY* e = todo.back();
        todo.pop_back();
        if (!reached.insert(e).second) continue;
        for (const ATTRIB* a = e->attrib(); a; a = a->next()) todo.push_back(a);
        if (is_ATTRIB(e)) {
            if (const ENTITY* owner = static_cast<const ATTRIB*>(e)->entity()) todo.push_back(owner);
        }
    }
    std::vector<ENTITY*> stray;
    for (ENTITY* e : restored)
        if (!reached.count(e)) stray.push_back(e);
    // Untie them first, so that losing one never takes another with it.
    for (ENTITY* e : stray) {
        while (ATTRIB* a = e->attrib()) e->remove_attrib(a);
    }
    for (ENTITY* e : stray) e->lose();
}
}  // namespace

outcome api_save_entity_list_file(FileInterface* file, const ENTITY_LIST& list, AcisOptions*) {
    API_BEGIN
        if (!file) sys_error(NO_FILE_INTERFACE);
        // Grows while saving: references add the entities they lead to.
        ENTITY_LIST saved;
        saved.add(list);
        acis_detail::file_scope scope(file, &saved);
        const FileInfo info = acis_detail::installed_file_info();
        const long top = saved.count();
        // The record count is known only at the end: the header is written again then.
        const FilePosition header = file->set_mark();
        file->write_header(info, top, 0);
        for (int i = 0; i < saved.count(); ++i) saved[i]->save(saved);
        const FilePosition end = file->set_mark();
        file->goto_mark(header);
        file->write_header(info, top, saved.count());
        file->goto_mark(end);
        file->write_id_level(kEndName, 0);
    API_END
    return result;
}

outcome api_restore_entity_list_file(FileInterface* file, ENTITY_LIST& list, AcisOptions*) {
    API_BEGIN
        if (!file) sys_error(NO_FILE_INTERFACE);
        acis_detail::creation_scope created;
        acis_detail::file_scope scope(file);
        FileInfo info;
        long top = 0;
        long records = 0;
        file->read_header(info, top, records);
        acis_detail::current().records = records;
        // Grows with the records actually read, never by the count the header claims.
        std::vector<ENTITY*> restored;
        for (long i = 0; i < records; ++i) restored.push_back(restore_record(*file));
        std::string name;
        if (file->read_id_level(name) != 0 || name != kEndName)
            sys_error(DATA_CORRUPT, "more entity records than the header says");
        check_owners(restored);
        for (ENTITY* e : restored) e->fix_common(restored.data(), SCAN_UNSPECIFIED);
        lose_unreachable(restored, top);
        ENTITY_LIST out = list;
        for (long i = 0; i < top; ++i) out.add(restored[i]);
        created.commit();
        list = std::move(out);
        acis_detail::install_file_info(std::move(info));
    API_END
    return result;
}

outcome api_copy_entity(ENTITY* entity, ENTITY*& copy, AcisOptions*) {
    API_BEGIN
        if (!entity) sys_error(NULL_ENTITY_GIVEN);
        acis_detail::creation_scope created;
        ENTITY_LIST list;
        list.add(entity);
        for (int i = 0; i < list.count(); ++i) list[i]->copy_scan(list, SCAN_COPY, 0);
        std::vector<ENTITY*> copies;
        copies.reserve(list.count());
        for (int i = 0; i < list.count(); ++i) {
            ENTITY* c = list[i]->copy_data(list, nullptr, 0, SCAN_COPY);
            if (!c)
                sys_error(NULL_ENTITY_GIVEN,
                          std::string("no copy made of a ") + list[i]->type_name());
            copies.push_back(c);
        }
        for (ENTITY* c : copies) c->fix_common(copies.data(), SCAN_COPY);
        // Custom attributes decide themselves what the copy gets.
        std::vector<std::pair<ATTRIB*, ENTITY*>> custom;
        for (int i = 0; i < list.count(); ++i)
            for (ATTRIB* a = list[i]->attrib(); a; a = a->next())
                if (a->copy_owner_action() == CopyCustom) custom.emplace_back(a, copies[i]);
        for (auto& c : custom) c.first->copy_owner(c.second);
        created.commit();
        copy = copies[0];
    API_END
    return result;
}
