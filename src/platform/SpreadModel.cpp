#include "platform/SpreadModel.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace platform {

namespace {

const long double kNaN = std::numeric_limits<long double>::quiet_NaN();
constexpr quint64 kTagInt = 1;
constexpr quint64 kTagStr = 2;

bool sameValue(long double a, long double b)
{
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return a == b;
}

// A canonical whole number: "0" or an optional '-' and 1..18 digits without a leading zero.
bool canonicalInt(const QString& s, qint64& out)
{
    const int n = s.size();
    if (n == 0 || n > 19) return false;
    const QChar* p = s.constData();
    int i = 0;
    bool neg = false;
    if (p[0] == QLatin1Char('-')) { neg = true; i = 1; if (n == 1) return false; }
    if (n - i > 18) return false;
    if (p[i] == QLatin1Char('0') && (n - i > 1 || neg)) return false;
    qint64 v = 0;
    for (; i < n; ++i) {
        ushort u = p[i].unicode();
        if (u < '0' || u > '9') return false;
        v = v * 10 + (u - '0');
    }
    out = neg ? -v : v;
    return true;
}

} // namespace

// Evaluation context: plain values, sums scanned (or taken from a cell formula's cache).
struct ModelEval : SpreadFormula::Context {
    const SpreadModel& m;
    const std::vector<int>* sumNodes = nullptr;
    const std::vector<SpreadModel::ExactSum>* cache = nullptr;
    explicit ModelEval(const SpreadModel& model) : m(model) {}
    long double value(int col, int row) const override { return m.numberAt(col, row); }
    long double sum(int nodeIndex, int c1, int r1, int c2, int r2) const override
    {
        if (sumNodes && cache) {
            for (size_t k = 0; k < sumNodes->size(); ++k)
                if ((*sumNodes)[k] == nodeIndex) return (*cache)[k].value();
        }
        return m.sumRange(c1, r1, c2, r2).value();
    }
};

SpreadModel::SpreadModel()
{
    m_cols.resize(size_t(m_maxCols) + 1);
}

SpreadModel::~SpreadModel() = default;

// ---------------------------------------------------------------- storage

quint64 SpreadModel::encode(const QString& s)
{
    if (s.isEmpty()) return 0;
    qint64 iv;
    if (canonicalInt(s, iv)) return (quint64(iv) << 2) | kTagInt;
    auto it = m_poolIndex.constFind(s);
    quint32 id;
    if (it != m_poolIndex.constEnd()) {
        id = it.value();
    } else {
        id = quint32(m_pool.size());
        m_pool.push_back(s);
        m_poolIndex.insert(s, id);
    }
    return (quint64(id) << 2) | kTagStr;
}

QString SpreadModel::decode(quint64 v) const
{
    if (v == 0) return QString();
    if ((v & 3) == kTagInt) return QString::number(qint64(v) >> 2);
    return m_pool[size_t(v >> 2)];
}

long double SpreadModel::rawNumber(quint64 v) const
{
    if (v == 0) return 0;
    if ((v & 3) == kTagInt) return (long double)(qint64(v) >> 2);
    long double d;
    if (parseNumber(m_pool[size_t(v >> 2)], d)) return d;
    return 0;
}

bool SpreadModel::parseNumber(const QString& s, long double& v)
{
    QString t = s.trimmed();
    if (t.isEmpty()) return false;
    qint64 iv;
    if (canonicalInt(t, iv)) { v = iv; return true; }
    if (t.contains(QLatin1Char(','))) t.remove(QLatin1Char(','));
    if (t.startsWith(QChar(0x20A9)) || t.startsWith(QLatin1Char('\\'))) t.remove(0, 1);
    bool ok = false;
    double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return false;
    // whole numbers beyond double precision: read exactly when they fit
    bool iok = false;
    qlonglong ll = t.toLongLong(&iok);
    v = iok ? (long double)ll : (long double)d;
    return true;
}

void SpreadModel::resetPoolIfEmpty()
{
    if (m_maxRows != 0) return;
    m_pool.clear();
    m_pool.shrink_to_fit();
    m_poolIndex.clear();
    m_poolIndex.squeeze();
}

// ---------------------------------------------------------------- size

void SpreadModel::setMaxCols(int n)
{
    if (n < 0) n = 0;
    if (n == m_maxCols) return;
    if (n < m_maxCols) {
        for (auto it = m_cellFormulas.begin(); it != m_cellFormulas.end();) {
            if (keyCol(it->first) > n) it = m_cellFormulas.erase(it);
            else ++it;
        }
    }
    m_maxCols = n;
    m_cols.resize(size_t(n) + 1);
    for (Column& col : m_cols) if (!col.v.empty()) col.v.resize(size_t(m_maxRows), 0);
    m_colFormulaCount = 0;
    for (int c = 0; c <= n; ++c) if (m_cols[size_t(c)].formula) ++m_colFormulaCount;
    rebuildColumnDeps();
    if (m_recalc) recalcAll(true); else m_dirty = true;
}

void SpreadModel::setMaxRows(int n)
{
    if (n < 0) n = 0;
    if (n == m_maxRows) return;
    const int old = m_maxRows;
    m_maxRows = n;
    for (Column& col : m_cols) {
        if (col.v.empty()) continue;
        if (n == 0) { std::vector<quint64>().swap(col.v); continue; }
        col.v.resize(size_t(n), 0);
        if (n < old) col.v.shrink_to_fit();
    }
    if (n < old) remapRows([n](int r) { return r > n ? 0 : r; });
    if (n == 0) resetPoolIfEmpty();
    if (m_recalc) recalcAll(true); else m_dirty = true;
}

