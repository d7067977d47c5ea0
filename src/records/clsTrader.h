#pragma once
#include "records/clsRecordBase.h"

// Trading parties (table Trader) of the trade schema, on gDB.
class clsTrader : public clsRecordBase {
public:
    void SCODE(const QString& v) { m_SCODE = v; }
    void sComp(const QString& v) { m_sComp = v; }
    void sName(const QString& v) { m_sName = v; }
    void sSerial(const QString& v) { m_sSerial = v; }
    void sPhone(const QString& v) { m_sPhone = v; }
    void sFax(const QString& v) { m_sFax = v; }
    void sDDD(const QString& v) { m_sDDD = v; }
    void sCharge(const QString& v) { m_sCharge = v; }
    void byVAT(int v) { m_byVAT = v; }
    void sAddr1(const QString& v) { m_sAddr1 = v; }
    void sAddr2(const QString& v) { m_sAddr2 = v; }
    void sPost(const QString& v) { m_sPost = v; }
    void sStatus(const QString& v) { m_sStatus = v; }
    void sItem(const QString& v) { m_sItem = v; }
    void sOpenDate(const QString& v) { m_sOpenDate = v; }
    void sCloseDate(const QString& v) { m_sCloseDate = v; }
    void sEnterDate(const QString& v) { m_sEnterDate = v; }
    void bySection(int v) { m_bySection = v; }
    void dTotNoPay(qint64 v) { m_dTotNoPay = v; } // outstanding amount (whole won)
    void sBigo(const QString& v) { m_sBigo = v; }
    void bDeled(bool v) { m_bDeled = v; }

    void SaveTrader();
    void UpdateTrader();
    void Update_Charge();
    bool TraderList(RecordsetPtr& recObj);
    // By code when TraderCode is not empty, else every party whose company name, name,
    // telephone or second address line contains the corresponding text (a * or ? in a text
    // stays a wildcard; % and _ are matched as themselves).
    bool FindTrader(RecordsetPtr& objRec, const QString& TraderCode = QString(),
                    const QString& TraderComp = QString(), const QString& TraderName = QString(),
                    const QString& TraderPhone = QString(), const QString& TraderAddr = QString());
    void DeleteTrader(const QString& TraderCode);
    // VAT kind of party SCODE; 3 when there is no such party, 0 when the query failed.
    int TraderTax();
    QString NextCode();
    // Replaces the amount dOldKum by dNewKum in the outstanding amount of party SCODE
    // (one UPDATE on the stored value).
    void UpdateNoPay(qint64 dOldKum, qint64 dNewKum);
    void CreateMdb() {}
    qint64 CurTotNoPay(const QString& TraderCode);
    bool CheckField(int byGubun, const QString& sParam1);
    qint64 initNonKum();

protected:
    dao::Database* database() const override;

private:
    QString m_SCODE, m_sComp, m_sName, m_sSerial, m_sPhone, m_sFax, m_sDDD, m_sCharge;
    int m_byVAT = 0;
    QString m_sAddr1, m_sAddr2, m_sPost, m_sStatus, m_sItem, m_sOpenDate, m_sCloseDate, m_sEnterDate;
    int m_bySection = 0;
    qint64 m_dTotNoPay = 0;
    QString m_sBigo;
    bool m_bDeled = false;
};
