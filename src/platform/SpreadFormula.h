#pragma once
// R1C1 formulas of the grid: parsing, evaluation and row adjustment, without any widget.
//
// Grammar: comparisons (= <> < > <= >=) over + - over * / over unary minus over
// numbers, cell references, ranges (ref:ref), IF(cond, a, b), SUM(arg, ...) and
// parentheses. References: R<n>C<m> absolute, RC<m> / R[k]C[j] / RC relative to the
// formula's own cell. Values are numbers; an empty or non-numeric cell counts as 0.
// Division by zero gives an infinite result (shown "#DIV/0!"); a reference to a deleted
// row or a cycle gives NaN (shown "#VALUE!").
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

struct FormulaRef {
    int row = 0;        // absolute row, or offset when !rowAbs
    int col = 0;        // absolute column, or offset when !colAbs
    bool rowAbs = false;
    bool colAbs = false;
    bool deleted = false; // the row it named was deleted
    int rowAt(int formulaRow) const { return rowAbs ? row : formulaRow + row; }
    int colAt(int formulaCol) const { return colAbs ? col : formulaCol + col; }
};

class SpreadFormula {
public:
    enum Kind { Number, Ref, Range, Neg, Add, Sub, Mul, Div, Eq, Ne, Lt, Gt, Le, Ge, If, Sum };
    struct Node {
        Kind kind = Number;
        long double num = 0;
        FormulaRef a, b;          // Ref: a; Range: a..b
        std::vector<int> kids;    // child node indices
    };

    // What evaluation reads. sum() is asked for each SUM range, with the index of the
    // range node so that a caller may answer from a cache.
    struct Context {
        virtual ~Context() = default;
        virtual long double value(int col, int row) const = 0;
        virtual long double sum(int nodeIndex, int col1, int row1, int col2, int row2) const = 0;
    };

    // Parses text (a leading '=' is allowed). Returns nullptr and sets error on failure.
    static std::shared_ptr<SpreadFormula> parse(const QString& text, QString* error = nullptr);

    long double evaluate(const Context& ctx, int col, int row) const;
    QString text() const { return m_text; }
    const std::vector<Node>& nodes() const { return m_nodes; }
    // Indices of the Range nodes that are summed (arguments of SUM).
    const std::vector<int>& sumRanges() const { return m_sumRanges; }
    bool hasAbsoluteRows() const;

    // Visits every single reference (not ranges) and every range of the formula.
    void forEachRef(const std::function<void(const FormulaRef&)>& single,
                    const std::function<void(const FormulaRef&, const FormulaRef&)>& range) const;
    // True when the formula placed at (col,row) reads cell (c, r), directly or in a range.
    bool reads(int col, int row, int c, int r) const;

    // Rows were inserted (count > 0) or deleted (count < 0) at row `at`; absolute
    // references move with their rows. Returns true when the text changed.
    bool adjustRows(int at, int count);
    // The formula moved from row `from` to row `to` (sorting): nothing to do for absolute
    // references; relative references keep their offsets.

    // Formats a result the way a cell shows it: integers plainly, others with up to 15
    // significant digits; errors as "#VALUE!" / "#DIV/0!".
    static QString formatNumber(long double v);

private:
    long double evalNode(const Context& ctx, int i, int col, int row) const;
    QString rebuildText() const;
    QString nodeText(int i) const;
    std::vector<Node> m_nodes;
    std::vector<int> m_sumRanges;
    int m_root = -1;
    QString m_text;
};

} // namespace platform
