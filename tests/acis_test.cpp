#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "acis/acis.h"

namespace {

// Saved data in memory, behaving like a file: writes overwrite at the offset, reads may
// hand out fewer bytes than asked for.
class MemoryFile : public BinaryFile {
public:
    MemoryFile() = default;
    MemoryFile(std::vector<unsigned char> data, std::size_t piece = SIZE_MAX)
        : m_data(std::move(data)), m_piece(piece) {}
    const std::vector<unsigned char>& data() const { return m_data; }
    void raw(std::initializer_list<unsigned char> bytes) { write(bytes.begin(), bytes.size(), 0); }
    FilePosition set_mark() override { return static_cast<FilePosition>(m_pos); }
    FilePosition goto_mark(FilePosition p) override {
        m_pos = std::min<std::size_t>(static_cast<std::size_t>(p), m_data.size());
        return set_mark();
    }

protected:
    std::size_t read(void* buf, std::size_t length, logical) override {
        std::size_t n = std::min({length, m_piece, m_data.size() - m_pos});
        if (n) std::memcpy(buf, m_data.data() + m_pos, n);
        m_pos += n;
        return n;
    }
    void write(const void* data, std::size_t length, logical) override {
        if (m_pos + length > m_data.size()) m_data.resize(m_pos + length);
        if (length) std::memcpy(m_data.data() + m_pos, data, length);
        m_pos += length;
    }

private:
    std::vector<unsigned char> m_data;
    std::size_t m_piece = SIZE_MAX;
    std::size_t m_pos = 0;
};

// Two attribute classes built as an application builds its own: a tag at level 2 and a
// value attribute derived from it at level 3.
int TAG_TYPE = -1;
int VALUE_TYPE = -1;
subtype_table TAG_subclasses;
ENTITY* TAG_restore();
ENTITY* VALUE_restore();
restore_def g_tag_def(ATTRIB_subclasses, "test_tag_attribute", TAG_TYPE, TAG_restore, &TAG_subclasses);
restore_def g_value_def(TAG_subclasses, "test_value_attribute", VALUE_TYPE, VALUE_restore);

class TAG : public ATTRIB {
public:
    explicit TAG(ENTITY* owner = nullptr) : ATTRIB(owner) {}
    int identity(int level = 0) const override {
        if (level == 0 || level == 2) return TAG_TYPE;
        if (level > 2) return -1;
        return ATTRIB::identity(level < 0 ? level + 1 : level);
    }
    const char* type_name() const override { return "test_tag_attribute"; }
    void save(ENTITY_LIST& list) const override {
        save_begin();
        write_id_level("test_tag_attribute", 2);
        ATTRIB::save_common(list);
        save_end();
    }
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm, logical skip, SCAN_TYPE reason) const override {
        TAG* c = ACIS_NEW TAG;
        c->ATTRIB::copy_common(list, this, pm, skip, reason);
        return c;
    }

protected:
    ~TAG() override = default;
};

class VALUE : public TAG {
public:
    VALUE() = default;
    VALUE(ENTITY* owner, long value) : TAG(owner), m_value(value) {}
    long value() const { return m_value; }
    int identity(int level = 0) const override {
        if (level == 0 || level == 3) return VALUE_TYPE;
        if (level == 2 || level == -1) return TAG_TYPE;
        if (level > 3) return -1;
        return ATTRIB::identity(level == 1 ? 1 : level + 2);
    }
    const char* type_name() const override { return "test_value_attribute"; }
    void save(ENTITY_LIST& list) const override {
        save_begin();
        write_id_level("test_value_attribute", 3);
        write_id_level("test_tag_attribute", 2);
        ATTRIB::save_common(list);
        write_long(m_value);
        save_end();
    }
    ENTITY* copy_data(ENTITY_LIST& list, pointer_map* pm, logical skip, SCAN_TYPE reason) const override {
        VALUE* c = ACIS_NEW VALUE;
        c->ATTRIB::copy_common(list, this, pm, skip, reason);
        c->m_value = m_value;
        return c;
    }
    friend ENTITY* VALUE_restore();

protected:
    ~VALUE() override = default;

private:
    long m_value = 0;
};

ENTITY* TAG_restore() {
    TAG* t = ACIS_NEW TAG;
    t->restore_common();
    return t;
}

ENTITY* VALUE_restore() {
    VALUE* v = ACIS_NEW VALUE;
    v->restore_common();
    v->m_value = read_long();
    return v;
}

std::vector<ATTRIB*> attributes(const ENTITY* e) {
    std::vector<ATTRIB*> out;
    for (ATTRIB* a = e->attrib(); a; a = a->next()) out.push_back(a);
    return out;
}

