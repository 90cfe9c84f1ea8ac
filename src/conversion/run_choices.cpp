#include "conversion/run_choices.h"

namespace kovrel::conversion {

std::optional<EnterpriseChoice> defaultEnterprise(Mode mode, const EnterpriseListing* listing) {
    if (mode == Mode::CreateNew || !listing)
        return EnterpriseChoice::newRecord();
    if (!listing->hasSection)
        return EnterpriseChoice{};
    if (listing->titles.empty())
        return std::nullopt;
    return EnterpriseChoice::existing(listing->titles.front());
}

}  // namespace kovrel::conversion
