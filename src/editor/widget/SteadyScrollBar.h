#pragma once
// The editor's scroll bars: a change of range or value that leaves the bar looking the same (one
// line more in a page of a million lines moves the slider by no pixel) does not repaint it, so an
// edit that adds or removes lines costs no scroll bar painting.

#include <QScrollBar>
#include <optional>

class TSteadyScrollBar : public QScrollBar {
public:
    explicit TSteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Sets the range 0..maximum. The scroll area lays its bars out again on every range change,
    // which repaints both; when the value stays inside the range and the bar has a slider or
    // lacks one as before, there is nothing to lay out and the area is not told.
    void SetMaximumQuietly(int maximum);

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What a range or value change can alter in the bar's picture.
    struct Look {
        QRect Slider;
        bool AtMinimum = false;
        bool AtMaximum = false;
        friend bool operator==(const Look&, const Look&) = default;
    };
    Look CurrentLook() const;

    std::optional<Look> painted_;
};
