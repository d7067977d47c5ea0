#include "records/modRecords.h"

std::shared_ptr<dao::Database> dbNote;
std::shared_ptr<dao::Database> dbTax;
std::shared_ptr<dao::Database> dbEstimate;
std::shared_ptr<dao::Database> dbTradeBook;

qint64 gdSumTradeKum = 0;
qint64 gdSumVatKum = 0;
qint64 gdSumDC = 0;
qint64 gdSumSumKum = 0;
