#include "app/ApplicationWindows.h"

#include "app/AboutU.h"
#include "app/MainU.h"
#include "app/NewU.h"
#include "app/ReplaceU.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ConnectU.h"
#include "upload/dialogs/FTPU.h"

std::unique_ptr<TForm1> CreateApplicationWindows()
{
    auto mainWindow = std::make_unique<TForm1>();
    // The dialogs first: every document window, the start-up one too, is handed the Replace dialog.
    // connect.set stays where the program started, whatever folder the file dialogs move to later.
    const std::string profilePath = TProfileFile::PathInCurrentFolder();
    mainWindow->Form4 = new TForm4(profilePath, mainWindow.get());
    mainWindow->Form3 = new TForm3(*mainWindow->Form4, profilePath, mainWindow.get());
    mainWindow->Form5 = new TForm5(mainWindow.get());
    mainWindow->Form23 = new TForm23(mainWindow.get());
    mainWindow->Form24 = new TForm24(mainWindow.get());
    mainWindow->CreateStartupDocument();
    return mainWindow;
}
