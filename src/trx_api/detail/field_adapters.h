#pragma once

// Internal: the field adapters, for keys whose value is not one plain member (the contract
// is at FieldAdapter in fields.h).

#include "base64.h"
#include "fields.h"

namespace trx::json {

// The array items the adapters below take one at a time. 16-bit items are colour channels,
// which travel as unsigned numbers; reading keeps the low 16 bits of a larger one.
inline bool itemFromJson(const JsonValue& v, std::uint16_t& out) {
    return v.IsUint() ? (out = static_cast<std::uint16_t>(v.GetUint()), true) : false;
}
template <class T>
bool itemFromJson(const JsonValue& v, T& out) { return fromJson(v, out); }
inline JsonValue itemToJson(std::uint16_t v, JsonAllocator&) { return JsonValue(unsigned(v)); }
template <class T>
JsonValue itemToJson(const T& v, JsonAllocator& a) { return toJson(v, a); }

// The first `count` items as an array.
template <class Array>
JsonValue leadingArray(const Array& items, std::size_t count, JsonAllocator& a) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(count), a);
    for (std::size_t i = 0; i < count; ++i) array.PushBack(itemToJson(items[i], a), a);
    return array;
}

// A fixed-size array member. An array of another length logs `sizeMessage` as a WARNING and
// changes nothing; an item of the wrong kind keeps its value, or takes `fallback` when given.
template <class Array>
struct FixedArray : FieldAdapter {
    using Item = std::decay_t<decltype(std::declval<Array&>()[0])>;
    Array& items;
    const char* sizeMessage;
    bool hasFallback = false;
    Item fallback{};

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (!m.IsArray()) return;
        if (m.Size() != std::size(items)) {
            detail::logText(vx_bridge::kWarning, sizeMessage);
            return;
        }
        for (rapidjson::SizeType i = 0; i < m.Size(); ++i)
            if (!fromJson(m[i], items[i]) && hasFallback) items[i] = fallback;
    }
    JsonValue write(JsonAllocator& a) const { return leadingArray(items, std::size(items), a); }
    template <class G>
    void members(G&& g) const { g(items); }
};
template <class Array>
FixedArray<Array> fixedArray(Array& items, const char* sizeMessage) {
    return {{}, items, sizeMessage};
}
template <class Array>
FixedArray<Array> fixedArray(Array& items, const char* sizeMessage,
                             const typename FixedArray<Array>::Item& fallback) {
    return {{}, items, sizeMessage, true, fallback};
}

// A sub-record whose class the value decides: `make(value)` reads it (null when it cannot),
// and it is written only when set.
template <class Ptr, class Make>
struct MadeBy : FieldAdapter {
    Ptr& record;
    Make make;

    bool present() const { return record != nullptr; }
    void read(const JsonValue& m) const { record = make(m); }
    JsonValue write(JsonAllocator& a) const { return toJson(record, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, record); }
    template <class G>
    void members(G&& g) const { g(record); }
};
template <class Ptr, class Make>
MadeBy<Ptr, Make> madeBy(Ptr& record, Make make) {
    return {{}, record, make};
}

// A value the record fixes itself (its kind, say): written, never read, not compared.
template <class T>
struct WriteOnly : FieldAdapter {
    T value;

    bool present() const { return true; }
    void read(const JsonValue&) const {}
    JsonValue write(JsonAllocator& a) const { return toJson(value, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, value); }
    template <class G>
    void members(G&&) const {}
};
template <class T>
WriteOnly<T> writeOnly(T value) {
    return {{}, value};
}

// A value that is written only when its flag is set; reading it sets the flag.
template <class T, class Flag>
struct FlaggedValue : FieldAdapter {
    T& value;
    Flag& has;

    bool present() const { return has; }
    void read(const JsonValue& m) const {
        if (fromJson(m, value)) has = true;
    }
    JsonValue write(JsonAllocator& a) const { return toJson(value, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, value); }
    template <class G>
    void members(G&& g) const { g(value); g(has); }
};
template <class T, class Flag>
FlaggedValue<T, Flag> flagged(T& value, Flag& has) {
    return {{}, value, has};
}

