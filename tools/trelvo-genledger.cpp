// trelvo-genledger: writes a main database that looks like a computer shop's after ten years.
//
//   trelvo-genledger [--vouchers N] --out FILE [--seed S] [--force]
//
// N defaults to 1,000,000. The file is made from the shipped script and upgraded as the
// program does at start (group names of six characters with their primary index, five
// further telephone columns per party), so the program finds nothing to upgrade in it. Parties: 2,000 sales and 300 purchase parties with
// several telephone numbers each (some numbers of different parties end in the same four
// digits); 3,000 products in 40 groups; vouchers spread over the ten years up to today, about
// 5% of them not sold yet. The same seed and day give the same file.
#include "ShippedSchema.h"
#include "ToolSupport.h"

#include "ledger/UpgradeSchema.h"
#include "platform/Database.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using tools::err;

// The schema helpers the upgrade runs report trouble in message boxes; no one is there to
// answer here, so each message goes to stderr instead and the run fails.
class SilentPrompter : public platform::Prompter {
public:
    bool spoke = false;

    int messageBox(const QString& text, const QString& title, int style) override
    {
        report(title + QStringLiteral(": ") + text);
        return (style & platform::MsgYesNo) ? platform::AnswerNo : platform::AnswerOk;
    }
    bool inputBox(const QString& prompt, const QString&, QString&) override { return report(prompt); }
    int popupMenu(const QStringList& items, const QPoint&) override
    {
        report(items.join(QLatin1Char('|')));
        return -1;
    }
    bool chooseColor(quint32&, const QString&) override { return report(QStringLiteral("colour dialog")); }
    int execModal(QDialog&) override { return report(QStringLiteral("modal window")); }
    bool startProgram(const QString& program, const QStringList&, const QString&) override { return report(program); }

private:
    bool report(const QString& what)
    {
        spoke = true;
        err() << "trelvo-genledger: " << QString(what).replace(QLatin1String("\r\n"), QLatin1String(" / ")) << Qt::endl;
        return false;
    }
};

// Brings the freshly made file to the current layout the way the program does at start, so
// the file is laid out exactly as an upgraded shipped one.
bool upgradeLayout(const QString& path)
{
    SilentPrompter prompter;
    platform::setPrompter(&prompter);
    try {
        UpgradeSchema(dao::Database::open(path).get());
    } catch (const dao::DaoError& e) {
        err() << "trelvo-genledger: " << path << ": " << e.description() << Qt::endl;
        prompter.spoke = true;
    }
    platform::setPrompter(nullptr);
    return !prompter.spoke;
}

using Rng = std::mt19937_64;

