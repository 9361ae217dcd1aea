#pragma once
// The print engine's margins. Values are held in their unit system and turned into millimetres,
// and from there into printer dots, only when a page is laid out; changing the unit system keeps
// the margins where they are on paper.

enum class TUnitSystem { usMM, usCM, usInch, muThousandthsOfInches };

// Millimetres in one unit of the system.
double MillimetresPerUnit(TUnitSystem unitSystem);

class TEditPrintMargins {
public:
    TUnitSystem UnitSystem() const { return unitSystem_; }
    // Converts every margin to the new system.
    void SetUnitSystem(TUnitSystem unitSystem);

    // In the current unit system.
    double Left = 25;
    double Right = 15;
    double Top = 25;
    double Bottom = 25;
    double Header = 15;
    double Footer = 15;
    double LeftHFTextIndent = 2;
    double RightHFTextIndent = 2;
    double HFInternalMargin = 0.5;
    double Gutter = 0;

    // A value of the current unit system in millimetres.
    double InMillimetres(double value) const { return value * MillimetresPerUnit(unitSystem_); }

    friend bool operator==(const TEditPrintMargins&, const TEditPrintMargins&) = default;

private:
    TUnitSystem unitSystem_ = TUnitSystem::usMM;
};
