#pragma once
// SpreadGrid: the spreadsheet grid control used by every list of the program.
//
// Naming: members keep the names of the spreadsheet control they stand in for.
//   - a readable property P is P(), a writable one SetP(value)   (MaxRows() / SetMaxRows(n));
//   - methods keep their names                                  (SetText, GetText, DeleteRows);
//   - events are Qt signals named after the events               (EditMode, LeaveCell, Change).
//   Signals that let the handler change an argument (KeyDown's key code, KeyPress's key,
//   LeaveCell's cancel flag, BeforeUserSort's action) pass it by reference; connect them
//   with a direct connection (the default within the user-interface thread).
//
// Addressing:
//   - columns and rows count from 1; row 0 is the column-header row, column 0 the
//     row-header column; -1 means all columns or all rows.
//   - the Col/Row pointer (SetCol/SetRow) chooses the cell that cell properties act on:
//       Col c, Row r   -> that cell only
//       Col c, Row -1  -> the whole column, including rows added later
//       Col -1, Row r  -> the whole row
//       Col -1, Row -1 -> the whole sheet
//     Of the settings made at these levels, the one made last wins for a cell.
//   - -2 for "the active cell" is understood by the program's own grid routines
//     (frame/modSpread60.h), not by the control.
//
// Units: ColWidth in character widths of the grid's font, RowHeight in points; with
// UnitType 2 both are in twips. Left/Top/Width/Height of the control are in twips.
// Colours are 24-bit values with red in the low byte (0x00BBGGRR).
//
// Formulas: SetRefStyle(2) (R1C1, the only style understood). A formula set on a whole
// column (Col c, Row -1) is evaluated per row when needed and applies to rows added later.
// Formula results follow every change of the cells they depend on (SetText, DeleteRows,
// InsertRows, MaxRows, user edits). Change is raised for a formula cell whose result changed:
//   - a cell formula (set on one cell): after any of these changes and after SetReDraw(true);
//   - a column formula (evaluated per row when read, its results are not kept): only when a
//     SetText or a user edit of a cell it reads through a relative row reference (RC10,
//     R[-1]C3) changes its result; not after row deletions, insertions, MaxRows or
//     SetReDraw(true), nor for a column formula with absolute rows or ranges. A caller that
//     follows such results reads them when it needs them.
// While ReDraw is False nothing is recalculated, drawn or signalled; SetReDraw(true) brings
// everything up to date once.
#include <QAbstractScrollArea>
#include <QFontMetrics>
#include <QString>
#include <memory>

class QLineEdit;

namespace platform {

class SpreadModel;

// 24-bit colour with red in the low byte.
constexpr quint32 rgbColor(int r, int g, int b)
{
    return quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16);
}

class SpreadGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum CellTypeValue { CellTypeEdit = 1, CellTypeStaticText = 5, CellTypeButton = 7, CellTypeCurrency = 12 };
    enum HAlignValue { HAlignLeft = 0, HAlignRight = 1, HAlignCenter = 2 };
    enum VAlignValue { VAlignTop = 0, VAlignBottom = 1, VAlignCenter = 2 };
    enum OperationModeValue { OpModeNormal = 0, OpModeReadOnly = 1, OpModeRow = 2, OpModeSingle = 3 };
    enum SearchFlags { SearchFlagsNone = 0, SearchFlagsGreater = 1, SearchFlagsPartialMatch = 2,
                       SearchFlagsCaseSensitive = 4 };
    enum UserColActionValue { UserColActionDefault = 0, UserColActionSort = 1 };
    enum EditEnterActionValue { EnterActionNone = 0, EnterActionUp = 1, EnterActionDown = 2,
                                EnterActionLeft = 3, EnterActionRight = 4, EnterActionNext = 5 };

    explicit SpreadGrid(QWidget* parent = nullptr);
    ~SpreadGrid() override;

    // ---- identity (the control's Name and, in a control array, its Index; -1 otherwise)
    QString Name() const;
    void SetName(const QString& name);
    int Index() const;
    void SetIndex(int index);
    static QString TypeName() { return QStringLiteral("fpSpread"); }

    // ---- size and position
    int MaxCols() const;
    void SetMaxCols(int n);
    int MaxRows() const;
    void SetMaxRows(int n);      // 0 empties the sheet
    int DataRowCnt() const;      // last row holding data (formula cells do not count)
    // A hidden row is never the active one: a hidden row asked for gives way to the row shown
    // nearest (the way of the move first); the active row hidden, or rows moved under it,
    // passes to the row shown nearest (LeaveCell follows once the change is over). With no
    // row shown, ActiveRow is 0.
    int ActiveCol() const;
    int ActiveRow() const;
    void SetActiveCell(int col, int row);
    int TopRow() const;
    void SetTopRow(int row);
    int LeftCol() const;

    // ---- the cell pointer
    int Col() const;
    void SetCol(int col);
    int Row() const;
    void SetRow(int row);

    // ---- content
    QString Text() const;                       // text of (Col, Row)
    void SetText(const QString& value);         // text of (Col, Row); -1 ranges allowed
    bool GetText(int col, int row, QString& value) const; // false outside the sheet
    QString GetText(int col, int row) const;    // empty when unreadable
    void SetText(int col, int row, const QString& value);
    QString Formula() const;                    // formula of (Col, Row) (column formula when Row -1)
    void SetFormula(const QString& formula);    // "" clears; -1 ranges allowed
    int RefStyle() const;
    void SetRefStyle(int style);
    QString CellTag() const;
    void SetCellTag(const QString& tag);
    QString ColID() const;                      // of column Col
    void SetColID(const QString& id);
    QString ColID(int col) const;
    void SetColID(int col, const QString& id);

    // ---- cell format (act on Col/Row)
    int CellType() const;
    void SetCellType(int type);
    double TypeCurrencyMax() const;
    void SetTypeCurrencyMax(double v);
    double TypeCurrencyMin() const;
    void SetTypeCurrencyMin(double v);
    bool TypeCurrencyShowSymbol() const;
    void SetTypeCurrencyShowSymbol(bool b);
    int TypeCurrencyDecPlaces() const;
    void SetTypeCurrencyDecPlaces(int n);
    bool TypeCurrencyShowSep() const;
    void SetTypeCurrencyShowSep(bool b);
    int TypeHAlign() const;
    void SetTypeHAlign(int a);
    int TypeVAlign() const;
    void SetTypeVAlign(int a);
    bool Lock() const;
    void SetLock(bool b);
    quint32 BackColor() const;
    void SetBackColor(quint32 c);
    quint32 ForeColor() const;
    void SetForeColor(quint32 c);
    double FontSize() const;
    void SetFontSize(double pt);
    bool FontBold() const;
    void SetFontBold(bool b);
    // A text that reads as another value when only its beginning is shown (a date "2026-12-31"
    // cut to "2026-12" reads as a month) is shown whole or as the overflow mark, as a number is.
    bool TypeWholeOrMark() const;
    void SetTypeWholeOrMark(bool b);
    // The text as displayed (currency cells formatted, formula results shown).
    QString DisplayText(int col, int row) const;

    // What a cell shows of its text in the space it has. A text that fits is shown as it is. A
    // number that does not fit (or a text of a cell set TypeWholeOrMark) is shown as an overflow
    // mark ("###", as many '#' as there is room for, at least one), never as a part of itself;
    // any other text shows its beginning.
    // whole is false when the cell does not show all of its text (the text tip then shows it).
    // The grid counts as numbers the texts of currency cells (the amounts) only: a text cell
    // that reads as a number (a telephone number, a code) shows its beginning.
    struct CellTextFit { QString shown; bool whole = true; };
    static CellTextFit FitCellText(const QString& text, bool number, const QFontMetrics& fm, int widthPx);
    static QString OverflowMark();
    // The display decision for cell (col, row) at the grid's present widths: what is drawn
    // (of an amount in a column wider than ColRoom, what the whole column would show).
    // Column 0 gives the row number (or the row header's own text).
    CellTextFit ShownText(int col, int row) const;
    // The column width (in ColWidth's unit) that shows the display text of (col, row) whole.
    double MaxTextCellWidth(int col, int row) const;
    // The width column col is drawn with (in ColWidth's unit): ColWidth, except that the
    // row-header column is widened to the widest row number of the sheet.
    double ShownColWidth(int col) const;
    // The width (in ColWidth's unit) the viewport has for the columns beside the row headers.
    // A column wider than this never comes into view whole: an amount or date of it is laid out
    // in the part in view (whole where it fits there, else the overflow mark), and the cell
    // editor takes the part in view.
    double ColRoom() const;
    // Where cell (col, row) lies in the viewport at the present scroll position (column 0 the
    // row headers, row 0 the column headers); empty when it is not in view. A cell may reach
    // past the viewport's edge.
    QRect CellRect(int col, int row) const;

    // ---- layout
    double ColWidth(int col) const;
    void SetColWidth(int col, double width);     // col -1: all columns, 0: row headers
    double RowHeight(int row) const;
    void SetRowHeight(int row, double height);   // row -1: all rows, 0: header row
    bool ColHidden() const;                      // of column Col
    void SetColHidden(bool b);
    bool ColHidden(int col) const;
    void SetColHidden(int col, bool b);
    bool RowHidden() const;                      // of row Row
    void SetRowHidden(bool b);
    bool RowHidden(int row) const;
    void SetRowHidden(int row, bool b);
    bool RowHeadersShow() const;
    void SetRowHeadersShow(bool b);
    bool ColHeadersShow() const;
    void SetColHeadersShow(bool b);
    int UnitType() const;
    void SetUnitType(int t);                     // 0 normal, 2 twips
    quint32 GrayAreaBackColor() const;
    void SetGrayAreaBackColor(quint32 c);

    // ---- behaviour
    int AppearanceStyle() const;
    void SetAppearanceStyle(int v);
    int OperationMode() const;
    void SetOperationMode(int v);                // 0 normal, 2 whole-row highlight, 3 single selection
    int CursorType() const;
    void SetCursorType(int v);
    int CursorStyle() const;
    void SetCursorStyle(int v);
    int SelectBlockOptions() const;
    void SetSelectBlockOptions(int v);
    bool EditModePermanent() const;
    void SetEditModePermanent(bool b);
    bool EditModeReplace() const;
    void SetEditModeReplace(bool b);
    int EditEnterAction() const;
    void SetEditEnterAction(int v);              // what Enter does after leaving edit mode (0 stay)
    bool NoBeep() const;
    void SetNoBeep(bool b);
    int UserColAction() const;
    void SetUserColAction(int v);                // 1: a header click sorts by that column
    bool DAutoCellTypes() const;
    void SetDAutoCellTypes(bool b);
    int BackColorStyle() const;
    void SetBackColorStyle(int v);
    quint32 SelBackColor() const;
    void SetSelBackColor(quint32 c);
    // 0 no tips; any other value: resting the mouse on a cell that does not show its whole
    // text shows the whole text in a tip at the cell.
    int TextTip() const;
    void SetTextTip(int v);
    void SetOddEvenRowColor(quint32 oddBack, quint32 oddFore, quint32 evenBack, quint32 evenFore);
    // action 0 clear (F2), 1 current (F3), 2 pop-up (F4); key 0 switches the action off.
    void SetActionKey(int action, bool shift, bool ctrl, int key);
    bool ReDraw() const;
    void SetReDraw(bool b);
    void Refresh();
    void DeleteRows(int row, int count);
    void InsertRows(int row, int count);
    // Searches rows rowStart+1 .. rowEnd of column col (rowEnd -1: MaxRows) for text;
    // flags 0 whole text, 2 partial. Returns the row found, or -1.
    int SearchCol(int col, int rowStart, int rowEnd, const QString& text, int flags) const;
    // Searches columns colStart+1 .. colEnd of row row (colEnd -1: MaxCols). Returns the column, or -1.
    int SearchRow(int row, int colStart, int colEnd, const QString& text, int flags) const;
    // Sorts rows row1..row2 (row2 -1: MaxRows) by column keyCol; numbers sort as numbers,
    // numbers before texts, empty cells last.
    void SortRows(int keyCol, bool ascending, int row1 = 1, int row2 = -1);
    // What a header click on column col does (BeforeUserSort, sort, AfterUserSort).
    void UserSortClick(int col);
    void SetFocus();

    // ---- the container (twips)
    bool Visible() const;
    void SetVisible(bool b) { setVisible(b); }
    int Left() const;
    void SetLeft(int twips);
    int Top() const;
    void SetTop(int twips);
    int Width() const;
    void SetWidth(int twips);
    int Height() const;
    void SetHeight(int twips);

    // ---- editing state (for the program's handlers and tests)
    bool IsEditing() const;
    QLineEdit* editorWidget() const;     // the open cell editor, or nullptr
    void StartEdit();                    // enters edit mode on the active cell when it is editable
    void EndEdit(bool commit = true);    // leaves edit mode (raises EditMode 0)

    // The model (values, formulas, settings) behind the grid.
    SpreadModel& model();
    const SpreadModel& model() const;

signals:
    void EditMode(int col, int row, int mode, bool changeMade);
    void LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    void Change(int col, int row);
    void EditChange(int col, int row);
    void ButtonClicked(int col, int row, int buttonDown);
    void ColWidthChange(int col1, int col2);
    void DblClick(int col, int row);
    void KeyDown(int& keyCode, int shift);     // key codes as virtual-key numbers (F4 = 115)
    void KeyPress(int& keyAscii);              // 13 for Enter; set to 0 to swallow the key
    void MouseDown(int button, int shift, double x, double y); // button 1 left, 2 right, 4 middle
    void BeforeUserSort(int col, int state, int& defaultAction); // set defaultAction 0 to cancel
    void AfterUserSort(int col);
    void Advance(bool advanceNext);
    void LostFocus();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* e) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
    friend struct Private;
};

} // namespace platform
