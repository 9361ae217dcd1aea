#include "editor/widget/SteadyScrollBar.h"

#include <QPaintEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>

TSteadyScrollBar::TSteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

void TSteadyScrollBar::SetMaximumQuietly(int maximum)
{
    const bool sameLayout = value() <= maximum && (this->maximum() > minimum()) == (maximum > 0);
    const QSignalBlocker blocker(sameLayout ? this : nullptr);
    setRange(0, maximum);
}

TSteadyScrollBar::Look TSteadyScrollBar::CurrentLook() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
            value() == minimum(), value() == maximum()};
}

void TSteadyScrollBar::sliderChange(SliderChange change)
{
    const bool shown = change == SliderRangeChange || change == SliderValueChange;
    if (shown && painted_ && *painted_ == CurrentLook()) return;
    QScrollBar::sliderChange(change);
}

void TSteadyScrollBar::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    // A paint of part of the bar shows the current look only where it painted.
    if (event->rect().contains(rect())) painted_ = CurrentLook();
    else if (painted_ != CurrentLook()) painted_.reset();
}
