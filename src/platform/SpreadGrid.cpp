#include "platform/SpreadGrid.h"
#include "platform/KeyCodes.h"
#include "platform/SpreadModel.h"

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr int kTwipsPerPixel = 15;

QColor toQColor(quint32 c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

int shiftState(Qt::KeyboardModifiers m)
{
    int s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

// The character code a KeyPress handler sees, 0 when the key types nothing.
int keyAscii(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return 0;
    const QString t = e->text();
    if (t.isEmpty() || !t.at(0).isPrint()) return 0;
    return t.at(0).unicode();
}

} // namespace

struct SpreadGrid::Private {
    SpreadGrid* q;
    SpreadModel model;
    int index = -1;
    int col = 1, row = 1;
    int activeCol = 1, activeRow = 1;
    int refStyle = 1;
    int unitType = 0;
    bool rowHeadersShow = true;
    bool colHeadersShow = true;
    quint32 grayArea = 0x808080;
    int appearance = 1, opMode = 0, cursorType = 0, cursorStyle = 1, selectBlockOptions = 15;
    bool editPermanent = false, editReplace = false, noBeep = false, dAuto = true;
    int enterAction = 0, userColAction = 0, backColorStyle = 0, textTip = 0;
    quint32 selBack = 0xFFE0C0;
    bool oddEven = false;
    quint32 oddBack = 0xFFFFFF, oddFore = 0, evenBack = 0xFFFFFF, evenFore = 0;
    int actionKey[3] = {113, 114, 115};
    bool redraw = true;

    QLineEdit* editor = nullptr;
    int editCol = 0, editRow = 0;
    QString editOld;
    QString editPreedit; // what the input method is still composing in the editor
    // The editor's caret and selection when it lost the focus with the cell still being
    // edited; given back when the focus returns to it (a line edit drops its selection on
    // losing the focus, and typing would then append to a cell entered in replace mode).
    struct EditorState {
        bool saved = false;
        QString text;
        int cursor = 0;
        int selStart = -1;
        int selLength = 0;
    } editorState;
    bool inLeave = false;
    int moveSerial = 0;
    // The active cell was to be scrolled into view while the grid was hidden, when the
    // viewport has no size yet: it is done again once the grid is shown.
    bool ensurePending = false;
    const QKeyEvent* editorKey = nullptr; // a key passed on by the editor

    int sortCol = 0;
    bool sortAscending = true;

    int dragCol = -1;
    int dragStartX = 0;
    int dragStartPx = 0;
    int pressedButtonCol = 0, pressedButtonRow = 0;

    // The visible rows, counted by a Fenwick tree over rows 1..MaxRows (1 a visible row, 0 a
    // hidden one): the row at a place among the visible rows, and the place of a row, take
    // about log n steps, and a row hidden or shown one at a time updates it in as many. It is
    // rebuilt once after rows moved (deleted, inserted, sorted, MaxRows) or on Refresh; while
    // no row is hidden it is not needed (empty).
    std::vector<int> visTree;
    int visTreeTop = 0; // the highest power of two not above MaxRows
    bool visDirty = true;

    // A hidden row is never the active one. When the active row is hidden, or rows moved
    // under it, the cursor goes at once to the row shown nearest (keepActiveShown); the
    // LeaveCell for that move, the view and the editor follow once the change is over
    // (settleActive: on Refresh, after a change of rows, or at the next pass of the event
    // loop), not for each row of a loop that hides rows one at a time.
    bool settlePending = false;
    int settleFrom = -1;         // the row the cursor left, -1 when it has not moved
    bool settleInView = false;   // the active row was in view when the rows began to change
    // The row the cursor was on when rows hidden around it made it leave: the cursor comes
    // back to it when it is shown again (or, when every row was hidden, to the row shown
    // nearest it), unless the cursor was moved or rows moved meanwhile.
    int lostRow = 0;

    explicit Private(SpreadGrid* g) : q(g) {}

    // ---- geometry
    double charPx() const
    {
        // one character width: the width of a digit plus a little room, so that a column
        // of n characters shows n digits with its margins
        QFontMetricsF fm(q->font());
        return std::max(1.0, std::max(fm.horizontalAdvance(QLatin1Char('0')), fm.averageCharWidth()) + 1.0);
    }
    int colPx(int c) const
    {
        if (c > 0 && model.colHidden(c)) return 0;
        if (c == 0 && !rowHeadersShow) return 0;
        return int(std::lround(model.colWidth(c) * charPx()));
    }
    static int ptToPx(double pt) { return int(std::lround(pt * 96.0 / 72.0)); }
    int rowPx(int r) const
    {
        if (r == 0) return colHeadersShow ? ptToPx(model.rowHeight(0)) : 0;
        if (model.rowHidden(r)) return 0;
        return ptToPx(model.rowHeight(r));
    }
    void ensureVis()
    {
        if (!visDirty) return;
        visDirty = false;
        visTree.clear();
        if (model.hiddenRowCount() == 0) return;
        const int n = model.maxRows();
        visTree.assign(size_t(n) + 1, 0);
        for (int i = 1; i <= n; ++i) {
            visTree[size_t(i)] += model.rowHidden(i) ? 0 : 1;
            const int j = i + (i & -i);
            if (j <= n) visTree[size_t(j)] += visTree[size_t(i)];
        }
        visTreeTop = 1;
        while (visTreeTop * 2 <= n) visTreeTop *= 2;
    }
    // Row r was hidden (hidden) or shown, one row alone: the count follows in place.
    void rowVisibilityChanged(int r, bool hidden)
    {
        if (visDirty) return;
        if (visTree.empty()) { visDirty = true; return; } // the first row hidden: built when needed
        const int n = int(visTree.size()) - 1;
        for (int i = r; i <= n; i += i & -i) visTree[size_t(i)] += hidden ? -1 : 1;
    }
    // Hidden rows all lie within the sheet, so the count needs no walk over the rows (hiding
    // or showing many rows one after another stays linear).
    int visibleRowCount() const { return model.maxRows() - model.hiddenRowCount(); }
    // The row at place i (from 0) among the visible rows; 0 when there is none.
    int rowAtVisIndex(int i)
    {
        ensureVis();
        if (model.hiddenRowCount() == 0) return (i >= 0 && i < model.maxRows()) ? i + 1 : 0;
        if (i < 0 || i >= visibleRowCount()) return 0;
        // the lowest row with i + 1 visible rows up to it
        const int n = int(visTree.size()) - 1;
        int pos = 0, left = i + 1;
        for (int step = visTreeTop; step > 0; step /= 2) {
            const int next = pos + step;
            if (next <= n && visTree[size_t(next)] < left) {
                pos = next;
                left -= visTree[size_t(next)];
            }
        }
        return pos + 1;
    }
    // The place among the visible rows of row r (of the first visible row from r on).
    int visIndexOfRow(int r)
    {
        ensureVis();
        if (model.hiddenRowCount() == 0) return r - 1;
        int count = 0; // visible rows before r
        for (int i = std::min(r - 1, int(visTree.size()) - 1); i > 0; i -= i & -i) count += visTree[size_t(i)];
        return count;
    }
    // The row shown nearest to row r: r itself when it is shown, else the first shown below
    // it and then the last shown above it (downFirst), or the other way round; 0 when no
    // row is shown.
    int shownRowNear(int r, bool downFirst)
    {
        const int n = model.maxRows();
        if (n < 1) return 0;
        r = std::clamp(r, 1, n);
        if (!model.rowHidden(r)) return r;
        const int count = visibleRowCount();
        if (count == 0) return 0;
        const int before = visIndexOfRow(r); // the rows shown above r
        const int below = before < count ? rowAtVisIndex(before) : 0;
        const int above = before > 0 ? rowAtVisIndex(before - 1) : 0;
        if (downFirst) return below ? below : above;
        return above ? above : below;
    }
    int topRow() { return std::max(1, rowAtVisIndex(q->verticalScrollBar()->value())); }
    int leftCol() const { return q->horizontalScrollBar()->value() + 1; }

    int headerHeight() const { return rowPx(0); }
    // The row-header column is never narrower than its widest row number.
    int rowHeaderWidth() const
    {
        if (!rowHeadersShow) return 0;
        return std::max(colPx(0), rowNumberPx());
    }
    // Room for the widest row number (the last row's), with the header's margins.
    mutable int rowNumCacheRows = -1;
    mutable double rowNumCacheSize = 0;
    mutable bool rowNumCacheBold = false;
    mutable int rowNumCachePx = 0;
    int rowNumberPx() const
    {
        const int rows = model.maxRows();
        if (rows < 1) return 0;
        const QFont f = cellFont(0, rows);
        if (rows != rowNumCacheRows || f.pointSizeF() != rowNumCacheSize || f.bold() != rowNumCacheBold) {
            const QFontMetrics fm(f);
            const QString last = QString::number(rows);
            const int text = std::max(fm.horizontalAdvance(last), fm.horizontalAdvance(QString(last.size(), QLatin1Char('0'))));
            rowNumCacheRows = rows;
            rowNumCacheSize = f.pointSizeF();
            rowNumCacheBold = f.bold();
            rowNumCachePx = text + 2 * kHeaderMargin + 1;
        }
        return rowNumCachePx;
    }
    static constexpr int kCellMargin = 3;   // left and right of a cell's text
    static constexpr int kHeaderMargin = 2; // left and right of a header's text
    QString rowHeaderText(int r) const
    {
        QString t = model.storedText(0, r);
        if (t.isEmpty() && model.cellType(0, r) != 5) t = QString::number(r);
        return t;
    }
    // What cell (c, r) shows in a cell of w pixels (the display decision of the painting).
    CellTextFit shownText(int c, int r, int w) const
    {
        if (c == 0 || r == 0) {
            const QString t = c == 0 ? rowHeaderText(r) : model.storedText(c, 0);
            return FitCellText(t, false, QFontMetrics(cellFont(c, r)), w - 2 * kHeaderMargin);
        }
        return shownText(c, r, w, model.displayText(c, r));
    }
    CellTextFit shownText(int c, int r, int w, const QString& text) const
    {
        const QFontMetrics fm(cellFont(c, r));
        const int room = w - 2 * kCellMargin;
        if (text.isEmpty() || fm.horizontalAdvance(text) <= room) return CellTextFit{text, true};
        return FitCellText(text, wholeOrMark(c, r), fm, room);
    }
    // Only an amount (a currency cell), or a cell set to whole-or-mark (a date), is drawn
    // whole or as the overflow mark: a text that merely reads as a number (a telephone
    // number, a code) shows its beginning.
    bool wholeOrMark(int c, int r) const
    {
        return model.cellType(c, r) == CellTypeCurrency || model.attr(SpreadModel::AWholeOrMark, c, r) != 0;
    }
    // The room the viewport has for the columns, beside the row headers (pixels).
    int colRoomPx() const { return std::max(0, q->viewport()->width() - rowHeaderWidth()); }
    // Of cell rectangle rc (viewport coordinates), the part that the text of (c, r) is laid out
    // in: the whole cell, except that an amount or date in a column wider than the room never
    // comes into view whole, and is laid out in the part in view (whole where it fits there,
    // else the overflow mark), so that it is not left blank at every sideways position.
    QRect textCell(int c, int r, const QRect& rc) const
    {
        if (c < 1 || rc.width() <= colRoomPx() || !wholeOrMark(c, r)) return rc;
        return rc.intersected(QRect(rowHeaderWidth(), rc.y(), colRoomPx(), rc.height()));
    }
    void showTextTip(const QPoint& pos);
    // Whether row r lies wholly within a viewport of height h at the present scroll position.
    bool rowInView(int r, int h)
    {
        if (r < 1 || r > model.maxRows() || model.rowHidden(r)) return false;
        int y = headerHeight();
        for (int i = q->verticalScrollBar()->value(); y <= h; ++i) {
            const int rr = rowAtVisIndex(i);
            if (rr < 1 || rr > r) return false;
            y += rowPx(rr);
            if (rr == r) return y <= h;
        }
        return false;
    }

    // Whether cell (c, r) lies wholly within the viewport at the present scroll position (a
    // column wider than the room: its part in view fills the room).
    bool cellInView(int c, int r)
    {
        if (c < 1 || c > model.maxCols() || model.colHidden(c) || c < leftCol()) return false;
        if (!rowInView(r, q->viewport()->height())) return false;
        int x = 0;
        for (int cc = leftCol(); cc <= c; ++cc) x += colPx(cc);
        return x <= colRoomPx() || c == leftCol();
    }

    // cell geometry in viewport coordinates; empty when not on screen
    QRect cellRect(int c, int r)
    {
        int x, w;
        if (c == 0) { x = 0; w = rowHeaderWidth(); }
        else {
            if (c < leftCol()) return QRect();
            x = rowHeaderWidth();
            for (int cc = leftCol(); cc < c; ++cc) x += colPx(cc);
            w = colPx(c);
        }
        int y, h;
        if (r == 0) { y = 0; h = headerHeight(); }
        else {
            int top = topRow();
            if (r < top) return QRect();
            y = headerHeight();
            const int vh = q->viewport()->height();
            // over the visible rows only: the hidden rows between take no room
            const int last = visIndexOfRow(r);
            for (int i = q->verticalScrollBar()->value(); i < last; ++i) {
                y += rowPx(rowAtVisIndex(i));
                if (y > vh) return QRect();
            }
            h = rowPx(r);
        }
        return QRect(x, y, w, h);
    }
    // the cell under a viewport point; -1 when outside the sheet
    void cellAt(const QPoint& p, int& c, int& r)
    {
        c = -1; r = -1;
        int x = rowHeaderWidth();
        if (p.x() < x) c = 0;
        else {
            for (int cc = leftCol(); cc <= model.maxCols(); ++cc) {
                int w = colPx(cc);
                if (p.x() < x + w) { c = cc; break; }
                x += w;
                if (x > q->viewport()->width()) break;
            }
        }
        int y = headerHeight();
        if (p.y() < y) r = 0;
        else {
            const int vh = q->viewport()->height();
            for (int i = q->verticalScrollBar()->value(); ; ++i) {
                int rr = rowAtVisIndex(i);
                if (rr < 1 || rr > model.maxRows()) break;
                int h = rowPx(rr);
                if (p.y() < y + h) { r = rr; break; }
                y += h;
                if (y > vh) break;
            }
        }
    }
    // the column whose right border is under x in the header, or -1
    int borderAt(int px)
    {
        int x = rowHeaderWidth();
        if (std::abs(px - x) <= 3 && rowHeadersShow) return 0;
        for (int cc = leftCol(); cc <= model.maxCols(); ++cc) {
            int w = colPx(cc);
            if (w == 0) continue;
            x += w;
            if (std::abs(px - x) <= 3) return cc;
            if (x > q->viewport()->width()) break;
        }
        return -1;
    }

    void updateScrollBars()
    {
        if (!redraw) return;
        const int rows = visibleRowCount();
        const int vh = q->viewport()->height() - headerHeight();
        const int rowH = std::max(1, ptToPx(model.defaultRowHeight()));
        const int page = std::max(1, vh / rowH);
        q->verticalScrollBar()->setRange(0, std::max(0, rows - page));
        q->verticalScrollBar()->setPageStep(page);
        int visCols = 0;
        int w = 0;
        const int vw = q->viewport()->width() - rowHeaderWidth();
        for (int c = model.maxCols(); c >= 1; --c) {
            w += colPx(c);
            if (w > vw) break;
            ++visCols;
        }
        q->horizontalScrollBar()->setRange(0, std::max(0, model.maxCols() - std::max(1, visCols)));
        q->horizontalScrollBar()->setPageStep(std::max(1, visCols));
    }

    void repaint()
    {
        if (!redraw) return;
        placeEditor();
        q->viewport()->update();
    }

    void ensureVisible(int c, int r)
    {
        ensurePending = !q->isVisible();
        if (r >= 1 && r <= model.maxRows() && !model.rowHidden(r)) {
            int vi = visIndexOfRow(r);
            QScrollBar* vs = q->verticalScrollBar();
            if (vi < vs->value()) vs->setValue(vi);
            else {
                const int vh = q->viewport()->height() - headerHeight();
                int y = 0;
                int first = vs->value();
                for (int i = vi; i >= first && y <= vh; --i) { y += rowPx(rowAtVisIndex(i)); }
                if (y > vh && vh > 0) {
                    // scroll down until the row fits
                    int i = vi;
                    int acc = 0;
                    while (i > 0 && acc + rowPx(rowAtVisIndex(i)) <= vh) { acc += rowPx(rowAtVisIndex(i)); --i; }
                    vs->setValue(std::min(vs->maximum(), i + 1));
                }
            }
        }
        if (c >= 1 && c <= model.maxCols()) {
            QScrollBar* hs = q->horizontalScrollBar();
            if (c < leftCol()) hs->setValue(c - 1);
            else if (!ensurePending) {
                // (a hidden grid may not have its real width yet: it scrolls right when shown)
                const int vw = q->viewport()->width() - rowHeaderWidth();
                int x = 0;
                for (int cc = leftCol(); cc <= c; ++cc) x += colPx(cc);
                int lc = leftCol();
                while (x > vw && lc < c) { x -= colPx(lc); ++lc; }
                hs->setValue(lc - 1);
            }
        }
    }

    bool editable(int c, int r) const
    {
        if (c < 1 || r < 1 || c > model.maxCols() || r > model.maxRows()) return false;
        if (opMode == 1 || opMode == 3) return false;
        if (model.colHidden(c) || model.rowHidden(r)) return false;
        if (model.locked(c, r)) return false;
        const int t = model.cellType(c, r);
        return t == 1 || t == 12;
    }

    QFont cellFont(int c, int r) const
    {
        QFont f = q->font();
        double size = model.attr(SpreadModel::AFontSize, c, r);
        if (size > 0) f.setPointSizeF(size);
        if (model.attr(SpreadModel::AFontBold, c, r) != 0) f.setBold(true);
        return f;
    }

    // While rows are hidden or shown one at a time (a loop over the sheet), the editor is
    // placed once when the loop is over (at the next pass of the event loop, or by Refresh),
    // not after every row.
    bool placeLater = false;
    bool placePending = false;
    void placeEditor()
    {
        if (placeLater) {
            if (editor && !placePending) {
                placePending = true;
                QTimer::singleShot(0, q, [this] { if (placePending) placeEditor(); });
            }
            return;
        }
        placePending = false;
        if (!editor) return;
        QRect rc = cellRect(editCol, editRow);
        if (rc.isEmpty()) {
            // The cell is scrolled out of view (a scroll bar, the wheel, rows hidden above
            // it): the editor stays open with the focus, outside the viewport's visible
            // part, until a key or a move brings the cell back (a hidden editor would pass
            // the focus on, and the grid taking it back would scroll the cell into view).
            const QSize sz = editor->size();
            editor->setGeometry(QRect(QPoint(-sz.width() - 100, -sz.height() - 100), sz));
            if (!editor->isVisible()) editor->show();
            return;
        }
        // In a column wider than the viewport's room the editor takes the part in view: it
        // then shows the caret and as much of its text as that part holds, not a number cut
        // by the viewport's edge.
        const QRect inView = rc.intersected(QRect(rowHeaderWidth(), rc.y(), colRoomPx(), rc.height()));
        if (rc.width() > colRoomPx() && inView.width() > 2)
            rc = inView;
        editor->setGeometry(rc.adjusted(1, 1, -1, -1));
        if (!editor->isVisible()) editor->show();
    }
    // The cell being edited is out of view (scrolled away): it comes back into view.
    void bringEditorIntoView()
    {
        if (!editor || !cellRect(editCol, editRow).isEmpty()) return;
        ensureVisible(editCol, editRow);
        placeEditor();
    }

    void saveEditorState()
    {
        if (!editor) return;
        editorState.saved = true;
        editorState.text = editor->text();
        editorState.cursor = editor->cursorPosition();
        editorState.selStart = editor->selectionStart();
        editorState.selLength = int(editor->selectedText().size());
    }
    void restoreEditorState()
    {
        if (!editor || !editorState.saved) return;
        editorState.saved = false;
        if (editor->text() != editorState.text) return; // changed meanwhile: left as it is now
        if (editorState.selStart >= 0 && editorState.selLength > 0) {
            // the caret goes back to the end of the selection it was at
            if (editorState.cursor == editorState.selStart)
                editor->setSelection(editorState.selStart + editorState.selLength, -editorState.selLength);
            else
                editor->setSelection(editorState.selStart, editorState.selLength);
        } else {
            editor->setCursorPosition(editorState.cursor);
        }
    }

    bool gridHasFocus() const
    {
        QWidget* f = QApplication::focusWidget();
        return f && (f == q || f == q->viewport() || (editor && f == editor));
    }

    void startEdit(const QString* initial);
    void endEdit(bool commit);
    void moveActive(int c, int r);
    void keepActiveShown();
    void scheduleSettle();
    void settleActive();
    void afterStructureChange();
    // After rows moved under an open editor: the active cell goes on in edit mode.
    void resumeEdit(bool wasEditing)
    {
        if (wasEditing && !editor && !inLeave && editPermanent && gridHasFocus()) startEdit(nullptr);
    }
    void enterActionMove();
    void handleNavigationKey(int key, Qt::KeyboardModifiers mods);
    void paint(QPainter& p, const QRect& clip);
};

// ====================================================================== editing

void SpreadGrid::Private::startEdit(const QString* initial)
{
    if (editor || inLeave) return;
    if (!editable(activeCol, activeRow)) return;
    editCol = activeCol;
    editRow = activeRow;
    editOld = model.text(editCol, editRow);
    editPreedit.clear();
    editorState = EditorState();
    editor = new QLineEdit(q->viewport());
    editor->setFrame(false);
    editor->setFont(cellFont(editCol, editRow));
    int ha = int(model.attr(SpreadModel::AHAlign, editCol, editRow));
    if (ha == 1 || (ha < 0 && model.cellType(editCol, editRow) == 12)) editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if (ha == 2) editor->setAlignment(Qt::AlignCenter);
    if (model.cellType(editCol, editRow) == 12) {
        // a currency cell takes only what can make a number, as the user types it
        static const QRegularExpression number(QStringLiteral("-?[0-9,]*(\\.[0-9]*)?"));
        auto* v = new QRegularExpressionValidator(number, editor);
        editor->setValidator(v);
        QString first = initial ? *initial : QString();
        int pos = 0;
        if (initial && v->validate(first, pos) == QValidator::Invalid) initial = nullptr;
    }
    editor->setText(initial ? *initial : editOld);
    if (!initial && editReplace) editor->selectAll();
    editor->installEventFilter(q);
    QObject::connect(editor, &QLineEdit::textEdited, q, [this]() {
        if (editor) emit q->EditChange(editCol, editRow);
    });
    // The cell to be edited is scrolled into view as editing starts (a scroll bar may take
    // it out of view later; the editor then keeps the focus where it cannot be seen).
    ensureVisible(editCol, editRow);
    placeEditor();
    if (gridHasFocus() || q->hasFocus()) editor->setFocus(Qt::OtherFocusReason);
    emit q->EditMode(editCol, editRow, 1, false);
}

void SpreadGrid::Private::endEdit(bool commit)
{
    if (!editor || inLeave) return;
    inLeave = true;
    const int c = editCol, r = editRow;
    const bool hadFocus = editor->hasFocus();
    if (commit && !editPreedit.isEmpty()) {
        // A syllable still being composed (Hangul) is part of what was typed: the input
        // method hands it over, or, when it does not (the focus has gone elsewhere), it is
        // taken as the editor shows it.
        if (hadFocus) QGuiApplication::inputMethod()->commit();
        if (!editPreedit.isEmpty()) {
            QInputMethodEvent done;
            done.setCommitString(editPreedit);
            QCoreApplication::sendEvent(editor, &done);
        }
    }
    QString newText = editor->text();
    bool changed = false;
    if (commit && newText != editOld) {
        if (model.cellType(c, r) == 12 && !newText.trimmed().isEmpty()) {
            long double v;
            if (!SpreadModel::parseNumber(newText, v)
                || v > (long double)model.attr(SpreadModel::ACurMax, c, r)
                || v < (long double)model.attr(SpreadModel::ACurMin, c, r)) {
                if (!noBeep) QApplication::beep();
                newText = editOld; // not a number, or out of range: the entry is refused
            } else {
                int dec = std::max(0, int(model.attr(SpreadModel::ACurDec, c, r)));
                newText = dec == 0 ? SpreadFormula::formatNumber(std::round(v))
                                   : QString::number(double(v), 'f', dec);
            }
        }
        changed = newText != editOld;
    }
    QLineEdit* ed = editor;
    editor = nullptr;
    editorKey = nullptr;
    ed->removeEventFilter(q);
    // The grid takes the focus before the editor goes: hiding a focused editor would pass
    // the focus on to the window's next control first (whose focus handlers would run).
    if (hadFocus) q->setFocus(Qt::OtherFocusReason);
    ed->hide();
    ed->deleteLater();
    if (changed) model.setText(c, r, newText);
    repaint();
    if (changed) emit q->Change(c, r);
    emit q->EditMode(c, r, 0, changed);
    inLeave = false;
}

void SpreadGrid::Private::moveActive(int c, int r)
{
    if (model.maxRows() < 1 || model.maxCols() < 1) return;
    c = std::clamp(c, 1, std::max(1, model.maxCols()));
    r = std::clamp(r, 1, std::max(1, model.maxRows()));
    if (model.rowHidden(r)) {
        // a hidden row is never made current: the row shown nearest, the way of the move first
        r = shownRowNear(r, r >= activeRow);
        if (r < 1) return; // no row is shown
    }
    if (c == activeCol && r == activeRow) {
        if (!editor && editPermanent && gridHasFocus()) startEdit(nullptr);
        return;
    }
    const int serial = ++moveSerial;
    endEdit(true);
    if (serial != moveSerial) {
        // a handler moved the active cell itself
        if (!editor && editPermanent && gridHasFocus()) startEdit(nullptr);
        return;
    }
    bool cancel = false;
    emit q->LeaveCell(activeCol, activeRow, c, r, cancel);
    if (serial != moveSerial) {
        if (!editor && editPermanent && gridHasFocus()) startEdit(nullptr);
        return;
    }
    if (cancel) {
        if (editPermanent && gridHasFocus()) startEdit(nullptr);
        return;
    }
    activeCol = c;
    activeRow = r;
    lostRow = 0;
    ensureVisible(c, r);
    repaint();
    if (editPermanent && gridHasFocus()) startEdit(nullptr);
}

void SpreadGrid::Private::keepActiveShown()
{
    if (activeRow < 1 || activeRow > model.maxRows() || !model.rowHidden(activeRow)) return;
    if (settleFrom < 0) settleFrom = activeRow;
    const int r = shownRowNear(activeRow, true);
    // the row the cursor was on when the rows began to be hidden (not one it passed on its way
    // while they were hidden one at a time): it comes back there when that row is shown again
    if (lostRow < 1) lostRow = settleFrom >= 1 ? settleFrom : activeRow;
    activeRow = r;
    scheduleSettle();
}

void SpreadGrid::Private::scheduleSettle()
{
    if (settlePending) return;
    settlePending = true;
    QTimer::singleShot(0, q, [this] { settleActive(); });
}

void SpreadGrid::Private::settleActive()
{
    if (!settlePending || !redraw) return; // (SetReDraw(true) settles)
    settlePending = false;
    int from = settleFrom;
    const bool inView = settleInView;
    settleFrom = -1;
    settleInView = false;
    if (lostRow >= 1 && lostRow <= model.maxRows() && (activeRow < 1 || !model.rowHidden(lostRow))) {
        if (activeRow < 1 && visibleRowCount() > 0) {
            // rows are shown again: the cursor comes back (to the row shown nearest its own)
            from = 0;
            activeRow = shownRowNear(lostRow, true);
        } else if (activeRow >= 1 && activeRow != lostRow) {
            // its own row is shown again
            if (from < 0) from = activeRow;
            activeRow = lostRow;
        }
        if (activeRow >= 1) lostRow = 0;
    }
    const bool moved = from >= 0 && from != activeRow;
    if (moved) {
        // the handlers follow the cursor (a cursor that cannot stay is not held back)
        const int serial = ++moveSerial;
        bool cancel = false;
        emit q->LeaveCell(activeCol, from, activeCol, activeRow, cancel);
        if (serial != moveSerial) return; // a handler moved the active cell itself
    }
    if (activeRow >= 1 && (moved || inView)) ensureVisible(0, activeRow);
    repaint();
    if (!editor && editPermanent && activeRow >= 1 && gridHasFocus()) startEdit(nullptr);
}

void SpreadGrid::Private::afterStructureChange()
{
    visDirty = true;
    lostRow = 0; // its rows have moved
    keepActiveShown();
    if (activeRow >= 1) lostRow = 0; // moved under the cursor: it has no row to come back to
    if (!redraw) return;
    updateScrollBars();
    repaint();
    settleActive();
}

void SpreadGrid::Private::enterActionMove()
{
    switch (enterAction) {
    case 1: moveActive(activeCol, activeRow - 1); break;
    case 2: moveActive(activeCol, activeRow + 1); break;
    case 3: moveActive(activeCol - 1, activeRow); break;
    case 4: moveActive(activeCol + 1, activeRow); break;
    case 5:
        if (activeCol < model.maxCols()) moveActive(activeCol + 1, activeRow);
        else if (activeRow < model.maxRows()) moveActive(1, activeRow + 1);
        else emit q->Advance(true);
        break;
    default:
        if (editPermanent && !editor && gridHasFocus()) startEdit(nullptr);
        break;
    }
}

void SpreadGrid::Private::handleNavigationKey(int key, Qt::KeyboardModifiers mods)
{
    const int page = std::max(1, q->verticalScrollBar()->pageStep());
    auto nextVisibleRow = [&](int from, int step) {
        int r = from + step;
        while (r >= 1 && r <= model.maxRows() && model.rowHidden(r)) r += step;
        return (r < 1 || r > model.maxRows()) ? from : r;
    };
    auto nextVisibleCol = [&](int from, int step) {
        int c = from + step;
        while (c >= 1 && c <= model.maxCols() && model.colHidden(c)) c += step;
        return (c < 1 || c > model.maxCols()) ? from : c;
    };
    switch (key) {
    case Qt::Key_Up: moveActive(activeCol, nextVisibleRow(activeRow, -1)); break;
    case Qt::Key_Down: moveActive(activeCol, nextVisibleRow(activeRow, 1)); break;
    case Qt::Key_Left: moveActive(nextVisibleCol(activeCol, -1), activeRow); break;
    case Qt::Key_Right: moveActive(nextVisibleCol(activeCol, 1), activeRow); break;
    case Qt::Key_PageUp: case Qt::Key_PageDown: {
        // a page of the rows shown, hidden rows not counted
        const int count = visibleRowCount();
        if (count == 0) break;
        const int at = activeRow >= 1 ? visIndexOfRow(activeRow) : 0;
        const int to = std::clamp(at + (key == Qt::Key_PageDown ? page : -page), 0, count - 1);
        moveActive(activeCol, rowAtVisIndex(to));
        break;
    }
    case Qt::Key_Home:
        if (mods & Qt::ControlModifier) moveActive(nextVisibleCol(0, 1), nextVisibleRow(0, 1));
        else moveActive(nextVisibleCol(0, 1), activeRow);
        break;
    case Qt::Key_End:
        if (mods & Qt::ControlModifier) moveActive(nextVisibleCol(model.maxCols() + 1, -1), nextVisibleRow(model.maxRows() + 1, -1));
        else moveActive(nextVisibleCol(model.maxCols() + 1, -1), activeRow);
        break;
    case Qt::Key_Tab: {
        int c = nextVisibleCol(activeCol, 1);
        if (c != activeCol) moveActive(c, activeRow);
        else if (activeRow < model.maxRows()) moveActive(nextVisibleCol(0, 1), nextVisibleRow(activeRow, 1));
        else emit q->Advance(true);
        break;
    }
    case Qt::Key_Backtab: {
        int c = nextVisibleCol(activeCol, -1);
        if (c != activeCol) moveActive(c, activeRow);
        else if (activeRow > 1) moveActive(nextVisibleCol(model.maxCols() + 1, -1), nextVisibleRow(activeRow, -1));
        else emit q->Advance(false);
        break;
    }
    default: break;
    }
}

// ====================================================================== painting

void SpreadGrid::Private::paint(QPainter& p, const QRect& clip)
{
    const QRect vr = q->viewport()->rect();
    p.fillRect(clip, toQColor(grayArea));
    const QColor gridLine(0xC0, 0xC0, 0xC0);
    const QColor headerBack = q->palette().color(QPalette::Button);
    const QColor headerText = q->palette().color(QPalette::ButtonText);
    const int hh = headerHeight();
    const int rw = rowHeaderWidth();

    // visible columns and rows
    std::vector<std::pair<int, QRect>> cols; // col -> x range (y unused)
    {
        int x = rw;
        for (int c = leftCol(); c <= model.maxCols() && x < vr.width(); ++c) {
            int w = colPx(c);
            if (w == 0) continue;
            cols.push_back({c, QRect(x, 0, w, 0)});
            x += w;
        }
    }
    std::vector<std::pair<int, QRect>> rows;
    {
        int y = hh;
        for (int i = q->verticalScrollBar()->value(); y < vr.height(); ++i) {
            int r = rowAtVisIndex(i);
            if (r < 1 || r > model.maxRows()) break;
            int h = rowPx(r);
            rows.push_back({r, QRect(0, y, 0, h)});
            y += h;
        }
    }
    const bool rowSelect = opMode == 2 || opMode == 3;
    const QFont baseFont = q->font();

    for (const auto& [r, ry] : rows) {
        for (const auto& [c, cx] : cols) {
            QRect rc(cx.x(), ry.y(), cx.width(), ry.height());
            if (!rc.intersects(clip)) continue;
            double v;
            QColor back, fore;
            bool odd = (r % 2) == 1;
            if (model.explicitAttr(SpreadModel::ABackColor, c, r, v)) back = toQColor(quint32(v));
            else if (oddEven) back = toQColor(odd ? oddBack : evenBack);
            else back = Qt::white;
            if (model.explicitAttr(SpreadModel::AForeColor, c, r, v)) fore = toQColor(quint32(v));
            else if (oddEven) fore = toQColor(odd ? oddFore : evenFore);
            else fore = Qt::black;
            if (rowSelect && r == activeRow) back = toQColor(selBack);
            p.fillRect(rc, back);
            p.setPen(gridLine);
            p.drawLine(rc.topRight(), rc.bottomRight());
            p.drawLine(rc.bottomLeft(), rc.bottomRight());
            if (editor && c == editCol && r == editRow) continue;
            const int type = model.cellType(c, r);
            const QString text = model.displayText(c, r);
            if (type == 7) {
                QStyleOptionButton opt;
                opt.rect = rc.adjusted(1, 1, -1, -1);
                opt.text = text;
                opt.state = QStyle::State_Enabled | QStyle::State_Raised;
                if (pressedButtonCol == c && pressedButtonRow == r) opt.state |= QStyle::State_Sunken;
                opt.palette = q->palette();
                q->style()->drawControl(QStyle::CE_PushButton, &opt, &p, q);
                continue;
            }
            if (text.isEmpty()) continue;
            int ha = int(model.attr(SpreadModel::AHAlign, c, r));
            int va = int(model.attr(SpreadModel::AVAlign, c, r));
            int flags = 0;
            if (ha < 0) ha = type == 12 ? 1 : 0;
            flags |= ha == 1 ? Qt::AlignRight : ha == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
            flags |= va == 0 ? Qt::AlignTop : va == 1 ? Qt::AlignBottom : Qt::AlignVCenter;
            p.setFont(cellFont(c, r));
            p.setPen(fore);
            const QRect cell = textCell(c, r, rc);
            const QRect room = cell.adjusted(kCellMargin, 0, -kCellMargin, 0);
            const QString shown = shownText(c, r, cell.width(), text).shown;
            // The text is laid out in the whole cell (in a column wider than the viewport's
            // room, an amount in the part in view: see textCell). Of a cell the viewport's left or right
            // edge cuts, a number the edge would cut is not drawn: the part in view shows none
            // of it, as it shows none of a shorter number further inside the same cell.
            const auto cutSideways = [&vr](const QRect& x) { return x.left() < vr.left() || x.right() > vr.right(); };
            if (cutSideways(cell) && wholeOrMark(c, r)
                && cutSideways(p.fontMetrics().boundingRect(room, flags | Qt::TextSingleLine, shown)))
                continue;
            // (a part in view too narrow for even one '#' shows nothing)
            if (cell != rc && p.fontMetrics().horizontalAdvance(shown) > room.width())
                continue;
            p.drawText(room, flags | Qt::TextSingleLine, shown);
        }
    }

    // active cell frame
    if (!rowSelect && activeRow >= 1 && activeCol >= 1) {
        for (const auto& [r, ry] : rows) {
            if (r != activeRow) continue;
            for (const auto& [c, cx] : cols) {
                if (c != activeCol) continue;
                QRect rc(cx.x(), ry.y(), cx.width(), ry.height());
                QPen pen(QColor(0, 0, 0), 2);
                p.setPen(pen);
                p.setBrush(Qt::NoBrush);
                p.drawRect(rc.adjusted(1, 1, -1, -1));
            }
        }
    }

    // headers
    auto drawHeader = [&](const QRect& rc, const QString& text, int c, int r) {
        double v;
        QColor back = headerBack;
        if (model.explicitAttr(SpreadModel::ABackColor, c, r, v)) back = toQColor(quint32(v));
        p.fillRect(rc, back);
        p.setPen(QColor(0x90, 0x90, 0x90));
        p.drawLine(rc.topRight(), rc.bottomRight());
        p.drawLine(rc.bottomLeft(), rc.bottomRight());
        QFont f = baseFont;
        double fs = model.attr(SpreadModel::AFontSize, c, r);
        if (fs > 0) f.setPointSizeF(fs);
        if (model.attr(SpreadModel::AFontBold, c, r) != 0) f.setBold(true);
        p.setFont(f);
        p.setPen(headerText);
        p.drawText(rc.adjusted(kHeaderMargin, 0, -kHeaderMargin, 0), Qt::AlignCenter | Qt::TextSingleLine, text);
    };
    if (hh > 0) {
        for (const auto& [c, cx] : cols) {
            QString t = model.storedText(c, 0);
            if (t.isEmpty()) {
                // default letters A, B, ..., Z, AA, ...
                int n = c;
                while (n > 0) { t.prepend(QChar('A' + (n - 1) % 26)); n = (n - 1) / 26; }
            }
            drawHeader(QRect(cx.x(), 0, cx.width(), hh), t, c, 0);
        }
    }
    if (rw > 0) {
        for (const auto& [r, ry] : rows) {
            drawHeader(QRect(0, ry.y(), rw, ry.height()), rowHeaderText(r), 0, r);
        }
        if (hh > 0) drawHeader(QRect(0, 0, rw, hh), model.storedText(0, 0), 0, 0);
    }
}

void SpreadGrid::Private::showTextTip(const QPoint& pos)
{
    int c, r;
    cellAt(pos, c, r);
    QRect rc;
    if (textTip != 0 && c >= 1 && r >= 1) rc = cellRect(c, r);
    if (rc.isEmpty() || (editor && c == editCol && r == editRow) || model.cellType(c, r) == 7) {
        QToolTip::hideText();
        return;
    }
    const CellTextFit fit = shownText(c, r, textCell(c, r, rc).width());
    if (fit.whole) {
        QToolTip::hideText();
        return;
    }
    // the tip sits just below the cell and goes when the mouse leaves the cell
    QToolTip::showText(q->viewport()->mapToGlobal(rc.bottomLeft()), model.displayText(c, r), q->viewport(), rc);
}

QString SpreadGrid::OverflowMark() { return SpreadModel::overflowMark(); }

SpreadGrid::CellTextFit SpreadGrid::FitCellText(const QString& text, bool number, const QFontMetrics& fm, int widthPx)
{
    if (text.isEmpty() || fm.horizontalAdvance(text) <= widthPx) return CellTextFit{text, true};
    if (!number) return CellTextFit{text, false};
    QString mark = OverflowMark();
    while (mark.size() > 1 && fm.horizontalAdvance(mark) > widthPx) mark.chop(1);
    return CellTextFit{mark, false};
}

SpreadGrid::CellTextFit SpreadGrid::ShownText(int col, int row) const
{
    if (!d->model.validCell(col, row)) return CellTextFit{};
    const int w = col == 0 ? d->rowHeaderWidth() : d->colPx(col);
    return d->shownText(col, row, w);
}

double SpreadGrid::MaxTextCellWidth(int col, int row) const
{
    if (!d->model.validCell(col, row)) return 0;
    const bool header = col == 0 || row == 0;
    const QString text = col == 0 ? d->rowHeaderText(row) : header ? d->model.storedText(col, 0) : d->model.displayText(col, row);
    const int margin = header ? Private::kHeaderMargin : Private::kCellMargin;
    const int px = QFontMetrics(d->cellFont(col, row)).horizontalAdvance(text) + 2 * margin + 1; // + the grid line
    if (d->unitType == 2) return double(px * kTwipsPerPixel);
    // ColWidth is drawn rounded to whole pixels: the width asked for rounds to at least px
    return (px + 0.5) / d->charPx();
}

double SpreadGrid::ShownColWidth(int col) const
{
    if (col != 0) return ColWidth(col);
    const double w = double(d->rowHeaderWidth()) / d->charPx();
    if (d->unitType == 2) return std::round(w * d->charPx() * kTwipsPerPixel);
    return std::max(w, d->model.colWidth(0));
}

double SpreadGrid::ColRoom() const
{
    const int px = d->colRoomPx();
    if (d->unitType == 2) return double(px * kTwipsPerPixel);
    return px / d->charPx();
}

QRect SpreadGrid::CellRect(int col, int row) const
{
    if (!d->model.validCell(col, row)) return QRect();
    return d->cellRect(col, row);
}

// ====================================================================== the widget

SpreadGrid::SpreadGrid(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Private>(this))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f = font();
    f.setPointSizeF(9);
    setFont(f);
    d->model.onChange = [this](int c, int r) {
        if (d->redraw) emit Change(c, r);
    };
    d->updateScrollBars();
}