// Owners lose their attributes: only what has no owner is lost directly.
void lose_all(const ENTITY_LIST& list) {
    std::vector<ENTITY*> roots;
    for (ENTITY* e : list)
        if (!is_ATTRIB(e) || !static_cast<ATTRIB*>(e)->entity()) roots.push_back(e);
    for (ENTITY* e : roots) e->lose();
}

// Two bodies: the first with a plain attribute and a value attribute, the second with a tag.
ENTITY_LIST make_bodies() {
    BODY* a = ACIS_NEW BODY("bracket");
    a->add_triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    a->add_triangle({0, 0, 1}, {1.5, -2.25, 3e-9}, {1e300, 0, -0.0});
    ATTRIB* plain = ACIS_NEW ATTRIB(a);
    plain->set_split_owner_action(SplitKeep);
    plain->set_merge_owner_action(MergeKeepOne);
    plain->set_trans_owner_action(TransApply);
    plain->set_lop_change_owner_action(GeomChangedCustom);
    ACIS_NEW VALUE(a, 42);
    BODY* b = ACIS_NEW BODY("");
    ACIS_NEW TAG(b);
    ENTITY_LIST list;
    list.add(a);
    list.add(b);
    return list;
}

std::vector<unsigned char> save(const ENTITY_LIST& list) {
    MemoryFile file;
    outcome o = api_save_entity_list_file(&file, list);
    EXPECT_TRUE(o.ok()) << (o.ok() ? "" : o.get_error_info()->error_message());
    return file.data();
}

// A plain attribute record: owner reference, then the eight owner actions.
void write_attrib(MemoryFile& f, long owner, long action = 0) {
    f.write_id_level("attrib", 1);
    f.write_long(owner);
    for (int i = 0; i < 8; ++i) f.write_long(action);
    f.write_terminator();
}

std::string message(const outcome& o) {
    return o.get_error_info() ? o.get_error_info()->error_message() : "";
}

}  // namespace

// Type codes are handed out while the library loads, one per registered type, and a
// definition withdrawn (its library unloaded) is no longer found. Losing a body takes its
// attributes along; a list holds each entity once, in the order added.
TEST(AcisLayer, TypeCodesListsAndLosing) {
    std::vector<int> codes{ENTITY_TYPE, ATTRIB_TYPE, BODY_TYPE, TAG_TYPE, VALUE_TYPE};
    std::sort(codes.begin(), codes.end());
    EXPECT_GT(codes.front(), 0);
    EXPECT_EQ(std::unique(codes.begin(), codes.end()), codes.end());
    int code = 0;
    auto* late = new restore_def(ATTRIB_subclasses, "test_late_attribute", code, nullptr);
    EXPECT_EQ(ATTRIB_subclasses.find("test_late_attribute"), late);
    EXPECT_GT(code, codes.back());
    delete late;
    EXPECT_EQ(ATTRIB_subclasses.find("test_late_attribute"), nullptr);

    const std::size_t live = acis_live_objects();
    BODY* body = ACIS_NEW BODY;
    ATTRIB* plain = ACIS_NEW ATTRIB(body);
    ACIS_NEW VALUE(body, 7);
    ENTITY_LIST list;
    EXPECT_EQ(list.add(body), 0);
    EXPECT_EQ(list.add(plain), 1);
    EXPECT_EQ(list.add(body), 0);
    EXPECT_EQ(list.add(nullptr), -1);
    body->lose();
    EXPECT_EQ(acis_live_objects(), live);
}