int uniform(Rng& rng, int lo, int hi) // inclusive
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}
bool chance(Rng& rng, double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
template <typename T> const T& pick(Rng& rng, const std::vector<T>& v) { return v[size_t(uniform(rng, 0, int(v.size()) - 1))]; }

// Picks 0..n-1 with a heavy head: a few regulars, a long tail.
class Skewed {
public:
    Skewed(int n, double s)
    {
        double sum = 0;
        for (int i = 1; i <= n; ++i) {
            sum += 1.0 / std::pow(i, s);
            m_cum.push_back(sum);
        }
        for (double& c : m_cum)
            c /= sum;
    }
    int operator()(Rng& rng) const
    {
        const double u = std::uniform_real_distribution<double>(0, 1)(rng);
        return int(std::lower_bound(m_cum.begin(), m_cum.end(), u) - m_cum.begin());
    }

private:
    std::vector<double> m_cum;
};

struct Place { const char* sido; const char* gugun; const char* dong; const char* zip; const char* area; };
const std::vector<Place> kPlaces = {
    {"서울특별시", "강남구", "역삼동", "135-080", "02"}, {"서울특별시", "강남구", "삼성동", "135-090", "02"},
    {"서울특별시", "강남구", "대치동", "135-280", "02"}, {"서울특별시", "서초구", "서초동", "137-070", "02"},
    {"서울특별시", "서초구", "방배동", "137-060", "02"}, {"서울특별시", "송파구", "잠실동", "138-220", "02"},
    {"서울특별시", "송파구", "가락동", "138-160", "02"}, {"서울특별시", "종로구", "인사동", "110-290", "02"},
    {"서울특별시", "중구", "충무로", "100-011", "02"}, {"서울특별시", "마포구", "서교동", "121-210", "02"},
    {"서울특별시", "마포구", "공덕동", "121-020", "02"}, {"서울특별시", "영등포구", "여의도동", "150-010", "02"},
    {"서울특별시", "영등포구", "문래동", "150-090", "02"}, {"서울특별시", "용산구", "한남동", "140-210", "02"},
    {"서울특별시", "구로구", "구로동", "152-050", "02"}, {"서울특별시", "노원구", "상계동", "139-200", "02"},
    {"부산광역시", "해운대구", "우동", "612-020", "051"}, {"부산광역시", "부산진구", "부전동", "614-030", "051"},
    {"부산광역시", "동래구", "온천동", "607-060", "051"}, {"대구광역시", "수성구", "범어동", "706-010", "053"},
    {"인천광역시", "남동구", "구월동", "405-220", "032"}, {"광주광역시", "서구", "치평동", "502-240", "062"},
    {"대전광역시", "서구", "둔산동", "302-120", "042"}, {"울산광역시", "남구", "삼산동", "680-010", "052"},
    {"경기도", "성남시 분당구", "정자동", "463-010", "031"}, {"경기도", "수원시 팔달구", "인계동", "442-070", "031"},
    {"경기도", "고양시 일산동구", "장항동", "410-380", "031"}, {"경기도", "부천시 원미구", "중동", "420-020", "032"},
    {"강원도", "춘천시", "효자동", "200-090", "033"}, {"제주특별자치도", "제주시", "연동", "690-010", "064"},
};

const std::vector<std::string> kSurnames = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임", "한", "오",
                                            "서", "신", "권", "황", "안", "송", "류", "홍"};
const std::vector<std::string> kGiven = {"민수", "서연", "지훈", "수빈", "현우", "지은", "도윤", "하은", "준호", "예린",
                                         "성민", "유진", "동현", "은지", "재원", "소영", "태호", "미경", "영수", "정희",
                                         "상철", "혜진", "경민", "주원"};
const std::vector<std::string> kWords = {"한빛", "미래", "대한", "새한", "우리", "동방", "세종", "한결", "누리", "다온",
                                         "푸른", "하나", "태성", "영진", "삼양", "금강", "백두", "한라", "신성", "대성",
                                         "광명", "제일", "동서", "나라", "으뜸", "참빛", "코리아", "유니", "에이스", "스마트"};
const std::vector<std::string> kSalesKinds = {"테크", "정보통신", "컴퓨터", "산업", "상사", "전자", "시스템", "솔루션",
                                              "디자인", "학원", "의원", "약국", "부동산", "세무회계", "건설", "인쇄",
                                              "유치원", "교회", "치과", "법무사"};
const std::vector<std::string> kBuyKinds = {"유통", "디지털", "정보", "컴퓨터", "전자", "아이티", "시스템", "상사", "통상", "물산"};
const std::vector<std::string> kMemos = {"VIP 고객", "외상거래 (월말 결제)", "세금계산서 발행", "현금영수증 요청",
                                         "출장 AS 가능 지역", "담당자 부재시 휴대폰으로", "카드결제", "법인카드 사용",
                                         "토요일 휴무", "배송 전 연락 요망"};