SpreadGrid::~SpreadGrid()
{
    d->model.onChange = nullptr;
}

SpreadModel& SpreadGrid::model() { return d->model; }
const SpreadModel& SpreadGrid::model() const { return d->model; }

QString SpreadGrid::Name() const { return objectName(); }
void SpreadGrid::SetName(const QString& name) { setObjectName(name); }
int SpreadGrid::Index() const { return d->index; }
void SpreadGrid::SetIndex(int index) { d->index = index; }

int SpreadGrid::MaxCols() const { return d->model.maxCols(); }
void SpreadGrid::SetMaxCols(int n)
{
    if (d->editor && d->editCol > n) d->endEdit(true);
    d->model.setMaxCols(n);
    d->activeCol = std::clamp(d->activeCol, 1, std::max(1, n));
    d->afterStructureChange();
}
int SpreadGrid::MaxRows() const { return d->model.maxRows(); }
void SpreadGrid::SetMaxRows(int n)
{
    if (n < 0) n = 0;
    if (n == d->model.maxRows()) return;
    if (d->editor && d->editRow > n) d->endEdit(true);
    d->model.setMaxRows(n);
    d->activeRow = n == 0 ? 0 : std::clamp(d->activeRow, 1, n); // no rows: no active row
    d->afterStructureChange();
}
int SpreadGrid::DataRowCnt() const { return d->model.dataRowCnt(); }
int SpreadGrid::ActiveCol() const { return d->activeCol; }
int SpreadGrid::ActiveRow() const { return d->activeRow; }
void SpreadGrid::SetActiveCell(int col, int row)
{
    if (col == 0 || row == 0) {
        // no data cell chosen: the highlight goes away
        ++d->moveSerial;
        d->endEdit(true);
        d->activeCol = std::max(col, 0);
        d->activeRow = std::max(row, 0);
        d->lostRow = 0;
        d->repaint();
        return;
    }
    d->moveActive(col, row);
}
int SpreadGrid::TopRow() const { return const_cast<Private*>(d.get())->topRow(); }
void SpreadGrid::SetTopRow(int row)
{
    if (row < 1) row = 1;
    d->ensurePending = false;
    d->updateScrollBars();
    verticalScrollBar()->setValue(d->visIndexOfRow(row));
    d->repaint();
}
int SpreadGrid::LeftCol() const { return d->leftCol(); }

