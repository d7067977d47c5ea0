#include "platform/SpreadFormula.h"

#include <QStringList>
#include <cmath>
#include <limits>

namespace platform {

namespace {

const long double kNaN = std::numeric_limits<long double>::quiet_NaN();

class Parser {
public:
    Parser(const QString& s, std::vector<SpreadFormula::Node>& nodes, std::vector<int>& sums)
        : m_s(s), m_nodes(nodes), m_sums(sums) {}

    int parseAll(QString* error)
    {
        skip();
        if (peek() == '=') { ++m_p; }
        int root = comparison();
        skip();
        if (root >= 0 && m_p != m_s.size()) fail(QStringLiteral("unexpected '%1'").arg(m_s.mid(m_p, 1)));
        if (!m_error.isEmpty()) {
            if (error) *error = m_error;
            return -1;
        }
        return root;
    }

private:
    using Node = SpreadFormula::Node;

    QChar peek() const { return m_p < m_s.size() ? m_s.at(m_p) : QChar(); }
    void skip() { while (m_p < m_s.size() && m_s.at(m_p).isSpace()) ++m_p; }
    void fail(const QString& e) { if (m_error.isEmpty()) m_error = e; }

    int add(Node n) { m_nodes.push_back(std::move(n)); return int(m_nodes.size()) - 1; }
    int binary(SpreadFormula::Kind k, int l, int r)
    {
        if (l < 0 || r < 0) return -1;
        Node n; n.kind = k; n.kids = {l, r};
        return add(n);
    }