// ---------------------------------------------------------------- values

bool SpreadModel::hasValue(int c, int r) const
{
    if (r == 0) return c == 0 ? !m_corner.isEmpty() : (c <= m_maxCols && !m_cols[size_t(c)].header.isEmpty());
    if (!validCell(c, r)) return false;
    return raw(c, r) != 0;
}

QString SpreadModel::storedText(int c, int r) const
{
    if (!validCell(c, r)) return QString();
    if (r == 0) return c == 0 ? m_corner : m_cols[size_t(c)].header;
    return decode(raw(c, r));
}

bool SpreadModel::isFormulaCell(int c, int r) const
{
    if (r < 1 || !validCell(c, r)) return false;
    const Column& col = m_cols[size_t(c)];
    if (col.formula) return true;
    return col.cellFormulas > 0 && m_cellFormulas.count(key(c, r));
}

QString SpreadModel::text(int c, int r) const
{
    if (!validCell(c, r)) return QString();
    if (r == 0) return storedText(c, r);
    const Column& col = m_cols[size_t(c)];
    if (col.formula || col.cellFormulas > 0) {
        if (isFormulaCell(c, r)) return SpreadFormula::formatNumber(numberAt(c, r));
    }
    quint64 v = raw(c, r);
    if (v == 0 || (v & 3) == kTagInt) return decode(v);
    if (cellType(c, r) == 12) {
        long double d;
        const QString& stored = m_pool[size_t(v >> 2)];
        if (!parseNumber(stored, d)) return stored == overflowMark() ? stored : QString();
        int dec = int(attr(ACurDec, c, r));
        if (dec <= 0) return SpreadFormula::formatNumber(std::round(d));
        return QString::number(double(d), 'f', dec);
    }
    return decode(v);
}

QString SpreadModel::formatCurrency(int c, int r, long double v) const
{
    if (!std::isfinite(v)) return SpreadFormula::formatNumber(v);
    int dec = std::max(0, int(attr(ACurDec, c, r)));
    bool sep = attr(ACurSep, c, r) != 0;
    bool sym = attr(ACurSymbol, c, r) != 0;
    // A value beyond what a 64-bit whole number holds cannot be shown as an amount: it shows
    // the overflow mark, as an amount too wide for its cell does.
    const auto whole = wholeAmount(v);
    if (!whole) return overflowMark();
    QString s;
    if (dec == 0) {
        s = QString::number(*whole);
    } else {
        s = QString::number(double(v), 'f', dec);
    }
    bool neg = s.startsWith(QLatin1Char('-'));
    if (neg) s.remove(0, 1);
    if (sep) {
        int dot = s.indexOf(QLatin1Char('.'));
        int intEnd = dot < 0 ? s.size() : dot;
        for (int i = intEnd - 3; i > 0; i -= 3) s.insert(i, QLatin1Char(','));
    }
    if (sym) s.prepend(QChar(0x20A9));
    if (neg) s.prepend(QLatin1Char('-'));
    return s;
}

QString SpreadModel::displayText(int c, int r) const
{
    if (!validCell(c, r)) return QString();
    if (r == 0 || c == 0) return storedText(c, r);
    if (cellType(c, r) == 12) {
        long double d;
        if (isFormulaCell(c, r)) return formatCurrency(c, r, numberAt(c, r));
        quint64 v = raw(c, r);
        if (v == 0) return QString();
        if ((v & 3) == kTagInt) return formatCurrency(c, r, (long double)(qint64(v) >> 2));
        const QString& stored = m_pool[size_t(v >> 2)];
        if (!parseNumber(stored, d)) return stored == overflowMark() ? stored : QString();
        return formatCurrency(c, r, d);
    }
    return text(c, r);
}

bool SpreadModel::isNumeric(int c, int r, long double* out) const
{
    if (!validCell(c, r) || r == 0) return false;
    if (isFormulaCell(c, r)) { if (out) *out = numberAt(c, r); return true; }
    quint64 v = raw(c, r);
    if (v == 0) return false;
    if ((v & 3) == kTagInt) { if (out) *out = (long double)(qint64(v) >> 2); return true; }
    long double d;
    if (!parseNumber(m_pool[size_t(v >> 2)], d)) return false;
    if (out) *out = d;
    return true;
}

std::optional<qint64> SpreadModel::wholeAmount(long double v)
{
    if (!std::isfinite(v)) return std::nullopt;
    const long double rv = std::round(v); // half away from zero
    if (!(rv >= -0x1p63L && rv < 0x1p63L)) return std::nullopt;
    return qint64(rv);
}

std::optional<qint64> SpreadModel::amountAt(int c, int r) const
{
    if (r < 1 || !validCell(c, r)) return qint64(0);
    if (isFormulaCell(c, r)) return wholeAmount(numberAt(c, r));
    const quint64 v = raw(c, r);
    if (v == 0) return qint64(0);
    if ((v & 3) == kTagInt) return qint64(v) >> 2;
    const QString& stored = m_pool[size_t(v >> 2)];
    long double d;
    if (!parseNumber(stored, d)) {
        if (stored == overflowMark() && cellType(c, r) == 12) return std::nullopt;
        return qint64(0);
    }
    return wholeAmount(d);
}

void SpreadModel::ExactSum::add(long double v, int sign)
{
    if (!std::isfinite(v)) {
        error += v;
        return;
    }
    if (const auto a = wholeAmount(v)) {
        whole += sign * __int128(*a);
    } else {
        past += sign;
        pastValue += sign * v;
    }
}

