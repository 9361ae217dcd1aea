#pragma once
// The running shell with a page to write into, for the mark-up command tests: a command runs on a
// page given as marked text ("|" caret, "{" anchor) and a scripted answer fills its dialog.

#include "app/ShellFixture.h"
#include "editor/control/EditorModel.h"
#include "editor/EditorTestText.h"

#include <QPushButton>
#include <functional>
#include <string>

using Handler = void (TForm1::*)();
// Fills the dialog on screen and presses its buttons; returns the dialog's result.
using Answer = std::function<int(TForm1&)>;

inline int Press(QPushButton* button)
{
    button->click();
    return qobject_cast<QDialog*>(button->window())->result();
}

class MarkupCommands : public ShellTest {
protected:
    TEditorModel& Page() { return mainWindow->ActiveDocument()->CodeMemo1->Model(); }

    // A new page holding the marked text, the command run with the answer given.
    std::string Run(const std::string& page, Handler command, Answer answer)
    {
        NewPage();
        LoadMarked(Page(), page);
        desktop.ClearRecords();
        if (answer)
            desktop.AnswerModal([this, answer](QDialog&) { return answer(*mainWindow); });
        (mainWindow.get()->*command)();
        return Marked(Page());
    }
};
