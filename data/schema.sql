-- The seller's database. Text compares without regard to case; dates are OLE
-- serial days ("REAL DATE", 0 = 1899-12-30 00:00 local time); Yes/No columns
-- ("INTEGER YESNO") hold 1/0. The second word of a type tells the program what
-- a column means where the storage type alone does not.

CREATE TABLE Configuration (
    DatabaseVersion       REAL NOT NULL DEFAULT 1.0002,
    DatabaseDesc          TEXT COLLATE NOCASE,
    DateSystemStart       REAL DATE DEFAULT 0,
    DateLastUpdate        REAL DATE DEFAULT 0,
    LocationId            TEXT COLLATE NOCASE DEFAULT 'NZD',
    DefaultLink           INTEGER DEFAULT 1,
    NextAuctionNumber     INTEGER DEFAULT 1000,
    NextAuctionNumberStep INTEGER DEFAULT 1,
    ShowGrid              INTEGER YESNO DEFAULT 0,
    DefaultList           INTEGER YESNO DEFAULT 1,
    ListColor             REAL DEFAULT 16777215,
    EmailFrom             TEXT COLLATE NOCASE,
    EmailCC               TEXT COLLATE NOCASE,
    EmailSMTP             TEXT COLLATE NOCASE,
    EmailUserId           TEXT COLLATE NOCASE,
    EmailPassword         TEXT COLLATE NOCASE,
    EmailSignature        TEXT COLLATE NOCASE,
    EmailWrap             INTEGER DEFAULT 0,
    Feedback              TEXT COLLATE NOCASE,
    Notes                 TEXT COLLATE NOCASE,
    TradeMeMemberId       TEXT COLLATE NOCASE DEFAULT '0',
    TradeMeUserId         TEXT COLLATE NOCASE,
    TradeMePassword       TEXT COLLATE NOCASE,
    TradeMeEmail          TEXT COLLATE NOCASE,
    BankAccountName       TEXT COLLATE NOCASE,
    BankAccountNumber     TEXT COLLATE NOCASE,
    DefaultFPOdays        INTEGER DEFAULT 3,
    FPOunsold             INTEGER YESNO DEFAULT 1,
    FPOsold               INTEGER YESNO DEFAULT 1,
    RelistUnsold          INTEGER YESNO DEFAULT 1,
    -- Label sheet layout: centimetres, counts and points.
    LabelTop              REAL DEFAULT 0.8,
    LabelLeft             REAL DEFAULT 0,
    LabelBottom           REAL DEFAULT 0.8,
    LabelRight            REAL DEFAULT 0,
    LabelWidth            REAL DEFAULT 7,
    LabelHeight           REAL DEFAULT 3.5,
    LabelCols             INTEGER DEFAULT 3,
    LabelRows             INTEGER DEFAULT 8,
    LabelFontSize         INTEGER DEFAULT 10,
    LabelFont             TEXT COLLATE NOCASE DEFAULT 'Liberation Sans'
);

CREATE TABLE "Action" (
    ActionId     INTEGER PRIMARY KEY,
    Description  TEXT COLLATE NOCASE,
    NextActionId INTEGER,
    Days         INTEGER DEFAULT 0
);

CREATE TABLE Links (
    LinkId     INTEGER PRIMARY KEY,
    LocationId TEXT COLLATE NOCASE,
    "Desc"     TEXT COLLATE NOCASE,
    URL        TEXT COLLATE NOCASE
);

CREATE TABLE Auction (
    AuctionId         TEXT COLLATE NOCASE PRIMARY KEY,
    AuctionType       TEXT COLLATE NOCASE,
    ItemId            TEXT COLLATE NOCASE,
    Description       TEXT COLLATE NOCASE,
    dateStart         REAL DATE,
    CustomerId        TEXT COLLATE NOCASE,
    Winningbid        REAL DEFAULT 0,
    Shipping          REAL DEFAULT 0,
    StartPrice        REAL DEFAULT 0,
    ReservePrice      REAL DEFAULT 0,
    MaxBidAmount      REAL DEFAULT 0,
    BuyNowPrice       REAL,
    PayId             TEXT COLLATE NOCASE,
    datePaid          REAL DATE,
    dateSent          REAL DATE,
    DateEnded         REAL DATE,
    dateNextAction    REAL DATE,
    ActionId          INTEGER DEFAULT 1,
    Notes             TEXT COLLATE NOCASE,
    DeliveryAddress   TEXT COLLATE NOCASE,
    TrackingNumber    TEXT COLLATE NOCASE DEFAULT '',
    NonAuction        INTEGER YESNO DEFAULT 0,
    Bold              INTEGER YESNO DEFAULT 0,
    Highlight         INTEGER YESNO DEFAULT 0,
    FixedPriceOffered INTEGER YESNO DEFAULT 0,
    HasBids           INTEGER YESNO DEFAULT 0,
    ExtraFeatures     TEXT COLLATE NOCASE,
    DurationFixed     INTEGER YESNO DEFAULT 1,
    DurationDays      INTEGER DEFAULT 0,
    DurationTime      REAL DATE DEFAULT 0
);
CREATE INDEX AuctionTask ON Auction (ActionId, dateNextAction);
CREATE INDEX AuctionCustomer ON Auction (CustomerId);
CREATE INDEX AuctionItemTitle ON Auction (ItemId, Description);
CREATE INDEX AuctionTitle ON Auction (Description);
CREATE INDEX AuctionStart ON Auction (dateStart);
CREATE INDEX AuctionPayMethod ON Auction (PayId);

