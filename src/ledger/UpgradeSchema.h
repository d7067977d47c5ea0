#pragma once
#include "platform/Database.h"

// Brings an opened main database to the layout the program expects: group names of six
// characters (with the primary index on group_name.name when that column had to change) and
// the extra telephone columns tel2..tel6 of both party tables, and the call list's indexes for
// a caller's newest calls (by name and by number). Every step is a no-op when the
// database already has it, so running it on every start changes nothing the second time.
// The schema helpers report and absorb their own failures; start-up always goes on. The steps
// the program can do without for now (text memos, the call list's indexes) never wait for
// another workstation that holds the file: they are left for a later start, without a word.
// The others wait for it as the open does, with the floating message, all together; when it
// does not let go in time, one message says so, nothing is changed and the next start does them.
void UpgradeSchema(dao::Database* db);

