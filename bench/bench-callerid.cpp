// bench-callerid FILE: the caller lookup of an incoming call, as the main window runs it, on a
// copy of a main database (made by trelvo-genledger) grown to 10,000 sales parties and
// 100,000 stored calls. The added parties keep their numbers in the forms people type them
// (hyphens, blanks, +82, 0082, a number from abroad); the lookups are numbers of parties, each
// in another form than stored (the form from abroad stands for another number), and numbers
// of nobody.
//
// Last line: lookup_ms=… (median of several rounds, per lookup)
#include "callerid/IncomingCall.h"
#include "frame/modCommon.h"
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

QString digitsOf(std::mt19937& rng, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QChar(char16_t(u'0' + std::uniform_int_distribution<int>(0, 9)(rng)));
    return s;
}

// One mobile number (11 digits) in one of the forms a user types.
QString typedForm(const QString& digits, int form)
{
    const QString rest = digits.mid(1);
    switch (form % 6) {
    case 0: return digits.left(3) + QLatin1Char('-') + digits.mid(3, 4) + QLatin1Char('-') + digits.mid(7);
    case 1: return digits;
    case 2: return digits.left(3) + QLatin1Char(' ') + digits.mid(3, 4) + QLatin1Char(' ') + digits.mid(7);
    case 3: return QStringLiteral("+82-") + rest.left(2) + QLatin1Char('-') + rest.mid(2, 4) + QLatin1Char('-') + rest.mid(6);
    case 4: return QStringLiteral("0082 ") + rest;
    default: return QStringLiteral("+1-212-") + digits.mid(4, 3) + QLatin1Char('-') + digits.mid(7);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        std::fprintf(stderr, "usage: bench-callerid FILE\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("bench.mdb"));
    if (!QFile::copy(QString::fromLocal8Bit(argv[1]), copy)) {
        std::fprintf(stderr, "cannot copy the file\n");
        return 2;
    }
    auto db = dao::Database::open(copy);
    std::mt19937 rng(20);
    std::vector<QString> partyNumbers;
    {
        dao::Transaction tx(*db);
        const qint64 parties = db->scalar(QStringLiteral("SELECT COUNT(*) FROM maechul")).toLongLong();
        qint64 id = db->scalar(QStringLiteral("SELECT ifnull(MAX(id), 0) FROM maechul")).toLongLong();
        auto ins = db->prepare(QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo, tel2, tel3, tel4, tel5, tel6)"
            " VALUES (?, ?, ?, ?, '', '', '', ?, '', '', '', '')"));
        for (qint64 i = parties; i < 10000; ++i) {
            const QString mobile = QStringLiteral("010") + digitsOf(rng, 8);
            const QString office = QStringLiteral("031") + digitsOf(rng, 7);
            ins->bind(1, ++id);
            ins->bind(2, QStringLiteral("거래처%1").arg(id));
            ins->bind(3, office.left(3) + QLatin1Char('-') + office.mid(3, 3) + QLatin1Char('-') + office.mid(6));
            ins->bind(4, typedForm(mobile, int(i)));
            ins->bind(5, i % 3 == 0 ? typedForm(QStringLiteral("010") + digitsOf(rng, 8), int(i / 3)) : QString());
            ins->run();
            if (i % 50 == 0)
                partyNumbers.push_back(typedForm(mobile, int(i) + 1 + int(i / 50) % 5)); // another form
        }
        const qint64 calls = db->scalar(QStringLiteral("SELECT COUNT(*) FROM tellist")).toLongLong();
        auto call = db->prepare(QStringLiteral(
            "INSERT INTO tellist (sdate, stime, stel, cname, sdam) VALUES ('2024-03-20', '10:00:00', ?, '', '')"));
        for (qint64 i = calls; i < 100000; ++i) {
            call->bind(1, QStringLiteral("010") + digitsOf(rng, 8));
            call->run();
        }
        tx.commit();
    }
    std::vector<QString> numbers = partyNumbers;
    for (int i = 0; i < 100; ++i)
        numbers.push_back(QStringLiteral("0299") + digitsOf(rng, 6)); // nobody's
    std::shuffle(numbers.begin(), numbers.end(), rng);

    int found = 0;
    std::vector<double> rounds;
    for (int round = 0; round < 7; ++round) {
        found = 0;
        QElapsedTimer t;
        t.start();
        for (const QString& number : numbers) {
            QVariantList params;
            const QString sql = CallerLookupSql(number, params);
            auto rs = db->openRecordset(sql, dao::dbOpenSnapshot, params);
            if (ReadCaller(*rs, number).found)
                ++found;
        }
        rounds.push_back(double(t.nsecsElapsed()) / 1e6 / double(numbers.size()));
    }
    std::sort(rounds.begin(), rounds.end());
    std::printf("%d parties, %d calls stored; %d lookups a round, %d found (%d are parties' numbers)\n",
                db->scalar(QStringLiteral("SELECT COUNT(*) FROM maechul")).toInt(),
                db->scalar(QStringLiteral("SELECT COUNT(*) FROM tellist")).toInt(), int(numbers.size()), found,
                int(partyNumbers.size()));
    std::printf("lookup_ms=%.3f (best %.3f)\n", rounds[rounds.size() / 2], rounds.front());
    return 0;
}
