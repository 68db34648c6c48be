#pragma once

// Internal: the typed field helpers every record is written with.
//
// Writing adds one member per call, in call order. Reading takes a member only when it is
// present and of the JSON type the field expects; otherwise the field keeps its value.
// A present sub-record key replaces the sub-record with a fresh one; list keys append.

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "../json/enum_strings.h"
#include "../json/json_object.h"
#include "binary_reader.h"
#include "binary_writer.h"
#include "equal.h"
#include "trace.h"

namespace trx::json {

// ---- value conversions -------------------------------------------------------------

inline JsonValue toJson(bool v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::int32_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::uint32_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::int64_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(std::uint64_t v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(double v, JsonAllocator&) { return JsonValue(v); }
inline JsonValue toJson(const std::wstring& v, JsonAllocator& a) {
    return JsonValue(v.c_str(), static_cast<rapidjson::SizeType>(v.size()), a);
}
template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
JsonValue toJson(E v, JsonAllocator& a) {
    return toJson(enumToString(v), a);
}
inline JsonValue toJson(const IJsonObject& record, JsonAllocator& a) {
    JsonValue v;
    record.writeObject(v, a);
    return v;
}
template <class T>
JsonValue toJson(const std::shared_ptr<T>& record, JsonAllocator& a) {
    return record ? toJson(*record, a) : JsonValue();
}
template <class T> struct IsSharedPtr : std::false_type {};
template <class T> struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {};

// A list becomes an array in list order, a set in its own order; null entries are skipped.
template <class Container>
JsonValue arrayOf(const Container& items, JsonAllocator& a) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(items.size()), a);
    for (const auto& item : items) {
        if constexpr (IsSharedPtr<typename Container::value_type>::value)
            if (!item) continue;
        array.PushBack(toJson(item, a), a);
    }
    return array;
}
template <class T>
JsonValue toJson(const std::vector<T>& list, JsonAllocator& a) {
    return arrayOf(list, a);
}
template <class T, class Compare>
JsonValue toJson(const std::set<T, Compare>& set, JsonAllocator& a) {
    return arrayOf(set, a);
}

// Each returns whether the value was taken.
inline bool fromJson(const JsonValue& v, bool& out) { return v.IsBool() ? (out = v.GetBool(), true) : false; }
inline bool fromJson(const JsonValue& v, std::int32_t& out) { return v.IsInt() ? (out = v.GetInt(), true) : false; }
inline bool fromJson(const JsonValue& v, std::uint32_t& out) { return v.IsUint() ? (out = v.GetUint(), true) : false; }
inline bool fromJson(const JsonValue& v, std::int64_t& out) { return v.IsInt64() ? (out = v.GetInt64(), true) : false; }
inline bool fromJson(const JsonValue& v, std::uint64_t& out) { return v.IsUint64() ? (out = v.GetUint64(), true) : false; }
// Only numbers written with a fraction or an exponent.
inline bool fromJson(const JsonValue& v, double& out) { return v.IsDouble() ? (out = v.GetDouble(), true) : false; }
// Up to the first U+0000.
inline bool fromJson(const JsonValue& v, std::wstring& out) {
    return v.IsString() ? (out.assign(v.GetString()), true) : false;
}
template <class E, std::enable_if_t<std::is_enum_v<E>, int> = 0>
bool fromJson(const JsonValue& v, E& out) {
    if (!v.IsString()) return false;
    out = enumFromString<E>(v.GetString(), v.GetStringLength());
    return true;
}
// A nested record reads the member itself (and logs when it is of the wrong kind).
inline bool fromJson(const JsonValue& v, IJsonObject& record) {
    record.readObject(v);
    return true;
}
template <class T>
bool fromJson(const JsonValue& v, std::shared_ptr<T>& record) {
    auto fresh = std::make_shared<T>();
    fresh->readObject(v);
    record = std::move(fresh);
    return true;
}
// Items of an array are appended in array order; items of the wrong kind are skipped.
template <class T>
bool fromJson(const JsonValue& v, std::vector<T>& list) {
    if (!v.IsArray()) return false;
    list.reserve(list.size() + v.Size());
    for (const auto& item : v.GetArray()) {
        T value{};
        if (fromJson(item, value)) list.push_back(std::move(value));
    }
    return true;
}

// Items of an array are inserted; items of the wrong kind are skipped.
template <class T>
bool fromJson(const JsonValue& v, std::set<T>& set) {
    if (!v.IsArray()) return false;
    for (const auto& item : v.GetArray()) {
        T value{};
        if (fromJson(item, value)) set.insert(std::move(value));
    }
    return true;
}

// ---- members -----------------------------------------------------------------------

// Keys are literals that live as long as the library: referenced, not copied.
template <class T>
void put(JsonValue& obj, JsonAllocator& a, const wchar_t* key, const T& v) {
    obj.AddMember(JsonValue(rapidjson::StringRef(key)), toJson(v, a), a);
}
// A null sub-record writes nothing.
template <class T>
void put(JsonValue& obj, JsonAllocator& a, const wchar_t* key, const std::shared_ptr<T>& v) {
    if (v) obj.AddMember(JsonValue(rapidjson::StringRef(key)), toJson(*v, a), a);
}

// The whole of a string value, NUL characters included: a name or segment must match
// exactly, where the string fields of records stop at the first NUL.
inline std::wstring fullString(const JsonValue& v) { return std::wstring(v.GetString(), v.GetStringLength()); }

inline const JsonValue* member(const JsonValue& obj, const wchar_t* key) {
    if (!obj.IsObject()) return nullptr;
    const auto it = obj.FindMember(key);
    return it != obj.MemberEnd() ? &it->value : nullptr;
}

template <class T>
bool get(const JsonValue& obj, const wchar_t* key, T& v) {
    const JsonValue* m = member(obj, key);
    return m != nullptr && fromJson(*m, v);
}

// The ERROR record of a record handed a value of the wrong JSON kind.
inline bool isObjectOrLog(const JsonValue& v, const char* className) {
    if (v.IsObject()) return true;
    detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
        os << className << " object should have a JSON object type.";
    });
    return false;
}
inline bool isArrayOrLog(const JsonValue& v, const char* className) {
    if (v.IsArray()) return true;
    detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
        os << className << " object should have a JSON array type.";
    });
    return false;
}

