#include "site/widget/PublishQueue.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

namespace {

enum TQueueColumn { kFileColumn, kProgressColumn, kStateColumn };

// Draws a row's progress as a bar, so that a thousand rows cost no widget each.
class TProgressDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QVariant percent = index.data(TPublishQueue::kPercentRole);
        if (!percent.isValid())
            return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(2, 2, -2, -2);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = percent.toInt();
        bar.text = QStringLiteral("%1%").arg(bar.progress);
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
    }
};

QString SizeText(double bytes)
{
    const char* units[] = {"B", "KB", "MB", "GB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 3) {
        bytes /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(bytes, 0, 'f', unit == 0 ? 0 : 1).arg(QLatin1String(units[unit]));
}

QString DurationText(double seconds)
{
    const long long whole = std::llround(seconds);
    if (whole < 60)
        return QStringLiteral("%1 s").arg(whole);
    return QStringLiteral("%1 min %2 s").arg(whole / 60).arg(whole % 60);
}

QString OutcomeText(const TItemResult& result)
{
    switch (result.Outcome) {
    case TItemOutcome::Done: return result.Action == TPublishAction::Remove ? QStringLiteral("removed") : QStringLiteral("sent");
    case TItemOutcome::Failed: return QStringLiteral("failed: ") + QString::fromStdString(result.Error);
    case TItemOutcome::Cancelled: return QStringLiteral("cancelled");
    }
    return {};
}

}  // namespace

QString RateText(const TPublishProgress& progress)
{
    if (progress.Seconds <= 0 || progress.BytesDone == 0)
        return QStringLiteral("Starting...");
    const double rate = static_cast<double>(progress.BytesDone) / progress.Seconds;
    QString text = SizeText(rate) + QStringLiteral("/s");
    if (progress.BytesTotal > progress.BytesDone)
        text += QStringLiteral(", ") + DurationText(static_cast<double>(progress.BytesTotal - progress.BytesDone) / rate) +
                QStringLiteral(" left");
    return text;
}

TPublishQueue::TPublishQueue(QWidget* parent)
    : QWidget(parent), list_(new QTreeWidget(this)), overall_(new QProgressBar(this)), rate_(new QLabel(this)),
      cancel_(new QPushButton(QStringLiteral("&Cancel"), this))
{
    list_->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Progress"), QStringLiteral("State")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setItemDelegateForColumn(kProgressColumn, new TProgressDelegate(list_));
    list_->header()->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    list_->setColumnWidth(kProgressColumn, 140);
    list_->setColumnWidth(kStateColumn, 160);
    overall_->setRange(0, 1000);
    overall_->setValue(0);
    overall_->setFormat(QStringLiteral("%p%"));
    cancel_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, &TPublishQueue::CancelClicked);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(overall_, 1);
    bottom->addWidget(rate_);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);
}

void TPublishQueue::Begin(const TPublishPlan& plan)
{
    list_->clear();
    rows_.clear();
    QList<QTreeWidgetItem*> items;
    for (const TPublishItem& item : plan.Items) {
        if (item.Action != TPublishAction::Upload && item.Action != TPublishAction::Remove)
            continue;
        const QString path = QString::fromStdString(item.Status.Path);
        auto* row = new QTreeWidgetItem({path, QString(), QStringLiteral("waiting")});
        row->setData(kProgressColumn, kPercentRole, 0);
        rows_.insert(path, row);
        items << row;
    }
    list_->addTopLevelItems(items);
    overall_->setValue(0);
    rate_->setText(QStringLiteral("Starting..."));
    cancel_->setEnabled(true);
}

void TPublishQueue::ItemStarted(const QString& path)
{
    if (QTreeWidgetItem* row = rows_.value(path))
        row->setText(kStateColumn, QStringLiteral("sending"));
}

void TPublishQueue::ShowRow(const QString& path)
{
    if (QTreeWidgetItem* row = rows_.value(path))
        list_->scrollToItem(row);
}

void TPublishQueue::ItemBytes(const QString& path, std::uint64_t done, std::uint64_t total)
{
    if (QTreeWidgetItem* row = rows_.value(path); row && total > 0)
        row->setData(kProgressColumn, kPercentRole, static_cast<int>(std::min<std::uint64_t>(100, done * 100 / total)));
}

void TPublishQueue::ItemFinished(const TItemResult& result)
{
    QTreeWidgetItem* row = rows_.value(QString::fromStdString(result.Path));
    if (!row)
        return;
    if (result.Outcome == TItemOutcome::Done)
        row->setData(kProgressColumn, kPercentRole, 100);
    row->setText(kStateColumn, OutcomeText(result));
    row->setToolTip(kStateColumn, row->text(kStateColumn));
}

void TPublishQueue::Progress(const TPublishProgress& progress)
{
    // Bytes where there are any, else files: a publish of removals moves no bytes.
    const double whole = progress.BytesTotal > 0
                             ? static_cast<double>(progress.BytesDone) / static_cast<double>(progress.BytesTotal)
                             : (progress.FilesTotal > 0 ? static_cast<double>(progress.FilesDone) / progress.FilesTotal : 0);
    overall_->setValue(static_cast<int>(std::clamp(whole, 0.0, 1.0) * 1000));
    rate_->setText(RateText(progress) + QStringLiteral(" (%1 of %2 files)").arg(progress.FilesDone).arg(progress.FilesTotal));
}

void TPublishQueue::End() { cancel_->setEnabled(false); }

int TPublishQueue::RowPercent(const QString& path) const
{
    const QTreeWidgetItem* row = rows_.value(path);
    return row ? row->data(kProgressColumn, kPercentRole).toInt() : -1;
}
