#pragma once
// The publish queue as the user watches it: one row per file with its own progress bar, a bar for the
// whole, the rate and the time left, and "Cancel". It only shows what it is told, on the
// user-interface thread.

#include "site/SitePublisher.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class TPublishQueue : public QWidget {
    Q_OBJECT
public:
    explicit TPublishQueue(QWidget* parent = nullptr);

    void Begin(const TPublishPlan& plan);
    void ItemStarted(const QString& path);
    // Scrolls the list to a file's row (the last one started, once for a batch of them).
    void ShowRow(const QString& path);
    void ItemBytes(const QString& path, std::uint64_t done, std::uint64_t total);
    void ItemFinished(const TItemResult& result);
    void Progress(const TPublishProgress& progress);
    void End();

    QTreeWidget* List() const { return list_; }
    QProgressBar* Overall() const { return overall_; }
    QLabel* RateLabel() const { return rate_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The progress of a row, 0 to 100; -1 when the queue has no such file.
    int RowPercent(const QString& path) const;

    static constexpr int kPercentRole = Qt::UserRole + 1;

signals:
    void CancelClicked();

private:
    QTreeWidget* list_;
    QProgressBar* overall_;
    QLabel* rate_;
    QPushButton* cancel_;
    QHash<QString, QTreeWidgetItem*> rows_;
};

// "1.5 MB/s, 12 s left" from the bytes done so far.
QString RateText(const TPublishProgress& progress);