int SpreadGrid::Col() const { return d->col; }
void SpreadGrid::SetCol(int col) { d->col = col; }
int SpreadGrid::Row() const { return d->row; }
void SpreadGrid::SetRow(int row) { d->row = row; }

QString SpreadGrid::Text() const
{
    if (d->col < 0 || d->row < 0) return QString();
    return d->model.text(d->col, d->row);
}
void SpreadGrid::SetText(const QString& value)
{
    if (d->col < 0 || d->row < 0) {
        d->model.setTextRange(d->col, d->row, value);
        d->repaint();
        return;
    }
    SetText(d->col, d->row, value);
}
bool SpreadGrid::GetText(int col, int row, QString& value) const
{
    if (!d->model.validCell(col, row)) return false;
    value = d->model.text(col, row);
    return true;
}
QString SpreadGrid::GetText(int col, int row) const
{
    QString v;
    GetText(col, row, v);
    return v;
}
void SpreadGrid::SetText(int col, int row, const QString& value)
{
    if (col < 0 || row < 0) { d->model.setTextRange(col, row, value); d->repaint(); return; }
    if (!d->model.validCell(col, row)) return;
    d->model.setText(col, row, value);
    if (d->editor && d->editCol == col && d->editRow == row) {
        d->editOld = d->model.text(col, row);
        d->editor->setText(d->editOld);
    }
    if (d->redraw) {
        QRect rc = d->cellRect(col, row);
        if (!rc.isEmpty()) viewport()->update(rc);
        if (d->model.recalcEnabled() && d->model.maxRows() > 0) viewport()->update();
    }
}
QString SpreadGrid::Formula() const { return d->model.formula(d->col, d->row); }
void SpreadGrid::SetFormula(const QString& formula)
{
    d->model.setFormula(d->col, d->row, formula);
    d->repaint();
}
int SpreadGrid::RefStyle() const { return d->refStyle; }
void SpreadGrid::SetRefStyle(int style) { d->refStyle = style; }
QString SpreadGrid::CellTag() const { return d->model.cellTag(d->col, d->row); }
void SpreadGrid::SetCellTag(const QString& tag) { d->model.setCellTag(d->col, d->row, tag); }
QString SpreadGrid::ColID() const { return d->model.colId(d->col); }
void SpreadGrid::SetColID(const QString& id) { d->model.setColId(d->col, id); }
QString SpreadGrid::ColID(int col) const { return d->model.colId(col); }
void SpreadGrid::SetColID(int col, const QString& id) { d->model.setColId(col, id); }

