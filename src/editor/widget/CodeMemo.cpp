#include "editor/widget/CodeMemo.h"

#include "editor/widget/CodeMemoImpl.h"
#include "editor/widget/EditorAppearance.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

// --- private part ---------------------------------------------------------------------------------

TCodeMemo::Impl::Impl(TCodeMemo& owner) : q(owner), painter(model) {}

int TCodeMemo::Impl::TopLine() const
{
    return q.verticalScrollBar()->value();
}

int TCodeMemo::Impl::VisibleLines() const
{
    return std::max(1, q.viewport()->height() / lineHeight);
}

int TCodeMemo::Impl::LeftColumn() const
{
    return q.horizontalScrollBar()->value();
}

int TCodeMemo::Impl::VisibleColumns() const
{
    return std::max(1, (q.viewport()->width() - kTextMargin) / charWidth);
}

int TCodeMemo::Impl::ColumnsInView() const
{
    // The last column may show in part.
    return VisibleColumns() + 1;
}

void TCodeMemo::Impl::ScrollTo(int topLine, int leftColumn)
{
    QScrollBar* horizontal = q.horizontalScrollBar();
    if (leftColumn > horizontal->maximum()) horizontal->setMaximum(leftColumn);
    q.verticalScrollBar()->setValue(topLine);
    horizontal->setValue(leftColumn);
}

std::u32string TCodeMemo::Impl::ClipboardText()
{
    return platform().ClipboardText().toStdU32String();
}

void TCodeMemo::Impl::SetClipboardText(const std::u32string& text)
{
    platform().SetClipboardText(QString::fromStdU32String(text));
}

void TCodeMemo::Impl::ContextHelp()
{
    // The page's own help is the help contents.
    platform().ShowHelp(0);
}

void TCodeMemo::Impl::ShowError(const QString& text)
{
    platform().ShowError(text);
}

void TCodeMemo::Impl::ReportHighlighterError(const std::string& text)
{
    // Once for each highlighter attached: it fails the same way on every paint.
    const TCustomHighlighter* highlighter = model.Document().Highlighter();
    if (highlighterErrorReported == highlighter) return;
    highlighterErrorReported = highlighter;
    // Not from inside the paint event: a message box there would paint over itself.
    const QString message = QString::fromStdString(text);
    QMetaObject::invokeMethod(&q, [message] { platform().ShowError(message); }, Qt::QueuedConnection);
}

void TCodeMemo::Impl::UpdateMetrics()
{
    const QFontMetrics metrics(q.font());
    charWidth = std::max(1, qRound(QFontMetricsF(q.font()).horizontalAdvance(QLatin1Char('M'))));
    lineHeight = std::max(1, metrics.height());
    ascent = metrics.ascent();
    painter.SetFont(q.font(), charWidth);
}

void TCodeMemo::Impl::UpdateGutter()
{
    const int width = gutter->RequiredWidth();
    if (gutter->width() != width) {
        q.setViewportMargins(width, 0, 0, 0);
        const QRect area = q.contentsRect();
        gutter->setGeometry(area.left(), area.top(), width, q.viewport()->height());
    }
    gutter->setVisible(width > 0);
    gutter->SetView(TopLine(), lineHeight, ascent);
    gutter->update();
}

void TCodeMemo::Impl::UpdateScrollBars()
{
    const EditorSettings& settings = model.Settings();
    const int lines = VisibleLines();
    TSteadyScrollBar* vertical = verticalBar;
    const int lineCount = model.Document().LineCount();
    const int lastTop = settings.Options.Has(eoScrollPastEof) ? lineCount - 1 : lineCount - lines;
    vertical->SetMaximumQuietly(std::max(0, lastTop));
    vertical->setPageStep(lines);
    vertical->setSingleStep(1);

    // Lines longer than the set scroll width stay reachable.
    const int columns = VisibleColumns();
    const int widest = std::max({settings.MaxScrollWidth, painter.WidestLine(), model.DisplayColumn(model.Caret()) + 1});
    TSteadyScrollBar* horizontal = horizontalBar;
    horizontal->SetMaximumQuietly(std::max(0, widest - columns));
    horizontal->setPageStep(columns);
    horizontal->setSingleStep(1);
}