long double SpreadModel::ExactSum::value() const
{
    if (error != 0 || std::isnan(error)) return error;
    const __int128 lo = std::numeric_limits<qint64>::min(), hi = std::numeric_limits<qint64>::max();
    if (past == 0 && whole >= lo && whole <= hi) return (long double)qint64(whole);
    // past the range: a value past it, on the side of the sum
    long double v = (long double)whole + (past ? pastValue : 0);
    if (!(std::fabs(v) >= 0x1p63L)) v = v < 0 ? -0x1p64L : 0x1p64L;
    return v;
}

long double SpreadModel::numberAt(int c, int r) const
{
    if (r < 1 || c < 0 || r > m_maxRows || c > m_maxCols) return 0;
    const Column& col = m_cols[size_t(c)];
    if (col.cellFormulas > 0) {
        auto it = m_cellFormulas.find(key(c, r));
        if (it != m_cellFormulas.end()) return cellFormulaValue(it->first);
    }
    if (col.formula) {
        if (m_evalDepth > 64) return kNaN;
        ++m_evalDepth;
        ModelEval ctx(*this);
        long double v = col.formula->evaluate(ctx, c, r);
        --m_evalDepth;
        return v;
    }
    return col.v.empty() ? 0 : rawNumber(col.v[size_t(r - 1)]);
}

SpreadModel::ExactSum SpreadModel::sumRange(int c1, int r1, int c2, int r2) const
{
    r1 = std::max(r1, 1);
    r2 = std::min(r2, m_maxRows);
    c1 = std::max(c1, 0);
    c2 = std::min(c2, m_maxCols);
    ExactSum s;
    for (int c = c1; c <= c2; ++c) {
        const Column& col = m_cols[size_t(c)];
        if (col.formula || col.cellFormulas > 0) {
            for (int r = r1; r <= r2; ++r) s.add(numberAt(c, r), 1);
            continue;
        }
        if (col.v.empty()) continue;
        for (int r = r1; r <= r2; ++r) {
            quint64 v = col.v[size_t(r - 1)];
            if (v == 0) continue;
            if ((v & 3) == kTagInt) s.whole += qint64(v) >> 2;
            else s.add(rawNumber(v), 1);
        }
    }
    return s;
}

void SpreadModel::notifyChanged(int c, int r, const QString& text)
{
    Q_UNUSED(text);
    if (onChange) onChange(c, r);
}

void SpreadModel::setText(int c, int r, const QString& value)
{
    if (!validCell(c, r)) return;
    if (r == 0) {
        if (c == 0) m_corner = value;
        else m_cols[size_t(c)].header = value;
        return;
    }
    Column& col = m_cols[size_t(c)];
    if (!m_recalc || !hasFormulas()) {
        quint64 v = encode(value);
        if (col.v.empty()) {
            if (v == 0) return;
            col.v.assign(size_t(m_maxRows), 0);
        }
        col.v[size_t(r - 1)] = v;
        if (!m_recalc && hasFormulas()) m_dirty = true;
        return;
    }
    if (m_colFormulaAbsolute) {
        quint64 v = encode(value);
        if (col.v.empty()) col.v.assign(size_t(m_maxRows), 0);
        col.v[size_t(r - 1)] = v;
        recalcAll(true);
        return;
    }

    // 1. the column-formula cells that depend on (c, r), transitively
    struct Dep { int c, r; long double oldV, newV; };
    std::vector<Dep> deps;
    std::vector<std::pair<int, int>> queue{{c, r}};
    for (size_t qi = 0; qi < queue.size() && queue.size() < 4096; ++qi) {
        auto [x, y] = queue[qi];
        for (const ColumnDep& d : m_colDeps) {
            int refCol = d.colAbs ? d.col : d.formulaCol + d.col;
            if (refCol != x) continue;
            int row = y - d.rowOffset;
            if (row < 1 || row > m_maxRows) continue;
            if (m_cols[size_t(d.formulaCol)].cellFormulas > 0 && m_cellFormulas.count(key(d.formulaCol, row))) continue;
            bool seen = false;
            for (const Dep& e : deps) if (e.c == d.formulaCol && e.r == row) { seen = true; break; }
            if (seen) continue;
            deps.push_back({d.formulaCol, row, 0, 0});
            queue.push_back({d.formulaCol, row});
        }
    }
    const bool selfIsFormula = isFormulaCell(c, r);
    long double oldSelf = selfIsFormula ? 0 : numberAt(c, r);
    for (Dep& d : deps) d.oldV = numberAt(d.c, d.r);

    // 2. store
    quint64 v = encode(value);
    if (col.v.empty()) {
        if (v == 0) return;
        col.v.assign(size_t(m_maxRows), 0);
    }
    col.v[size_t(r - 1)] = v;
    if (selfIsFormula) return; // the formula still decides what the cell shows

    long double newSelf = numberAt(c, r);
    for (Dep& d : deps) d.newV = numberAt(d.c, d.r);

    // 3. cell formulas, round by round
    std::vector<Dep> changes;
    if (!sameValue(oldSelf, newSelf)) changes.push_back({c, r, oldSelf, newSelf});
    for (const Dep& d : deps) if (!sameValue(d.oldV, d.newV)) changes.push_back(d);
    std::vector<qint64> touchedFormulas;
    for (int round = 0; round < 32 && !changes.empty(); ++round) {
        std::vector<Dep> next;
        for (auto& [k, cf] : m_cellFormulas) {
            const int fc = keyCol(k), fr = keyRow(k);
            bool touched = false;
            for (const Dep& ch : changes) {
                if (!cf.f->reads(fc, fr, ch.c, ch.r)) continue;
                touched = true;
                if (!cf.sumsValid) continue;
                const auto& nodes = cf.f->nodes();
                const auto& ranges = cf.f->sumRanges();
                for (size_t s = 0; s < ranges.size(); ++s) {
                    const auto& n = nodes[size_t(ranges[s])];
                    if (n.a.deleted || n.b.deleted) continue;
                    int c1 = n.a.colAt(fc), c2 = n.b.colAt(fc), r1 = n.a.rowAt(fr), r2 = n.b.rowAt(fr);
                    if (c1 > c2) std::swap(c1, c2);
                    if (r1 > r2) std::swap(r1, r2);
                    if (ch.c < c1 || ch.c > c2 || ch.r < r1 || ch.r > r2) continue;
                    if (!std::isfinite(ch.oldV) || !std::isfinite(ch.newV)) { cf.sumsValid = false; break; }
                    cf.sums[s].add(ch.oldV, -1);
                    cf.sums[s].add(ch.newV, 1);
                }
            }
            if (!touched) continue;
            long double oldV = cf.value;
            bool wasDirty = cf.dirty;
            cf.dirty = true;
            long double nv = evalCellFormula(k, cf);
            if (std::find(touchedFormulas.begin(), touchedFormulas.end(), k) == touchedFormulas.end())
                touchedFormulas.push_back(k);
            if (wasDirty || !sameValue(oldV, nv)) next.push_back({fc, fr, oldV, nv});
        }
        changes.swap(next);
    }

    // 4. report
    for (const Dep& d : deps)
        if (!sameValue(d.oldV, d.newV)) notifyChanged(d.c, d.r, QString());
    for (qint64 k : touchedFormulas) {
        auto it = m_cellFormulas.find(k);
        if (it == m_cellFormulas.end()) continue;
        QString t = SpreadFormula::formatNumber(it->second.value);
        if (t != it->second.lastNotified) {
            it->second.lastNotified = t;
            notifyChanged(keyCol(k), keyRow(k), t);
        }
    }
}

