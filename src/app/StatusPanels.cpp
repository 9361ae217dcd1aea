// The main window's status bar: file name, caret line, caret column and typing mode.
#include "app/MainU.h"

#include "editor/widget/CodeMemo.h"
#include "platform/NativePath.h"

#include <QLabel>
#include <QStatusBar>

namespace {

constexpr int kPanelWidths[] = {400, 80, 80, 80};
constexpr int kStatusBarHeight = 19;

}  // namespace

void TForm1::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(kStatusBarHeight);
    for (std::size_t panel = 0; panel < panels_.size(); ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFixedWidth(kPanelWidths[panel]);
        label->setContentsMargins(2, 0, 2, 0);
        // A path is shown as it is, even one that looks like mark-up.
        label->setTextFormat(Qt::PlainText);
        bar->addWidget(label);
        panels_[panel] = label;
    }
}

QString TForm1::PanelText(int panel) const
{
    return panels_.at(panel)->text();
}

void TForm1::SetPanelText(int panel, const QString& text)
{
    panels_.at(panel)->setText(text);
}

void TForm1::UpdateFilePanel()
{
    if (TForm2* document = ActiveDocument())
        SetPanelText(0, ReadablePath(document->FileName));
}

void TForm1::UpdateCaretPanels()
{
    TForm2* document = ActiveDocument();
    if (!document)
        return;
    const TEditorModel& editor = document->CodeMemo1->Model();
    SetPanelText(1, QStringLiteral("Line: ") + QString::number(editor.CaretLine()));
    SetPanelText(2, QStringLiteral("Column: ") + QString::number(editor.CaretColumn()));
    SetPanelText(3, editor.InsertMode() ? QStringLiteral("Insert") : QStringLiteral("Overwrite"));
}

void TForm1::UpdateAllPanels()
{
    UpdateFilePanel();
    UpdateCaretPanels();
}
