#pragma once
// A running shell for widget tests: the start-up windows on the offscreen platform, with the
// scripted platform answering dialogs, and a temporary folder for page files.

#include "app/ApplicationWindows.h"
#include "app/MainU.h"
#include "app/NewU.h"
#include "editor/widget/CodeMemo.h"
#include "support/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failures for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        mainWindow = CreateApplicationWindows();
        mainWindow->show();
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow.get()));
        ASSERT_TRUE(folder.isValid());
        Flush();
        desktop.ClearRecords();
    }

    void TearDown() override
    {
        // Pages still open go with the main window, unsaved, as at program end.
        mainWindow.reset();
        Flush();
    }

    // Lets closed windows go and queued events run, as the message loop would between commands.
    static void Flush()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    QAction* Command(const char* name) const
    {
        auto* action = mainWindow->findChild<QAction*>(QString::fromUtf8(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    // File, New answered with Cancel: a new empty page.
    TForm2* NewPage()
    {
        desktop.RejectNextModal();
        mainWindow->New1Click();
        return mainWindow->ActiveDocument();
    }

    TForm2* OpenPage(const QString& path)
    {
        desktop.openFileAnswers.push_back(path);
        mainWindow->Open1Click();
        return mainWindow->ActiveDocument();
    }

    void CloseDocument(TForm2* document)
    {
        document->SubWindow()->close();
        Flush();
    }

    QStringList WindowMenuTexts() const
    {
        QStringList texts;
        for (QAction* entry : mainWindow->Window1->actions())
            texts << entry->text();
        return texts;
    }

    QString PathOf(const QString& name) const { return folder.filePath(name); }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QString Text(const TForm2* document) { return QString::fromStdString(document->CodeMemo1->Model().Document().Text()); }

    ScriptedPlatform desktop;
    QTemporaryDir folder;
    std::unique_ptr<TForm1> mainWindow;
};