void SpreadModel::clearColumnValues(int c)
{
    std::vector<quint64>().swap(m_cols[size_t(c)].v);
}

void SpreadModel::setTextRange(int c, int r, const QString& v)
{
    if (c == -1 && r == -1) {
        for (int cc = 1; cc <= m_maxCols; ++cc) setTextRange(cc, -1, v);
        return;
    }
    if (r == -1) {
        if (c < 0 || c > m_maxCols) return;
        if (v.isEmpty()) {
            clearColumnValues(c);
            if (m_recalc) recalcAll(true); else m_dirty = true;
            return;
        }
        bool was = m_recalc;
        m_recalc = false;
        for (int rr = 1; rr <= m_maxRows; ++rr) setText(c, rr, v);
        m_recalc = was;
        if (m_recalc) recalcAll(true); else m_dirty = true;
        return;
    }
    if (c == -1) {
        for (int cc = 1; cc <= m_maxCols; ++cc) setText(cc, r, v);
        return;
    }
    setText(c, r, v);
}

// ---------------------------------------------------------------- formulas

void SpreadModel::rebuildColumnDeps()
{
    m_colDeps.clear();
    m_colFormulaAbsolute = false;
    for (int c = 0; c <= m_maxCols; ++c) {
        const auto& f = m_cols[size_t(c)].formula;
        if (!f) continue;
        if (f->hasAbsoluteRows()) m_colFormulaAbsolute = true;
        f->forEachRef(
            [&](const FormulaRef& ref) {
                if (!ref.rowAbs) m_colDeps.push_back({c, ref.colAbs, ref.col, ref.row});
            },
            [&](const FormulaRef&, const FormulaRef&) { m_colFormulaAbsolute = true; });
    }
}

QString SpreadModel::formula(int c, int r) const
{
    if (c < 0 || c > m_maxCols) return QString();
    const Column& col = m_cols[size_t(c)];
    if (r == -1) return col.formula ? col.formula->text() : QString();
    if (col.cellFormulas > 0) {
        auto it = m_cellFormulas.find(key(c, r));
        if (it != m_cellFormulas.end()) return it->second.f->text();
    }
    if (r >= 1 && col.formula) return col.formula->text();
    return QString();
}

void SpreadModel::removeCellFormula(qint64 k)
{
    auto it = m_cellFormulas.find(k);
    if (it == m_cellFormulas.end()) return;
    m_cols[size_t(keyCol(k))].cellFormulas--;
    m_cellFormulas.erase(it);
}

