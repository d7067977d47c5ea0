#pragma once
#include "platform/Database.h"

#include <memory>

// Database handles of the trade record classes that do not work on gDB and hold no handle
// of their own. Empty at start; the code that uses those classes points them at the
// database that holds the trade tables before the first call.
extern std::shared_ptr<dao::Database> dbNote;
extern std::shared_ptr<dao::Database> dbTax;
extern std::shared_ptr<dao::Database> dbEstimate;
extern std::shared_ptr<dao::Database> dbTradeBook;

// Day and period sums that the trade and ledger sums leave for their caller.
extern qint64 gdSumTradeKum;
extern qint64 gdSumVatKum;
extern qint64 gdSumDC;
extern qint64 gdSumSumKum;