// ---- cell format
#define SPREAD_ATTR(Getter, Setter, Type, AttrId)                                    \
    Type SpreadGrid::Getter() const { return Type(d->model.attrAt(SpreadModel::AttrId, d->col, d->row)); } \
    void SpreadGrid::Setter(Type v) { d->model.setAttr(SpreadModel::AttrId, d->col, d->row, double(v)); d->repaint(); }

SPREAD_ATTR(CellType, SetCellType, int, ACellType)
SPREAD_ATTR(TypeCurrencyMax, SetTypeCurrencyMax, double, ACurMax)
SPREAD_ATTR(TypeCurrencyMin, SetTypeCurrencyMin, double, ACurMin)
SPREAD_ATTR(TypeCurrencyShowSymbol, SetTypeCurrencyShowSymbol, bool, ACurSymbol)
SPREAD_ATTR(TypeCurrencyDecPlaces, SetTypeCurrencyDecPlaces, int, ACurDec)
SPREAD_ATTR(TypeCurrencyShowSep, SetTypeCurrencyShowSep, bool, ACurSep)
SPREAD_ATTR(TypeHAlign, SetTypeHAlign, int, AHAlign)
SPREAD_ATTR(TypeVAlign, SetTypeVAlign, int, AVAlign)
SPREAD_ATTR(Lock, SetLock, bool, ALock)
// A single cell reads the colour it is shown in (odd/even row colours included), so that
// a caller can remember it and put it back.
quint32 SpreadGrid::BackColor() const
{
    double v;
    if (d->col >= 1 && d->row >= 1 && !d->model.explicitAttr(SpreadModel::ABackColor, d->col, d->row, v) && d->oddEven)
        return (d->row % 2) ? d->oddBack : d->evenBack;
    return quint32(d->model.attrAt(SpreadModel::ABackColor, d->col, d->row));
}
void SpreadGrid::SetBackColor(quint32 v) { d->model.setAttr(SpreadModel::ABackColor, d->col, d->row, double(v)); d->repaint(); }
quint32 SpreadGrid::ForeColor() const
{
    double v;
    if (d->col >= 1 && d->row >= 1 && !d->model.explicitAttr(SpreadModel::AForeColor, d->col, d->row, v) && d->oddEven)
        return (d->row % 2) ? d->oddFore : d->evenFore;
    return quint32(d->model.attrAt(SpreadModel::AForeColor, d->col, d->row));
}
void SpreadGrid::SetForeColor(quint32 v) { d->model.setAttr(SpreadModel::AForeColor, d->col, d->row, double(v)); d->repaint(); }
SPREAD_ATTR(FontSize, SetFontSize, double, AFontSize)
SPREAD_ATTR(FontBold, SetFontBold, bool, AFontBold)
SPREAD_ATTR(TypeWholeOrMark, SetTypeWholeOrMark, bool, AWholeOrMark)
#undef SPREAD_ATTR