// ---- adapters --------------------------------------------------------------------

// The adapters themselves are in field_adapters.h. A field adapter stands in a `fields` list for a key whose value is not one plain member.
// It provides
//   bool present() const                whether the key is written
//   void read(const JsonValue& member)  takes the member's value (the key is present)
//   JsonValue write(JsonAllocator&) const
//   void members(G&& g) const           calls g on each member it stands for (equality)
struct FieldAdapter {};
template <class T>
constexpr bool isAdapter = std::is_base_of_v<FieldAdapter, std::decay_t<T>>;

// ---- visitors ------------------------------------------------------------------------

// Visitors for records that name each key once in a static `fields(self, f)`:
//   f(L"key", s.m_field);              always
//   f(L"key", s.m_field, condition);   written only when condition holds; read always
//   f(L"key", adapter(s.m_a, ...));    through a field adapter
struct Reader {
    const JsonValue& obj;
    template <class T>
    void operator()(const wchar_t* key, T&& field, bool = true) const {
        if constexpr (isAdapter<T>) {
            if (const JsonValue* m = member(obj, key)) field.read(*m);
        } else {
            get(obj, key, field);
        }
    }
};
struct Writer {
    JsonValue& obj;
    JsonAllocator& a;
    template <class T>
    void operator()(const wchar_t* key, const T& field, bool when = true) const {
        if (!when) return;
        if constexpr (isAdapter<T>) {
            if (field.present()) obj.AddMember(JsonValue(rapidjson::StringRef(key)), field.write(a), a);
        } else {
            put(obj, a, key, field);
        }
    }
};

