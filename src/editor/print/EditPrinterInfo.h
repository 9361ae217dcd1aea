#pragma once
// What the print layout needs to know of a printer, in its dots: the paper, the part of it the
// printer can reach, and the resolution. A machine with no printer installed lays pages out as
// an A4 sheet at 300 dots per inch.

struct TEditPrinterInfo {
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int PrintableWidth = 0;
    int PrintableHeight = 0;
    int LeftOffset = 0;  // unprintable strip on the left
    int TopOffset = 0;   // unprintable strip at the top
    int XDpi = 0;
    int YDpi = 0;

    int RightOffset() const { return PhysicalWidth - PrintableWidth - LeftOffset; }
    int BottomOffset() const { return PhysicalHeight - PrintableHeight - TopOffset; }
    double XDotsPerMillimetre() const { return XDpi / 25.4; }
    double YDotsPerMillimetre() const { return YDpi / 25.4; }

    // The metrics used when no printer is installed.
    static TEditPrinterInfo A4At300Dpi() { return {2481, 3507, 2358, 3407, 65, 50, 300, 300}; }

    friend bool operator==(const TEditPrinterInfo&, const TEditPrinterInfo&) = default;
};