    int comparison()
    {
        int l = additive();
        skip();
        SpreadFormula::Kind k;
        if (m_s.mid(m_p, 2) == QLatin1String("<>")) { k = SpreadFormula::Ne; m_p += 2; }
        else if (m_s.mid(m_p, 2) == QLatin1String("<=")) { k = SpreadFormula::Le; m_p += 2; }
        else if (m_s.mid(m_p, 2) == QLatin1String(">=")) { k = SpreadFormula::Ge; m_p += 2; }
        else if (peek() == '<') { k = SpreadFormula::Lt; ++m_p; }
        else if (peek() == '>') { k = SpreadFormula::Gt; ++m_p; }
        else if (peek() == '=') { k = SpreadFormula::Eq; ++m_p; }
        else return l;
        int r = additive();
        return binary(k, l, r);
    }
    int additive()
    {
        int l = term();
        for (;;) {
            skip();
            if (peek() == '+') { ++m_p; l = binary(SpreadFormula::Add, l, term()); }
            else if (peek() == '-') { ++m_p; l = binary(SpreadFormula::Sub, l, term()); }
            else return l;
        }
    }
    int term()
    {
        int l = unary();
        for (;;) {
            skip();
            if (peek() == '*') { ++m_p; l = binary(SpreadFormula::Mul, l, unary()); }
            else if (peek() == '/') { ++m_p; l = binary(SpreadFormula::Div, l, unary()); }
            else return l;
        }
    }
    int unary()
    {
        skip();
        if (peek() == '-') {
            ++m_p;
            int k = unary();
            if (k < 0) return -1;
            Node n; n.kind = SpreadFormula::Neg; n.kids = {k};
            return add(n);
        }
        if (peek() == '+') { ++m_p; return unary(); }
        return primary();
    }
    // Reads [k] or n after R or C. Returns false when neither follows (relative 0).
    bool refPart(int& value, bool& abs)
    {
        if (peek() == '[') {
            ++m_p;
            int start = m_p;
            if (peek() == '-' || peek() == '+') ++m_p;
            while (peek().isDigit()) ++m_p;
            bool ok = false;
            value = m_s.mid(start, m_p - start).toInt(&ok);
            if (!ok || peek() != ']') { fail(QStringLiteral("bad reference")); return false; }
            ++m_p;
            abs = false;
            return true;
        }
        if (peek().isDigit()) {
            int start = m_p;
            while (peek().isDigit()) ++m_p;
            value = m_s.mid(start, m_p - start).toInt();
            abs = true;
            return true;
        }
        value = 0;
        abs = false;
        return true;
    }
    bool tryRef(FormulaRef& ref)
    {
        int save = m_p;
        if (peek().toUpper() != 'R') return false;
        ++m_p;
        if (!refPart(ref.row, ref.rowAbs)) return false;
        if (peek().toUpper() != 'C') { m_p = save; return false; }
        ++m_p;
        if (!refPart(ref.col, ref.colAbs)) return false;
        // A reference is not followed by letters (that would be a name).
        if (peek().isLetter()) { m_p = save; return false; }
        if ((ref.rowAbs && ref.row < 1) || (ref.colAbs && ref.col < 0)) {
            fail(QStringLiteral("bad reference"));
            return false;
        }
        return true;
    }
    int refOrRange()
    {
        FormulaRef a;
        if (!tryRef(a)) return -2;
        skip();
        if (peek() == ':') {
            ++m_p;
            skip();
            FormulaRef b;
            if (!tryRef(b)) { fail(QStringLiteral("bad range")); return -1; }
            Node n; n.kind = SpreadFormula::Range; n.a = a; n.b = b;
            return add(n);
        }
        Node n; n.kind = SpreadFormula::Ref; n.a = a;
        return add(n);
    }
    int primary()
    {
        skip();
        QChar c = peek();
        if (c.isNull()) { fail(QStringLiteral("unexpected end")); return -1; }
        if (c == '(') {
            ++m_p;
            int e = comparison();
            skip();
            if (peek() != ')') { fail(QStringLiteral("missing )")); return -1; }
            ++m_p;
            return e;
        }
        if (c.isDigit() || c == '.') {
            int start = m_p;
            while (peek().isDigit() || peek() == '.') ++m_p;
            if (peek().toUpper() == 'E') {
                int save = m_p;
                ++m_p;
                if (peek() == '+' || peek() == '-') ++m_p;
                if (!peek().isDigit()) m_p = save;
                while (peek().isDigit()) ++m_p;
            }
            bool ok = false;
            double v = m_s.mid(start, m_p - start).toDouble(&ok);
            if (!ok) { fail(QStringLiteral("bad number")); return -1; }
            Node n; n.kind = SpreadFormula::Number; n.num = v;
            return add(n);
        }
        int r = refOrRange();
        if (r != -2) {
            if (r >= 0 && m_nodes[r].kind == SpreadFormula::Range) {
                fail(QStringLiteral("a range outside SUM"));
                return -1;
            }
            return r;
        }
        if (c.isLetter()) {
            int start = m_p;
            while (peek().isLetterOrNumber()) ++m_p;
            QString name = m_s.mid(start, m_p - start).toUpper();
            skip();
            if (peek() != '(') { fail(QStringLiteral("unknown name %1").arg(name)); return -1; }
            ++m_p;
            std::vector<int> args;
            skip();
            if (peek() != ')') {
                for (;;) {
                    int arg;
                    skip();
                    if (name == QLatin1String("SUM")) {
                        const int save = m_p;
                        const size_t nodeCount = m_nodes.size();
                        arg = refOrRange();
                        if (arg == -2) arg = comparison();
                        else {
                            // a reference may still start a longer expression: RC1+1
                            skip();
                            if (arg >= 0 && m_nodes[arg].kind == SpreadFormula::Ref
                                && peek() != ',' && peek() != ')') {
                                m_nodes.resize(nodeCount);
                                m_p = save;
                                arg = comparison();
                            }
                        }
                        if (arg >= 0 && m_nodes[arg].kind == SpreadFormula::Range) m_sums.push_back(arg);
                    } else {
                        arg = comparison();
                    }
                    if (arg < 0) return -1;
                    args.push_back(arg);
                    skip();
                    if (peek() == ',') { ++m_p; continue; }
                    break;
                }
            }
            skip();
            if (peek() != ')') { fail(QStringLiteral("missing )")); return -1; }
            ++m_p;
            Node n;
            n.kids = args;
            if (name == QLatin1String("IF")) {
                if (args.size() < 2 || args.size() > 3) { fail(QStringLiteral("IF needs 2 or 3 arguments")); return -1; }
                n.kind = SpreadFormula::If;
            } else if (name == QLatin1String("SUM")) {
                n.kind = SpreadFormula::Sum;
            } else {
                fail(QStringLiteral("unknown function %1").arg(name));
                return -1;
            }
            return add(n);
        }
        fail(QStringLiteral("unexpected '%1'").arg(c));
        return -1;
    }