struct Group { const char* name; std::vector<const char*> items; std::vector<const char*> brands; int lo; int hi; };
const std::vector<Group> kGroups = {
    {"CPU", {"코어 i3", "코어 i5", "코어 i7", "라이젠 5", "라이젠 7"}, {"인텔", "AMD"}, 90000, 700000},
    {"메인보드", {"B450M", "B550", "H610M", "B660M", "Z690"}, {"ASUS", "MSI", "기가바이트", "ASRock"}, 70000, 450000},
    {"메모리", {"DDR4 8GB", "DDR4 16GB", "DDR5 16GB", "DDR5 32GB"}, {"삼성", "SK하이닉스", "마이크론"}, 25000, 180000},
    {"그래픽카드", {"GTX 1650", "RTX 3060", "RTX 4060", "RX 6600"}, {"이엠텍", "갤럭시", "MSI", "ZOTAC"}, 180000, 900000},
    {"SSD", {"250GB", "500GB", "1TB", "2TB"}, {"삼성", "WD", "마이크론", "SK하이닉스"}, 35000, 300000},
    {"HDD", {"1TB", "2TB", "4TB", "8TB"}, {"WD", "씨게이트", "도시바"}, 50000, 300000},
    {"파워", {"500W", "600W", "700W 80+", "850W 80+"}, {"마이크로닉스", "시소닉", "FSP"}, 40000, 200000},
    {"케이스", {"미들타워", "미니타워", "빅타워"}, {"앱코", "다크플래쉬", "쿨러마스터"}, 30000, 150000},
    {"쿨러", {"CPU 쿨러", "수랭 쿨러", "케이스 팬"}, {"쿨러마스터", "잘만", "딥쿨"}, 8000, 150000},
    {"모니터", {"24인치 FHD", "27인치 QHD", "32인치 4K", "22인치"}, {"LG", "삼성", "알파스캔", "한성"}, 120000, 600000},
    {"키보드", {"기계식 키보드", "무선 키보드", "USB 키보드"}, {"로지텍", "앱코", "한성", "레오폴드"}, 10000, 180000},
    {"마우스", {"유선 마우스", "무선 마우스", "게이밍 마우스"}, {"로지텍", "앱코", "MS"}, 6000, 90000},
    {"스피커", {"2채널 스피커", "블루투스 스피커"}, {"브리츠", "로지텍", "크리에이티브"}, 15000, 150000},
    {"헤드셋", {"USB 헤드셋", "게이밍 헤드셋"}, {"앱코", "로지텍", "젠하이저"}, 15000, 200000},
    {"프린터", {"레이저 프린터", "잉크젯 프린터"}, {"HP", "삼성", "캐논", "엡손"}, 90000, 500000},
    {"잉크", {"검정 잉크", "컬러 잉크", "무한잉크 리필"}, {"HP", "캐논", "엡손"}, 12000, 60000},
    {"토너", {"검정 토너", "컬러 토너", "재생 토너"}, {"HP", "삼성", "신도리코"}, 25000, 180000},
    {"복합기", {"레이저 복합기", "잉크젯 복합기"}, {"HP", "삼성", "캐논", "브라더"}, 150000, 900000},
    {"스캐너", {"평판 스캐너", "문서 스캐너"}, {"캐논", "엡손", "후지쯔"}, 90000, 600000},
    {"노트북", {"15인치 노트북", "14인치 노트북", "게이밍 노트북"}, {"LG 그램", "삼성 갤럭시북", "레노버", "ASUS"}, 600000, 2500000},
    {"태블릿", {"10인치 태블릿", "11인치 태블릿"}, {"삼성", "레노버", "애플"}, 250000, 1200000},
    {"공유기", {"유무선 공유기", "메시 공유기"}, {"ipTIME", "TP-Link", "ASUS"}, 25000, 250000},
    {"랜카드", {"기가비트 랜카드", "무선 랜카드"}, {"ipTIME", "TP-Link", "NEXT"}, 9000, 60000},
    {"허브", {"8포트 허브", "16포트 허브", "24포트 스위치"}, {"ipTIME", "NEXT", "넷기어"}, 15000, 300000},
    {"케이블", {"랜케이블 5m", "HDMI 케이블", "DP 케이블", "USB 케이블"}, {"강원전자", "NEXT", "유그린"}, 2000, 30000},
    {"USB", {"USB 32GB", "USB 64GB", "USB 128GB"}, {"삼성", "샌디스크", "메모렛"}, 6000, 40000},
    {"외장하드", {"외장하드 1TB", "외장하드 2TB", "외장 SSD 1TB"}, {"WD", "씨게이트", "삼성"}, 60000, 250000},
    {"웹캠", {"FHD 웹캠", "화상회의 카메라"}, {"로지텍", "앱코"}, 25000, 200000},
    {"마이크", {"USB 마이크", "핀 마이크"}, {"로데", "앱코", "슈어"}, 15000, 250000},
    {"UPS", {"UPS 1KVA", "UPS 2KVA"}, {"이튼", "APC"}, 150000, 900000},
    {"서버", {"랙서버", "타워서버", "NAS", "서버 메모리"}, {"델", "HP", "시놀로지"}, 50000, 3500000},
    {"소프트웨어", {"한글", "오피스", "V3", "포토샵"}, {"한컴", "MS", "안랩", "어도비"}, 30000, 700000},
    {"OS", {"윈도우 11 Home", "윈도우 11 Pro", "윈도우 10 Pro"}, {"MS"}, 150000, 350000},
    {"백신", {"1년 라이선스", "3년 라이선스"}, {"안랩", "이스트시큐리티"}, 20000, 120000},
    {"수리", {"메인보드 수리", "액정 교체", "데이터 복구", "바이러스 치료"}, {"방문", "입고"}, 10000, 300000},
    {"출장", {"출장 설치", "출장 점검", "네트워크 공사"}, {"시내", "시외"}, 20000, 200000},
    {"조립", {"사무용 PC 조립", "게이밍 PC 조립", "OS 설치"}, {"기본", "고급"}, 20000, 100000},
    {"중고", {"중고 PC", "중고 모니터", "중고 노트북"}, {"A급", "B급"}, 30000, 500000},
    {"소모품", {"A4 용지", "CD-R", "청소 키트", "마우스패드"}, {"더블에이", "밀크", "3M"}, 1000, 30000},
    {"기타", {"멀티탭", "젠더", "거치대", "보안기"}, {"벨킨", "NEXT", "앱코"}, 3000, 80000},
};