TEST(AcisLayer, SaveAndRestoreKeepBodiesAttributesAndFileInfo) {
    FileInfo info;
    info.set_product_id("Tarnix Bridge");
    info.set_units(25.4);
    ASSERT_TRUE(api_set_file_info(FileIdent | FileUnits, info).ok());
    ENTITY_LIST bodies = make_bodies();
    const std::vector<unsigned char> data = save(bodies);
    ASSERT_GT(data.size(), 2u);
    // The segment loader takes data starting like gzip or zlib for compressed.
    EXPECT_FALSE(data[0] == 0x1f && data[1] == 0x8b);
    EXPECT_NE(data[0], 0x78);
    const std::string text(data.begin(), data.end());
    EXPECT_NE(text.find("Tarnix Bridge"), std::string::npos);

    FileInfo other;
    other.set_product_id("someone else");
    ASSERT_TRUE(api_set_file_info(FileIdent | FileUnits, other).ok());

    // Read in small pieces, as a stream may hand them out.
    MemoryFile file(data, 3);
    BODY* earlier = ACIS_NEW BODY("earlier");
    ENTITY_LIST restored;
    restored.add(earlier);
    outcome o = api_restore_entity_list_file(&file, restored);
    ASSERT_TRUE(o.ok()) << message(o);
    ASSERT_EQ(restored.count(), 3);
    EXPECT_EQ(restored[0], earlier);

    FileInfo stamped;
    ASSERT_TRUE(api_get_file_info(stamped).ok());
    EXPECT_STREQ(stamped.product_id(), "Tarnix Bridge");
    EXPECT_EQ(stamped.units(), 25.4);

    auto* value = static_cast<VALUE*>(attributes(restored[1])[1]);
    EXPECT_EQ(value->value(), 42);

    // Saving what was restored gives the same bytes: names, vertices, attributes and their
    // owner actions all came back.
    ENTITY_LIST again;
    again.add(restored[1]);
    again.add(restored[2]);
    EXPECT_EQ(save(again), data);

    // Saving an attribute takes its owner along, so restoring gives both.
    ENTITY_LIST just_value;
    just_value.add(attributes(bodies[0])[1]);
    MemoryFile with_owner(save(just_value));
    ENTITY_LIST from_value;
    ASSERT_TRUE(api_restore_entity_list_file(&with_owner, from_value).ok());
    ASSERT_EQ(from_value.count(), 1);
    auto* lone = static_cast<ATTRIB*>(from_value[0]);
    ASSERT_TRUE(is_BODY(lone->entity()));
    EXPECT_EQ(attributes(lone->entity()).size(), 2u);
    lone->entity()->lose();

    lose_all(bodies);
    lose_all(restored);
}

TEST(AcisLayer, TruncatedOrDamagedDataRestoresAsAnError) {
    ENTITY_LIST bodies = make_bodies();
    const std::vector<unsigned char> data = save(bodies);
    lose_all(bodies);
    const std::size_t live = acis_live_objects();

    for (std::size_t n = 0; n < data.size(); ++n) {
        MemoryFile file({data.begin(), data.begin() + n});
        ENTITY_LIST list;
        outcome o = api_restore_entity_list_file(&file, list);
        ASSERT_FALSE(o.ok()) << n;
        EXPECT_EQ(list.count(), 0);
        EXPECT_EQ(acis_live_objects(), live) << n;
        EXPECT_EQ(o.error_number(), DATA_ENDS_EARLY) << n << ": " << message(o);
    }
    // Every damaged byte either still reads as data or fails cleanly.
    for (std::size_t i = 0; i < data.size(); ++i) {
        for (unsigned char flip : {0x01, 0x80, 0xff}) {
            std::vector<unsigned char> bad = data;
            bad[i] ^= flip;
            MemoryFile file(bad);
            ENTITY_LIST list;
            outcome o = api_restore_entity_list_file(&file, list);
            if (o.ok()) {
                EXPECT_GE(list.count(), 1);  // a changed count in the header may be valid
                lose_all(list);
            } else {
                EXPECT_EQ(list.count(), 0);
                EXPECT_FALSE(message(o).empty());
            }
            EXPECT_EQ(acis_live_objects(), live) << i;
        }
    }

    // A type nobody registered: the base is known, the derived type is not.
    std::string text(data.begin(), data.end());
    const std::size_t at = text.find("test_value_attribute");
    ASSERT_NE(at, std::string::npos);
    std::vector<unsigned char> unknown = data;
    std::memcpy(&unknown[at], "test_other_attribute", 20);
    MemoryFile file(unknown);
    ENTITY_LIST list;
    outcome o = api_restore_entity_list_file(&file, list);
    EXPECT_EQ(o.error_number(), UNKNOWN_ENTITY_TYPE);
    EXPECT_EQ(message(o),
              "the saved data holds an unknown entity type: \"test_other_attribute\" (saved as "
              "\"test_other_attribute-test_tag_attribute-attrib\")");
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(acis_live_objects(), live);
}

// Records that no top-level entity leads to are lost, not leaked (found by fuzzing): the
// caller gets exactly the entities it can reach.
TEST(AcisLayer, RecordsNoTopEntityLeadsToAreLost) {
    const std::size_t live = acis_live_objects();
    MemoryFile file;
    file.write_header(FileInfo(), 1, 4);
    write_attrib(file, -1);  // top-level
    write_attrib(file, 0);   // on the top-level one: kept
    write_attrib(file, 3);   // on a stray one
    write_attrib(file, -1);  // stray
    file.write_id_level("end_of_entities", 0);
    file.goto_mark(0);
    ENTITY_LIST list;
    outcome o = api_restore_entity_list_file(&file, list);
    ASSERT_TRUE(o.ok()) << message(o);
    ASSERT_EQ(list.count(), 1);
    ASSERT_NE(list[0]->attrib(), nullptr);
    EXPECT_EQ(list[0]->attrib()->next(), nullptr);
    EXPECT_EQ(acis_live_objects(), live + 2);
    lose_all(list);
    EXPECT_EQ(acis_live_objects(), live);
}