bool SpreadModel::setFormula(int c, int r, const QString& text)
{
    if (c == -1) {
        bool ok = true;
        for (int cc = 1; cc <= m_maxCols; ++cc) ok = setFormula(cc, r, text) && ok;
        return ok;
    }
    if (c < 0 || c > m_maxCols || r == 0 || r > m_maxRows) return false;
    std::shared_ptr<SpreadFormula> f;
    if (!text.trimmed().isEmpty()) {
        f = SpreadFormula::parse(text);
        if (!f) return false;
    }
    Column& col = m_cols[size_t(c)];
    if (r == -1) {
        const bool hadAny = col.formula || col.cellFormulas > 0;
        for (auto it = m_cellFormulas.begin(); it != m_cellFormulas.end();) {
            if (keyCol(it->first) == c) it = m_cellFormulas.erase(it);
            else ++it;
        }
        col.cellFormulas = 0;
        if (col.formula) --m_colFormulaCount;
        col.formula = f;
        if (f) ++m_colFormulaCount;
        rebuildColumnDeps();
        if (!hadAny && !f) return true; // nothing changed
        if (m_recalc) recalcAll(true); else m_dirty = true;
        return true;
    }
    const qint64 k = key(c, r);
    QString before = text.isEmpty() ? QString() : this->text(c, r);
    const bool had = col.cellFormulas > 0 && m_cellFormulas.count(k);
    removeCellFormula(k);
    if (!f) {
        if (!had) return true;
        if (m_recalc) recalcAll(true); else m_dirty = true;
        return true;
    }
    CellFormula cf;
    cf.f = f;
    cf.lastNotified = before;
    auto it = m_cellFormulas.emplace(k, std::move(cf)).first;
    col.cellFormulas++;
    if (!m_recalc) { m_dirty = true; return true; }
    // other formulas that read this cell need a full pass; otherwise only the new one
    bool readBy = false;
    for (auto& [ok, ocf] : m_cellFormulas)
        if (ok != k && ocf.f->reads(keyCol(ok), keyRow(ok), c, r)) { readBy = true; break; }
    for (const ColumnDep& dep : m_colDeps)
        if ((dep.colAbs ? dep.col : dep.formulaCol + dep.col) == c) { readBy = true; break; }
    if (readBy || m_colFormulaAbsolute) { recalcAll(true); return true; }
    evalCellFormula(k, it->second);
    QString t = SpreadFormula::formatNumber(it->second.value);
    if (t != it->second.lastNotified) {
        it->second.lastNotified = t;
        notifyChanged(c, r, t);
    }
    return true;
}

long double SpreadModel::cellFormulaValue(qint64 k) const
{
    auto it = m_cellFormulas.find(k);
    if (it == m_cellFormulas.end()) return 0;
    CellFormula& cf = it->second;
    if (!cf.dirty) return cf.value;
    return evalCellFormula(k, cf);
}

long double SpreadModel::evalCellFormula(qint64 k, CellFormula& cf) const
{
    if (cf.computing) return kNaN; // a cycle
    cf.computing = true;
    const int fc = keyCol(k), fr = keyRow(k);
    const auto& ranges = cf.f->sumRanges();
    if (!cf.sumsValid) {
        cf.sums.assign(ranges.size(), ExactSum{});
        const auto& nodes = cf.f->nodes();
        for (size_t s = 0; s < ranges.size(); ++s) {
            const auto& n = nodes[size_t(ranges[s])];
            if (n.a.deleted || n.b.deleted) { cf.sums[s].error = kNaN; continue; }
            int c1 = n.a.colAt(fc), c2 = n.b.colAt(fc), r1 = n.a.rowAt(fr), r2 = n.b.rowAt(fr);
            if (c1 > c2) std::swap(c1, c2);
            if (r1 > r2) std::swap(r1, r2);
            cf.sums[s] = sumRange(c1, r1, c2, r2);
        }
        cf.sumsValid = true;
    }
    ModelEval ctx(*this);
    ctx.sumNodes = &ranges;
    ctx.cache = &cf.sums;
    cf.value = cf.f->evaluate(ctx, fc, fr);
    cf.dirty = false;
    cf.computing = false;
    return cf.value;
}

void SpreadModel::recalcAll(bool notify)
{
    m_dirty = false;
    for (auto& [k, cf] : m_cellFormulas) {
        cf.dirty = true;
        cf.sumsValid = false;
    }
    for (auto& [k, cf] : m_cellFormulas) {
        if (cf.dirty) evalCellFormula(k, cf);
    }
    if (!notify) return;
    std::vector<qint64> changed;
    for (auto& [k, cf] : m_cellFormulas) {
        QString t = SpreadFormula::formatNumber(cf.value);
        if (t != cf.lastNotified) { cf.lastNotified = t; changed.push_back(k); }
    }
    for (qint64 k : changed) notifyChanged(keyCol(k), keyRow(k), QString());
}

void SpreadModel::setRecalcEnabled(bool on)
{
    if (on == m_recalc) return;
    m_recalc = on;
    if (on) recalcAll(true);
}

// ---------------------------------------------------------------- settings

double SpreadModel::attrDefault(Attr a) const
{
    switch (a) {
    case ACellType: return 1;
    case ALock: return 0;
    case ABackColor: return 0xFFFFFF;
    case AForeColor: return 0;
    case AHAlign: return -1; // by cell type
    case AVAlign: return 2;
    case AFontSize: return 9;
    case AFontBold: return 0;
    case ACurMax: return 99999999999.99;
    case ACurMin: return -99999999999.99;
    case ACurSymbol: return 1;
    case ACurDec: return 2;
    case ACurSep: return 0;
    default: return 0;
    }
}

void SpreadModel::setAttr(Attr a, int c, int r, double v)
{
    AttrLevel& L = m_attrs[a];
    AttrEntry e{v, ++m_stamp};
    if (c == -1 && r == -1) { L.hasSheet = true; L.sheet = e; }
    else if (c == -1) L.rows[r] = e;
    else if (r == -1) L.cols[c] = e;
    else L.cells[cellKey(L, c, r)] = e;
}

SpreadModel::CellSetting SpreadModel::cellSetting(Attr a, int c, int r) const
{
    const AttrLevel& L = m_attrs[a];
    const auto& cells = L.cells;
    auto it = cells.find(cellKey(L, c, r));
    if (it == cells.end()) return CellSetting{};
    return CellSetting{true, it->second.v, it->second.stamp};
}