void TCodeMemo::Impl::EnsureCaretVisible()
{
    const TTextPosition caret = model.Caret();
    QScrollBar* vertical = q.verticalScrollBar();
    const int top = vertical->value(), lines = VisibleLines();
    if (caret.Line < top) vertical->setValue(caret.Line);
    else if (caret.Line >= top + lines) vertical->setValue(caret.Line - lines + 1);

    QScrollBar* horizontal = q.horizontalScrollBar();
    const int column = model.DisplayColumn(caret), left = horizontal->value(), columns = VisibleColumns();
    if (column < left) {
        horizontal->setValue(column);
    } else if (column >= left + columns) {
        const int wanted = column - columns + 1;
        if (wanted > horizontal->maximum()) horizontal->setMaximum(wanted);
        horizontal->setValue(wanted);
    }
}

void TCodeMemo::Impl::RestartCaretBlink()
{
    caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0 && q.hasFocus()) caretTimer.start(flash / 2);
    else caretTimer.stop();
}

int TCodeMemo::Impl::RowsInView() const
{
    return q.viewport()->height() / lineHeight + 1;
}

TRowSignature TCodeMemo::Impl::SignatureOf(int line)
{
    TRowSignature signature;
    TTextDocument& page = model.Document();
    if (line >= page.LineCount()) return signature;
    // What the row shows follows from the bytes from where the painter's scan starts (a stop inside
    // a long line, else the line's start) to the end of the view, and the state there.
    const std::size_t viewStart = page.ByteOffsetOf({line, model.ColumnAtDisplay(line, LeftColumn())});
    const TScanStop from = page.Highlight().ResumePoint(line, viewStart);
    const std::size_t length = std::min(page.LineSize(line) - from.Offset,
                                        viewStart - from.Offset + VisibleByteBound(ColumnsInView()));
    const std::string_view bytes = page.LineBytes(line, from.Offset, from.Offset + length);
    signature.Line = line;
    signature.Hash = std::hash<std::string_view>{}(bytes);
    signature.From = from.Offset;
    signature.Length = bytes.size();
    signature.StartState = from.State;
    signature.Selection = model.SelectedDisplayColumns(line);
    return signature;
}

void TCodeMemo::Impl::UpdateChangedRows()
{
    QWidget* viewport = q.viewport();
    const int top = TopLine(), rows = RowsInView();
    if (LeftColumn() != paintedRows.Left() || paintedRows.Rows() != rows) {
        viewport->update();
        return;
    }
    if (const std::optional<TRowMove> move = paintedRows.FollowLines(top, viewport->height() / lineHeight)) {
        MoveRows(*move);
        // The caret drawn on a moved row moved with it.
        const int y = paintedCaret.top();
        const int caretRow = (y - (y < 0 ? lineHeight - 1 : 0)) / lineHeight;
        if (caretRow >= move->FirstRow && caretRow <= move->LastRow) paintedCaret.translate(0, move->Delta * lineHeight);
    }
    for (int row = 0; row < rows; ++row) {
        if (SignatureOf(top + row) != paintedRows[row])
            viewport->update(0, row * lineHeight, viewport->width(), lineHeight);
    }
    viewport->update(paintedCaret);
    viewport->update(CaretRect(model.Caret()));
}

void TCodeMemo::Impl::MoveRows(const TRowMove& move)
{
    // One rectangle holds the rows where they were and where they go; Qt moves the pixels and
    // repaints what they uncover.
    const int first = std::min(move.FirstRow, move.FirstRow + move.Delta);
    const int last = std::max(move.LastRow, move.LastRow + move.Delta);
    QWidget* viewport = q.viewport();
    const QRect area = QRect(0, first * lineHeight, viewport->width(), (last - first + 1) * lineHeight) & viewport->rect();
    if (!area.isEmpty()) viewport->scroll(0, move.Delta * lineHeight, area);
}

