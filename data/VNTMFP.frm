<html>
<head><title>VNTMFP - Making a fixed price offer</title></head>
<body onload="document.forms[0].submit()">
<p>Making a fixed price offer on TradeMe...</p>
<form method="post" action="https://www.trademe.co.nz/MyTradeMe/MakeAnOffer.aspx">
<input type="hidden" name="auction_id" value="[AUCTIONNUMBER]">
[OFFERRECIPIENTS]
<input type="hidden" name="hasbidders" value="1">
<input type="hidden" name="offer_price" value="[OFFERPRICE]">
<input type="hidden" name="duration" value="[DAYSVALID]">
</form>
</body>
</html>
