#pragma once
// The data behind a SpreadGrid: cell values, formulas and cell settings, without any widget.
//
// Storage is per column: one 64-bit slot per row, allocated when the column first gets a
// value. A slot holds nothing, a whole number (texts that are canonical integers), or the
// index of an interned text. Settings are kept per level (sheet, column, row, cell) only
// where they were made; the setting made last wins for a cell.
#include "platform/SpreadFormula.h"

#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace platform {

class SpreadModel {
public:
    enum Attr {
        ACellType, ALock, ABackColor, AForeColor, AHAlign, AVAlign, AFontSize, AFontBold,
        ACurMax, ACurMin, ACurSymbol, ACurDec, ACurSep,
        AWholeOrMark, // a text too wide for its cell shows the overflow mark, not its beginning
        AttrCount
    };

    SpreadModel();
    ~SpreadModel();

    // ---- size
    int maxCols() const { return m_maxCols; }
    void setMaxCols(int n);
    int maxRows() const { return m_maxRows; }
    void setMaxRows(int n);
    bool validCell(int c, int r) const { return c >= 0 && r >= 0 && c <= m_maxCols && r <= m_maxRows; }

    // ---- values
    QString text(int c, int r) const;         // Text/GetText: formula results, currency as a plain number
    QString displayText(int c, int r) const;  // as drawn: currency formatted
    QString storedText(int c, int r) const;   // the stored value only (no formula)
    void setText(int c, int r, const QString& v); // one cell (c, r >= 0); recalculates when enabled
    void setTextRange(int c, int r, const QString& v); // c or r may be -1
    bool hasValue(int c, int r) const;        // a stored, non-empty value
    long double numberAt(int c, int r) const; // the value formulas read
    bool isNumeric(int c, int r, long double* v = nullptr) const;
    // The whole amount of a cell, as a currency cell without decimals shows it and as sums
    // count it: its number rounded half away from zero; 0 for an empty cell or a text that is
    // no number. None when the number lies past the range of 64-bit whole numbers (a currency
    // cell holding the overflow mark included) or is a formula error.
    std::optional<qint64> amountAt(int c, int r) const;
    static std::optional<qint64> wholeAmount(long double v);

    // ---- formulas
    QString formula(int c, int r) const;      // r -1: the column formula
    bool setFormula(int c, int r, const QString& f); // c or r may be -1; false when it cannot be parsed
    bool isFormulaCell(int c, int r) const;

    // ---- settings
    void setAttr(Attr a, int c, int r, double v);   // c or r may be -1
    double attr(Attr a, int c, int r) const;        // effective value for a cell (c, r >= 0)
    double attrAt(Attr a, int c, int r) const;      // as read through the Col/Row pointer (-1 allowed)
    bool explicitAttr(Attr a, int c, int r, double& v) const; // false when nothing was set for the cell
    // What was set for one cell itself (not through its row, column or sheet), so that a
    // passing change can be undone exactly: restoring "nothing set" removes the cell's setting,
    // and a setting put back keeps its place among the row, column and sheet settings.
    struct CellSetting { bool set = false; double v = 0; quint64 stamp = 0; };
    CellSetting cellSetting(Attr a, int c, int r) const;
    void restoreCellSetting(Attr a, int c, int r, const CellSetting& s);
    int cellType(int c, int r) const { return int(attr(ACellType, c, r)); }
    bool locked(int c, int r) const { return attr(ALock, c, r) != 0; }

    QString cellTag(int c, int r) const;
    void setCellTag(int c, int r, const QString& tag);
    QString colId(int c) const;
    void setColId(int c, const QString& id);

    double colWidth(int c) const;             // character widths
    void setColWidth(int c, double w);        // -1: every column
    bool colHidden(int c) const;
    void setColHidden(int c, bool b);
    double rowHeight(int r) const;            // points
    void setRowHeight(int r, double h);       // -1: every data row, 0: header row
    bool rowHidden(int r) const { return r >= 1 && size_t(r) < m_hiddenRows.size() && m_hiddenRows[size_t(r)]; }
    void setRowHidden(int r, bool b);         // rows outside 1..maxRows are ignored
    int hiddenRowCount() const { return m_hiddenCount; }
    const std::map<int, double>& rowHeights() const { return m_rowHeights; }
    double defaultRowHeight() const { return m_defaultRowHeight; }

    // ---- rows
    void deleteRows(int r, int n);            // rows below move up; MaxRows stays
    void insertRows(int r, int n);            // rows move down; rows pushed past MaxRows are lost
    void sortRows(int keyCol, bool ascending, int r1, int r2);
    int dataRowCnt() const;
    int searchCol(int c, int rowStart, int rowEnd, const QString& text, int flags) const;
    int searchRow(int r, int colStart, int colEnd, const QString& text, int flags) const;

    // ---- recalculation and notification
    // While disabled, nothing is recalculated or reported; enabling brings formulas up to date.
    void setRecalcEnabled(bool on);
    bool recalcEnabled() const { return m_recalc; }
    void recalcAll(bool notify);
    // Called for each formula cell whose result changed (only while recalculation is enabled):
    // cell formulas after any change; column-formula cells only when setText of a cell they
    // read through a relative row reference changed their result (their results are not
    // kept, so recalcAll cannot tell).
    std::function<void(int c, int r)> onChange;