QString SpreadGrid::DisplayText(int col, int row) const { return d->model.displayText(col, row); }

// ---- layout
double SpreadGrid::ColWidth(int col) const
{
    double w = d->model.colWidth(col < 0 ? 1 : col);
    if (d->unitType == 2) return std::round(w * d->charPx() * kTwipsPerPixel);
    return w;
}
void SpreadGrid::SetColWidth(int col, double width)
{
    if (d->unitType == 2) width = width / kTwipsPerPixel / d->charPx();
    // the active cell in view stays in view when columns widen
    const bool inView = d->redraw && isVisible() && d->cellInView(d->activeCol, d->activeRow);
    d->model.setColWidth(col, width);
    d->updateScrollBars();
    if (inView) d->ensureVisible(d->activeCol, d->activeRow);
    d->repaint();
}
double SpreadGrid::RowHeight(int row) const
{
    double h = d->model.rowHeight(row < 0 ? 1 : row);
    if (row < 0) h = d->model.defaultRowHeight();
    if (d->unitType == 2) return h * 20.0; // points -> twips
    return h;
}
void SpreadGrid::SetRowHeight(int row, double height)
{
    if (d->unitType == 2) height = height / 20.0;
    // the active row in view stays in view when the rows grow
    const bool inView = d->redraw && isVisible() && d->rowInView(d->activeRow, viewport()->height());
    d->model.setRowHeight(row, height);
    d->updateScrollBars();
    if (inView) d->ensureVisible(0, d->activeRow);
    d->repaint();
}
bool SpreadGrid::ColHidden() const { return d->model.colHidden(d->col); }
void SpreadGrid::SetColHidden(bool b) { SetColHidden(d->col, b); }
bool SpreadGrid::ColHidden(int col) const { return d->model.colHidden(col); }
void SpreadGrid::SetColHidden(int col, bool b)
{
    if (b && d->editor && (col == -1 || d->editCol == col)) d->endEdit(true);
    d->model.setColHidden(col, b);
    d->updateScrollBars();
    d->repaint();
}
bool SpreadGrid::RowHidden() const { return d->model.rowHidden(d->row); }
void SpreadGrid::SetRowHidden(bool b) { SetRowHidden(d->row, b); }
bool SpreadGrid::RowHidden(int row) const { return d->model.rowHidden(row); }
void SpreadGrid::SetRowHidden(int row, bool b)
{
    if (row != -1 && d->model.rowHidden(row) == b) return; // nothing changes
    if (!d->settlePending) {
        // the first row of a change: an active row in view is to stay in view
        d->settleInView = d->redraw && d->rowInView(d->activeRow, viewport()->height());
        d->scheduleSettle();
    }
    if (b && d->editor && (row == -1 || d->editRow == row)) d->endEdit(true);
    const bool was = d->model.rowHidden(row);
    d->model.setRowHidden(row, b);
    if (row == -1) d->visDirty = true;
    else if (d->model.rowHidden(row) != was) d->rowVisibilityChanged(row, b);
    else return; // nothing changed
    d->keepActiveShown();
    if (!d->redraw) return;
    d->placeLater = true;
    d->updateScrollBars();
    d->repaint();
    d->placeLater = false;
}
bool SpreadGrid::RowHeadersShow() const { return d->rowHeadersShow; }
void SpreadGrid::SetRowHeadersShow(bool b) { d->rowHeadersShow = b; d->updateScrollBars(); d->repaint(); }
bool SpreadGrid::ColHeadersShow() const { return d->colHeadersShow; }
void SpreadGrid::SetColHeadersShow(bool b) { d->colHeadersShow = b; d->updateScrollBars(); d->repaint(); }
int SpreadGrid::UnitType() const { return d->unitType; }
void SpreadGrid::SetUnitType(int t) { d->unitType = t; }
quint32 SpreadGrid::GrayAreaBackColor() const { return d->grayArea; }
void SpreadGrid::SetGrayAreaBackColor(quint32 c) { d->grayArea = c; d->repaint(); }

