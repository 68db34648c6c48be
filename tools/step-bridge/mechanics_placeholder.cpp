// Stands in for the mechanics reader until it lands: no PMI, no misc data, no warnings.

#include "mechanics.h"

namespace trx::step {

struct MechanicsReader::Impl {
    std::vector<std::wstring> warnings;
};

MechanicsReader::MechanicsReader(const StepDocument&) : m_impl(std::make_unique<Impl>()) {}
MechanicsReader::~MechanicsReader() = default;

PartMechanics MechanicsReader::of(const TDF_Label&, std::uint64_t) const { return {}; }

std::shared_ptr<ExcPMIData> MechanicsReader::root() const { return nullptr; }

const std::vector<std::wstring>& MechanicsReader::warnings() const { return m_impl->warnings; }

}  // namespace trx::step