// A group of keys in an object of its own. `list(g)` calls g(L"key", field) for each key of
// the group, as a `fields` list does. With a flag, the object is present exactly when the
// flag is set: reading an object sets it (and reads the group), any other value clears it.
template <class Flag, class List>
struct SubObject : FieldAdapter {
    Flag* flag;
    List list;

    bool present() const { return flag == nullptr || *flag; }
    void read(const JsonValue& m) const;
    JsonValue write(JsonAllocator& a) const;
    void emit(detail::BinaryWriter& out) const {
        out.StartObject();
        list(BinaryFieldWriter{out});
        out.EndObject();
    }
    template <class G>
    void members(G&& g) const {
        if (flag != nullptr) g(*flag);
        list([&](const wchar_t*, auto&& field, bool = true) {
            if constexpr (isAdapter<decltype(field)>)
                field.members(g);
            else
                g(field);
        });
    }
};
template <class Flag, class List>
SubObject<Flag, List> subObject(Flag& flag, List list) {
    return {{}, &flag, std::move(list)};
}
template <class List>
SubObject<bool, List> subObject(List list) {
    return {{}, nullptr, std::move(list)};
}

// The first `count` items of a fixed-size array. Items are taken in order up to the first
// missing one or one of the wrong kind; the rest keep their value. With a flag, the array is
// written only when the flag is set, and a member that is an array sets it.
template <class Array, class Flag>
struct LeadingItems : FieldAdapter {
    Array& items;
    std::size_t count;
    Flag* has;

    bool present() const { return has == nullptr || *has; }
    void read(const JsonValue& m) const {
        if (!m.IsArray()) return;
        if (has != nullptr) *has = true;
        for (rapidjson::SizeType i = 0; i < count && i < m.Size() && itemFromJson(m[i], items[i]); ++i) {}
    }
    JsonValue write(JsonAllocator& a) const { return leadingArray(items, count, a); }
    template <class G>
    void members(G&& g) const {
        g(items);
        if (has != nullptr) g(*has);
    }
};
template <class Array, class Flag>
LeadingItems<Array, Flag> leadingItems(Array& items, std::size_t count, Flag& has) {
    return {{}, items, count, &has};
}
template <class Array, class Flag>
LeadingItems<Array, Flag> leadingItems(Array& items, Flag& has) {
    return {{}, items, std::size(items), &has};
}
template <class Array>
LeadingItems<Array, bool> leadingItems(Array& items) {
    return {{}, items, std::size(items), nullptr};
}

// One colour channel, written as an unsigned number when `has` is set; reading one sets it.
template <class Channel, class Flag>
struct FlaggedChannel : FieldAdapter {
    Channel& channel;
    Flag& has;

    bool present() const { return has; }
    void read(const JsonValue& m) const {
        if (itemFromJson(m, channel)) has = true;
    }
    JsonValue write(JsonAllocator& a) const { return itemToJson(channel, a); }
    template <class G>
    void members(G&& g) const { g(channel); g(has); }
};
template <class Channel, class Flag>
FlaggedChannel<Channel, Flag> flaggedChannel(Channel& channel, Flag& has) {
    return {{}, channel, has};
}

// A fixed-size array that travels as an object with one member per item, named by `names`
// in item order. Members that are missing or of the wrong kind keep their item.
template <class Array>
struct NamedItems : FieldAdapter {
    Array& items;
    const wchar_t* const* names;

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        for (std::size_t i = 0; i < std::size(items); ++i) get(m, names[i], items[i]);
    }
    JsonValue write(JsonAllocator& a) const {
        JsonValue object(rapidjson::kObjectType);
        for (std::size_t i = 0; i < std::size(items); ++i) put(object, a, names[i], items[i]);
        return object;
    }
    template <class G>
    void members(G&& g) const { g(items); }
};
template <class Array>
NamedItems<Array> namedItems(Array& items, const wchar_t* const* names) {
    return {{}, items, names};
}