void TCodeMemo::Impl::Flush(const TEditorChange& change)
{
    if (change.Restyled) {
        q.viewport()->update();
        idleScan.start();
    }
    // A restyle alone is no action: the view stays where the user left it.
    if (!change.ActionEnded) return;
    if (change.NewText) paintedRows.ForgetAll();
    for (const TLineShift& shift : change.LineShifts) paintedRows.FollowShift(shift);

    // A scroll bar moved during the flush is shown with the rest at its end.
    flushing = true;
    const bool changed = change.TextChanged();
    if (change.NewText) {
        painter.ForgetWidestLine();
        q.verticalScrollBar()->setValue(0);
        q.horizontalScrollBar()->setValue(0);
    }
    if (changed) UpdateScrollBars();
    if (changed) idleScan.start();
    // Every action ends with its caret in view, also one that only set a mode.
    EnsureCaretVisible();
    RestartCaretBlink();

    std::array<std::optional<TTextPosition>, 10> bookmarks;
    for (int index = 0; index < 10; ++index) bookmarks[index] = model.Bookmark(index);
    if (model.Document().LineCount() != gutterLineCount || bookmarks != gutterBookmarks) {
        gutterLineCount = model.Document().LineCount();
        gutterBookmarks = bookmarks;
        if (gutter->RequiredWidth() != gutter->width()) UpdateGutter();
        else gutter->UpdateChangedRows();
    }
    UpdateChangedRows();
    flushing = false;
    if (changed) emit q.Changed();
}

TTextView TCodeMemo::Impl::View() const
{
    TTextView view;
    view.TextLeft = kTextMargin;
    view.CharWidth = charWidth;
    view.LineHeight = lineHeight;
    view.Ascent = ascent;
    view.LeftColumn = LeftColumn();
    view.ColumnsInView = ColumnsInView();
    const QPalette& palette = q.palette();
    view.Text = ResolveColor(model.Settings().Font.Color, palette);
    view.Background = ResolveColor(model.Settings().Color, palette);
    view.SelectionText = palette.color(QPalette::HighlightedText);
    view.SelectionBackground = palette.color(QPalette::Highlight);
    return view;
}

QRect TCodeMemo::Impl::CaretRect(TTextPosition position) const
{
    // A caret a billion columns to the side is simply far off: its pixel offset would not fit an int.
    constexpr std::int64_t kFarOff = 1 << 24;
    const std::int64_t offset = (static_cast<std::int64_t>(model.DisplayColumn(position)) - LeftColumn()) * charWidth;
    const int x = kTextMargin + static_cast<int>(std::clamp(offset, -kFarOff, kFarOff));
    const int y = (position.Line - TopLine()) * lineHeight;
    const EditorSettings& settings = model.Settings();
    switch (model.InsertMode() ? settings.InsertCaret : settings.OverwriteCaret) {
    case ctVerticalLine: return QRect(x, y, 2, lineHeight);
    case ctHorizontalLine: return QRect(x, y + lineHeight - 2, charWidth, 2);
    case ctHalfBlock: return QRect(x, y + lineHeight / 2, charWidth, lineHeight - lineHeight / 2);
    case ctBlock: return QRect(x, y, charWidth, lineHeight);
    }
    return {};
}

TTextPosition TCodeMemo::Impl::PositionAt(QPoint point) const
{
    const int lastLine = model.Document().LineCount() - 1;
    const int line = std::clamp(TopLine() + point.y() / lineHeight - (point.y() < 0 ? 1 : 0), 0, lastLine);
    // Nearest column boundary, so a click on a character's right half lands behind it.
    const int display = std::max(0, LeftColumn() + (point.x() - kTextMargin + charWidth / 2) / charWidth);
    TTextPosition position{line, model.ColumnAtDisplay(line, display)};
    if (!model.Settings().Options.Has(eoScrollPastEol)) position = model.Document().ClampToText(position);
    return position;
}

bool TCodeMemo::Impl::IsOnSelection(QPoint point) const
{
    if (!model.HasSelection() || point.y() < 0) return false;
    const int line = TopLine() + point.y() / lineHeight;
    if (line >= model.Document().LineCount() || point.x() < kTextMargin) return false;
    const int display = LeftColumn() + (point.x() - kTextMargin) / charWidth;
    const auto [first, end] = model.SelectedDisplayColumns(line);
    return display >= first && display < end;
}

