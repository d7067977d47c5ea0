#include "frame/FrmPost.h"

#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/SqlText.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kBatch = 256;

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString addressOf(const QString& sido, const QString& gugun, const QString& dong)
{
    return sido + QLatin1Char(' ') + gugun + QLatin1Char(' ') + dong;
}

QString hyphenatedZip(const QString& code)
{
    if (code.size() != 6)
        return code;
    for (QChar c : code)
        if (!c.isDigit())
            return code;
    return code.left(3) + QLatin1Char('-') + code.mid(3);
}

} // namespace

// ---------------------------------------------------------------- PostListModel

PostListModel::PostListModel(QObject* parent) : QAbstractTableModel(parent) {}
PostListModel::~PostListModel() = default;

void PostListModel::setRecordset(std::unique_ptr<dao::Recordset> rs)
{
    beginResetModel();
    if (m_rs)
        m_rs->close();
    m_rs = std::move(rs);
    m_rows.clear();
    m_hits = 0;
    if (m_rs) {
        m_hits = m_rs->recordCount();
        if (m_hits > 0)
            m_rs->moveFirst();
        readRows(kBatch);
    }
    endResetModel();
}

int PostListModel::readRows(int count)
{
    int n = 0;
    while (m_rs && n < count && !m_rs->eof()) {
        QStringList row;
        for (int c = 0; c < 5; ++c)
            row << m_rs->text(c);
        m_rows.push_back(row);
        m_rs->moveNext();
        ++n;
    }
    return n;
}

QString PostListModel::text(int row, int column)
{
    if (row < 0 || qint64(row) >= m_hits || column < 0 || column >= 5)
        return QString();
    if (row >= int(m_rows.size()))
        fetchMore(QModelIndex()); // reads up to and beyond the row asked for
    while (row >= int(m_rows.size()) && canFetchMore())
        fetchMore(QModelIndex());
    return row < int(m_rows.size()) ? m_rows[size_t(row)].value(column) : QString();
}

int PostListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PostListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 5; }

QVariant PostListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= int(m_rows.size()))
        return QVariant();
    return m_rows[size_t(index.row())].value(index.column());
}

QVariant PostListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    static const char* const names[] = {"우편번호", "시도", "구군", "읍면동", "번지"};
    return section >= 0 && section < 5 ? QString::fromUtf8(names[section]) : QVariant();
}

bool PostListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_rs && qint64(m_rows.size()) < m_hits;
}

void PostListModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !m_rs)
        return;
    const int first = int(m_rows.size());
    const int wanted = int(qMin<qint64>(kBatch, m_hits - first));
    if (wanted <= 0)
        return;
    beginInsertRows(QModelIndex(), first, first + wanted - 1);
    const int got = readRows(wanted);
    if (got < wanted) { // the file changed under us: count what is really there
        m_hits = first + got;
    }
    endInsertRows();
}

// ---------------------------------------------------------------- FrmPost

