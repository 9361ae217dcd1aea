#include "app/ApplicationWindows.h"

#include "app/AboutU.h"
#include "app/MainU.h"
#include "app/NewU.h"
#include "app/ReplaceU.h"
#include "markup/dialogs/CommentU.h"
#include "markup/dialogs/FontU.h"
#include "markup/dialogs/HeaderU.h"
#include "markup/dialogs/ImageU.h"
#include "markup/dialogs/LinkU.h"
#include "markup/dialogs/ListU.h"
#include "markup/dialogs/ParagraphU.h"
#include "markup/dialogs/SoundU.h"
#include "markup/dialogs/TextU.h"

std::unique_ptr<TForm1> CreateApplicationWindows()
{
    auto mainWindow = std::make_unique<TForm1>();
    mainWindow->CreateStartupDocument();
    mainWindow->Form5 = new TForm5(mainWindow.get());
    mainWindow->Form23 = new TForm23(mainWindow.get());
    mainWindow->Form24 = new TForm24(mainWindow.get());
    TForm1& main = *mainWindow;
    main.Form6 = new TForm6(&main);
    main.Form7 = new TForm7(&main);
    main.Form8 = new TForm8(&main);
    main.Form9 = new TForm9(&main);
    main.Form10 = new TForm10(&main);
    main.Form11 = new TForm11(&main);
    main.Form12 = new TForm12(&main);
    main.Form21 = new TForm21(&main);
    main.Form22 = new TForm22(&main);
    return mainWindow;
}
