// What the print command hands the dialog "Print Images" and gets back from
// it (between Printing.cpp and PrintDialog.cpp).
#pragma once
#include "Printing.h"

struct PrintDialogOutcome {
    bool viewTooSmall;  // the page view could not fit the page: nothing was shown
    double scale;       // printer pixels per page-view pixel
};
// Before the dialog runs: the default printer's page.
void BeginPrintDialog(const PrinterCaps& caps);
// After it ended.
PrintDialogOutcome EndPrintDialog();
