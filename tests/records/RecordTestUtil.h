#pragma once
// Shared set-up of the trade record class tests: a scratch trade database opened as gDB,
// a scripted prompter, and readers for what the classes showed.
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include "frame/modMain.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "records/clsStock.h"

#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <memory>

namespace recordtest {

struct TradeDb {
    testsupport::TestEnv env;
    testsupport::ScriptedPrompter prompter;
    QString path;
    std::shared_ptr<dao::Database> db;
    QStringList floats;     // texts of the floating confirmations, in order
    QList<int> floatDelays; // and how long each one stays
    QList<std::shared_ptr<dao::Database>*> shared;

    TradeDb()
    {
        path = env.path(QStringLiteral("trade.mdb"));
        if (!testsupport::createDatabase(path, QStringLiteral("trade")))
            qFatal("cannot create the trade database");
        db = dao::Database::open(path);
        gsTitle = QStringLiteral("Trelvo");
        gDB = db;
        prompter.defaultModalAnswer = QDialog::Accepted;
        for (int i = 0; i < 200; ++i)
            prompter.modalAnswers.enqueue([this](QDialog& d) {
                const auto* label = d.findChild<QLabel*>(QStringLiteral("lblMsg"));
                floats << (label ? label->text() : d.objectName());
                const auto* timer = d.findChild<QTimer*>();
                floatDelays << (timer ? timer->interval() : -1);
                return int(QDialog::Accepted);
            });
    }
    ~TradeDb()
    {
        for (auto* handle : shared)
            handle->reset();
        gDB.reset();
    }

    // Points one of the shared handles of the record classes (dbNote, dbTax, dbEstimate,
    // dbTradeBook) at this database until the test ends.
    void share(std::shared_ptr<dao::Database>& handle)
    {
        handle = db;
        shared << &handle;
    }

    void sql(const QString& text, const QVariantList& params = {}) { db->execute(text, params); }
    qint64 count(const QString& table, const QString& where = QString(), const QVariantList& params = {})
    {
        return db->scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table
                              + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
                          params)
            .toLongLong();
    }
    QVariant value(const QString& sqlText, const QVariantList& params = {}) { return db->scalar(sqlText, params); }
    // Texts of the message boxes. A box that is not the plain one of the record classes
    // (OK only, no icon, program title) carries its style and title in front.
    QStringList messages() const
    {
        QStringList out;
        for (const auto& c : prompter.messages())
            out << (c.style == 0 && c.title == gsTitle ? QString()
                                                       : QStringLiteral("[%1|%2] ").arg(c.style).arg(c.title))
                    + c.text;
        return out;
    }
    void clear()
    {
        prompter.clear();
        floats.clear();
        floatDelays.clear();
    }
};

// Points s at db and opens the stock row of product code with its base count.
inline void openStock(clsStock& s, const std::shared_ptr<dao::Database>& db, const QString& code, double baseCount)
{
    s.SetDatabase(db);
    s.sPCode(code);
    s.siBaseCount(baseCount);
    s.SaveInitStock();
}

// The codes of a recordset's rows (column `column`), in order.
inline QStringList column(dao::Recordset& rs, const QString& name)
{
    QStringList out;
    if (rs.recordCount() == 0)
        return out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out << rs.text(name);
    return out;
}

} // namespace recordtest
