-- The rows every new database starts with.

INSERT INTO Configuration (
    DatabaseVersion, DatabaseDesc, DateSystemStart, DateLastUpdate, LocationId, DefaultLink,
    NextAuctionNumber, NextAuctionNumberStep, ShowGrid, DefaultList, ListColor,
    EmailFrom, EmailCC, EmailSMTP, EmailUserId, EmailPassword, EmailSignature, EmailWrap,
    Feedback, Notes, TradeMeMemberId, TradeMeUserId, TradeMePassword, TradeMeEmail,
    BankAccountName, BankAccountNumber, DefaultFPOdays, FPOunsold, FPOsold, RelistUnsold,
    LabelTop, LabelLeft, LabelBottom, LabelRight, LabelWidth, LabelHeight,
    LabelCols, LabelRows, LabelFontSize, LabelFont)
VALUES (
    1.0002, 'My auctions', 0, 0, 'NZD', 1,
    1000, 1, 0, 1, 16777215,
    '', '', '', '', '', '', 0,
    'Great buyer, fast payment, highly recommended
Excellent trader, thank you
Smooth transaction, welcome back any time
', 'Buyer asked for tracking
Waiting for bank transfer
Buyer will pick up
Posted overnight courier
',
    '0', '', '', '',
    '', '', 3, 1, 1, 1,
    0.8, 0, 0.8, 0, 7, 3.5,
    3, 8, 10, 'Liberation Sans');

-- The task chain. Steps 1-16 are fixed by the program; 17 and 18 are e-mail kinds.
INSERT INTO "Action" (ActionId, Description, NextActionId, Days) VALUES
    (1,  'Auction ends',               2,  0),
    (2,  'Email winning bidder',       4,  3),
    (3,  'Send 3 day reminder',        15, 0),
    (4,  'Payment reminder email (1)', 5,  4),
    (5,  'Payment reminder email (2)', 6,  7),
    (6,  'Payment reminder email (3)', 8,  3),
    (7,  'Paid',                       10, 0),
    (8,  'Request a refund',           9,  5),
    (9,  'Leave negative feedback',    16, 0),
    (10, 'Payment received email',     11, 0),
    (11, 'Send item',                  12, 0),
    (12, 'Shipped confirmation email', 13, 1),
    (13, 'Leave positive feedback',    14, 2),
    (14, 'Send thank you email',       15, 0),
    (15, 'Completed',                  15, 0),
    (16, 'Relist item',                15, 0),
    (17, 'General email',              15, 0),
    (18, 'Custom email',               15, 0);

-- Site pages. Addresses are rebased onto the configured site when opened.
INSERT INTO Links (LinkId, LocationId, "Desc", URL) VALUES
    (1,  'NZD', 'TradeMe home page',      'https://www.trademe.co.nz/'),
    (2,  'NZD', 'View auction',           'https://www.trademe.co.nz/Browse/Listing.aspx?id=[AUCTIONNUMBER]'),
    (3,  'NZD', 'Login',                  'https://www.trademe.co.nz/Members/Login.aspx'),
    (4,  'NZD', 'My TradeMe',             'https://www.trademe.co.nz/MyTradeMe/Default.aspx'),
    (5,  'NZD', 'Items I am selling',     'https://www.trademe.co.nz/MyTradeMe/Selling.aspx'),
    (6,  'NZD', 'Request a refund',       'https://www.trademe.co.nz/MyTradeMe/Refund.aspx?id=[AUCTIONNUMBER]'),
    (7,  'NZD', 'Relist auction',         '[RELIST]'),
    (8,  'NZD', 'Fixed price offer',      'https://www.trademe.co.nz/MyTradeMe/FixedPriceOffer.aspx?id=[AUCTIONNUMBER]'),
    (12, 'NZD', 'Sold items',             'https://www.trademe.co.nz/MyTradeMe/Sold.aspx'),
    (13, 'NZD', 'Unsold items',           'https://www.trademe.co.nz/MyTradeMe/Sell/Unsold.aspx'),
    (14, 'NZD', 'My feedback',            '[FEEDBACK]');

