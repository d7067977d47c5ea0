#pragma once
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The rows of one postal-code search, read from the query's recordset in batches as the
// list scrolls; the number of hits is the query's exact row count.
class PostListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PostListModel(QObject* parent = nullptr);
    ~PostListModel() override;

    // Takes over the recordset of a new search (null clears the list).
    void setRecordset(std::unique_ptr<dao::Recordset> rs);
    void clear() { setRecordset(nullptr); }
    qint64 hitCount() const { return m_hits; }
    // Column text of a row (0 ZIPCODE, 1 SIDO, 2 GUGUN, 3 DONG, 4 BUNJI); reads on as needed.
    QString text(int row, int column);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;

private:
    int readRows(int count); // appends up to count rows from the recordset; returns how many
    std::unique_ptr<dao::Recordset> m_rs;
    std::vector<QStringList> m_rows;
    qint64 m_hits = 0;
};

// Postal-code search ("우편번호 검색"). The caller hands over the two target controls
// (postal code, address) with SetObject, then InitForm(text): 0 nothing found, 1 exactly one
// place (the targets are filled at once), 2 several (the caller shows this window modally
// and the user picks a row). The postal database is opened read-only, never created.
class FrmPost : public QDialog {
    Q_OBJECT
public:
    explicit FrmPost(QWidget* parent = nullptr);
    ~FrmPost() override;

    // Stores the targets; a target already held is not replaced until the window unloads.
    void SetObject(QObject* objParam1 = nullptr, QObject* objParam2 = nullptr);
    int InitForm(const QString& sData);

    qint64 HitCount() const { return m_model->hitCount(); }
    // Writes row's postal code ("000-000") and address to the targets and closes the window.
    void PickRow(int row);
    // The search statement for a search text (the text itself is bound as a parameter).
    static QString SearchSql(const QString& sData, QVariantList& params);

    QLabel* pnlCaption = nullptr;
    QLineEdit* txtInput = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnQuit = nullptr;
    QTableView* grdList = nullptr;
    PostListModel* model() const { return m_model; }

public slots:
    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool openDatabase();
    void releaseTargets();

    PostListModel* m_model = nullptr;
    std::shared_ptr<dao::Database> m_db; // this window's own read-only connection
    QPointer<QObject> m_zipTarget;
    QPointer<QObject> m_addrTarget;
};