void SpreadModel::restoreCellSetting(Attr a, int c, int r, const CellSetting& s)
{
    AttrLevel& L = m_attrs[a];
    if (!s.set) L.cells.erase(cellKey(L, c, r));
    else L.cells[cellKey(L, c, r)] = AttrEntry{s.v, s.stamp};
}

double SpreadModel::attr(Attr a, int c, int r) const
{
    double v;
    return explicitAttr(a, c, r, v) ? v : attrDefault(a);
}

bool SpreadModel::explicitAttr(Attr a, int c, int r, double& out) const
{
    const AttrLevel& L = m_attrs[a];
    const AttrEntry* best = nullptr;
    if (r >= 1 && c >= 1 && L.hasSheet) best = &L.sheet;
    if (r >= 1 && !L.cols.empty()) {
        auto it = L.cols.find(c);
        if (it != L.cols.end() && (!best || it->second.stamp > best->stamp)) best = &it->second;
    }
    if (c >= 1 && !L.rows.empty()) {
        auto it = L.rows.find(r);
        if (it != L.rows.end() && (!best || it->second.stamp > best->stamp)) best = &it->second;
    }
    if (!L.cells.empty()) {
        auto it = L.cells.find(cellKey(L, c, r));
        if (it != L.cells.end() && (!best || it->second.stamp > best->stamp)) best = &it->second;
    }
    if (!best) return false;
    out = best->v;
    return true;
}

double SpreadModel::attrAt(Attr a, int c, int r) const
{
    const AttrLevel& L = m_attrs[a];
    if (c == -1 && r == -1) return L.hasSheet ? L.sheet.v : attrDefault(a);
    if (c == -1) {
        auto it = L.rows.find(r);
        if (it != L.rows.end()) return it->second.v;
        return L.hasSheet ? L.sheet.v : attrDefault(a);
    }
    if (r == -1) {
        auto it = L.cols.find(c);
        if (it != L.cols.end()) return it->second.v;
        return L.hasSheet ? L.sheet.v : attrDefault(a);
    }
    return attr(a, c, r);
}

QString SpreadModel::cellTag(int c, int r) const
{
    auto it = m_tags.find(key(c, r));
    return it == m_tags.end() ? QString() : it->second;
}

void SpreadModel::setCellTag(int c, int r, const QString& tag)
{
    if (c == -1 || r == -1) {
        int c1 = c == -1 ? 0 : c, c2 = c == -1 ? m_maxCols : c;
        int r1 = r == -1 ? 1 : r, r2 = r == -1 ? m_maxRows : r;
        for (int cc = c1; cc <= c2; ++cc)
            for (int rr = r1; rr <= r2; ++rr) setCellTag(cc, rr, tag);
        return;
    }
    if (tag.isEmpty()) m_tags.erase(key(c, r));
    else m_tags[key(c, r)] = tag;
}

QString SpreadModel::colId(int c) const
{
    return (c >= 0 && c <= m_maxCols) ? m_cols[size_t(c)].id : QString();
}

void SpreadModel::setColId(int c, const QString& id)
{
    if (c >= 0 && c <= m_maxCols) m_cols[size_t(c)].id = id;
}

double SpreadModel::colWidth(int c) const
{
    if (c < 0 || c > m_maxCols) return 0;
    double w = m_cols[size_t(c)].width;
    if (w >= 0) return w;
    return c == 0 ? m_rowHeaderWidth : m_defaultColWidth;
}

void SpreadModel::setColWidth(int c, double w)
{
    if (w < 0) w = 0;
    if (c == -1) {
        m_defaultColWidth = w;
        for (int cc = 1; cc <= m_maxCols; ++cc) m_cols[size_t(cc)].width = -1;
        return;
    }
    if (c < 0 || c > m_maxCols) return;
    m_cols[size_t(c)].width = w;
}

bool SpreadModel::colHidden(int c) const
{
    return c >= 0 && c <= m_maxCols && m_cols[size_t(c)].hidden;
}

void SpreadModel::setColHidden(int c, bool b)
{
    if (c == -1) { for (int cc = 1; cc <= m_maxCols; ++cc) m_cols[size_t(cc)].hidden = b; return; }
    if (c >= 0 && c <= m_maxCols) m_cols[size_t(c)].hidden = b;
}

double SpreadModel::rowHeight(int r) const
{
    if (r == 0) return m_headerRowHeight;
    auto it = m_rowHeights.find(r);
    return it == m_rowHeights.end() ? m_defaultRowHeight : it->second;
}

void SpreadModel::setRowHeight(int r, double h)
{
    if (h < 0) h = 0;
    if (r == -1) { m_defaultRowHeight = h; m_rowHeights.clear(); return; }
    if (r == 0) { m_headerRowHeight = h; return; }
    if (r >= 1) m_rowHeights[r] = h;
}

void SpreadModel::setRowHidden(int r, bool b)
{
    if (r == -1) {
        m_hiddenRows.clear();
        m_hiddenCount = 0;
        if (b) {
            m_hiddenRows.assign(size_t(m_maxRows) + 1, 1);
            m_hiddenRows[0] = 0;
            m_hiddenCount = m_maxRows;
        }
        return;
    }
    if (r < 1 || r > m_maxRows || rowHidden(r) == b) return; // only rows of the sheet are hidden
    if (size_t(r) >= m_hiddenRows.size()) m_hiddenRows.resize(size_t(m_maxRows) + 1, 0);
    m_hiddenRows[size_t(r)] = b ? 1 : 0;
    m_hiddenCount += b ? 1 : -1;
}