INSERT INTO Item (ItemId, Description, Stocked, Relist, MaxListings, MaxListingsNoBids,
                  MaxListingsPerDay, MinDaysApart, EndDay, UseStock, Stock, StockWarning)
VALUES ('MISC', 'Miscellaneous items', 0, 0, 0, 0, 0, 0, ',', 0, 0, 0);

INSERT INTO PayMethod (PayId, Description) VALUES
    ('BANK', 'Bank deposit'),
    ('CASH', 'Cash on pick up'),
    ('CARD', 'Credit card');

INSERT INTO Email (EmailId, ItemId, ActionId, Subject, Message) VALUES
('WIN', 'MISC', 2, 'You won auction [AUCTIONNUMBER]: [AUCTIONTITLE]',
'Hi [BUYERNAME],

Congratulations on winning my auction [AUCTIONNUMBER] for [AUCTIONTITLE].

Winning bid: $[BIDVALUE]
Shipping:    $[SHIPVALUE]
Total:       $[TOTALVALUE]

Please pay by bank deposit to [BANKNAME], account [BANKNUMBER], and use the
auction number [AUCTIONNUMBER] as the reference. Let me know your delivery
address if it is not the one on the site.

[MYSIGNATURE]'),
('REMIND1', 'MISC', 4, 'Payment reminder: auction [AUCTIONNUMBER]',
'Hi [BUYERNAME],

Just a friendly reminder that payment of $[TOTALVALUE] for auction
[AUCTIONNUMBER] ([AUCTIONTITLE]) has not arrived yet.

Bank account: [BANKNAME], [BANKNUMBER]. Please use [AUCTIONNUMBER] as the reference.

[MYSIGNATURE]'),
('REMIND2', 'MISC', 5, 'Second payment reminder: auction [AUCTIONNUMBER]',
'Hi [BUYERNAME],

I have still not received payment of $[TOTALVALUE] for auction
[AUCTIONNUMBER] ([AUCTIONTITLE]). Please pay to [BANKNAME], account
[BANKNUMBER], or let me know if there is a problem.

[MYSIGNATURE]'),
('REMIND3', 'MISC', 6, 'Final payment reminder: auction [AUCTIONNUMBER]',
'Hi [BUYERNAME],

This is my final reminder about payment of $[TOTALVALUE] for auction
[AUCTIONNUMBER] ([AUCTIONTITLE]). If payment does not arrive in the next few
days I will ask TradeMe for a refund of my fees.

[MYSIGNATURE]'),
('PAID', 'MISC', 10, 'Payment received: auction [AUCTIONNUMBER]',
'Hi [BUYERNAME],

Thank you, your payment of $[TOTALVALUE] for [AUCTIONTITLE] (auction
[AUCTIONNUMBER]) has arrived. The item will be sent to:

[DELIVERYADDRESS]

[MYSIGNATURE]'),
('SHIPPED', 'MISC', 12, 'Your item is on its way: auction [AUCTIONNUMBER]',
'Hi [BUYERNAME],

[AUCTIONTITLE] (auction [AUCTIONNUMBER]) has been sent today.
Tracking number: [TRACKINGNUMBER]

[MYSIGNATURE]'),
('THANKS', 'MISC', 14, 'Thank you for your purchase',
'Hi [BUYERNAME],

Thank you for buying [AUCTIONTITLE]. I have left positive feedback for you
and hope to deal with you again. My other listings are under [MYTRADEMEUSERID].

[MYSIGNATURE]'),
('GENERAL', 'MISC', 17, 'Auction [AUCTIONNUMBER]: [AUCTIONTITLE]',
'Hi [BUYERNAME],



[MYSIGNATURE]');

-- Multi-line texts end their lines with CR LF.
UPDATE Email SET Message = replace(Message, char(10), char(13, 10));
UPDATE Configuration SET Feedback = replace(Feedback, char(10), char(13, 10)),
                         Notes = replace(Notes, char(10), char(13, 10));