// --- construction and the public operations -----------------------------------------------------

TCodeMemo::TCodeMemo(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Impl>(*this))
{
    d->model.SetHost(d.get());
    d->model.OnChanged = [this](const TEditorChange& change) { d->Flush(change); };
    d->idleScan.setSingleShot(true);
    d->idleScan.setInterval(0);
    connect(&d->idleScan, &QTimer::timeout, this, [this] {
        if (d->model.Document().Highlight().ScanAhead(Impl::kIdleScanBytes)) d->idleScan.start();
    });

    d->verticalBar = new TSteadyScrollBar(Qt::Vertical);
    d->horizontalBar = new TSteadyScrollBar(Qt::Horizontal);
    setVerticalScrollBar(d->verticalBar);
    setHorizontalScrollBar(d->horizontalBar);
    d->gutter = new TGutterWidget(d->model, this);
    d->gutter->OnLinePressed = [this](int line) {
        setFocus(Qt::MouseFocusReason);
        const auto action = d->NoticeOnce();
        d->model.SetCaret({line, 0});
    };
    d->gutter->OnReleased = [this] { emit Clicked(); };

    setFont(MakeEditorFont(d->model.Settings().Font));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::StyledPanel);

    connect(&d->caretTimer, &QTimer::timeout, this, [this] {
        d->caretShown = !d->caretShown;
        viewport()->update(d->CaretRect(d->model.Caret()));
    });
    connect(&d->autoScrollTimer, &QTimer::timeout, this, [this] {
        if (d->mouseMode != Impl::MouseMode::Selecting) return;
        const auto action = d->NoticeOnce();
        d->model.SetCaret(d->PositionAt(d->lastMousePoint), TSelectionUpdate::Extend);
    });
    d->autoScrollTimer.setInterval(50);

    // Scroll hint: the top line while the vertical slider is dragged.
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int value) {
        if (!d->model.Settings().Options.Has(eoShowScrollHint)) return;
        QToolTip::showText(QCursor::pos(), QStringLiteral("Top Line: %1").arg(value + 1), verticalScrollBar());
    });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [] { QToolTip::hideText(); });

    ApplySettings();
}

TCodeMemo::~TCodeMemo()
{
    // The model may call back into the widget while it goes; nothing should be shown then.
    d->model.OnChanged = nullptr;
    d->model.SetHost(nullptr);
    // The gutter reads the model, which goes before the base class deletes the children.
    delete d->gutter;
    d->gutter = nullptr;
}

void TCodeMemo::ApplySettings()
{
    const EditorSettings& settings = d->model.Settings();
    const bool horizontal = settings.ScrollBars == ssHorizontal || settings.ScrollBars == ssBoth;
    const bool vertical = settings.ScrollBars == ssVertical || settings.ScrollBars == ssBoth;
    const auto policy = [&settings](bool on) {
        if (!on) return Qt::ScrollBarAlwaysOff;
        return settings.Options.Has(eoHideShowScrollbars) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    };
    setHorizontalScrollBarPolicy(policy(horizontal));
    setVerticalScrollBarPolicy(policy(vertical));
    setFrameShape(settings.BorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    d->UpdateMetrics();
    d->UpdateScrollBars();
    d->UpdateGutter();
    viewport()->update();
}

void TCodeMemo::RunCommand(TEditorCommand command)
{
    // Without a selection these change nothing, not even the view.
    if ((command == ecCut || command == ecCopy) && !d->model.HasSelection()) return;
    const auto action = d->NoticeOnce();
    try {
        d->model.ExecuteCommand(command);
    } catch (const EEncodingError& error) {
        d->ShowError(QString::fromStdString(error.what()));
    }
}

void TCodeMemo::SetPopupMenu(QMenu* menu)
{
    d->popup = menu;
}

QMenu* TCodeMemo::PopupMenu() const
{
    return d->popup;
}

void TCodeMemo::SetGutterFont(const QFont& font)
{
    d->gutter->SetGutterFont(font);
    StoreEditorFont(d->model.Settings().Gutter.Font, font);
    d->UpdateGutter();
}

QFont TCodeMemo::GutterFont() const
{
    return d->gutter->GutterFont();
}

TEditorModel& TCodeMemo::Model()
{
    return d->model;
}

const TEditorModel& TCodeMemo::Model() const
{
    return d->model;
}

int TCodeMemo::TopLine() const
{
    return d->TopLine();
}

void TCodeMemo::SetTopLine(int line)
{
    verticalScrollBar()->setValue(line);
}

int TCodeMemo::LinesInView() const
{
    return d->VisibleLines();
}

// --- view -------------------------------------------------------------------------------------------

void TCodeMemo::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        StoreEditorFont(d->model.Settings().Font, font());
        d->UpdateMetrics();
        d->UpdateScrollBars();
        d->UpdateGutter();
    }
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::StyleChange) {
        d->gutter->update();
        viewport()->update();
    }
}