// ---- straight to binary JSON --------------------------------------------------------------
//
// The bulk path writes the members Writer would add, in the same order and form, straight
// into a detail::BinaryWriter. Records write themselves (writeBinary); whatever has no form
// of its own here goes through its document value in the writer's scratch pool.

template <class T>
void emit(detail::BinaryWriter& out, const T& v) {
    if constexpr (std::is_base_of_v<IJsonObject, T>) {
        v.writeBinary(out);
    } else if constexpr (std::is_enum_v<T>) {
        const std::wstring& name = enumToString(v);
        out.String(name.c_str(), static_cast<rapidjson::SizeType>(name.size()));
    } else {
        out.throughValue([&](JsonAllocator& a) { return toJson(v, a); });
    }
}
inline void emit(detail::BinaryWriter& out, const std::wstring& v) {
    out.String(v.c_str(), static_cast<rapidjson::SizeType>(v.size()));
}
template <class T>
void emit(detail::BinaryWriter& out, const std::shared_ptr<T>& record) {
    record ? emit(out, *record) : void(out.Null());
}
template <class Container>
void emitArray(detail::BinaryWriter& out, const Container& items) {
    out.StartArray();
    for (const auto& item : items) {
        if constexpr (IsSharedPtr<typename Container::value_type>::value)
            if (!item) continue;
        emit(out, item);
    }
    out.EndArray();
}
template <class T>
void emit(detail::BinaryWriter& out, const std::vector<T>& list) { emitArray(out, list); }
template <class T, class Compare>
void emit(detail::BinaryWriter& out, const std::set<T, Compare>& set) { emitArray(out, set); }

// Adapters with an `emit(out)` of their own use it; the others give their value.
template <class A, class = void>
struct HasEmit : std::false_type {};
template <class A>
struct HasEmit<A, std::void_t<decltype(std::declval<const A&>().emit(std::declval<detail::BinaryWriter&>()))>>
    : std::true_type {};

struct BinaryFieldWriter {
    detail::BinaryWriter& out;
    template <class T>
    void operator()(const wchar_t* key, const T& field, bool when = true) const {
        if (!when) return;
        if constexpr (isAdapter<T>) {
            if (!field.present()) return;
            out.key(key);
            if constexpr (HasEmit<T>::value) {
                field.emit(out);
            } else {
                out.throughValue([&](JsonAllocator& a) { return field.write(a); });
            }
        } else {
            if constexpr (IsSharedPtr<T>::value)
                if (!field) return;  // as put() writes nothing for a null sub-record
            out.key(key);
            emit(out, field);
        }
    }
};

// ---- straight from binary JSON -------------------------------------------------------------
//
// The bulk path reads members straight from a detail::BinaryReader, taking from each what
// Reader would take from the document: records read themselves (readBinary), lists item by
// item, and whatever has no form of its own here through a document value of just that
// member, in the reader's scratch pool. Members are taken in the order they come; the first
// of members of one name is the one taken, as the document's lookup finds it.

template <class T>
bool take(detail::BinaryReader& in, T& v);
template <class T>
bool take(detail::BinaryReader& in, std::shared_ptr<T>& record);
template <class T>
bool take(detail::BinaryReader& in, std::vector<T>& list);
template <class T>
bool take(detail::BinaryReader& in, std::set<T>& set);