// A list or set whose items are read one by one and handed to `add` (which may index,
// refuse or merge them), and written as an array in container order, null entries skipped.
template <class List, class Add>
struct AddedBy : FieldAdapter {
    List& list;
    Add add;

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (!m.IsArray()) return;
        for (const auto& item : m.GetArray()) {
            typename std::decay_t<List>::value_type value{};
            if (fromJson(item, value)) add(std::move(value));
        }
    }
    JsonValue write(JsonAllocator& a) const { return toJson(list, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, list); }
    template <class G>
    void members(G&& g) const { g(list); }
};
template <class List, class Add>
AddedBy<List, Add> addedBy(List& list, Add add) {
    return {{}, list, std::move(add)};
}

// A sub-record that travels as null while unset; a null member leaves it as it is, where
// reading null into a fresh record would invent one.
template <class T>
struct NullableRecord : FieldAdapter {
    T& record;  // a std::shared_ptr

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (!m.IsNull()) fromJson(m, record);
    }
    JsonValue write(JsonAllocator& a) const { return toJson(record, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, record); }
    template <class G>
    void members(G&& g) const { g(record); }
};
template <class T>
NullableRecord<T> nullableRecord(T& record) {
    return {{}, record};
}

// An enumeration whose values are character codes, written as a one-character string. Reading
// takes the first character of a string when it is one of `codes`.
template <class E>
struct CharCode : FieldAdapter {
    E& value;
    const wchar_t* codes;

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (!m.IsString() || m.GetStringLength() == 0) return;
        const wchar_t c = m.GetString()[0];
        for (const wchar_t* p = codes; *p != L'\0'; ++p)
            if (*p == c) value = static_cast<std::decay_t<E>>(c);
    }
    JsonValue write(JsonAllocator& a) const {
        const wchar_t c = static_cast<wchar_t>(value);
        return JsonValue(&c, 1, a);
    }
    template <class G>
    void members(G&& g) const { g(value); }
};
template <class E>
CharCode<E> charCode(E& value, const wchar_t* codes) {
    return {{}, value, codes};
}

template <class T> struct IsVector : std::false_type {};
template <class T> struct IsVector<std::vector<T>> : std::true_type {};

// A map keyed by an enumeration that travels as an object with one member per entry, named
// by the key's name, in key order. `codec.read(member, item)` takes a member's value into a
// fresh item and gives false for one of the wrong shape, which is skipped and logged as
// `codec.refusal` at `codec.level`; a taken list is appended to the entry's list, any other
// item replaces the entry. `codec.write(item, allocator)` gives an item's value.
template <class Map, class Codec>
struct EnumKeyed : FieldAdapter {
    Map& map;
    Codec codec;

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (!m.IsObject()) return;
        using Key = typename std::decay_t<Map>::key_type;
        using Item = typename std::decay_t<Map>::mapped_type;
        for (const auto& member : m.GetObject()) {
            Item item{};
            if (!codec.read(member.value, item)) {
                detail::logText(codec.level, codec.refusal);
                continue;
            }
            Item& entry = map[enumFromString<Key>(member.name.GetString(), member.name.GetStringLength())];
            if constexpr (IsVector<Item>::value)
                entry.insert(entry.end(), std::make_move_iterator(item.begin()), std::make_move_iterator(item.end()));
            else
                entry = std::move(item);
        }
    }
    JsonValue write(JsonAllocator& a) const {
        JsonValue object(rapidjson::kObjectType);
        for (const auto& [key, item] : map) object.AddMember(toJson(key, a), codec.write(item, a), a);
        return object;
    }
    template <class G>
    void members(G&& g) const { g(map); }
};
template <class Map, class Codec>
EnumKeyed<Map, Codec> enumKeyed(Map& map, Codec codec) {
    return {{}, map, std::move(codec)};
}

// ---- packed numbers

// The packed wire form is little-endian; the bytes of our lists are taken as they stand.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "packed lists assume a little-endian host");