// ---- behaviour
int SpreadGrid::AppearanceStyle() const { return d->appearance; }
void SpreadGrid::SetAppearanceStyle(int v) { d->appearance = v; }
int SpreadGrid::OperationMode() const { return d->opMode; }
void SpreadGrid::SetOperationMode(int v)
{
    d->opMode = v;
    if ((v == 1 || v == 3) && d->editor) d->endEdit(true);
    d->repaint();
}
int SpreadGrid::CursorType() const { return d->cursorType; }
void SpreadGrid::SetCursorType(int v) { d->cursorType = v; }
int SpreadGrid::CursorStyle() const { return d->cursorStyle; }
void SpreadGrid::SetCursorStyle(int v) { d->cursorStyle = v; }
int SpreadGrid::SelectBlockOptions() const { return d->selectBlockOptions; }
void SpreadGrid::SetSelectBlockOptions(int v) { d->selectBlockOptions = v; }
bool SpreadGrid::EditModePermanent() const { return d->editPermanent; }
void SpreadGrid::SetEditModePermanent(bool b) { d->editPermanent = b; }
bool SpreadGrid::EditModeReplace() const { return d->editReplace; }
void SpreadGrid::SetEditModeReplace(bool b) { d->editReplace = b; }
int SpreadGrid::EditEnterAction() const { return d->enterAction; }
void SpreadGrid::SetEditEnterAction(int v) { d->enterAction = v; }
bool SpreadGrid::NoBeep() const { return d->noBeep; }
void SpreadGrid::SetNoBeep(bool b) { d->noBeep = b; }
int SpreadGrid::UserColAction() const { return d->userColAction; }
void SpreadGrid::SetUserColAction(int v) { d->userColAction = v; }
bool SpreadGrid::DAutoCellTypes() const { return d->dAuto; }
void SpreadGrid::SetDAutoCellTypes(bool b) { d->dAuto = b; }
int SpreadGrid::BackColorStyle() const { return d->backColorStyle; }
void SpreadGrid::SetBackColorStyle(int v) { d->backColorStyle = v; }
quint32 SpreadGrid::SelBackColor() const { return d->selBack; }
void SpreadGrid::SetSelBackColor(quint32 c) { d->selBack = c; d->repaint(); }
int SpreadGrid::TextTip() const { return d->textTip; }
void SpreadGrid::SetTextTip(int v) { d->textTip = v; }
void SpreadGrid::SetOddEvenRowColor(quint32 oddBack, quint32 oddFore, quint32 evenBack, quint32 evenFore)
{
    d->oddEven = true;
    d->oddBack = oddBack;
    d->oddFore = oddFore;
    d->evenBack = evenBack;
    d->evenFore = evenFore;
    d->repaint();
}
void SpreadGrid::SetActionKey(int action, bool shift, bool ctrl, int key)
{
    Q_UNUSED(shift);
    Q_UNUSED(ctrl);
    if (action >= 0 && action < 3) d->actionKey[action] = key;
}
bool SpreadGrid::ReDraw() const { return d->redraw; }
void SpreadGrid::SetReDraw(bool b)
{
    if (b == d->redraw) return;
    d->redraw = b;
    d->model.setRecalcEnabled(b); // enabling recalculates once and reports changed results
    if (b) {
        d->visDirty = true;
        d->updateScrollBars();
        d->repaint();
        d->settleActive();
    }
}
void SpreadGrid::Refresh()
{
    d->visDirty = true;
    d->updateScrollBars();
    d->repaint();
    d->settleActive();
}
void SpreadGrid::DeleteRows(int row, int count)
{
    if (row < 1 || count < 1 || row > d->model.maxRows()) return;
    const bool wasEditing = d->editor != nullptr;
    if (d->editor) d->endEdit(true);
    d->model.deleteRows(row, count);
    d->afterStructureChange();
    d->resumeEdit(wasEditing);
}
void SpreadGrid::InsertRows(int row, int count)
{
    if (row < 1 || count < 1 || row > d->model.maxRows()) return;
    const bool wasEditing = d->editor != nullptr;
    if (d->editor) d->endEdit(true);
    d->model.insertRows(row, count);
    d->afterStructureChange();
    d->resumeEdit(wasEditing);
}
int SpreadGrid::SearchCol(int col, int rowStart, int rowEnd, const QString& text, int flags) const
{
    return d->model.searchCol(col, rowStart, rowEnd, text, flags);
}
int SpreadGrid::SearchRow(int row, int colStart, int colEnd, const QString& text, int flags) const
{
    return d->model.searchRow(row, colStart, colEnd, text, flags);
}
void SpreadGrid::SortRows(int keyCol, bool ascending, int row1, int row2)
{
    if (d->editor) d->endEdit(true);
    d->model.sortRows(keyCol, ascending, row1, row2);
    d->afterStructureChange();
}
void SpreadGrid::UserSortClick(int col)
{
    if (col < 1 || col > d->model.maxCols()) return;
    const bool wasEditing = d->editor != nullptr;
    if (d->editor) d->endEdit(true);
    const bool ascending = (d->sortCol == col) ? !d->sortAscending : true;
    int action = 1;
    emit BeforeUserSort(col, ascending ? 1 : 2, action);
    if (action == 0) { d->resumeEdit(wasEditing); return; }
    d->sortCol = col;
    d->sortAscending = ascending;
    SortRows(col, ascending, 1, -1);
    emit AfterUserSort(col);
    d->resumeEdit(wasEditing);
}
void SpreadGrid::SetFocus()
{
    // With a cell being edited the focus goes to its editor directly: passing through the
    // grid would take it from the editor first.
    if (d->editor && d->editor->isVisible()) {
        d->editor->setFocus(Qt::OtherFocusReason);
        return;
    }
    setFocus(Qt::OtherFocusReason);
    if (d->editor) d->editor->setFocus(Qt::OtherFocusReason);
}

