#include "app/ApplicationWindows.h"

#include "app/AboutU.h"
#include "app/MainU.h"
#include "app/NewU.h"
#include "app/ReplaceU.h"
#include "upload/ProfileFile.h"
#include "upload/dialogs/ConnectU.h"
#include "upload/dialogs/FTPU.h"
#include "markup/dialogs/CommentU.h"
#include "markup/dialogs/FontU.h"
#include "markup/dialogs/FormListU.h"
#include "markup/dialogs/FormU.h"
#include "markup/dialogs/FrameU.h"
#include "markup/dialogs/FramesetU.h"
#include "markup/dialogs/HeaderU.h"
#include "markup/dialogs/ImageU.h"
#include "markup/dialogs/InputU.h"
#include "markup/dialogs/LabelU.h"
#include "markup/dialogs/LinkU.h"
#include "markup/dialogs/ListU.h"
#include "markup/dialogs/ParagraphU.h"
#include "markup/dialogs/SoundU.h"
#include "markup/dialogs/TableU.h"
#include "markup/dialogs/TextU.h"
#include "markup/dialogs/TextareaU.h"

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
    // The mark-up dialogs belong to the main window, which finds them by their class.
    TForm1& main = *mainWindow;
    new TForm6(&main);
    new TForm7(&main);
    new TForm8(&main);
    new TForm9(&main);
    new TForm10(&main);
    new TForm11(&main);
    new TForm12(&main);
    new TForm13(&main);
    new TForm14(&main);
    new TForm15(&main);
    new TForm16(&main);
    new TForm17(&main);
    new TForm18(&main);
    new TForm19(&main);
    new TForm20(&main);
    new TForm21(&main);
    new TForm22(&main);
    mainWindow->CreateStartupDocument();
    return mainWindow;
}