CREATE TABLE Customer (
    CustomerId TEXT COLLATE NOCASE PRIMARY KEY,
    Name       TEXT COLLATE NOCASE,
    Email      TEXT COLLATE NOCASE,
    EmailCC    TEXT COLLATE NOCASE,
    Address    TEXT COLLATE NOCASE,
    Comment    TEXT COLLATE NOCASE,
    DontEmail  INTEGER YESNO DEFAULT 0
);
CREATE INDEX CustomerEmail ON Customer (Email);
CREATE INDEX CustomerName ON Customer (Name);

CREATE TABLE PayMethod (
    PayId       TEXT COLLATE NOCASE PRIMARY KEY,
    Description TEXT COLLATE NOCASE
);

CREATE TABLE Email (
    EmailId  TEXT COLLATE NOCASE PRIMARY KEY,
    ItemId   TEXT COLLATE NOCASE,
    ActionId INTEGER,
    Subject  TEXT COLLATE NOCASE,
    Message  TEXT COLLATE NOCASE
);
CREATE INDEX EmailItemKind ON Email (ItemId, ActionId);
CREATE INDEX EmailKind ON Email (ActionId);

CREATE TABLE Item (
    ItemId            TEXT COLLATE NOCASE PRIMARY KEY,
    Description       TEXT COLLATE NOCASE,
    Stocked           INTEGER YESNO DEFAULT 0,
    Relist            INTEGER YESNO DEFAULT 0,
    MaxListings       INTEGER DEFAULT 0,
    MaxListingsNoBids INTEGER DEFAULT 0,
    MaxListingsPerDay INTEGER DEFAULT 0,
    MinDaysApart      INTEGER DEFAULT 0,
    EndDay            TEXT COLLATE NOCASE DEFAULT ',',
    UseStock          INTEGER YESNO DEFAULT 0,
    Stock             INTEGER DEFAULT 0,
    StockWarning      INTEGER DEFAULT 0
);
CREATE INDEX ItemDescription ON Item (Description);

CREATE TABLE ItemDetail (
    AutoId            INTEGER PRIMARY KEY AUTOINCREMENT,
    ItemId            TEXT COLLATE NOCASE,
    Title             TEXT COLLATE NOCASE,
    EndDay            TEXT COLLATE NOCASE DEFAULT ',',
    MaxListings       INTEGER DEFAULT 0,
    MaxListingsNoBids INTEGER DEFAULT 0,
    MaxListingsPerDay INTEGER DEFAULT 0,
    MinDaysApart      INTEGER DEFAULT 0,
    UseStock          INTEGER YESNO DEFAULT 0,
    Stock             INTEGER DEFAULT 0,
    StockWarning      INTEGER DEFAULT 0,
    DurationFixed     INTEGER YESNO DEFAULT 1,
    DurationDays      INTEGER DEFAULT 7,
    DurationTime      REAL DATE DEFAULT 0
);
CREATE INDEX ItemDetailItem ON ItemDetail (ItemId);
CREATE INDEX ItemDetailTitle ON ItemDetail (Title);

CREATE TABLE History (
    Autonumber  INTEGER PRIMARY KEY AUTOINCREMENT,
    AuctionId   TEXT COLLATE NOCASE,
    "Date"      REAL DATE,
    Description TEXT COLLATE NOCASE,
    Changed     TEXT COLLATE NOCASE
);
CREATE INDEX HistoryAuction ON History (AuctionId, "Date");
CREATE INDEX HistoryDate ON History ("Date");