// Items of a plain number array; an item of the wrong kind reads as 0.
inline void numberFromJson(const JsonValue& v, float& out) {
    // Out-of-range doubles become infinities, as the hardware makes them (a plain cast of
    // such a value is undefined).
    const double d = v.IsDouble() ? v.GetDouble() : 0.0;
    out = d > FLT_MAX ? std::numeric_limits<float>::infinity()
        : d < -FLT_MAX ? -std::numeric_limits<float>::infinity() : static_cast<float>(d);
}
inline void numberFromJson(const JsonValue& v, int& out) { out = v.IsInt() ? v.GetInt() : 0; }

// Appends one value per item of a number array.
template <class T>
void appendNumbers(const JsonValue& array, std::vector<T>& values) {
    values.reserve(values.size() + array.Size());
    for (const auto& item : array.GetArray()) numberFromJson(item, values.emplace_back());
}

// A number list that travels as a plain JSON array (floats as doubles), always written.
// Reading an array appends to the list; a member of another kind is ignored.
template <class List>
struct NumberArray : FieldAdapter {
    List& values;

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        if (m.IsArray()) appendNumbers(m, values);
    }
    JsonValue write(JsonAllocator& a) const {
        JsonValue array(rapidjson::kArrayType);
        array.Reserve(static_cast<rapidjson::SizeType>(values.size()), a);
        for (const auto v : values) array.PushBack(v, a);
        return array;
    }
    template <class G>
    void members(G&& g) const { g(values); }
};
template <class List>
NumberArray<List> numberArray(List& values) {
    return {{}, values};
}

// Values as one Base64 string of their bytes, encoded straight into the document's pool: the
// text of a large mesh runs to hundreds of megabytes, and a scratch copy would double them.
template <class T>
JsonValue packedText(const std::vector<T>& values, JsonAllocator& a) {
    const std::size_t bytes = values.size() * sizeof(T);
    const std::size_t length = detail::base64Length(bytes);
    auto* text = static_cast<wchar_t*>(a.Malloc((length + 1) * sizeof(wchar_t)));
    detail::base64Encode(text, values.data(), bytes);
    text[length] = L'\0';
    return JsonValue(rapidjson::StringRef(text, static_cast<rapidjson::SizeType>(length)));
}

// Packed data that does not decode whole was damaged on its way; taking the part before
// the damage would pass a fraction of a mesh off as all of it.
[[noreturn]] inline void packedDamaged(const char* owner, const wchar_t* key, const std::string& why) {
    throw std::invalid_argument(std::string(owner) + ": packed " + toNarrow(key) + " data is damaged: " + why);
}

// `values` becomes the whole values of the packed text `text`, in whole groups of `group`;
// damaged text throws std::invalid_argument naming the owner and the key.
template <class T>
void checkUnpacked(bool whole, const std::vector<T>& values, const char* owner, const wchar_t* key,
                   std::size_t group) {
    if (!whole) packedDamaged(owner, key, "its Base64 text does not decode whole");
    if (values.size() % group != 0)
        packedDamaged(owner, key, std::to_string(values.size()) + " values do not make whole groups of " +
                                      std::to_string(group));
}
template <class T>
void unpackText(const JsonValue& text, std::vector<T>& values, const char* owner, const wchar_t* key,
                std::size_t group = 1) {
    checkUnpacked(detail::base64DecodeInto(text.GetString(), text.GetStringLength(), values), values, owner, key,
                  group);
}
// The same for the text that comes next in `in`, decoded as it arrives.
template <class T>
void unpackText(detail::BinaryReader& in, std::vector<T>& values, const char* owner, const wchar_t* key,
                std::size_t group = 1) {
    struct Into final : detail::PackedSink {
        std::vector<T>& values;
        explicit Into(std::vector<T>& v) : values(v) {}
        unsigned char* room(std::size_t bytes) override {
            const std::size_t n = (bytes + sizeof(T) - 1) / sizeof(T);
            if (values.capacity() < n) {
                values.reserve(n);
                detail::adviseHugePages(values.data(), n * sizeof(T));  // before its pages are first touched
            }
            values.resize(n);
            return reinterpret_cast<unsigned char*>(values.data());
        }
    } into(values);
    values.clear();
    bool whole = false;
    const std::size_t bytes = in.packedText(into, whole);
    values.resize(bytes / sizeof(T));
    checkUnpacked(whole && bytes % sizeof(T) == 0, values, owner, key, group);
}