struct Party { int id; std::string name; std::string tel; };
struct Product { std::string name; int group; qint64 price; };

std::string telNumber(Rng& rng, const std::string& area)
{
    char buf[32];
    if (area == "02")
        std::snprintf(buf, sizeof buf, "02-%d-%04d", uniform(rng, 200, 999) * (chance(rng, 0.7) ? 10 : 1) + (chance(rng, 0.7) ? uniform(rng, 0, 9) : 0), uniform(rng, 0, 9999));
    else
        std::snprintf(buf, sizeof buf, "%s-%d-%04d", area.c_str(), uniform(rng, 200, 999), uniform(rng, 0, 9999));
    return buf;
}
std::string mobileNumber(Rng& rng)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "010-%04d-%04d", uniform(rng, 2000, 9999), uniform(rng, 0, 9999));
    return buf;
}
std::string suffix4(const std::string& tel) { return tel.size() >= 4 ? tel.substr(tel.size() - 4) : tel; }

class Db {
public:
    explicit Db(sqlite3* db) : m_db(db) {}
    bool exec(const char* sql)
    {
        char* msg = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
            err() << "trelvo-genledger: " << QString::fromUtf8(msg ? msg : "?") << Qt::endl;
            sqlite3_free(msg);
            return false;
        }
        return true;
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK) {
            err() << "trelvo-genledger: " << QString::fromUtf8(sqlite3_errmsg(m_db)) << Qt::endl;
            return nullptr;
        }
        return st;
    }
    bool step(sqlite3_stmt* st)
    {
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        if (rc != SQLITE_DONE) {
            err() << "trelvo-genledger: " << QString::fromUtf8(sqlite3_errmsg(m_db)) << Qt::endl;
            return false;
        }
        return true;
    }
    // Drops the indexes made by a statement on table and hands back those statements, to
    // make the indexes again after the rows are in.
    bool takeIndexes(const char* table, std::vector<std::string>& statements)
    {
        sqlite3_stmt* st = prepare("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL");
        if (!st)
            return false;
        sqlite3_bind_text(st, 1, table, -1, SQLITE_STATIC);
        std::vector<std::string> names;
        while (sqlite3_step(st) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            statements.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        }
        sqlite3_finalize(st);
        for (const std::string& name : names)
            if (!exec(("DROP INDEX \"" + name + "\"").c_str()))
                return false;
        return true;
    }

private:
    sqlite3* m_db;
};

void bindText(sqlite3_stmt* st, int i, const std::string& s) { sqlite3_bind_text(st, i, s.data(), int(s.size()), SQLITE_TRANSIENT); }