// ---------------------------------------------------------------- rows

void SpreadModel::remapRows(const std::function<int(int)>& newRowOf, bool moveFormulas, bool attrCellsMoved)
{
    // Inserting and deleting rows keep the order of the rows that stay, so every entry is
    // relinked under its new key at the end of the map: no entry is copied or allocated
    // again.
    auto remapCellMap = [&](auto& m, const auto& rowOf, const auto& keyOf) {
        std::remove_reference_t<decltype(m)> out;
        while (!m.empty()) {
            auto node = m.extract(m.begin());
            const int r = rowOf(node.key());
            if (r >= 1) {
                const int nr = newRowOf(r);
                if (nr < 1) continue;
                node.key() = keyOf(keyCol(node.key()), nr);
            }
            out.insert(out.end(), std::move(node));
        }
        m.swap(out);
    };
    const auto plainRow = [](qint64 k) { return keyRow(k); };
    const auto plainKey = [](int c, int r) { return key(c, r); };
    auto remapRowMap = [&](auto& m) {
        std::remove_reference_t<decltype(m)> out;
        while (!m.empty()) {
            auto node = m.extract(m.begin());
            if (node.key() >= 1) {
                const int nr = newRowOf(node.key());
                if (nr < 1) continue;
                node.key() = nr;
            }
            out.insert(out.end(), std::move(node));
        }
        m.swap(out);
    };
    for (AttrLevel& L : m_attrs) {
        remapRowMap(L.rows);
        if (!attrCellsMoved)
            remapCellMap(L.cells, [&L](qint64 k) { return cellRow(L, k); },
                         [&L](int c, int r) { return cellKey(L, c, r); });
    }
    remapCellMap(m_tags, plainRow, plainKey);
    if (moveFormulas) remapCellMap(m_cellFormulas, plainRow, plainKey);
    remapRowMap(m_rowHeights);
    if (m_hiddenCount > 0) {
        std::vector<char> hidden(size_t(m_maxRows) + 1, 0);
        int count = 0;
        for (size_t r = 1; r < m_hiddenRows.size(); ++r) {
            if (!m_hiddenRows[r]) continue;
            const int nr = newRowOf(int(r));
            if (nr >= 1 && nr <= m_maxRows && !hidden[size_t(nr)]) { hidden[size_t(nr)] = 1; ++count; }
        }
        m_hiddenRows.swap(hidden);
        m_hiddenCount = count;
    }
    for (Column& col : m_cols) col.cellFormulas = 0;
    for (auto& [k, cf] : m_cellFormulas) m_cols[size_t(keyCol(k))].cellFormulas++;
}

void SpreadModel::shiftAttrCellsAtTop(int n, int lastRow)
{
    for (AttrLevel& L : m_attrs) {
        if (L.cells.empty()) {
            L.cellRowShift = 0;
            continue;
        }
        if (n < 0) // the first -n rows go
            L.cells.erase(L.cells.lower_bound(cellKey(L, 0, 1)), L.cells.lower_bound(cellKey(L, 0, 1 - n)));
        L.cellRowShift += n;
        L.cells.erase(L.cells.lower_bound(cellKey(L, 0, lastRow + 1)), L.cells.end());
        if (std::abs(L.cellRowShift) > kCellRowBase / 4) {
            // far from the base after very many rows: the cells go back to their own rows
            std::map<qint64, AttrEntry> out;
            while (!L.cells.empty()) {
                auto node = L.cells.extract(L.cells.begin());
                const int r = cellRow(L, node.key());
                if (r >= 1) node.key() = key(keyCol(node.key()), r + kCellRowBase);
                out.insert(out.end(), std::move(node));
            }
            L.cells.swap(out);
            L.cellRowShift = 0;
        }
    }
}

void SpreadModel::deleteRows(int r, int n)
{
    if (r < 1 || n < 1 || r > m_maxRows) return;
    n = std::min(n, m_maxRows - r + 1);
    for (Column& col : m_cols) {
        if (col.v.empty()) continue;
        col.v.erase(col.v.begin() + (r - 1), col.v.begin() + (r - 1 + n));
        col.v.resize(size_t(m_maxRows), 0);
    }
    if (r == 1) shiftAttrCellsAtTop(-n, m_maxRows);
    remapRows([r, n](int x) { return x < r ? x : (x < r + n ? 0 : x - n); }, true, r == 1);
    for (auto& [k, cf] : m_cellFormulas) cf.f->adjustRows(r, -n);
    for (Column& col : m_cols) if (col.formula && col.formula->hasAbsoluteRows()) col.formula->adjustRows(r, -n);
    if (m_recalc) recalcAll(true); else m_dirty = true;
}

void SpreadModel::insertRows(int r, int n)
{
    if (r < 1 || n < 1 || r > m_maxRows) return;
    const int maxR = m_maxRows;
    for (Column& col : m_cols) {
        if (col.v.empty()) continue;
        col.v.insert(col.v.begin() + (r - 1), size_t(n), 0);
        col.v.resize(size_t(m_maxRows));
    }
    if (r == 1) shiftAttrCellsAtTop(n, maxR);
    remapRows([r, n, maxR](int x) { return x < r ? x : (x + n > maxR ? 0 : x + n); }, true, r == 1);
    for (auto& [k, cf] : m_cellFormulas) cf.f->adjustRows(r, n);
    for (Column& col : m_cols) if (col.formula && col.formula->hasAbsoluteRows()) col.formula->adjustRows(r, n);
    if (m_recalc) recalcAll(true); else m_dirty = true;
}