template <class T>
bool take(detail::BinaryReader& in, T& v) {
    if constexpr (std::is_base_of_v<IJsonObject, T>) {
        v.readBinary(in);
        return true;
    } else {
        return in.throughValue([&](const JsonValue& value) { return fromJson(value, v); });
    }
}
template <class T>
bool take(detail::BinaryReader& in, std::shared_ptr<T>& record) {
    auto fresh = std::make_shared<T>();
    fresh->readBinary(in);
    record = std::move(fresh);
    return true;
}
// An array's items, each taken into a fresh value and given to `add` when taken.
template <class T, class Add>
bool takeItems(detail::BinaryReader& in, Add&& add) {
    if (in.peek() != detail::BinaryReader::Kind::array) {
        in.skip();
        return false;
    }
    in.enter();
    while (in.more()) {
        T item{};
        if (take(in, item)) add(std::move(item));
    }
    in.leave();
    return true;
}
template <class T>
bool take(detail::BinaryReader& in, std::vector<T>& list) {
    return takeItems<T>(in, [&](T&& item) { list.push_back(std::move(item)); });
}
template <class T>
bool take(detail::BinaryReader& in, std::set<T>& set) {
    return takeItems<T>(in, [&](T&& item) { set.insert(std::move(item)); });
}

// A record whose JSON is one bare array of `list`: the array's items straight from the
// reader, any other value through readObject (which refuses it as it does from a document).
template <class List>
void readArrayRecordBinary(IJsonObject& record, detail::BinaryReader& in, List& list) {
    if (in.peek() == detail::BinaryReader::Kind::array)
        take(in, list);
    else
        record.IJsonObject::readBinary(in);
}

// Adapters with a `readBinary(in)` of their own use it; the others take their member's value.
template <class A, class = void>
struct HasReadBinary : std::false_type {};
template <class A>
struct HasReadBinary<A, std::void_t<decltype(std::declval<const A&>().readBinary(std::declval<detail::BinaryReader&>()))>>
    : std::true_type {};

// Visits a fields list for the member whose name the reader has just read.
struct BinaryFieldReader {
    detail::BinaryReader& in;
    TakenKeys& taken;
    bool& matched;

    template <class T>
    void operator()(const wchar_t* key, T&& field, bool = true) const {
        if (matched || in.key() != key) return;
        matched = true;
        if (std::find(taken.begin(), taken.end(), key) != taken.end()) return in.skip();
        taken.push_back(key);
        in.readOn([&] {
            if constexpr (!isAdapter<T>)
                take(in, field);
            else if constexpr (HasReadBinary<std::decay_t<T>>::value)
                field.readBinary(in);
            else
                in.throughValue([&](const JsonValue& value) { field.read(value); });
        });
    }
};

// Calls g on every member a `fields` list names, adapters unfolded, in list order.
template <class R, class Fields, class G>
void forEachMember(R& record, Fields fields, G&& g) {
    fields(record, [&](const wchar_t*, auto&& field, bool = true) {
        if constexpr (isAdapter<decltype(field)>)
            field.members(g);
        else
            g(field);
    });
}

// Member-wise equality over a `fields` list; sub-records compare by value.
template <class R, class Fields>
bool sameFields(const R& a, const R& b, Fields fields) {
    std::vector<const void*> mine;
    forEachMember(a, fields, [&](const auto& member) { mine.push_back(&member); });
    std::size_t i = 0;
    bool equal = true;
    forEachMember(b, fields, [&](const auto& member) {
        using T = std::decay_t<decltype(member)>;
        equal = equal && detail::same(*static_cast<const T*>(mine[i++]), member);
    });
    return equal;
}

// ---- whole records -------------------------------------------------------------------

// What a record does with a value that is not an object: logs an ERROR (most records),
// ignores it, or throws std::invalid_argument.
enum class NotAnObject { log, ignore, raise };

inline bool acceptsObject(const JsonValue& v, const char* className, NotAnObject policy) {
    if (v.IsObject()) return true;
    if (policy == NotAnObject::log) return isObjectOrLog(v, className);
    if (policy == NotAnObject::raise)
        throw std::invalid_argument(std::string(className) + "::readFrom > !jsonObject.IsObject()");
    return false;
}

