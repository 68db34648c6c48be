#pragma once

// Exchange objects: the top-level records that travel on their own between the two
// processes, and the registry that turns an object name into a fresh object.

#include <map>
#include <memory>
#include <string>

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
    // Fills a binary object from the buffer named by source and removes the buffer.
    virtual void load();

    const std::wstring& source() const { return m_source; }
    void setSource(const std::wstring& source) { m_source = source; }

    // A random (version 4) UUID, 36 lower-case characters.
    static std::wstring generateUUID();

protected:
    void setLoaded(bool loaded) { m_loaded = loaded; }

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
    }

// In the class's .cpp, at namespace scope of the class:
//   TRX_REGISTER_EXCHANGE_OBJECT(ExcMessage, L"exc_message");
// Defines the name and then the registered prototype. Both sit in one translation unit in
// this order, so the prototype never reads a name that is not yet constructed.
#define TRX_REGISTER_EXCHANGE_OBJECT(Class, name)                                    \
    const std::wstring Class::s_objectName = name;                                   \
    static ::trx::StaticExchangeObject<Class> TRX_EXC_CAT(s_trxPrototype, __LINE__)
#define TRX_EXC_CAT(a, b) TRX_EXC_CAT2(a, b)
#define TRX_EXC_CAT2(a, b) a##b
