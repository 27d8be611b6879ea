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

-- The shipped page. It posts to the maker's mail-form service; the program
-- moves the built-in maker address onto the configured one (VENDARO_MAKER_URL)
-- before filling it. Every value goes in HTML-escaped. The body goes in a
-- text area, which keeps its line breaks (posted as CR LF); the line break
-- after its opening tag is the one a browser drops, so a body that starts
-- with a blank line keeps it.
INSERT INTO emailForm (FormHTML) VALUES ('<!DOCTYPE html>
<html>
<head><meta charset="utf-8"><title>EMAILER - Sending email</title></head>
<body onload="document.forms[0].submit()">
<p>Sending email...</p>
<form method="post" action="https://www.vendaro.co.nz/mailform/send.aspx" accept-charset="utf-8">
<input type="hidden" name="from" value="[EMAIL_FROM]">
<input type="hidden" name="to" value="[EMAIL_TO]">
<input type="hidden" name="cc" value="[EMAIL_CC]">
<input type="hidden" name="subject" value="[EMAIL_SUBJECT]">
<textarea name="body" style="display:none">
[EMAIL_TEXTBODY]</textarea>
</form>
</body>
</html>
');