bool SpreadGrid::Visible() const { return isVisible(); }
int SpreadGrid::Left() const { return x() * kTwipsPerPixel; }
void SpreadGrid::SetLeft(int twips) { move(twips / kTwipsPerPixel, y()); }
int SpreadGrid::Top() const { return y() * kTwipsPerPixel; }
void SpreadGrid::SetTop(int twips) { move(x(), twips / kTwipsPerPixel); }
int SpreadGrid::Width() const { return width() * kTwipsPerPixel; }
void SpreadGrid::SetWidth(int twips) { resize(twips / kTwipsPerPixel, height()); }
int SpreadGrid::Height() const { return height() * kTwipsPerPixel; }
void SpreadGrid::SetHeight(int twips) { resize(width(), twips / kTwipsPerPixel); }

bool SpreadGrid::IsEditing() const { return d->editor != nullptr; }
QLineEdit* SpreadGrid::editorWidget() const { return d->editor; }
void SpreadGrid::StartEdit() { d->startEdit(nullptr); }
void SpreadGrid::EndEdit(bool commit) { d->endEdit(commit); }

// ---- events

void SpreadGrid::paintEvent(QPaintEvent* e)
{
    Q_UNUSED(e);
}

bool SpreadGrid::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::Paint) {
        QPainter p(viewport());
        d->paint(p, static_cast<QPaintEvent*>(e)->rect());
        return true;
    }
    if (e->type() == QEvent::Show && d->ensurePending) d->ensureVisible(d->activeCol, d->activeRow);
    if (e->type() == QEvent::Resize && d->redraw) {
        // The viewport changes size without the grid doing so when a scroll bar comes or goes
        // (wider columns bring the horizontal one): the scroll ranges follow, and an active
        // row that was in view stays in view.
        auto* re = static_cast<QResizeEvent*>(e);
        const bool lower = re->oldSize().isValid() && re->size().height() < re->oldSize().height();
        const bool wasInView = lower && d->rowInView(d->activeRow, re->oldSize().height());
        d->updateScrollBars();
        if (wasInView) d->ensureVisible(0, d->activeRow);
    }
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        d->showTextTip(he->pos());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void SpreadGrid::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    d->updateScrollBars();
    d->placeEditor();
}

