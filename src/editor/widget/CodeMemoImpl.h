#pragma once
// The private state of TCodeMemo, shared by its source files (view, input).

#include "editor/widget/CodeMemo.h"
#include "editor/control/EditTransaction.h"
#include "editor/control/EditorModel.h"
#include "editor/widget/GutterWidget.h"
#include "editor/widget/LinePainter.h"
#include "editor/widget/PaintedRows.h"
#include "editor/widget/SteadyScrollBar.h"

#include <QPoint>
#include <QRect>
#include <QTimer>
#include <array>
#include <optional>

struct TCodeMemo::Impl : TEditorHost {
    explicit Impl(TCodeMemo& owner);

    // One input event: the model's notice, and so the view's update and Changed, come once at its
    // end; the commands inside keep their own undo steps.
    TEditTransaction NoticeOnce() { return TEditTransaction(model, TTransactionScope::NoticeOnly); }

    TRowSignature SignatureOf(int line);
    int RowsInView() const;
    // Asks for a repaint of the rows whose content changed since they were painted, and of the caret;
    // rows whose lines moved together (lines inserted or removed, the view scrolled) are moved.
    void UpdateChangedRows();
    void MoveRows(const TRowMove& move);

    // Shows what one notice of the model reports.
    void Flush(const TEditorChange& change);
    void UpdateMetrics();
    void UpdateScrollBars();
    void UpdateGutter();
    void EnsureCaretVisible();
    void RestartCaretBlink();
    void ShowError(const QString& text);
    void ReportHighlighterError(const std::string& text);

    int ColumnsInView() const;
    TTextView View() const;
    QRect CaretRect(TTextPosition position) const;
    // The caret place nearest to a viewport point (clamped to the text's lines).
    TTextPosition PositionAt(QPoint point) const;
    // Whether the point lies on a selected character.
    bool IsOnSelection(QPoint point) const;

    // TEditorHost
    int TopLine() const override;
    int VisibleLines() const override;
    int LeftColumn() const override;
    int VisibleColumns() const override;
    void ScrollTo(int topLine, int leftColumn) override;
    std::u32string ClipboardText() override;
    void SetClipboardText(const std::u32string& text) override;
    void ContextHelp() override;

    static constexpr int kTextMargin = 2;

    TCodeMemo& q;
    TEditorModel model;
    TLinePainter painter;
    TGutterWidget* gutter = nullptr;
    TSteadyScrollBar* verticalBar = nullptr;
    TSteadyScrollBar* horizontalBar = nullptr;
    QMenu* popup = nullptr;

    int charWidth = 8;
    int lineHeight = 16;
    int ascent = 12;

    TPaintedRows paintedRows;
    QRect paintedCaret;
    int gutterLineCount = -1;
    std::array<std::optional<TTextPosition>, 10> gutterBookmarks;

    QTimer caretTimer;
    bool caretShown = true;
    // Highlight states are readied in idle time, a slice at a time, after every change.
    QTimer idleScan;
    static constexpr std::size_t kIdleScanBytes = 1 << 20;

    bool flushing = false;
    const TCustomHighlighter* highlighterErrorReported = nullptr;

    enum class MouseMode { Idle, Selecting, DragPending };
    MouseMode mouseMode = MouseMode::Idle;
    QPoint pressPoint;
    QPoint lastMousePoint;
    QTimer autoScrollTimer;
    std::optional<TTextPosition> dropCaret;
    bool dropHandledHere = false;
};
