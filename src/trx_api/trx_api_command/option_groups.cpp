// The base of the option groups, the group factory and every group's JSON form.

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

namespace {

struct GroupClass {
    EFormatType format;
    std::shared_ptr<IFormatOptions> (*make)();
};

template <class G>
constexpr GroupClass groupClass() {
    return {G::kFormatType, [] { return std::shared_ptr<IFormatOptions>(std::make_shared<G>()); }};
}

const GroupClass kCommonGroups[] = {
    groupClass<OptionsGeneral>(), groupClass<OptionsGraphical>(),
    groupClass<OptionsMechanical>(), groupClass<OptionsModeler>()};

const GroupClass kImportGroups[] = {
    groupClass<imp::Options3DXML>(), groupClass<imp::OptionsCatiaV4>(),
    groupClass<imp::OptionsCatiaV5>(), groupClass<imp::OptionsCatiaV5Drawing>(),
    groupClass<imp::OptionsCreo>(), groupClass<imp::OptionsIGES>(),
    groupClass<imp::OptionsInventor>(), groupClass<imp::OptionsJT>(),
    groupClass<imp::OptionsNX>(), groupClass<imp::OptionsParasolid>(),
    groupClass<imp::OptionsSolidEdge>(), groupClass<imp::OptionsSolidWorks>(),
    groupClass<imp::OptionsSolidWorksDrawing>(), groupClass<imp::OptionsSTEP>(),
    groupClass<imp::OptionsXCGM>()};

const GroupClass kExportGroups[] = {
    groupClass<exp::Options3DXML>(), groupClass<exp::OptionsAcis>(),
    groupClass<exp::OptionsCatiaV4>(), groupClass<exp::OptionsCatiaV5>(),
    groupClass<exp::OptionsIGES>(), groupClass<exp::OptionsParasolid>(),
    groupClass<exp::OptionsSTEP>(), groupClass<exp::OptionsXCGM>(),
    groupClass<exp::OptionsSTL>(), groupClass<exp::OptionsPDF>()};

template <std::size_t N>
std::shared_ptr<IFormatOptions> make(const GroupClass (&table)[N], EFormatType format,
                                     const char* noClassText) {
    for (const GroupClass& g : table)
        if (g.format == format) return g.make();
    detail::logText(vx_bridge::kInfo, noClassText);
    return nullptr;
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
    std::shared_ptr<IFormatOptions> group;
    switch (operation) {
    case EOperationType::Options:
        group = make(kCommonGroups, format, "FormatOptions: Unknown common options type.");
        break;
    case EOperationType::Import:
        group = make(kImportGroups, format, "FormatOptions: No options for given import format.");
        break;
    case EOperationType::Export:
        group = make(kExportGroups, format, "FormatOptions: No options for given export format.");
        break;
    }
    if (group) group->readObject(value);
    return group;
}

// A group's JSON form is the classification, then the keys of its fields() list; equality
// runs over the same list. className is the name the group's ERROR record uses.
#define TRX_DEFINE_OPTION_GROUP(Class, className)                                                  \
    void Class::readObject(const JsonValue& value) {                                               \
        TRX_TRACE();                                                                               \
        json::readRecord<IFormatOptions>(*this, value, className, TRX_FIELDS_LIST_);               \
    }                                                                                              \
    void Class::writeObject(JsonValue& value, JsonAllocator& allocator) const {                    \
        TRX_TRACE();                                                                               \
        json::writeRecord<IFormatOptions>(*this, value, allocator, TRX_FIELDS_LIST_);              \
    }                                                                                              \
    bool Class::operator==(const Class& o) const { return json::sameFields(*this, o, TRX_FIELDS_LIST_); }

TRX_DEFINE_OPTION_GROUP(OptionsGeneral, "OptionsGeneral")
TRX_DEFINE_OPTION_GROUP(OptionsGraphical, "OptionsGraphical")
TRX_DEFINE_OPTION_GROUP(OptionsMechanical, "OptionsMechanical")
TRX_DEFINE_OPTION_GROUP(OptionsModeler, "OptionsModeler")

TRX_DEFINE_OPTION_GROUP(imp::Options3DXML, "Options3DXML")
TRX_DEFINE_OPTION_GROUP(imp::OptionsCatiaV4, "OptionsCatiaV4")
TRX_DEFINE_OPTION_GROUP(imp::OptionsCatiaV5, "OptionsCatiaV5")
TRX_DEFINE_OPTION_GROUP(imp::OptionsCatiaV5Drawing, "OptionsCatiaV5Drawing")
TRX_DEFINE_OPTION_GROUP(imp::OptionsCreo, "OptionsCreo")
TRX_DEFINE_OPTION_GROUP(imp::OptionsIGES, "OptionsIGES")
TRX_DEFINE_OPTION_GROUP(imp::OptionsInventor, "OptionsInventor")
TRX_DEFINE_OPTION_GROUP(imp::OptionsJT, "OptionsJT")
TRX_DEFINE_OPTION_GROUP(imp::OptionsNX, "OptionsNX")
TRX_DEFINE_OPTION_GROUP(imp::OptionsParasolid, "OptionsParasolid")
TRX_DEFINE_OPTION_GROUP(imp::OptionsSolidEdge, "OptionsSolidEdge")
TRX_DEFINE_OPTION_GROUP(imp::OptionsSolidWorks, "OptionsSolidWorks")
TRX_DEFINE_OPTION_GROUP(imp::OptionsSolidWorksDrawing, "OptionsSolidWorksDrawing")
TRX_DEFINE_OPTION_GROUP(imp::OptionsSTEP, "OptionsSTEP")
TRX_DEFINE_OPTION_GROUP(imp::OptionsXCGM, "OptionsXCGM")

TRX_DEFINE_OPTION_GROUP(exp::Options3DXML, "Options3DXML")
TRX_DEFINE_OPTION_GROUP(exp::OptionsAcis, "OptionsAcis")
TRX_DEFINE_OPTION_GROUP(exp::OptionsCatiaV4, "OptionsCatiaV4")
TRX_DEFINE_OPTION_GROUP(exp::OptionsCatiaV5, "OptionsCatiaV5")
TRX_DEFINE_OPTION_GROUP(exp::OptionsIGES, "OptionsIges")
TRX_DEFINE_OPTION_GROUP(exp::OptionsParasolid, "OptionsParasolid")
TRX_DEFINE_OPTION_GROUP(exp::OptionsSTEP, "OptionsStep")
TRX_DEFINE_OPTION_GROUP(exp::OptionsXCGM, "OptionsXCGM")
TRX_DEFINE_OPTION_GROUP(exp::OptionsSTL, "OptionsSTL")
TRX_DEFINE_OPTION_GROUP(exp::OptionsPDF, "OptionsPDF")

}  // namespace trx
