// The base of the option groups, the group factory and every group's JSON form.

#include <type_traits>

#include "../trx_api_option_groups.h"

#include "../detail/fields.h"
#include "../detail/trace.h"

namespace trx {

void IFormatOptions::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "FormatOptions")) return;
    auto operation = EOperationType::Options;
    json::get(value, L"operation_type", operation);
    if (operation != operationType()) {
        detail::logText(vx_bridge::kError, "FormatOptions operation type doesn't match.");
        return;
    }
    auto format = EFormatType::unknown;
    json::get(value, L"format_type", format);
    if (format != formatType())
        detail::logText(vx_bridge::kError, "FormatOptions format type doesn't match.");
}

void IFormatOptions::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"operation_type", operationType());
    json::put(value, allocator, L"format_type", formatType());
}

EOperationType IFormatOptions::operationType() const { return EOperationType::Options; }
EOperationType imp::FormatOptions::operationType() const { return EOperationType::Import; }
EOperationType exp::FormatOptions::operationType() const { return EOperationType::Export; }

// Every group class, with the name its ERROR record uses.
#define TRX_GROUP_CLASSES(X) \
    X(OptionsGeneral, "OptionsGeneral") \
    X(OptionsGraphical, "OptionsGraphical") \
    X(OptionsMechanical, "OptionsMechanical") \
    X(OptionsModeler, "OptionsModeler") \
    X(imp::Options3DXML, "Options3DXML") \
    X(imp::OptionsCatiaV4, "OptionsCatiaV4") \
    X(imp::OptionsCatiaV5, "OptionsCatiaV5") \
    X(imp::OptionsCatiaV5Drawing, "OptionsCatiaV5Drawing") \
    X(imp::OptionsCreo, "OptionsCreo") \
    X(imp::OptionsIGES, "OptionsIGES") \
    X(imp::OptionsInventor, "OptionsInventor") \
    X(imp::OptionsJT, "OptionsJT") \
    X(imp::OptionsNX, "OptionsNX") \
    X(imp::OptionsParasolid, "OptionsParasolid") \
    X(imp::OptionsSolidEdge, "OptionsSolidEdge") \
    X(imp::OptionsSolidWorks, "OptionsSolidWorks") \
    X(imp::OptionsSolidWorksDrawing, "OptionsSolidWorksDrawing") \
    X(imp::OptionsSTEP, "OptionsSTEP") \
    X(imp::OptionsXCGM, "OptionsXCGM") \
    X(exp::Options3DXML, "Options3DXML") \
    X(exp::OptionsAcis, "OptionsAcis") \
    X(exp::OptionsCatiaV4, "OptionsCatiaV4") \
    X(exp::OptionsCatiaV5, "OptionsCatiaV5") \
    X(exp::OptionsIGES, "OptionsIges") \
    X(exp::OptionsParasolid, "OptionsParasolid") \
    X(exp::OptionsSTEP, "OptionsStep") \
    X(exp::OptionsXCGM, "OptionsXCGM") \
    X(exp::OptionsSTL, "OptionsSTL") \
    X(exp::OptionsPDF, "OptionsPDF")

namespace {

struct GroupClass {
    EOperationType operation;
    EFormatType format;
    std::shared_ptr<IFormatOptions> (*make)();
};

template <class G>
constexpr EOperationType operationOf() {
    if (std::is_base_of_v<imp::FormatOptions, G>) return EOperationType::Import;
    if (std::is_base_of_v<exp::FormatOptions, G>) return EOperationType::Export;
    return EOperationType::Options;
}

template <class G>
constexpr GroupClass groupClass() {
    return {operationOf<G>(), G::kFormatType,
            [] { return std::shared_ptr<IFormatOptions>(std::make_shared<G>()); }};
}

#define TRX_GROUP_CLASS(Class, className) groupClass<Class>(),
const GroupClass kGroups[] = {TRX_GROUP_CLASSES(TRX_GROUP_CLASS)};
#undef TRX_GROUP_CLASS

const char* noClassText(EOperationType operation) {
    if (operation == EOperationType::Import) return "FormatOptions: No options for given import format.";
    if (operation == EOperationType::Export) return "FormatOptions: No options for given export format.";
    return "FormatOptions: Unknown common options type.";
}

}  // namespace

std::shared_ptr<IFormatOptions> IFormatOptions::readOptions(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "FormatOptions")) return nullptr;
    auto operation = EOperationType::Options;
    if (!json::get(value, L"operation_type", operation)) {
        detail::logText(vx_bridge::kError, "FormatOptions object should contain operation type.");
        return nullptr;
    }
    auto format = EFormatType::unknown;
    if (!json::get(value, L"format_type", format)) {
        detail::logText(vx_bridge::kError, "FormatOptions object should contain format type.");
        return nullptr;
    }
    for (const GroupClass& g : kGroups) {
        if (g.operation != operation || g.format != format) continue;
        auto group = g.make();
        group->readObject(value);
        return group;
    }
    detail::logText(vx_bridge::kInfo, noClassText(operation));
    return nullptr;
}

// A group's JSON form is the classification, then the keys of its fields() list; equality
// runs over the same list.
#define TRX_DEFINE_OPTION_GROUP(Class, className)                                                  \
    void Class::readObject(const JsonValue& value) {                                               \
        TRX_TRACE();                                                                               \
        json::readRecord<IFormatOptions>(*this, value, className, TRX_FIELDS_LIST_);               \
    }                                                                                              \
    void Class::writeObject(JsonValue& value, JsonAllocator& allocator) const {                    \
        TRX_TRACE();                                                                               \
        json::writeRecord<IFormatOptions>(*this, value, allocator, TRX_FIELDS_LIST_);              \
    }                                                                                              \
    bool Class::operator==(const Class& o) const { return json::sameFields(*this, o, TRX_FIELDS_LIST_); } \
    TRX_BINARY_THROUGH_DOCUMENT(Class)

TRX_GROUP_CLASSES(TRX_DEFINE_OPTION_GROUP)

}  // namespace trx
