-- The outbox database emailer.mdb: e-mails the main program has queued for
-- the Emailer program, and the page Emailer fills to post each one.

-- One row per e-mail waiting to be sent. Emailer deletes a row by AutoId once
-- it is sent; AUTOINCREMENT never hands a deleted row's number to a new one.
CREATE TABLE outbox (
    AutoId   INTEGER PRIMARY KEY AUTOINCREMENT,
    "From"   TEXT COLLATE NOCASE DEFAULT '',
    "To"     TEXT COLLATE NOCASE DEFAULT '',
    CC       TEXT COLLATE NOCASE DEFAULT '',
    Subject  TEXT COLLATE NOCASE DEFAULT '',
    TextBody TEXT COLLATE NOCASE DEFAULT ''
);

-- The mail-form page template (one row): an HTML form carrying the codes
-- [EMAIL_FROM], [EMAIL_TO], [EMAIL_CC], [EMAIL_SUBJECT] and [EMAIL_TEXTBODY].
CREATE TABLE emailForm (
    FormHTML TEXT
);
