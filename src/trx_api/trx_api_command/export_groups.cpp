// The option groups of the export formats.

#include "../detail/option_groups.h"

namespace trx {

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
