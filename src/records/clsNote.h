#pragma once
#include "records/clsRecordBase.h"

// One promissory note of a trading party (table BillNote) on dbNote. A note is known by its
// code, its party and its deal date together.
class clsNote : public clsRecordBase {
public:
    void byGubun(int v) { m_byGubun = v; }
    void sCCode(const QString& v) { m_sCCode = v; }
    void sDealDate(const QString& v) { m_sDealDate = v; }
    void byNote(int v) { m_byNote = v; }
    void sNoteCode(const QString& v) { m_sNoteCode = v; }
    void sPurblisher(const QString& v) { m_sPurblisher = v; }
    void sSerial(const QString& v) { m_sSerial = v; }
    void sBank(const QString& v) { m_sBank = v; }
    void lNoteKum(qint64 v) { m_lNoteKum = v; }
    void sIssueDate(const QString& v) { m_sIssueDate = v; }
    void sExpireDate(const QString& v) { m_sExpireDate = v; }
    void sEndorser(const QString& v) { m_sEndorser = v; }
    void sNoteBigo(const QString& v) { m_sNoteBigo = v; }

    void SaveNote();
    // Rewrites the note with the members' key; its side and kind stay as saved.
    void UpdateNote();
    void DeleteNote();
    bool FindNote(RecordsetPtr& objRec);

protected:
    dao::Database* database() const override;

private:
    int m_byGubun = 0;
    QString m_sCCode, m_sDealDate;
    int m_byNote = 0;
    QString m_sNoteCode, m_sPurblisher, m_sSerial, m_sBank;
    qint64 m_lNoteKum = 0;
    QString m_sIssueDate, m_sExpireDate, m_sEndorser, m_sNoteBigo;
};
