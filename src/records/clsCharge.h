#pragma once
#include "records/clsRecordBase.h"

// A person in charge (staff who handle trades and parties): one row of Charge, on gDB.
class clsCharge : public clsRecordBase {
public:
    QString SCODE() const { return m_SCODE; }
    void SCODE(const QString& v) { m_SCODE = v; }
    QString sCName() const { return m_sCName; }
    void sCName(const QString& v) { m_sCName = v; }
    QString sSerial() const { return m_sSerial; }
    void sSerial(const QString& v) { m_sSerial = v; }
    QString sJoinDate() const { return m_sJoinDate; }
    void sJoinDate(const QString& v) { m_sJoinDate = v; }
    QString sPost() const { return m_sPost; }
    void sPost(const QString& v) { m_sPost = v; }
    QString sAddr() const { return m_sAddr; }
    void sAddr(const QString& v) { m_sAddr = v; }
    QString sTelHome() const { return m_sTelHome; }
    void sTelHome(const QString& v) { m_sTelHome = v; }
    QString sPhone() const { return m_sPhone; }
    void sPhone(const QString& v) { m_sPhone = v; }
    QString sBigo() const { return m_sBigo; }
    void sBigo(const QString& v) { m_sBigo = v; }

    void SaveCharge();
    void UpdateCharge();
    void DeleteCharge();
    // By code when ChargeCode is not empty, else every person whose name contains ChargeName
    // (a * or ? in it stays a wildcard; % and _ are matched as themselves).
    bool FindCharge(RecordsetPtr& objRec, const QString& ChargeCode = QString(),
                    const QString& ChargeName = QString());
    QString NextCode();

protected:
    dao::Database* database() const override;

private:
    QString m_SCODE, m_sCName, m_sSerial, m_sJoinDate, m_sPost, m_sAddr, m_sTelHome, m_sPhone, m_sBigo;
};
