#pragma once

// Save files: the interface entities are saved through, its binary encoding, and the file
// information stamped into saved data.

#include <cstddef>
#include <string>

#include "acis_object.h"
#include "errors.h"

class ENTITY;
class ENTITY_LIST;

// Stamped into the header of saved data; restoring data installs the record it carries.
class DECL_KERN FileInfo : public ACIS_OBJECT {
public:
    FileInfo();
    const char* product_id() const { return m_product_id.c_str(); }
    void set_product_id(const char* id) { m_product_id = id ? id : ""; }
    double units() const { return m_units; }  // the model's unit in millimetres
    void set_units(double units) { m_units = units; }
    void reset();

private:
    std::string m_product_id;
    double m_units;
};

// Field masks of api_set_file_info.
enum : unsigned long { FileIdent = 1ul, FileUnits = 2ul };

// Installs the fields of info selected by mask for the saves that follow (on this thread).
DECL_KERN outcome api_set_file_info(unsigned long mask, const FileInfo& info);
DECL_KERN outcome api_get_file_info(FileInfo& info);

// Where entities are saved to and restored from. Typed values are written and read in the
// order the entities' save and restore functions call them; failures raise modeller errors.
class DECL_KERN FileInterface : public ACIS_OBJECT {
public:
    virtual ~FileInterface();

    // The current byte offset; moving to an offset given by set_mark before.
    virtual FilePosition set_mark() = 0;
    virtual FilePosition goto_mark(FilePosition pos) = 0;

    // Header: format mark, file information and entity counts, of one fixed size per info.
    virtual void write_header(const FileInfo& info, long top_count, long record_count) = 0;
    virtual void read_header(FileInfo& info, long& top_count, long& record_count) = 0;
    virtual void write_long(long v) = 0;
    virtual long read_long() = 0;
    virtual void write_double(double v) = 0;
    virtual double read_double() = 0;
    virtual void write_string(const char* s, std::size_t length) = 0;
    virtual std::string read_string() = 0;
    // A type name with its identity level (1 to 255; 0 marks the end of the entities).
    virtual void write_id_level(const char* name, int level) = 0;
    virtual int read_id_level(std::string& name) = 0;
    // Ends an entity record.
    virtual void write_terminator() = 0;
    virtual void read_terminator() = 0;
};

// The binary encoding of typed values on top of two byte-level transfers, which a subclass
// provides together with set_mark and goto_mark. Every value is a one-byte tag followed by
// little-endian data, so a reader notices when data and reads part ways.
class DECL_KERN BinaryFile : public FileInterface {
public:
    BinaryFile();
    ~BinaryFile() override;

    void write_header(const FileInfo& info, long top_count, long record_count) override;
    void read_header(FileInfo& info, long& top_count, long& record_count) override;
    void write_long(long v) override;
    long read_long() override;
    void write_double(double v) override;
    double read_double() override;
    void write_string(const char* s, std::size_t length) override;
    std::string read_string() override;
    void write_id_level(const char* name, int level) override;
    int read_id_level(std::string& name) override;
    void write_terminator() override;
    void read_terminator() override;

protected:
    // Takes up to length bytes; answers how many were taken (0 at the end of the data).
    // swap is the real modeller's byte-order request; values here are already in file order.
    virtual std::size_t read(void* buf, std::size_t length, logical swap) = 0;
    // Writes the bytes at the current offset.
    virtual void write(const void* data, std::size_t length, logical swap) = 0;

private:
    void put(const void* data, std::size_t length);
    void get(void* buf, std::size_t length, const char* what);
    void expect_tag(unsigned char tag, const char* what);
};

// The typed values of the save or restore in progress on this thread, for entities' save and
// restore functions. Outside a save or restore they raise NO_SAVE_IN_PROGRESS.
DECL_KERN void write_long(long v);
DECL_KERN long read_long();
DECL_KERN void write_double(double v);
DECL_KERN double read_double();
DECL_KERN void write_string(const char* s);
DECL_KERN void write_string(const std::string& s);
DECL_KERN std::string read_string();
DECL_KERN void write_id_level(const char* name, int level);
// A reference to another entity: its index in the save list (added when absent), -1 for null.
DECL_KERN void write_ptr(const ENTITY* e, ENTITY_LIST& list);
// The index of a referenced record, checked against the number of records; -1 for null.
DECL_KERN long read_ptr();
