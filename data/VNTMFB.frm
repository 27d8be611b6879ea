<html>
<head><title>VNTMFB - Placing feedback</title></head>
<body onload="document.forms[0].submit()">
<p>Placing feedback on TradeMe...</p>
<form method="post" action="https://www.trademe.co.nz/MyTradeMe/Feedback/Place.aspx">
<input type="hidden" name="memberid" value="[MEMBERID]">
<input type="hidden" name="auctionid" value="[AUCTIONNUMBER]">
<input type="hidden" name="rating" value="positive">
<input type="hidden" name="feedback" value="[FEEDBACK]">
<input type="hidden" name="time" value="[TIME]">
<input type="hidden" name="role" value="[OTHERMEMBERROLE]">
</form>
</body>
</html>
