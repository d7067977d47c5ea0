-- Extended trade schema: the tables of the trade record classes.
-- Kept in a database file of its own: its table Product would clash with the product-name
-- list "product" of the main database (table names compare without regard to case).
-- Declared types: TEXT(n) text (zero-length allowed), LONG 32-bit, TINYINT byte,
-- BIT Boolean, BIGINT 64-bit amounts, REAL quantities and prices.

CREATE TABLE Charge (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  CName TEXT(50),
  Serial TEXT(30),
  JoinDate TEXT(10),
  Post TEXT(10),
  Addr TEXT(255),
  Tel_Home TEXT(30),
  Phone TEXT(30),
  Bigo TEXT(255)
);

CREATE TABLE PClass (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  ClassName TEXT(50),
  Used BIT NOT NULL DEFAULT 0
);

CREATE TABLE Product (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  PName TEXT(100),
  PNorm TEXT(100),
  ClassCode TEXT(20),
  PTax TINYINT,
  PPices LONG,
  BuyPrice REAL,
  SalePrice REAL,
  BaseStock REAL,
  FairStock REAL,
  Bigo TEXT(255),
  Unit TEXT(20)
);

CREATE TABLE Stock (
  PCode TEXT(20) NOT NULL PRIMARY KEY,
  PName TEXT(100),
  PNorm TEXT(100),
  ClassCode TEXT(20),
  ClassName TEXT(50),
  BaseCount REAL DEFAULT 0,
  InStock REAL DEFAULT 0,
  OutStock REAL DEFAULT 0,
  CurStock REAL DEFAULT 0,
  Modify BIT NOT NULL DEFAULT 0
);

CREATE TABLE Trader (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  C_Name TEXT(100),
  U_Name TEXT(50),
  Serial TEXT(30),
  Phone TEXT(30),
  Fax TEXT(30),
  DDD TEXT(10),
  Charge TEXT(50),
  VAT TINYINT,
  Addr1 TEXT(255),
  Addr2 TEXT(255),
  Post TEXT(10),
  Status TEXT(50),
  Item TEXT(50),
  OpenDate TEXT(10),
  CloseDate TEXT(10),
  EnterDate TEXT(10),
  Section TINYINT,
  TotNoPay BIGINT DEFAULT 0,
  Bigo TEXT(255),
  bDeled BIT NOT NULL DEFAULT 0
);

CREATE TABLE Purchase (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  PCode TEXT(20),
  PName TEXT(100),
  PNorm TEXT(100),
  DealDate TEXT(10),
  Quantity REAL,
  UnitCost REAL,
  DC BIGINT,
  VatKum BIGINT,
  TradeKum BIGINT,
  SumKum BIGINT,
  Charge TEXT(50)
);

CREATE TABLE Sale (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  PCode TEXT(20),
  PName TEXT(100),
  PNorm TEXT(100),
  DealDate TEXT(10),
  Quantity REAL,
  UnitCost REAL,
  DC BIGINT,
  VatKum BIGINT,
  TradeKum BIGINT,
  SumKum BIGINT,
  Charge TEXT(50)
);

CREATE TABLE PurchBook (
  Code TEXT(20),
  CCode TEXT(20) NOT NULL,
  CName TEXT(100),
  DealDate TEXT(10) NOT NULL,
  TradeKum BIGINT,
  DC BIGINT,
  VatKum BIGINT,
  SumKum BIGINT,
  InOutKum BIGINT,
  InOutGubun TEXT(20),
  NoteCode TEXT(20),
  UNIQUE (CCode, DealDate, Code)
);

CREATE TABLE SaleBook (
  Code TEXT(20),
  CCode TEXT(20) NOT NULL,
  CName TEXT(100),
  DealDate TEXT(10) NOT NULL,
  TradeKum BIGINT,
  DC BIGINT,
  VatKum BIGINT,
  SumKum BIGINT,
  InOutKum BIGINT,
  InOutGubun TEXT(20),
  NoteCode TEXT(20),
  UNIQUE (CCode, DealDate, Code)
);

CREATE TABLE Payment (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  CName TEXT(100),
  DealDate TEXT(10),
  TradeKum BIGINT,
  NoteCode TEXT(20),
  Section TINYINT,
  Charge TEXT(50),
  Bigo TEXT(255)
);

CREATE TABLE Deposit (
  Code TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  CName TEXT(100),
  DealDate TEXT(10),
  TradeKum BIGINT,
  NoteCode TEXT(20),
  Section TINYINT,
  Charge TEXT(50),
  Bigo TEXT(255)
);

CREATE TABLE BillNote (
  NCode TEXT(20) NOT NULL,
  CCode TEXT(20) NOT NULL,
  DealDate TEXT(10) NOT NULL,
  NSection TINYINT,
  Section TINYINT,
  Publisher TEXT(100),
  NSerial TEXT(50),
  NBCode TEXT(20),
  NoteKum BIGINT,
  IssueDate TEXT(10),
  ExpireDate TEXT(10),
  Endorser TEXT(100),
  Bigo TEXT(255),
  PRIMARY KEY (NCode, CCode, DealDate)
);

CREATE TABLE SpecialUnit (
  Code LONG NOT NULL PRIMARY KEY,
  AppDate TEXT(10),
  AppUnit REAL,
  CCode TEXT(20),
  PCode TEXT(20)
);

CREATE TABLE EstiBase (
  EstiCode TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  CName TEXT(100),
  EstiDate TEXT(10),
  DeriveDate TEXT(10),
  ClassName TEXT(50),
  EstiKum BIGINT,
  EstiHanKum TEXT(255),
  Vat BIT NOT NULL DEFAULT 0,
  Refer TEXT(255),
  Validate TEXT(100),
  Section TEXT(50)
);

CREATE TABLE Estimate (
  Seq LONG NOT NULL PRIMARY KEY,
  Code TEXT(20),
  PCode TEXT(20),
  PName TEXT(100),
  PNorm TEXT(100),
  EAmount REAL,
  EUnitPrice REAL,
  EstiKum BIGINT,
  EUnit TEXT(20)
);

-- One row per invoice line; the lines of one invoice share TaxCode.
CREATE TABLE NewAcount (
  TaxCode TEXT(20) NOT NULL,
  CCode TEXT(20),
  CName TEXT(100),
  PCode TEXT(20),
  PName TEXT(100),
  PNorm TEXT(100),
  Quantity REAL,
  UnitCost REAL,
  Tradekum BIGINT,
  VatKum BIGINT,
  SumKum BIGINT,
  DealDate TEXT(10),
  IssueDate TEXT(10),
  Item LONG
);

CREATE TABLE TaxAcount (
  Serial TEXT(20) NOT NULL PRIMARY KEY,
  CCode TEXT(20),
  DealYY TEXT(4),
  DealDate TEXT(10),
  Section TEXT(1)
);
