#include "editor/print/EditPrintMargins.h"

#include <initializer_list>

double MillimetresPerUnit(TUnitSystem unitSystem)
{
    switch (unitSystem) {
    case TUnitSystem::usCM: return 10;
    case TUnitSystem::usInch: return 25.4;
    case TUnitSystem::muThousandthsOfInches: return 25.4 / 1000;
    case TUnitSystem::usMM: break;
    }
    return 1;
}

void TEditPrintMargins::SetUnitSystem(TUnitSystem unitSystem)
{
    const double factor = MillimetresPerUnit(unitSystem_) / MillimetresPerUnit(unitSystem);
    for (double* value : {&Left, &Right, &Top, &Bottom, &Header, &Footer, &LeftHFTextIndent, &RightHFTextIndent,
                          &HFInternalMargin, &Gutter})
        *value *= factor;
    unitSystem_ = unitSystem;
}