qint64 roundTo(double v, qint64 unit) { return std::max<qint64>(unit, qint64(std::llround(v / double(unit))) * unit); }
qint64 roundUpTo(double v, qint64 unit) { return std::max<qint64>(unit, qint64(std::ceil(v / double(unit))) * unit); }

struct Options { qint64 vouchers = 1000000; QString out; quint64 seed = 20240501; bool force = false; };

bool generate(const QString& path, const Options& opt)
{
    // The shipped script, brought to the current layout while the file is still empty.
    if (!tools::runScript(path, kMainSchemaSql, kMainSchemaSqlSize, "trelvo-genledger") || !upgradeLayout(path))
        return false;

    // The rows go in through SQLite directly, in one transaction without a journal.
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        err() << "trelvo-genledger: cannot open " << path << Qt::endl;
        sqlite3_close(raw);
        return false;
    }
    struct Closer { sqlite3* db; ~Closer() { sqlite3_close(db); } } closer{raw};
    dao::LockWait waitForWorkstations(raw);
    Db db(raw);
    // A million vouchers go in far faster without the indexes of their table; they are
    // made again from their own statements at the end.
    std::vector<std::string> voucherIndexes;
    if (!db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -200000;")
        || !db.exec("BEGIN") || !db.takeIndexes("total", voucherIndexes))
        return false;

    Rng rng(opt.seed);

    // Groups and products.
    sqlite3_stmt* insGroup = db.prepare("INSERT INTO group_name (name) VALUES (?)");
    sqlite3_stmt* insProduct = db.prepare("INSERT INTO product (name) VALUES (?)");
    if (!insGroup || !insProduct)
        return false;
    std::vector<Product> products;
    std::set<std::string> productNames;
    for (size_t g = 0; g < kGroups.size(); ++g) {
        bindText(insGroup, 1, kGroups[g].name);
        if (!db.step(insGroup))
            return false;
    }
    const int productCount = 3000;
    for (int i = 0; products.size() < size_t(productCount); ++i) {
        const int g = i % int(kGroups.size());
        const Group& grp = kGroups[size_t(g)];
        std::string name;
        if (std::string(grp.name) == "서버" && productNames.count("관리비") == 0) {
            name = "관리비";
        } else {
            char model[16];
            std::snprintf(model, sizeof model, "%c%c-%03d", 'A' + uniform(rng, 0, 25), 'A' + uniform(rng, 0, 25), uniform(rng, 100, 999));
            name = std::string(pick(rng, grp.brands)) + " " + pick(rng, grp.items) + " " + model;
        }
        if (!productNames.insert(name).second)
            continue;
        const double logPrice = std::log(double(grp.lo)) + (std::log(double(grp.hi)) - std::log(double(grp.lo))) * std::uniform_real_distribution<double>(0, 1)(rng);
        products.push_back({name, g, roundTo(std::exp(logPrice), 1000)});
        bindText(insProduct, 1, name);
        if (!db.step(insProduct))
            return false;
    }

    // Parties. A few numbers are deliberately given the same last four digits as another
    // party's, as happens with branches and with chance.
    std::vector<std::string> usedNumbers;
    auto makeParties = [&](const char* table, int count, bool sales, std::vector<Party>& parties) -> bool {
        const QByteArray sql = QByteArray("INSERT INTO ") + table
            + " (id, name, tel, phone, zipcode, address, memo, tel2, tel3, tel4, tel5, tel6) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)";
        sqlite3_stmt* st = db.prepare(sql.constData());
        if (!st)
            return false;
        for (int id = 1; id <= count; ++id) {
            std::string name;
            const bool person = sales && chance(rng, 0.35);
            if (person) {
                name = pick(rng, kSurnames) + pick(rng, kGiven);
            } else {
                const std::string prefix = chance(rng, 0.4) ? "(주)" : "";
                name = prefix + pick(rng, kWords) + pick(rng, sales ? kSalesKinds : kBuyKinds);
            }
            const Place& place = pick(rng, kPlaces);
            std::vector<std::string> tels;
            const int nTel = sales ? uniform(rng, 1, 4) : uniform(rng, 2, 6);
            for (int t = 0; t < nTel; ++t) {
                std::string tel = (t > 0 || person) && chance(rng, 0.3) ? mobileNumber(rng) : telNumber(rng, place.area);
                if (!usedNumbers.empty() && chance(rng, 0.05))
                    tel = tel.substr(0, tel.size() - 4) + suffix4(pick(rng, usedNumbers));
                tels.push_back(tel);
                usedNumbers.push_back(tel);
            }
            tels.resize(6);
            const std::string phone = chance(rng, 0.8) ? mobileNumber(rng) : std::string();
            char addr[200];
            std::snprintf(addr, sizeof addr, "%s %s %s %d-%d", place.sido, place.gugun, place.dong, uniform(rng, 1, 999), uniform(rng, 1, 30));
            const std::string memo = chance(rng, 0.25) ? pick(rng, kMemos) : std::string();
            sqlite3_bind_int(st, 1, id);
            bindText(st, 2, name);
            bindText(st, 3, tels[0]);
            bindText(st, 4, phone);
            bindText(st, 5, place.zip);
            bindText(st, 6, addr);
            bindText(st, 7, memo);
            for (int t = 1; t < 6; ++t)
                bindText(st, 7 + t, tels[size_t(t)]);
            if (!db.step(st))
                return false;
            parties.push_back({id, name, tels[0]});
        }
        sqlite3_finalize(st);
        return true;
    };
    std::vector<Party> salesParties, buyParties;
    if (!makeParties("maeip", 300, false, buyParties) || !makeParties("maechul", 2000, true, salesParties))
        return false;

    // Vouchers, in the order they were entered: purchase dates rise over the ten years,
    // the sale follows within days or weeks, and about one in twenty is not sold yet
    // (no sales party, amount 0, the sales date left at the purchase date).
    sqlite3_stmt* insVoucher = db.prepare(
        "INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
        " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES (?,0,?,?,?,?,?,?,?,?,?,?)");
    if (!insVoucher)
        return false;
    const QDate today = platform::today();
    const QDate first = today.addYears(-10);
    const qint64 days = first.daysTo(today) + 1;
    const Skewed pickProduct(productCount, 0.9);
    const Skewed pickSales(int(salesParties.size()), 0.8);
    const Skewed pickBuy(int(buyParties.size()), 1.0);
    // Serviced groups have no purchase side.
    auto serviceGroup = [](int g) {
        const std::string n = kGroups[size_t(g)].name;
        return n == "수리" || n == "출장" || n == "조립";
    };
    std::vector<int> order(static_cast<size_t>(productCount));
    for (int i = 0; i < productCount; ++i)
        order[size_t(i)] = i;
    std::shuffle(order.begin(), order.end(), rng); // popularity independent of the group
    for (qint64 i = 0; i < opt.vouchers; ++i) {
        const qint64 dayIndex = std::min(days - 1, i * days / std::max<qint64>(1, opt.vouchers) + (chance(rng, 0.1) ? uniform(rng, 0, 2) : 0));
        const QDate buyDate = first.addDays(dayIndex);
        const Product& p = products[size_t(order[size_t(pickProduct(rng))])];
        const bool service = serviceGroup(p.group);
        const bool unsold = chance(rng, 0.05);
        const qint64 buyCost = service ? 0 : roundTo(double(p.price) * std::uniform_real_distribution<double>(0.9, 1.1)(rng), 100);
        const Party* buyer = service ? nullptr : &buyParties[size_t(pickBuy(rng))];
        QDate sellDate = buyDate;
        qint64 sellCost = 0, useCost = 0;
        const Party* seller = nullptr;
        if (!unsold) {
            if (!chance(rng, 0.4))
                sellDate = std::min(today, buyDate.addDays(std::min(90, int(std::exponential_distribution<double>(1.0 / 7)(rng)) + 1)));
            seller = &salesParties[size_t(pickSales(rng))];
            sellCost = roundUpTo(double(service ? p.price : buyCost) * std::uniform_real_distribution<double>(1.05, 1.35)(rng), 1000);
            if (chance(rng, 0.3))
                useCost = roundTo(std::uniform_real_distribution<double>(1000, 30000)(rng), 500);
        }
        const QByteArray bd = buyDate.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        const QByteArray sd = sellDate.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        sqlite3_bind_text(insVoucher, 1, bd.constData(), bd.size(), SQLITE_TRANSIENT);
        bindText(insVoucher, 2, p.name);
        bindText(insVoucher, 3, kGroups[size_t(p.group)].name);
        sqlite3_bind_int(insVoucher, 4, buyer ? buyer->id : 0);
        bindText(insVoucher, 5, buyer ? buyer->name : std::string());
        sqlite3_bind_int64(insVoucher, 6, buyCost);
        sqlite3_bind_text(insVoucher, 7, sd.constData(), sd.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(insVoucher, 8, seller ? seller->id : 0);
        bindText(insVoucher, 9, seller ? seller->name : std::string());
        sqlite3_bind_int64(insVoucher, 10, sellCost);
        sqlite3_bind_int64(insVoucher, 11, useCost);
        if (!db.step(insVoucher))
            return false;
    }
    sqlite3_finalize(insVoucher);
    sqlite3_finalize(insGroup);
    sqlite3_finalize(insProduct);

    // A month of calls at the end.
    sqlite3_stmt* insCall = db.prepare("INSERT INTO tellist (sdate, stime, stel, cname, sdam) VALUES (?,?,?,?,?)");
    if (!insCall)
        return false;
    for (int i = 0; i < 600; ++i) {
        const QDate d = today.addDays(-29 + i * 30 / 600);
        const QByteArray ds = d.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        char ts[16];
        std::snprintf(ts, sizeof ts, "%02d:%02d:%02d", uniform(rng, 9, 18), uniform(rng, 0, 59), uniform(rng, 0, 59));
        const bool known = chance(rng, 0.7);
        const Party& party = salesParties[size_t(pickSales(rng))];
        const std::string tel = known ? party.tel : mobileNumber(rng);
        sqlite3_bind_text(insCall, 1, ds.constData(), ds.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(insCall, 2, ts, -1, SQLITE_TRANSIENT);
        bindText(insCall, 3, tel);
        bindText(insCall, 4, known ? party.name : std::string());
        bindText(insCall, 5, chance(rng, 0.8) ? pick(rng, kGiven) : std::string());
        if (!db.step(insCall))
            return false;
    }
    sqlite3_finalize(insCall);

    for (const std::string& sql : voucherIndexes)
        if (!db.exec(sql.c_str()))
            return false;
    return db.exec("COMMIT") && db.exec("PRAGMA journal_mode = DELETE");
}

void usage()
{
    err() << "usage: trelvo-genledger [--vouchers N] --out FILE [--seed S] [--force]\n"
             "  Writes a main database with N vouchers (default 1000000).\n"
             "  An existing FILE is replaced only with --force." << Qt::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options opt;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--vouchers") && hasValue)
            opt.vouchers = args[++i].toLongLong(&ok);
        else if (a == QLatin1String("--out") && hasValue)
            opt.out = args[++i];
        else if (a == QLatin1String("--seed") && hasValue)
            opt.seed = args[++i].toULongLong(&ok);
        else if (a == QLatin1String("--force"))
            opt.force = true;
        else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            usage();
            return 0;
        } else
            ok = false;
        if (!ok || opt.vouchers < 0) {
            usage();
            return 2;
        }
    }
    if (opt.out.isEmpty()) {
        usage();
        return 2;
    }
    if (QFileInfo::exists(opt.out) && !opt.force) {
        err() << "trelvo-genledger: " << opt.out << " exists; remove it or pass --force" << Qt::endl;
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const QString tmp = opt.out + QStringLiteral(".part");
    tools::removeDatabaseFile(tmp);
    if (!generate(tmp, opt)) {
        tools::removeDatabaseFile(tmp);
        return 1;
    }
    tools::removeDatabaseFile(opt.out);
    if (!QFile::rename(tmp, opt.out)) {
        err() << "trelvo-genledger: cannot move the file into place: " << opt.out << Qt::endl;
        QFile::remove(tmp);
        return 1;
    }
    tools::out() << "wrote " << opt.vouchers << " vouchers to " << QDir::toNativeSeparators(opt.out)
                        << " in " << timer.elapsed() << " ms" << Qt::endl;
    return 0;
}