void TCodeMemo::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const QRect area = contentsRect();
    d->gutter->setGeometry(area.left(), area.top(), d->gutter->RequiredWidth(), viewport()->height());
    d->UpdateScrollBars();
    d->UpdateGutter();
}

void TCodeMemo::scrollContentsBy(int, int)
{
    d->gutter->SetView(d->TopLine(), d->lineHeight, d->ascent);
    // Inside a transaction its notice shows the new view together with its changes.
    if (!d->model.InTransaction() && !d->flushing) d->UpdateChangedRows();
}

void TCodeMemo::paintEvent(QPaintEvent* event)
{
    // The line-number width follows the line count; settings may have changed it too.
    if (d->gutter->RequiredWidth() != d->gutter->width()) {
        QMetaObject::invokeMethod(this, [this] { d->UpdateGutter(); }, Qt::QueuedConnection);
    }
    QPainter painter(viewport());
    const TTextView view = d->View();
    const QRect area = event->rect();
    painter.fillRect(area, view.Background);

    const int top = d->TopLine();
    const int rows = d->RowsInView();
    TPaintedRows& painted = d->paintedRows;
    if (top != painted.Top() || view.LeftColumn != painted.Left() || painted.Rows() != rows)
        painted.Reset(top, view.LeftColumn, rows);
    const int firstRow = std::max(0, area.top()) / d->lineHeight;
    const int lastRow = std::min(rows - 1, area.bottom() / d->lineHeight);
    const auto onError = [this](const std::string& text) { d->ReportHighlighterError(text); };
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRect rowRect = QRect(0, row * d->lineHeight, viewport()->width(), d->lineHeight) & viewport()->rect();
        if (!event->region().intersects(rowRect)) continue;
        const int line = top + row;
        if (line < d->model.Document().LineCount()) d->painter.Paint(painter, view, line, row * d->lineHeight, onError);
        // A row painted in part shows its signature only if the rest of it showed the same before.
        const TRowSignature signature = d->SignatureOf(line);
        if (QRegion(rowRect).subtracted(event->region()).isEmpty()) painted.Record(row, signature);
        else if (painted[row] != signature) painted.Forget(row);
    }

    const EditorSettings& settings = d->model.Settings();
    if (settings.RightEdge > 0) {
        const int x = Impl::kTextMargin + (settings.RightEdge - view.LeftColumn) * d->charWidth;
        if (x >= area.left() && x <= area.right()) {
            painter.setPen(ResolveColor(settings.RightEdgeColor, palette()));
            painter.drawLine(x, area.top(), x, area.bottom());
        }
    }

    const bool showCaret = !settings.Options.Has(eoNoCaret) && hasFocus() && d->caretShown;
    if (showCaret || d->dropCaret) {
        // Inverting keeps the character under a block caret readable.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QRect caret = d->CaretRect(d->dropCaret.value_or(d->model.Caret()));
        if (d->dropCaret) caret.setWidth(2);  // where a dragged text would land
        painter.fillRect(caret, Qt::white);
    }
    d->paintedCaret = d->CaretRect(d->model.Caret());
}
