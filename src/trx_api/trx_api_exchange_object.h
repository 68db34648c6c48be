#pragma once

// Exchange objects: the top-level records that travel on their own between the two
// processes, and the registry that turns an object name into a fresh object.

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../mp/serializable.h"
#include "json/json_object.h"

namespace trx {

class TRX_API IExchangeObject : public IJsonObject {
public:
    IExchangeObject() = default;
    IExchangeObject(const IExchangeObject&) = default;
    IExchangeObject(IExchangeObject&&) = default;
    IExchangeObject& operator=(const IExchangeObject&) = default;
    IExchangeObject& operator=(IExchangeObject&&) = default;
    ~IExchangeObject() override = default;

    // The class's object name (its static objName()).
    virtual const std::wstring& objectName() const = 0;
    // A fresh default object of the same class; fields are not copied.
    virtual std::shared_ptr<IExchangeObject> clone() const = 0;
    // Travels as binary JSON through a shared buffer instead of inside the text.
    virtual bool binary() const { return false; }
    // The binary form is gzip-compressed.
    virtual bool compress() const { return false; }
    virtual bool isLoaded() const { return m_loaded; }
    // Fills a binary object from the buffer named by source and removes the buffer, so it
    // loads once. Does nothing when loaded already, without a source, or not binary.
    // Failures propagate (mp::SharedMemoryException, std::runtime_error from expansion,
    // std::length_error or std::invalid_argument from binary JSON or from a record that
    // refuses what it reads) and leave it unloaded; the library's own classes also as they
    // were (see copyForLoading).
    virtual void load();

    const std::wstring& source() const { return m_source; }
    void setSource(const std::wstring& source) { m_source = source; }

    // A random (version 4) UUID, 36 lower-case characters.
    static std::wstring generateUUID();

protected:
    void setLoaded(bool loaded) { m_loaded = loaded; }
    // What load() fills and then takes over, so that a payload found damaged half way leaves
    // this object as it was: a copy of this object (pointers in it shared), and the move of
    // such a copy back into it. A class that has none is filled from the payload's document.
    virtual std::shared_ptr<IExchangeObject> copyForLoading() const { return nullptr; }
    virtual void takeLoaded(IExchangeObject&& /*loaded*/) {}

private:
    std::wstring m_source;
    bool m_loaded = false;
};

// Object name -> prototype. Filled while the library initialises, read afterwards.
class TRX_API ExchangeObjectRegistry {
public:
    // Created on first use, so prototypes in any translation unit may register early.
    static ExchangeObjectRegistry& instance();

    // Null is ignored; a second registration under one name replaces the first.
    void add(IExchangeObject* object);
    // Erases the entry under the object's name, whatever it holds.
    void remove(IExchangeObject* object);
    // A fresh object of the named class, or empty for an unknown name.
    std::shared_ptr<IExchangeObject> get(const std::wstring& name) const;
    // The names of the registered classes, in order.
    std::vector<std::wstring> names() const;

    ExchangeObjectRegistry(const ExchangeObjectRegistry&) = delete;
    ExchangeObjectRegistry& operator=(const ExchangeObjectRegistry&) = delete;

private:
    ExchangeObjectRegistry() = default;
    ~ExchangeObjectRegistry() = default;

    std::map<std::wstring, IExchangeObject*> m_prototypes;
};

// The registered prototype of T: one static instance per class, inside the library.
// Never copied: a copy would not be registered, yet destroying it would unregister T.
template <class T>
class StaticExchangeObject : public T {
public:
    StaticExchangeObject() { ExchangeObjectRegistry::instance().add(this); }
    ~StaticExchangeObject() override { ExchangeObjectRegistry::instance().remove(this); }
    StaticExchangeObject(const StaticExchangeObject&) = delete;
    StaticExchangeObject& operator=(const StaticExchangeObject&) = delete;
};

// The envelope that carries one exchange object over a wide stream as one compact JSON
// document: {"exchange_object_name": name, ["binary": true,] "exchange_object_data": data}.
// Text-form objects put their own JSON in the data; binary ones put it, as binary JSON
// (gzip-compressed when the class asks), into a fresh shared buffer and send its name.
class TRX_API ExchangeObjectWrapper : public mp::ISerializable {
public:
    ExchangeObjectWrapper() = default;
    explicit ExchangeObjectWrapper(const std::shared_ptr<IExchangeObject>& object) : m_pObject(object) {}

    // Copies share the object.
    void set(const std::shared_ptr<IExchangeObject>& object) { m_pObject = object; }
    std::shared_ptr<IExchangeObject> get() const { return m_pObject; }
    // The object as a T, or null when there is none or it is of another class.
    template <class T>
    std::shared_ptr<T> getAs() const { return std::dynamic_pointer_cast<T>(m_pObject); }
    // When set, a binary object read from an envelope keeps its source and waits for load().
    void setDelayedLoading(bool delayed) { m_delayedLoading = delayed; }
    bool delayedLoading() const { return m_delayedLoading; }

    // Throws std::invalid_argument without an object, std::runtime_error when the JSON
    // cannot be written; shared-memory and compression failures propagate. A binary
    // object's buffer is removed again when the envelope does not reach the stream.
    void writeObject(std::wostream& os) const override;
    // Throws std::invalid_argument "Invalid json document" unless the stream holds exactly
    // one JSON object. A missing or unknown name leaves get() empty; malformed data is
    // logged and leaves a default object.
    void readObject(std::wistream& is) override;

private:
    std::shared_ptr<IExchangeObject> m_pObject;
    bool m_delayedLoading = false;
};

}  // namespace trx

// The members every exchange-object class declares, in its class body (leaves the
// section public):
//   class TRX_API ExcMessage : public ExcMessageBase {
//       TRX_EXCHANGE_OBJECT(ExcMessage)
//       ...
#define TRX_EXCHANGE_OBJECT(Class)                                                   \
public:                                                                              \
    static const std::wstring s_objectName;                                          \
    static const std::wstring& objName() { return s_objectName; }                    \
    const std::wstring& objectName() const override { return s_objectName; }         \
    std::shared_ptr<::trx::IExchangeObject> clone() const override {                 \
        return std::make_shared<Class>();                                            \
    }                                                                                \
                                                                                     \
protected:                                                                           \
    std::shared_ptr<::trx::IExchangeObject> copyForLoading() const override {        \
        return std::make_shared<Class>(*this);                                       \
    }                                                                                \
    void takeLoaded(::trx::IExchangeObject&& loaded) override {                      \
        *this = std::move(static_cast<Class&>(loaded));                              \
    }                                                                                \
                                                                                     \
public:

// In the class's .cpp, at namespace scope of the class:
//   TRX_REGISTER_EXCHANGE_OBJECT(ExcMessage, L"exc_message");
// Defines the name and then the registered prototype. Both sit in one translation unit in
// this order, so the prototype never reads a name that is not yet constructed.
#define TRX_REGISTER_EXCHANGE_OBJECT(Class, name)                                    \
    const std::wstring Class::s_objectName = name;                                   \
    static ::trx::StaticExchangeObject<Class> TRX_EXC_CAT(s_trxPrototype, __LINE__)
#define TRX_EXC_CAT(a, b) TRX_EXC_CAT2(a, b)
#define TRX_EXC_CAT2(a, b) a##b
