#include "errors.h"

#include <new>

namespace {
struct error_text {
    err_mess_type err;
    const char* text;
};

constexpr error_text kErrors[] = {
    {NO_FILE_INTERFACE, "no file interface given"},
    {NULL_ENTITY_GIVEN, "no entity given"},
    {NO_SAVE_IN_PROGRESS, "no save or restore is in progress"},
    {VALUE_TOO_LARGE, "a value is out of the range that can be saved"},
    {NOT_SAVE_DATA, "the data is not a saved entity list"},
    {SAVE_VERSION_UNKNOWN, "the saved data has an unknown format version"},
    {DATA_ENDS_EARLY, "the saved data ends early"},
    {DATA_CORRUPT, "the saved data is corrupt"},
    {UNKNOWN_ENTITY_TYPE, "the saved data holds an unknown entity type"},
    {OUT_OF_MEMORY, "out of memory"},
    {EXCEPTION_IN_API, "an unexpected exception ended the call"},
};
}  // namespace

const char* find_err_mess(err_mess_type err) {
    for (const error_text& e : kErrors)
        if (e.err == err) return e.text;
    return "unknown error";
}

error_info_base::error_info_base(err_mess_type err, const std::string& detail)
    : m_err(err), m_message(find_err_mess(err)) {
    if (!detail.empty()) m_message += ": " + detail;
}

error_info_base::~error_info_base() = default;

const char* error_info_base::error_message() const {
    return m_message.c_str();
}

outcome::outcome(err_mess_type err) : outcome(err, std::string()) {}

outcome::outcome(err_mess_type err, const std::string& detail) : m_err(err) {
    if (err != 0) m_info = std::make_shared<error_info_base>(err, detail);
}

outcome::outcome(err_mess_type err, std::shared_ptr<error_info_base> info)
    : m_err(err), m_info(std::move(info)) {
    if (err != 0 && !m_info) m_info = std::make_shared<error_info_base>(err);
}

const char* acis_exception::what() const noexcept {
    error_info_base* info = m_outcome.get_error_info();
    return info ? info->error_message() : "modeller error";
}

void sys_error(err_mess_type err) {
    throw acis_exception(outcome(err));
}

void sys_error(err_mess_type err, const std::string& detail) {
    throw acis_exception(outcome(err, detail));
}

void check_outcome(const outcome& o) {
    if (!o.ok()) throw acis_exception(o);
}

outcome api_error_outcome() {
    try {
        throw;
    } catch (const acis_exception& e) {
        return e.get_outcome();
    } catch (const std::bad_alloc&) {
        return outcome(OUT_OF_MEMORY);
    } catch (const std::exception& e) {
        return outcome(EXCEPTION_IN_API, e.what());
    } catch (...) {
        return outcome(EXCEPTION_IN_API);
    }
}
