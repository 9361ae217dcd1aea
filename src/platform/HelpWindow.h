#pragma once
// The help viewer: HTML topics compiled into the program, a contents page and one page per help
// context, with Contents, Back and Forward buttons.

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void ShowContents();
    // A help context from 2 to 41; any other number shows the contents.
    void ShowTopic(int context);

    QTextBrowser* Browser() const { return browser_; }
    QToolButton* ContentsButton() const { return contentsButton_; }
    QToolButton* BackButton() const { return backButton_; }
    QToolButton* ForwardButton() const { return forwardButton_; }

    static constexpr int kFirstTopic = 2;
    static constexpr int kLastTopic = 41;
    static QUrl ContentsUrl();
    static QUrl TopicUrl(int context);

private:
    QTextBrowser* browser_;
    QToolButton* contentsButton_;
    QToolButton* backButton_;
    QToolButton* forwardButton_;
};