    // Formats a number the way a currency cell of (c, r) shows it; a value beyond the range of
    // a 64-bit whole number gives the overflow mark.
    QString formatCurrency(int c, int r, long double v) const;
    static QString overflowMark() { return QStringLiteral("###"); }
    // Parses a currency entry ("1,234.5"); false when it is no number.
    static bool parseNumber(const QString& s, long double& v);

    size_t approxBytes() const;

private:
    struct AttrEntry { double v = 0; quint64 stamp = 0; };
    struct AttrLevel {
        bool hasSheet = false;
        AttrEntry sheet;
        std::unordered_map<int, AttrEntry> cols;
        std::map<int, AttrEntry> rows;
        // Cells of data rows are kept under their row less cellRowShift (plus a base that
        // keeps them above the header row), so that rows inserted or deleted at the top of
        // the sheet move every cell at once; see cellKey and cellRow.
        std::map<qint64, AttrEntry> cells;
        int cellRowShift = 0;
    };
    // A sum over a range, kept exactly however its cells change: the whole amounts (amountAt)
    // in 128 bits, the values past the 64-bit range counted apart (any one makes the sum past
    // the range), and values that are no finite number (formula errors) as they come.
    struct ExactSum {
        __int128 whole = 0;
        qint64 past = 0;
        long double pastValue = 0; // the values past the range added up: the side of the sum
        long double error = 0;
        void add(long double v, int sign);
        long double value() const;
    };
    struct CellFormula {
        std::shared_ptr<SpreadFormula> f;
        long double value = 0;
        bool dirty = true;
        mutable bool computing = false;
        bool sumsValid = false;
        std::vector<ExactSum> sums; // per SUM range of f
        QString lastNotified;
    };
    struct ColumnDep { int formulaCol; bool colAbs; int col; int rowOffset; };
    struct Column {
        std::vector<quint64> v; // empty until the column gets a value
        double width = -1;      // -1: default
        bool hidden = false;
        QString id;
        QString header;         // row 0
        std::shared_ptr<SpreadFormula> formula;
        int cellFormulas = 0;
    };

    static qint64 key(int c, int r) { return (qint64(r) << 32) | quint32(c); }
    static int keyRow(qint64 k) { return int(k >> 32); }
    static int keyCol(qint64 k) { return int(quint32(k & 0xFFFFFFFF)); }
    static constexpr int kCellRowBase = 1 << 30;
    static qint64 cellKey(const AttrLevel& L, int c, int r)
    {
        return r >= 1 ? key(c, r - L.cellRowShift + kCellRowBase) : key(c, r);
    }
    static int cellRow(const AttrLevel& L, qint64 k)
    {
        const int stored = keyRow(k);
        return stored >= 1 ? stored + L.cellRowShift - kCellRowBase : stored;
    }
    // Rows from 1 on move down by n (n > 0) or up by -n, the first -n rows going: the
    // attribute cells follow at once; rows beyond lastRow go.
    void shiftAttrCellsAtTop(int n, int lastRow);

    quint64 encode(const QString& s);
    QString decode(quint64 v) const;
    quint64 raw(int c, int r) const
    {
        const auto& v = m_cols[size_t(c)].v;
        return v.empty() ? 0 : v[size_t(r - 1)];
    }
    long double rawNumber(quint64 v) const;
    double attrDefault(Attr a) const;
    long double cellFormulaValue(qint64 k) const;
    long double evalCellFormula(qint64 k, CellFormula& cf) const;
    ExactSum sumRange(int c1, int r1, int c2, int r2) const;
    void rebuildColumnDeps();
    bool hasFormulas() const { return !m_cellFormulas.empty() || m_colFormulaCount > 0; }
    void removeCellFormula(qint64 k);
    void clearColumnValues(int c);
    // attrCellsMoved: the attribute cells were moved already (shiftAttrCellsAtTop).
    void remapRows(const std::function<int(int)>& newRowOf, bool moveFormulas = true, bool attrCellsMoved = false);
    void notifyChanged(int c, int r, const QString& text);
    void resetPoolIfEmpty();

    friend struct ModelEval;

    int m_maxCols = 500;
    int m_maxRows = 500;
    std::vector<Column> m_cols; // index 0 = row headers
    QString m_corner;
    std::vector<QString> m_pool;
    QHash<QString, quint32> m_poolIndex;
    AttrLevel m_attrs[AttrCount];
    quint64 m_stamp = 0;
    std::map<qint64, QString> m_tags;
    mutable std::map<qint64, CellFormula> m_cellFormulas;
    int m_colFormulaCount = 0;
    std::vector<ColumnDep> m_colDeps;
    bool m_colFormulaAbsolute = false;
    std::vector<char> m_hiddenRows; // per row (index 0 unused), as far as a row was ever hidden
    int m_hiddenCount = 0;
    std::map<int, double> m_rowHeights;
    double m_defaultRowHeight = 12.75;
    double m_headerRowHeight = 12.75;
    double m_defaultColWidth = 9.0;
    double m_rowHeaderWidth = 5.0;
    bool m_recalc = true;
    bool m_dirty = false;
    mutable int m_evalDepth = 0;
};

} // namespace platform