TEST(AcisLayer, CorruptHeadersCountsAndReferencesAreErrors) {
    // Data written value by value, to say exactly what is wrong with it.
    struct Case {
        const char* name;
        err_mess_type error;
        void (*write)(MemoryFile&);
    };
    const Case cases[] = {
        {"other data", NOT_SAVE_DATA, [](MemoryFile& f) { f.raw({0x1f, 0x8b, 8, 0}); }},
        {"newer version", SAVE_VERSION_UNKNOWN,
         [](MemoryFile& f) { f.raw({'T', 'R', 'X', 'S', 'A', 'V', 'E', 0x1a, 2, 0}); }},
        {"counts out of order", DATA_CORRUPT, [](MemoryFile& f) { f.write_header(FileInfo(), 2, 1); }},
        {"huge record count", DATA_ENDS_EARLY,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1L << 40);
             write_attrib(f, -1);
         }},
        {"huge string length", DATA_ENDS_EARLY,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             f.write_id_level("body", 1);
             f.raw({'S', 0xf0, 0xff, 0xff, 0xff, 'x', 'y'});
         }},
        {"negative vertex count", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             f.write_id_level("body", 1);
             f.write_string("b", 1);
             f.write_long(-3);
         }},
        {"owner out of range", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             write_attrib(f, 1);
         }},
        {"attributes owning each other", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 2, 2);
             write_attrib(f, 1);
             write_attrib(f, 0);
             f.write_id_level("end_of_entities", 0);
         }},
        {"action out of range", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             write_attrib(f, -1, 9);
         }},
        {"more records than counted", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             write_attrib(f, -1);
             write_attrib(f, -1);
         }},
        {"broken type chain", DATA_CORRUPT,
         [](MemoryFile& f) {
             f.write_header(FileInfo(), 1, 1);
             f.write_id_level("test_tag_attribute", 3);
             write_attrib(f, -1);
         }},
    };
    for (const Case& c : cases) {
        MemoryFile file;
        c.write(file);
        file.goto_mark(0);
        ENTITY_LIST list;
        const std::size_t live = acis_live_objects();
        outcome o = api_restore_entity_list_file(&file, list);
        EXPECT_EQ(o.error_number(), c.error) << c.name << ": " << message(o);
        EXPECT_EQ(list.count(), 0) << c.name;
        EXPECT_EQ(acis_live_objects(), live) << c.name;
    }
    // The well-formed variant of the same writing restores.
    MemoryFile file;
    file.write_header(FileInfo(), 2, 2);
    write_attrib(file, 1);
    write_attrib(file, -1);
    file.write_id_level("end_of_entities", 0);
    file.goto_mark(0);
    ENTITY_LIST list;
    outcome o = api_restore_entity_list_file(&file, list);
    ASSERT_TRUE(o.ok()) << message(o);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(static_cast<ATTRIB*>(list[0])->entity(), list[1]);
    list[1]->lose();
}

TEST(AcisLayer, ApiBlockTurnsErrorsIntoOutcomes) {
    {
        API_BEGIN
            sys_error(DATA_CORRUPT, "here");
        API_END
        EXPECT_EQ(result.error_number(), DATA_CORRUPT);
        EXPECT_STREQ(result.get_error_info()->error_message(), "the saved data is corrupt: here");
    }
    {
        API_BEGIN
            throw std::runtime_error("disk full");
        API_END
        EXPECT_EQ(result.error_number(), EXCEPTION_IN_API);
        EXPECT_EQ(message(result), "an unexpected exception ended the call: disk full");
    }
    {
        ENTITY* out = nullptr;
        API_BEGIN
            result = api_copy_entity(nullptr, out);
            check_outcome(result);
            result = outcome(0);  // not reached
        API_END
        EXPECT_EQ(result.error_number(), NULL_ENTITY_GIVEN);
    }
    {
        API_BEGIN
            write_long(1);  // outside any save
        API_END
        EXPECT_EQ(result.error_number(), NO_SAVE_IN_PROGRESS);
    }
    ENTITY_LIST list;
    EXPECT_EQ(api_save_entity_list_file(nullptr, list).error_number(), NO_FILE_INTERFACE);
    EXPECT_EQ(api_restore_entity_list_file(nullptr, list).error_number(), NO_FILE_INTERFACE);

    // A file that fails while saving ends the save with its text.
    struct FailingFile : MemoryFile {
        void write(const void*, std::size_t, logical) override { throw std::runtime_error("no room"); }
    } failing;
    ENTITY_LIST bodies = make_bodies();
    EXPECT_EQ(message(api_save_entity_list_file(&failing, bodies)),
              "an unexpected exception ended the call: no room");
    lose_all(bodies);
}