void SpreadModel::sortRows(int keyCol, bool ascending, int r1, int r2)
{
    if (r2 < 0 || r2 > m_maxRows) r2 = m_maxRows;
    if (r1 < 1) r1 = 1;
    if (keyCol < 0 || keyCol > m_maxCols || r2 - r1 < 1) return;
    const int n = r2 - r1 + 1;
    // keys: numbers first (as numbers), then texts, then empty cells (always last)
    struct Key { int kind; long double num; quint32 rank; };
    std::vector<Key> keys(static_cast<size_t>(n));
    std::vector<quint32> strIds;
    const Column& kc = m_cols[size_t(keyCol)];
    const bool formulaCol = kc.formula || kc.cellFormulas > 0;
    for (int i = 0; i < n; ++i) {
        int r = r1 + i;
        Key& k = keys[size_t(i)];
        if (formulaCol && isFormulaCell(keyCol, r)) { k = {0, numberAt(keyCol, r), 0}; continue; }
        quint64 v = raw(keyCol, r);
        if (v == 0) { k = {2, 0, 0}; continue; }
        if ((v & 3) == kTagInt) { k = {0, (long double)(qint64(v) >> 2), 0}; continue; }
        long double d;
        if (parseNumber(m_pool[size_t(v >> 2)], d)) { k = {0, d, 0}; continue; }
        k = {1, 0, quint32(v >> 2)};
        strIds.push_back(quint32(v >> 2));
    }
    if (!strIds.empty()) {
        std::sort(strIds.begin(), strIds.end());
        strIds.erase(std::unique(strIds.begin(), strIds.end()), strIds.end());
        std::vector<quint32> byText = strIds;
        std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) {
            return QString::compare(m_pool[a], m_pool[b], Qt::CaseInsensitive) < 0;
        });
        std::unordered_map<quint32, quint32> rank;
        rank.reserve(byText.size());
        for (size_t i = 0; i < byText.size(); ++i) rank[byText[i]] = quint32(i);
        for (Key& k : keys) if (k.kind == 1) k.rank = rank[k.rank];
    }
    std::vector<int> perm(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) perm[size_t(i)] = i;
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        const Key& x = keys[size_t(a)];
        const Key& y = keys[size_t(b)];
        if (x.kind != y.kind) {
            if (x.kind == 2 || y.kind == 2) return y.kind == 2;
            return ascending ? x.kind < y.kind : x.kind > y.kind;
        }
        if (x.kind == 2) return false;
        if (x.kind == 0) return ascending ? x.num < y.num : x.num > y.num;
        return ascending ? x.rank < y.rank : x.rank > y.rank;
    });
    // perm[newIndex] = oldIndex
    std::vector<quint64> tmp(static_cast<size_t>(n));
    for (Column& col : m_cols) {
        if (col.v.empty()) continue;
        for (int i = 0; i < n; ++i) tmp[size_t(i)] = col.v[size_t(r1 - 1 + perm[size_t(i)])];
        std::copy(tmp.begin(), tmp.end(), col.v.begin() + (r1 - 1));
    }
    std::vector<int> newOf(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) newOf[size_t(perm[size_t(i)])] = r1 + i;
    // cell formulas (totals) stay where they are; values and settings move with their rows
    remapRows([&](int x) { return (x < r1 || x > r2) ? x : newOf[size_t(x - r1)]; }, false);
    if (m_recalc) recalcAll(true); else m_dirty = true;
}

int SpreadModel::dataRowCnt() const
{
    std::vector<const std::vector<quint64>*> cols;
    for (int c = 1; c <= m_maxCols; ++c)
        if (!m_cols[size_t(c)].v.empty()) cols.push_back(&m_cols[size_t(c)].v);
    for (int r = m_maxRows; r >= 1; --r)
        for (const auto* v : cols)
            if ((*v)[size_t(r - 1)] != 0) return r;
    return 0;
}

static bool textMatches(const QString& cell, const QString& text, int flags)
{
    Qt::CaseSensitivity cs = (flags & 4) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (flags & 2) return cell.contains(text, cs);
    return QString::compare(cell, text, cs) == 0;
}

int SpreadModel::searchCol(int c, int rowStart, int rowEnd, const QString& text, int flags) const
{
    if (c < 0 || c > m_maxCols) return -1;
    if (rowEnd < 0 || rowEnd > m_maxRows) rowEnd = m_maxRows;
    for (int r = std::max(rowStart + 1, 1); r <= rowEnd; ++r)
        if (textMatches(this->text(c, r), text, flags)) return r;
    return -1;
}

int SpreadModel::searchRow(int r, int colStart, int colEnd, const QString& text, int flags) const
{
    if (r < 0 || r > m_maxRows) return -1;
    if (colEnd < 0 || colEnd > m_maxCols) colEnd = m_maxCols;
    for (int c = std::max(colStart + 1, 1); c <= colEnd; ++c)
        if (textMatches(this->text(c, r), text, flags)) return c;
    return -1;
}

size_t SpreadModel::approxBytes() const
{
    size_t b = 0;
    for (const Column& col : m_cols) b += col.v.capacity() * sizeof(quint64) + sizeof(Column);
    for (const QString& s : m_pool) b += sizeof(QString) + size_t(s.capacity()) * 2 + 32;
    return b;
}

} // namespace platform
