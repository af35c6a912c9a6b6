#include "images/iso_choice.h"

#include "images/iso_inspection.h"

namespace qnb::images {

bool StoreIsoChoice(AppContext& context, const std::string& isoPath, const IsoChoice& choice) {
    if (choice.result != kIsoAccepted) return false;
    context.SetLocalImage(isoPath);
    // Without install.wim no number applies: an earlier ISO's must not stay.
    context.SetWimIndex(choice.ready ? choice.imageIndex : 0);
    return true;
}

}  // namespace qnb::images
