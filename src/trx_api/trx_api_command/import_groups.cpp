// The option groups of the import formats.

#include "../detail/option_groups.h"

namespace trx {

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

}  // namespace trx