FrmPost::FrmPost(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmPost"));
    setWindowTitle(QStringLiteral("우편번호 검색"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    pnlCaption = new QLabel(this);
    pnlCaption->setObjectName(QStringLiteral("pnlCaption"));
    pnlCaption->setFrameShape(QFrame::StyledPanel);
    pnlCaption->setMinimumHeight(24);
    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    btnFind = new QPushButton(QStringLiteral("검색(&F)"), this);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnQuit = new QPushButton(QStringLiteral("닫기(&X)"), this);
    btnQuit->setObjectName(QStringLiteral("btnQuit"));
    for (QPushButton* b : {btnFind, btnQuit}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    m_model = new PostListModel(this);
    grdList = new QTableView(this);
    grdList->setObjectName(QStringLiteral("grdList"));
    grdList->setModel(m_model);
    grdList->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdList->setSelectionMode(QAbstractItemView::SingleSelection);
    grdList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdList->verticalHeader()->setDefaultSectionSize(22);
    grdList->horizontalHeader()->setStretchLastSection(true);
    grdList->setColumnWidth(0, 80);
    grdList->setColumnWidth(1, 90);
    grdList->setColumnWidth(2, 100);
    grdList->setColumnWidth(3, 120);
    grdList->installEventFilter(this);

    auto* search = new QHBoxLayout;
    search->addWidget(txtInput, 1);
    search->addWidget(btnFind);
    search->addWidget(btnQuit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlCaption);
    layout->addLayout(search);
    layout->addWidget(grdList, 1);
    resize(560, 400);

    connect(btnFind, &QPushButton::clicked, this, [this] { InitForm(txtInput->text().trimmed()); });
    connect(txtInput, &QLineEdit::returnPressed, this, [this] { InitForm(txtInput->text().trimmed()); });
    connect(btnQuit, &QPushButton::clicked, this, &QDialog::reject);
    connect(grdList, &QTableView::doubleClicked, this, [this](const QModelIndex& i) { PickRow(i.row()); });

    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmPost"));
}

FrmPost::~FrmPost()
{
    m_model->clear(); // the rows read from this window's connection go first
    m_db.reset();
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmPost::SetObject(QObject* objParam1, QObject* objParam2)
{
    if (objParam1 && !m_zipTarget)
        m_zipTarget = objParam1;
    if (objParam2 && !m_addrTarget)
        m_addrTarget = objParam2;
}

QString FrmPost::SearchSql(const QString& sData, QVariantList& params)
{
    params.clear();
    QString sql = QStringLiteral("SELECT ZIPCODE, SIDO, GUGUN, DONG, BUNJI FROM Post ");
    if (sData.isEmpty())
        return sql + QStringLiteral("ORDER BY ZIPCODE");
    // A single-byte first character searches the postal codes, a Hangul one the town names.
    const uint first = sData.toUcs4().value(0);
    const bool byCode = AnsiCharWidth(char32_t(first)) == 1;
    const QString column = byCode ? QStringLiteral("ZIPCODE") : QStringLiteral("DONG");
    // The table holds the codes as six digits; a pick writes them as "000-000". That hyphen
    // is left out of the search, so the code written finds its place again.
    static const QRegularExpression written(QStringLiteral("^([0-9]{3})-([0-9]{0,3})$"));
    const QRegularExpressionMatch m = byCode ? written.match(sData) : QRegularExpressionMatch();
    params << dao::likeContains(m.hasMatch() ? m.captured(1) + m.captured(2) : sData);
    return sql + QStringLiteral("WHERE ") + column + QStringLiteral(" LIKE ?") + QString::fromLatin1(dao::kLikeEscape)
        + QStringLiteral(" ORDER BY ZIPCODE;");
}

bool FrmPost::openDatabase()
{
    if (m_db)
        return true;
    const QString file = gsPostDBFile;
    try {
        if (file.isEmpty() || !QFileInfo(file).isFile())
            throw dao::DaoError(3024, QStringLiteral("Could not find file '%1'.").arg(file));
        m_db = dao::Database::open(file, 0, true);
    } catch (const dao::DaoError& e) {
        m_db.reset();
        MsgBoxPlain(QStringLiteral("우편번호 데이터베이스를 열 수 없습니다.") + QStringLiteral("\r\n")
                    + QStringLiteral("경로) ") + file + QStringLiteral("\r\n") + e.description());
        return false;
    }
    return m_db != nullptr;
}

int FrmPost::InitForm(const QString& sData)
{
    WaitCursor wait;
    m_model->clear();
    if (!openDatabase())
        return 0;
    QVariantList params;
    const QString sql = SearchSql(sData, params);
    try {
        m_model->setRecordset(m_db->openRecordset(sql, dao::dbOpenSnapshot, params));
    } catch (const dao::DaoError& e) {
        m_model->clear();
        MsgBoxPlain(e.description() + QStringLiteral("\r") + sql);
        return 0;
    }
    const qint64 hits = m_model->hitCount();
    if (hits == 0)
        return 0;
    if (hits == 1) {
        if (m_zipTarget)
            SetControlText(m_zipTarget, m_model->text(0, 0));
        if (m_addrTarget)
            SetControlText(m_addrTarget, addressOf(m_model->text(0, 1), m_model->text(0, 2), m_model->text(0, 3)));
        return 1;
    }
    if (grdList->model()->rowCount() > 0)
        grdList->selectRow(0);
    return 2;
}

void FrmPost::PickRow(int row)
{
    const QString code = m_model->text(row, 0);
    if (code.isEmpty())
        return;
    if (m_zipTarget)
        SetControlText(m_zipTarget, hyphenatedZip(code));
    if (m_addrTarget)
        SetControlText(m_addrTarget, addressOf(m_model->text(row, 1), m_model->text(row, 2), m_model->text(row, 3)));
    accept();
}

void FrmPost::releaseTargets()
{
    m_zipTarget.clear();
    m_addrTarget.clear();
}

void FrmPost::done(int r)
{
    releaseTargets();
    m_model->clear();
    QDialog::done(r);
}

void FrmPost::showEvent(QShowEvent* e)
{
    pnlCaption->setText(QStringLiteral("읍/면/동으로 검색하세요. [전체검색 : 빈칸]"));
    QDialog::showEvent(e);
}

bool FrmPost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grdList && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            const QModelIndex cur = grdList->currentIndex();
            if (cur.isValid())
                PickRow(cur.row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