    const QString& m_s;
    int m_p = 0;
    std::vector<SpreadFormula::Node>& m_nodes;
    std::vector<int>& m_sums;
    QString m_error;
};

QString refText(const FormulaRef& r)
{
    QString s = QStringLiteral("R");
    if (r.deleted) return QStringLiteral("#REF!");
    if (r.rowAbs) s += QString::number(r.row);
    else if (r.row != 0) s += QLatin1Char('[') + QString::number(r.row) + QLatin1Char(']');
    s += QLatin1Char('C');
    if (r.colAbs) s += QString::number(r.col);
    else if (r.col != 0) s += QLatin1Char('[') + QString::number(r.col) + QLatin1Char(']');
    return s;
}

} // namespace

std::shared_ptr<SpreadFormula> SpreadFormula::parse(const QString& text, QString* error)
{
    auto f = std::make_shared<SpreadFormula>();
    Parser p(text, f->m_nodes, f->m_sumRanges);
    f->m_root = p.parseAll(error);
    if (f->m_root < 0) return nullptr;
    f->m_text = text;
    if (f->m_text.startsWith(QLatin1Char('='))) f->m_text.remove(0, 1);
    return f;
}

long double SpreadFormula::evaluate(const Context& ctx, int col, int row) const
{
    return evalNode(ctx, m_root, col, row);
}

long double SpreadFormula::evalNode(const Context& ctx, int i, int col, int row) const
{
    const Node& n = m_nodes[size_t(i)];
    auto ev = [&](int k) { return evalNode(ctx, k, col, row); };
    switch (n.kind) {
    case Number: return n.num;
    case Ref:
        if (n.a.deleted) return kNaN;
        return ctx.value(n.a.colAt(col), n.a.rowAt(row));
    case Range: {
        if (n.a.deleted || n.b.deleted) return kNaN;
        int c1 = n.a.colAt(col), c2 = n.b.colAt(col), r1 = n.a.rowAt(row), r2 = n.b.rowAt(row);
        if (c1 > c2) std::swap(c1, c2);
        if (r1 > r2) std::swap(r1, r2);
        return ctx.sum(i, c1, r1, c2, r2);
    }
    case Neg: return -ev(n.kids[0]);
    case Add: return ev(n.kids[0]) + ev(n.kids[1]);
    case Sub: return ev(n.kids[0]) - ev(n.kids[1]);
    case Mul: return ev(n.kids[0]) * ev(n.kids[1]);
    case Div: {
        long double d = ev(n.kids[1]);
        long double u = ev(n.kids[0]);
        if (d == 0) return std::numeric_limits<long double>::infinity();
        return u / d;
    }
    case Eq: return ev(n.kids[0]) == ev(n.kids[1]) ? 1 : 0;
    case Ne: return ev(n.kids[0]) != ev(n.kids[1]) ? 1 : 0;
    case Lt: return ev(n.kids[0]) < ev(n.kids[1]) ? 1 : 0;
    case Gt: return ev(n.kids[0]) > ev(n.kids[1]) ? 1 : 0;
    case Le: return ev(n.kids[0]) <= ev(n.kids[1]) ? 1 : 0;
    case Ge: return ev(n.kids[0]) >= ev(n.kids[1]) ? 1 : 0;
    case If: {
        long double c = ev(n.kids[0]);
        if (std::isnan(c)) return c;
        if (c != 0) return ev(n.kids[1]);
        return n.kids.size() > 2 ? ev(n.kids[2]) : 0;
    }
    case Sum: {
        long double s = 0;
        for (int k : n.kids) s += ev(k);
        return s;
    }
    }
    return kNaN;
}

bool SpreadFormula::hasAbsoluteRows() const
{
    for (const Node& n : m_nodes) {
        if ((n.kind == Ref || n.kind == Range) && (n.a.rowAbs || (n.kind == Range && n.b.rowAbs))) return true;
    }
    return false;
}

void SpreadFormula::forEachRef(const std::function<void(const FormulaRef&)>& single,
                               const std::function<void(const FormulaRef&, const FormulaRef&)>& range) const
{
    for (const Node& n : m_nodes) {
        if (n.kind == Ref && single) single(n.a);
        else if (n.kind == Range && range) range(n.a, n.b);
    }
}

bool SpreadFormula::reads(int col, int row, int c, int r) const
{
    for (const Node& n : m_nodes) {
        if (n.kind == Ref) {
            if (!n.a.deleted && n.a.colAt(col) == c && n.a.rowAt(row) == r) return true;
        } else if (n.kind == Range) {
            if (n.a.deleted || n.b.deleted) continue;
            int c1 = n.a.colAt(col), c2 = n.b.colAt(col), r1 = n.a.rowAt(row), r2 = n.b.rowAt(row);
            if (c1 > c2) std::swap(c1, c2);
            if (r1 > r2) std::swap(r1, r2);
            if (c >= c1 && c <= c2 && r >= r1 && r <= r2) return true;
        }
    }
    return false;
}

bool SpreadFormula::adjustRows(int at, int count)
{
    bool changed = false;
    auto moveRow = [&](FormulaRef& ref, bool rangeStart, bool rangeEnd) {
        if (!ref.rowAbs || ref.deleted) return;
        if (count > 0) {
            if (ref.row >= at) { ref.row += count; changed = true; }
            return;
        }
        int n = -count;
        int last = at + n - 1;
        if (ref.row < at) return;
        if (ref.row > last) { ref.row -= n; changed = true; return; }
        // the row itself was deleted
        changed = true;
        if (rangeStart) ref.row = at;             // range now starts after the gap
        else if (rangeEnd) ref.row = at - 1;      // range now ends before the gap
        else ref.deleted = true;
    };
    for (Node& n : m_nodes) {
        if (n.kind == Ref) moveRow(n.a, false, false);
        else if (n.kind == Range) {
            bool aFirst = !(n.a.rowAbs && n.b.rowAbs) || n.a.row <= n.b.row;
            FormulaRef& lo = aFirst ? n.a : n.b;
            FormulaRef& hi = aFirst ? n.b : n.a;
            moveRow(lo, true, false);
            moveRow(hi, false, true);
            if (lo.rowAbs && hi.rowAbs && hi.row < lo.row) { lo.deleted = hi.deleted = true; }
        }
    }
    if (changed) m_text = rebuildText();
    return changed;
}

QString SpreadFormula::nodeText(int i) const
{
    const Node& n = m_nodes[size_t(i)];
    auto bin = [&](const char* op) {
        return QLatin1Char('(') + nodeText(n.kids[0]) + QLatin1String(op) + nodeText(n.kids[1]) + QLatin1Char(')');
    };
    switch (n.kind) {
    case Number: return formatNumber(n.num);
    case Ref: return refText(n.a);
    case Range: return refText(n.a) + QLatin1Char(':') + refText(n.b);
    case Neg: return QLatin1Char('-') + nodeText(n.kids[0]);
    case Add: return bin("+");
    case Sub: return bin("-");
    case Mul: return bin("*");
    case Div: return bin("/");
    case Eq: return bin("=");
    case Ne: return bin("<>");
    case Lt: return bin("<");
    case Gt: return bin(">");
    case Le: return bin("<=");
    case Ge: return bin(">=");
    case If:
    case Sum: {
        QStringList args;
        for (int k : n.kids) args << nodeText(k);
        return QLatin1String(n.kind == If ? "IF(" : "SUM(") + args.join(QLatin1Char(',')) + QLatin1Char(')');
    }
    }
    return QString();
}

QString SpreadFormula::rebuildText() const
{
    QString t = nodeText(m_root);
    // drop the outermost parentheses of a binary root
    if (t.startsWith(QLatin1Char('(')) && t.endsWith(QLatin1Char(')'))) {
        int depth = 0;
        bool wraps = true;
        for (int i = 0; i < t.size(); ++i) {
            if (t[i] == '(') ++depth;
            else if (t[i] == ')') { --depth; if (depth == 0 && i != t.size() - 1) { wraps = false; break; } }
        }
        if (wraps) t = t.mid(1, t.size() - 2);
    }
    return t;
}

QString SpreadFormula::formatNumber(long double v)
{
    if (std::isnan(v)) return QStringLiteral("#VALUE!");
    if (std::isinf(v)) return QStringLiteral("#DIV/0!");
    // every whole number of the 64-bit range exactly, its limits included
    if (v == std::floor(v) && v >= -0x1p63L && v < 0x1p63L) return QString::number(qint64(v));
    return QString::number(double(v), 'g', 15);
}

} // namespace platform