// What TRX_FIELDS makes of a record's `fields` list; `Base` is the record's base class
// (IJsonObject for none), whose keys come first.
template <class Base, class R, class Fields>
void readRecord(R& record, const JsonValue& v, const char* className, Fields fields,
                NotAnObject policy = NotAnObject::log) {
    if (!acceptsObject(v, className, policy)) return;
    if constexpr (!std::is_same_v<Base, IJsonObject>) static_cast<Base&>(record).Base::readObject(v);
    fields(record, Reader{v});
}
template <class Base, class R, class Fields>
void writeRecord(const R& record, JsonValue& v, JsonAllocator& a, Fields fields) {
    if constexpr (std::is_same_v<Base, IJsonObject>)
        v.SetObject();
    else
        static_cast<const Base&>(record).Base::writeObject(v, a);
    fields(record, Writer{v, a});
}
// writeRecord's bytes, straight from the record. A class below R that writes its own
// document (and not its own key list) goes through that document.
template <class Base, class R, class Fields>
void writeMembersBinary(const R& record, detail::BinaryWriter& out, Fields fields) {
    if constexpr (!std::is_same_v<Base, IJsonObject>) static_cast<const Base&>(record).Base::writeBinaryMembers(out);
    fields(record, BinaryFieldWriter{out});
}
template <class Base, class R, class Fields>
void writeRecordBinary(const R& record, detail::BinaryWriter& out, Fields fields) {
    if (typeid(record) != typeid(R)) return record.IJsonObject::writeBinary(out);
    out.StartObject();
    writeMembersBinary<Base>(record, out, fields);
    out.EndObject();
}
// readRecord's work, straight from the reader. A record whose base reads from its document,
// or a class below R that does (a hand-written subclass), or a value that is no object goes
// through the value's document.
template <class Base, class R, class Fields>
bool readMemberBinary(R& record, detail::BinaryReader& in, TakenKeys& taken, Fields fields) {
    if constexpr (!std::is_same_v<Base, IJsonObject>)
        if (static_cast<Base&>(record).Base::readBinaryMember(in, taken)) return true;
    bool matched = false;
    fields(record, BinaryFieldReader{in, taken, matched});
    return matched;
}
template <class Base>
bool readsMembersStraight() {
    if constexpr (std::is_same_v<Base, IJsonObject>)
        return true;
    else
        return Base::readsMembersStraight();
}
template <class Base, class R, class Fields>
void readRecordBinary(R& record, detail::BinaryReader& in, Fields fields) {
    if (typeid(record) != typeid(R) || !readsMembersStraight<Base>() ||
        in.peek() != detail::BinaryReader::Kind::object)
        return record.IJsonObject::readBinary(in);
    in.enter();
    TakenKeys taken;
    while (in.more())
        if (!readMemberBinary<Base>(record, in, taken, fields)) in.skip();
    in.leave();
}

// The members of the object a hand-written `writeObject` gives, for a class that derives
// from it.
template <class WriteObject>
void writeMembersThroughDocument(detail::BinaryWriter& out, WriteObject writeObject) {
    detail::BinaryWriter::Scratch scratch(out);
    JsonValue value;
    writeObject(value, scratch.allocator());
    if (!value.IsObject()) return;
    for (const auto& m : value.GetObject()) {
        out.value(m.name);
        out.value(m.value);
    }
}

// `sameBase(a, b)` compares the base parts; it is called only when there is a base record.
template <class Base, class R, class Fields, class SameBase>
bool sameRecord(const R& a, const R& b, Fields fields, SameBase sameBase) {
    if constexpr (!std::is_same_v<Base, IJsonObject>)
        if (!sameBase(a, b)) return false;
    return sameFields(a, b, fields);
}

// The same for records whose `fields` list is public.
template <class R>
void readFields(R& record, const JsonValue& v, const char* className) {
    readRecord<IJsonObject>(record, v, className, [](auto& s, auto&& f) { R::fields(s, f); });
}
template <class R>
void writeFields(const R& record, JsonValue& v, JsonAllocator& a) {
    writeRecord<IJsonObject>(record, v, a, [](auto& s, auto&& f) { R::fields(s, f); });
}
template <class R>
bool sameFields(const R& a, const R& b) {
    return sameFields(a, b, [](auto& s, auto&& f) { R::fields(s, f); });
}

