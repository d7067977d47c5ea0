#include "records/clsNote.h"

#include "records/modRecords.h"

dao::Database* clsNote::database() const { return dbNote.get(); }

void clsNote::SaveNote()
{
    saveRecord(QStringLiteral("SELECT * FROM BillNote"),
               {{QStringLiteral("NCode"), m_sNoteCode},
                {QStringLiteral("CCode"), m_sCCode},
                {QStringLiteral("DealDate"), m_sDealDate},
                {QStringLiteral("NSection"), m_byGubun},
                {QStringLiteral("Section"), m_byNote},
                {QStringLiteral("Publisher"), m_sPurblisher},
                {QStringLiteral("NSerial"), m_sSerial},
                {QStringLiteral("NBCode"), m_sBank},
                {QStringLiteral("NoteKum"), m_lNoteKum},
                {QStringLiteral("IssueDate"), m_sIssueDate},
                {QStringLiteral("ExpireDate"), m_sExpireDate},
                {QStringLiteral("Endorser"), m_sEndorser},
                {QStringLiteral("Bigo"), m_sNoteBigo}});
}

void clsNote::UpdateNote()
{
    executeChecked(QStringLiteral("UPDATE BillNote SET CCode = ?, DealDate = ?, Publisher = ?, NSerial = ?, "
                                  "NBCode = ?, NoteKum = ?, IssueDate = ?, ExpireDate = ?, Endorser = ?, Bigo = ? "
                                  "WHERE NCode = ? AND CCode = ? AND DealDate = ?;"),
                   {m_sCCode, m_sDealDate, m_sPurblisher, m_sSerial, m_sBank, m_lNoteKum, m_sIssueDate,
                    m_sExpireDate, m_sEndorser, m_sNoteBigo, m_sNoteCode, m_sCCode, m_sDealDate},
                   QStringLiteral("어음 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsNote::DeleteNote()
{
    executeChecked(QStringLiteral("DELETE FROM BillNote WHERE NCode = ? AND CCode = ? AND DealDate = ?"),
                   {m_sNoteCode, m_sCCode, m_sDealDate},
                   QStringLiteral("어음 데이터를 삭제하는 중 오류가 발생했습니다."));
}

bool clsNote::FindNote(RecordsetPtr& objRec)
{
    return findInto(objRec, QStringLiteral("SELECT * FROM BillNote WHERE NCode = ? AND CCode = ? AND DealDate = ?"),
                    {m_sNoteCode, m_sCCode, m_sDealDate});
}