void SpreadGrid::scrollContentsBy(int, int)
{
    d->placeEditor();
    viewport()->update();
}

void SpreadGrid::keyPressEvent(QKeyEvent* e)
{
    if (d->editor && e == d->editorKey) {
        // a key the editor did not use travels on to the window
        d->editorKey = nullptr;
        e->ignore();
        return;
    }
    int vk = platform::virtualKeyCode(e);
    const int typedVk = vk;
    const int shift = shiftState(e->modifiers());
    emit KeyDown(vk, shift);
    if (vk == 0 && typedVk != 0) { e->accept(); return; } // the handler swallowed the key
    for (int a = 0; a < 3; ++a) {
        if (d->actionKey[a] == 0 || d->actionKey[a] != vk || shift != 0) continue;
        if (a == 0 && d->editable(d->activeCol, d->activeRow)) {
            const QString old = d->model.text(d->activeCol, d->activeRow);
            if (!old.isEmpty()) {
                d->model.setText(d->activeCol, d->activeRow, QString());
                d->repaint();
                emit Change(d->activeCol, d->activeRow);
            }
        } else if (a == 1) {
            d->startEdit(nullptr);
        }
        e->accept();
        return;
    }
    switch (e->key()) {
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Tab: case Qt::Key_Backtab:
        d->handleNavigationKey(e->key(), e->modifiers());
        e->accept();
        return;
    default: break;
    }
    int ascii = keyAscii(e);
    if (ascii == 27) { e->ignore(); return; } // Escape belongs to the window
    if (ascii != 0) {
        emit KeyPress(ascii);
        if (ascii == 0) { e->accept(); return; }
        if (ascii == 13) {
            if (!d->editor && d->editable(d->activeCol, d->activeRow)) d->startEdit(nullptr);
            e->accept();
            return;
        }
        if (ascii >= 32 && d->editable(d->activeCol, d->activeRow)) {
            const QString first = QString(QChar(ascii));
            d->startEdit(&first);
            e->accept();
            return;
        }
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Delete && d->editable(d->activeCol, d->activeRow)) {
        if (!d->model.text(d->activeCol, d->activeRow).isEmpty()) {
            d->model.setText(d->activeCol, d->activeRow, QString());
            d->repaint();
            emit Change(d->activeCol, d->activeRow);
        }
        e->accept();
        return;
    }
    e->ignore();
}

bool SpreadGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (!d->editor || watched != d->editor) return QAbstractScrollArea::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        d->editorKey = nullptr;
        switch (e->key()) {
        case Qt::Key_Shift: case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Meta: case Qt::Key_AltGr: break;
        default: d->bringEditorIntoView(); break; // a key acts on a cell the user sees
        }
        int vk = platform::virtualKeyCode(e);
        const int typedVk = vk;
        const int shift = shiftState(e->modifiers());
        emit KeyDown(vk, shift);
        if (!d->editor) return true; // the handler ended editing
        if (vk == 0 && typedVk != 0) return true; // the handler swallowed the key
        switch (e->key()) {
        case Qt::Key_Return: case Qt::Key_Enter: {
            int ascii = 13;
            emit KeyPress(ascii);
            if (ascii == 0 || !d->editor) return true;
            d->endEdit(true);
            d->enterActionMove();
            return true;
        }
        case Qt::Key_Escape: {
            int ascii = 27;
            emit KeyPress(ascii);
            if (!d->editor) return true;
            d->editor->setText(d->editOld);
            d->endEdit(false);
            if (d->editPermanent && d->gridHasFocus()) d->startEdit(nullptr);
            return true;
        }
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
        case Qt::Key_Tab: case Qt::Key_Backtab:
            d->handleNavigationKey(e->key(), e->modifiers());
            return true;
        default: break;
        }
        int ascii = keyAscii(e);
        if (ascii != 0) {
            const int before = ascii;
            emit KeyPress(ascii);
            if (!d->editor) return true;
            if (ascii == 0) return true;
            if (ascii != before) { d->editor->insert(QString(QChar(ascii))); return true; }
            return false;
        }
        d->editorKey = e; // unused keys (F-keys) go on to the window, past the grid
        return false;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* ie = static_cast<QInputMethodEvent*>(event);
        if (!ie->commitString().isEmpty() || !ie->preeditString().isEmpty()) d->bringEditorIntoView();
        d->editPreedit = ie->preeditString();
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        d->restoreEditorState();
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        d->saveEditorState(); // before the line edit drops its selection
        auto* fe = static_cast<QFocusEvent*>(event);
        if (fe->reason() == Qt::PopupFocusReason || fe->reason() == Qt::ActiveWindowFocusReason) return false;
        QPointer<QLineEdit> ed = d->editor;
        QTimer::singleShot(0, this, [this, ed]() {
            if (!ed || ed != d->editor || d->gridHasFocus()) return;
            d->endEdit(true);
            if (d->gridHasFocus()) {
                // the leave handler took the focus back (after a pick list): editing goes on
                if (!d->editor && d->editPermanent) d->startEdit(nullptr);
                return;
            }
            emit LostFocus();
        });
        return false;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void SpreadGrid::mousePressEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    int button = e->button() == Qt::LeftButton ? 1 : e->button() == Qt::RightButton ? 2 : e->button() == Qt::MiddleButton ? 4 : 0;
    emit MouseDown(button, shiftState(e->modifiers()), p.x() * double(kTwipsPerPixel), p.y() * double(kTwipsPerPixel));
    if (e->button() != Qt::LeftButton) return;
    if (!hasFocus() && !(d->editor && d->editor->hasFocus())) setFocus(Qt::MouseFocusReason);
    int c, r;
    d->cellAt(p, c, r);
    if (r == 0 && p.y() < d->headerHeight()) {
        int border = d->borderAt(p.x());
        if (border >= 0) {
            d->dragCol = border;
            d->dragStartX = p.x();
            d->dragStartPx = d->colPx(border);
            return;
        }
        if (c >= 1 && d->userColAction == 1) UserSortClick(c);
        return;
    }
    if (c >= 1 && r >= 1) {
        d->moveActive(c, r);
        if (d->activeCol == c && d->activeRow == r && d->model.cellType(c, r) == 7) {
            d->pressedButtonCol = c;
            d->pressedButtonRow = r;
            viewport()->update();
        }
    }
}

void SpreadGrid::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    if (d->dragCol >= 0) {
        int px = std::max(0, d->dragStartPx + p.x() - d->dragStartX);
        d->model.setColWidth(d->dragCol, px / d->charPx());
        d->repaint();
        return;
    }
    if (p.y() < d->headerHeight() && d->borderAt(p.x()) >= 0) viewport()->setCursor(Qt::SplitHCursor);
    else viewport()->unsetCursor();
}

void SpreadGrid::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    if (d->dragCol >= 0) {
        int col = d->dragCol;
        d->dragCol = -1;
        d->updateScrollBars();
        d->repaint();
        emit ColWidthChange(col, col);
        return;
    }
    if (d->pressedButtonCol > 0) {
        int c, r;
        d->cellAt(p, c, r);
        const int bc = d->pressedButtonCol, br = d->pressedButtonRow;
        d->pressedButtonCol = d->pressedButtonRow = 0;
        viewport()->update();
        if (c == bc && r == br) emit ButtonClicked(bc, br, 0);
    }
}

void SpreadGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    int c, r;
    d->cellAt(p, c, r);
    if (c < 0 || r < 0) return;
    emit DblClick(c, r);
    if (c >= 1 && r >= 1 && c == d->activeCol && r == d->activeRow && !d->editor) d->startEdit(nullptr);
}

void SpreadGrid::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (d->editor) { d->editor->setFocus(Qt::OtherFocusReason); return; }
    if (d->editPermanent && d->activeRow >= 1 && d->activeCol >= 1) d->startEdit(nullptr);
}

void SpreadGrid::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason) return;
    if (d->editor && QApplication::focusWidget() == d->editor) return;
    emit LostFocus();
}

} // namespace platform