// Appends `item` unless it is null, in which case the WARNING `refusal` is logged.
template <class List, class T>
bool addOrRefuse(List& list, const T& item, const char* refusal) {
    if (!item) {
        detail::logText(vx_bridge::kWarning, refusal);
        return false;
    }
    list.push_back(item);
    return true;
}

}  // namespace trx::json

// Defines readObject, writeObject and operator== of a record declared with TRX_JSON_RECORD
// from its `fields` list, and opens the definition of that list:
//   TRX_FIELDS(ExcMfgThread, ExcMfgThreading) {
//       f(L"support_diameter", s.m_supportDiameter);
//   }
#define TRX_FIELDS_LIST_ [](auto& s, auto&& f) { fields(s, f); }
#define TRX_FIELDS(R, Base) TRX_FIELDS_READING(R, Base, json::NotAnObject::log)
// The same, for a record that treats a value that is not an object otherwise.
#define TRX_FIELDS_READING(R, Base, notAnObject)                                             \
    void R::readObject(const JsonValue& value) {                                             \
        TRX_TRACE();                                                                         \
        json::readRecord<Base>(*this, value, #R, TRX_FIELDS_LIST_, notAnObject);             \
    }                                                                                        \
    void R::writeObject(JsonValue& value, JsonAllocator& allocator) const {                  \
        TRX_TRACE();                                                                         \
        json::writeRecord<Base>(*this, value, allocator, TRX_FIELDS_LIST_);                  \
    }                                                                                        \
    void R::writeBinary(detail::BinaryWriter& out) const {                                   \
        json::writeRecordBinary<Base>(*this, out, TRX_FIELDS_LIST_);                         \
    }                                                                                        \
    void R::writeBinaryMembers(detail::BinaryWriter& out) const {                            \
        json::writeMembersBinary<Base>(*this, out, TRX_FIELDS_LIST_);                        \
    }                                                                                        \
    void R::readBinary(detail::BinaryReader& in) {                                           \
        json::readRecordBinary<Base>(*this, in, TRX_FIELDS_LIST_);                           \
    }                                                                                        \
    bool R::readBinaryMember(detail::BinaryReader& in, json::TakenKeys& taken) {             \
        return json::readMemberBinary<Base>(*this, in, taken, TRX_FIELDS_LIST_);             \
    }                                                                                        \
    bool R::readsMembersStraight() { return json::readsMembersStraight<Base>(); }            \
    bool R::operator==(const R& o) const {                                                   \
        return json::sameRecord<Base>(*this, o, TRX_FIELDS_LIST_,                            \
                                      [](const auto& a, const auto& b) { return a.Base::operator==(b); }); \
    }                                                                                        \
    template <class Self, class F>                                                           \
    void R::fields(Self& s, F&& f)

// For a record declared with TRX_JSON_RECORD whose JSON form is written by hand: its binary
// JSON goes through its document, both ways.
#define TRX_BINARY_THROUGH_DOCUMENT(R)                                                       \
    void R::writeBinary(detail::BinaryWriter& out) const { IJsonObject::writeBinary(out); }  \
    void R::readBinary(detail::BinaryReader& in) { IJsonObject::readBinary(in); }            \
    /* a class below reads its whole object through the document instead */                 \
    bool R::readBinaryMember(detail::BinaryReader&, json::TakenKeys&) { return false; }      \
    bool R::readsMembersStraight() { return false; }                                         \
    void R::writeBinaryMembers(detail::BinaryWriter& out) const {                            \
        json::writeMembersThroughDocument(                                                   \
            out, [this](JsonValue& v, JsonAllocator& a) { R::writeObject(v, a); });          \
    }