// The ERROR record of a packed member that is neither text nor an array, naming the key
// with its words apart.
inline void logUnpackable(const char* owner, const wchar_t* key) {
    detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
        std::string name = toNarrow(key);
        std::replace(name.begin(), name.end(), '_', ' ');
        os << owner << ": unknown type of " << name << " data (not array, not base64 string)";
    });
}

// A number list that travels as packed text (see packedText), written only when it is not
// empty. Text replaces the list; an array appends to it (see numberArray). Values come in
// whole groups of `group`.
template <class List>
struct PackedNumbers : FieldAdapter {
    List& values;
    const wchar_t* key;
    const char* owner;
    std::size_t group;

    bool present() const { return !values.empty(); }
    void read(const JsonValue& m) const {
        if (m.IsString())
            unpackText(m, values, owner, key, group);
        else if (m.IsArray())
            appendNumbers(m, values);
        else
            logUnpackable(owner, key);
    }
    void readBinary(detail::BinaryReader& in) const {
        if (in.peek() == detail::BinaryReader::Kind::string) return unpackText(in, values, owner, key, group);
        in.throughValue([&](const JsonValue& m) { read(m); });
    }
    JsonValue write(JsonAllocator& a) const { return packedText(values, a); }
    void emit(detail::BinaryWriter& out) const { out.packedText(values.data(), values.size() * sizeof(values[0])); }
    template <class G>
    void members(G&& g) const { g(values); }
};
// Lists the field: its damage errors name `owner` and the key.
//   json::packed(f, L"vertices", s.m_vertices, "ExcVisuFace", 3);
template <class F, class List>
void packed(F&& f, const wchar_t* key, List& values, const char* owner, std::size_t group = 1) {
    f(key, PackedNumbers<List>{{}, values, key, owner, group});
}

// A value that travels as a plain member but is left out of equality: it says how to show
// a record, not what the record holds.
template <class T>
struct Uncompared : FieldAdapter {
    T& value;

    bool present() const { return true; }
    void read(const JsonValue& m) const { fromJson(m, value); }
    JsonValue write(JsonAllocator& a) const { return toJson(value, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, value); }
    template <class G>
    void members(G&&) const {}
};
template <class T>
Uncompared<T> uncompared(T& value) {
    return {{}, value};
}

// A value that stays in this process: compared, never written, and a member of that name
// is ignored.
template <class T>
struct LocalOnly : FieldAdapter {
    T& value;

    bool present() const { return false; }
    void read(const JsonValue&) const {}
    JsonValue write(JsonAllocator&) const { return JsonValue(); }
    template <class G>
    void members(G&& g) const { g(value); }
};
template <class T>
LocalOnly<T> localOnly(T& value) {
    return {{}, value};
}

// An enumeration written by its name and read through `fromName`: for one whose unknown
// names read as a fixed value (enumFromStringOr, next to its table) rather than the first name.
template <class E>
struct EnumReadBy : FieldAdapter {
    E& value;
    std::remove_const_t<E> (*fromName)(const std::wstring&);

    bool present() const { return true; }
    void read(const JsonValue& m) const {
        std::wstring name;
        if (fromJson(m, name)) value = fromName(name);
    }
    JsonValue write(JsonAllocator& a) const { return toJson(value, a); }
    void emit(detail::BinaryWriter& out) const { json::emit(out, value); }
    template <class G>
    void members(G&& g) const { g(value); }
};
template <class E>
EnumReadBy<E> enumReadBy(E& value, std::remove_const_t<E> (*fromName)(const std::wstring&)) {
    return {{}, value, fromName};
}

template <class Flag, class List>
void SubObject<Flag, List>::read(const JsonValue& m) const {
    if (flag != nullptr) *flag = m.IsObject();
    if (m.IsObject()) list(Reader{m});
}
template <class Flag, class List>
JsonValue SubObject<Flag, List>::write(JsonAllocator& a) const {
    JsonValue object(rapidjson::kObjectType);
    list(Writer{object, a});
    return object;
}

}  // namespace trx::json
