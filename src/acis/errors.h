#pragma once

// Results of modeller calls: error numbers, error information, outcomes and the API block.

#include <exception>
#include <memory>
#include <string>

#include "acis_object.h"

typedef int err_mess_type;

// Error numbers of this layer; their texts are in one table (find_err_mess).
enum : err_mess_type {
    NO_FILE_INTERFACE = 1,
    NULL_ENTITY_GIVEN,
    NO_SAVE_IN_PROGRESS,
    VALUE_TOO_LARGE,
    NOT_SAVE_DATA,
    SAVE_VERSION_UNKNOWN,
    DATA_ENDS_EARLY,
    DATA_CORRUPT,
    UNKNOWN_ENTITY_TYPE,
    OUT_OF_MEMORY,
    EXCEPTION_IN_API
};

// Text of an error number; "unknown error" for numbers not in the table.
DECL_KERN const char* find_err_mess(err_mess_type err);

// What went wrong: the error number and a text that says where.
class DECL_KERN error_info_base : public ACIS_OBJECT {
public:
    // The message is the number's text, followed by ": detail" when a detail is given.
    error_info_base(err_mess_type err, const std::string& detail = std::string());
    virtual ~error_info_base();
    err_mess_type error_number() const { return m_err; }
    virtual const char* error_message() const;

private:
    err_mess_type m_err;
    std::string m_message;
};

// Result of an API call: 0 for success, else an error number with its information.
class DECL_KERN outcome {
public:
    outcome(err_mess_type err = 0);
    outcome(err_mess_type err, const std::string& detail);
    outcome(err_mess_type err, std::shared_ptr<error_info_base> info);
    logical ok() const { return m_err == 0; }
    err_mess_type error_number() const { return m_err; }
    // Null on success; owned by the outcome (and its copies).
    error_info_base* get_error_info() const { return m_info.get(); }

private:
    err_mess_type m_err;
    std::shared_ptr<error_info_base> m_info;
};

// A modeller error in flight; the API block turns it into an outcome.
class DECL_KERN acis_exception : public std::exception {
public:
    explicit acis_exception(const outcome& o) : m_outcome(o) {}
    const char* what() const noexcept override;
    err_mess_type error_number() const { return m_outcome.error_number(); }
    const outcome& get_outcome() const { return m_outcome; }

private:
    outcome m_outcome;
};

// Raises a modeller error.
[[noreturn]] DECL_KERN void sys_error(err_mess_type err);
[[noreturn]] DECL_KERN void sys_error(err_mess_type err, const std::string& detail);
// Raises the error of a failed outcome again, so that it ends the enclosing API block.
DECL_KERN void check_outcome(const outcome& o);
// The outcome for the exception being handled: modeller errors keep their number,
// memory exhaustion and other exceptions get theirs. Call only inside a catch block.
DECL_KERN outcome api_error_outcome();

// The API block. Modeller errors (and any other exception) raised between the two marks end
// the block and are left in `result`, declared by API_BEGIN in the enclosing scope:
//     API_BEGIN
//         result = api_save_entity_list_file(file, list);
//         check_outcome(result);
//         ...
//     API_END
//     if (!result.ok()) ... result.get_error_info()->error_message() ...
#define API_BEGIN        \
    outcome result(0);   \
    try {
#define API_END                        \
    }                                  \
    catch (...) {                      \
        result = ::api_error_outcome(); \
    }
