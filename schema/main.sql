-- Trelvo main database, in the layout of older files: group names are 50 characters without
-- an index and the party tables have one telephone column besides the mobile number. The
-- program brings the file to its current layout at start.
-- Declared types: TEXT(n) text of n characters (zero-length allowed), LONGTEXT long text,
-- LONG 32-bit number, CURRENCY 64-bit amount, INTEGER PRIMARY KEY AUTOINCREMENT a key the
-- database fills on insert. Names compare without regard to case (COLLATE NOCASE).
PRAGMA journal_mode = DELETE;
BEGIN;

-- One voucher: a purchase and, once sold, its sale.
CREATE TABLE total (
    total_id        INTEGER PRIMARY KEY AUTOINCREMENT,
    maeip_date      TEXT(10) DEFAULT '',
    pro_code        LONG DEFAULT 0,
    pro_name        TEXT(50) COLLATE NOCASE DEFAULT '',
    group_name      TEXT(50) COLLATE NOCASE DEFAULT '',
    maeip_code      LONG DEFAULT 0,
    maeip_name      TEXT(50) COLLATE NOCASE DEFAULT '',
    maeip_cost      CURRENCY DEFAULT 0,
    maechul_date    TEXT(10) DEFAULT '',
    maechul_code    LONG DEFAULT 0,
    maechul_name    TEXT(50) COLLATE NOCASE DEFAULT '',
    maechul_cost    CURRENCY DEFAULT 0,
    maechul_usecost CURRENCY DEFAULT 0
);
CREATE INDEX total_maechul_date ON total (maechul_date, total_id);
CREATE INDEX total_maechul_code ON total (maechul_code);
CREATE INDEX total_maeip_code ON total (maeip_code);
CREATE INDEX total_group_name ON total (group_name);
CREATE INDEX total_pro_name ON total (pro_name);

-- The rows of the last ledger print.
CREATE TABLE total_print (
    maeip_date      TEXT(10) DEFAULT '',
    pro_name        TEXT(50) COLLATE NOCASE DEFAULT '',
    maeip_name      TEXT(50) COLLATE NOCASE DEFAULT '',
    maeip_cost      CURRENCY DEFAULT 0,
    maechul_date    TEXT(10) DEFAULT '',
    maechul_name    TEXT(50) COLLATE NOCASE DEFAULT '',
    maechul_cost    CURRENCY DEFAULT 0,
    maechul_usecost CURRENCY DEFAULT 0,
    group_name      TEXT(50) COLLATE NOCASE DEFAULT ''
);

-- Sales parties.
CREATE TABLE maechul (
    id       LONG NOT NULL,
    name     TEXT(50) COLLATE NOCASE DEFAULT '',
    tel      TEXT(20) DEFAULT '',
    phone    TEXT(20) DEFAULT '',
    zipcode  TEXT(10) DEFAULT '',
    address  TEXT(100) DEFAULT '',
    memo     LONGTEXT DEFAULT ''
);
CREATE UNIQUE INDEX maechul_id ON maechul (id);

-- Purchase parties (the same columns).
CREATE TABLE maeip (
    id       LONG NOT NULL,
    name     TEXT(50) COLLATE NOCASE DEFAULT '',
    tel      TEXT(20) DEFAULT '',
    phone    TEXT(20) DEFAULT '',
    zipcode  TEXT(10) DEFAULT '',
    address  TEXT(100) DEFAULT '',
    memo     LONGTEXT DEFAULT ''
);
CREATE UNIQUE INDEX maeip_id ON maeip (id);

-- Product names.
CREATE TABLE product (
    name TEXT(50) COLLATE NOCASE
);

-- Product group names.
CREATE TABLE group_name (
    name TEXT(50) COLLATE NOCASE
);

-- The one user and the password (Null: none set yet).
CREATE TABLE user (
    userid TEXT(50),
    pass   TEXT(50)
);
INSERT INTO user (userid, pass) VALUES ('Trelvo', NULL);

-- Incoming calls, shared by every workstation.
CREATE TABLE tellist (
    seq   INTEGER PRIMARY KEY AUTOINCREMENT,
    sdate TEXT(10) DEFAULT '',
    stime TEXT(8) DEFAULT '',
    stel  TEXT(20) DEFAULT '',
    cname TEXT(50) COLLATE NOCASE DEFAULT '',
    sdam  TEXT(50) DEFAULT ''
);
CREATE INDEX tellist_sdate ON tellist (sdate, stime);
-- one caller's newest calls, by name and by number
CREATE INDEX tellist_cname_time ON tellist (cname, sdate, stime);
CREATE INDEX tellist_stel_time ON tellist (stel, sdate, stime);

COMMIT;
