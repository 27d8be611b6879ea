<html>
<head><title>VNTMLI - Logging in to TradeMe</title></head>
<body onload="document.forms[0].submit()">
<p>Logging in to TradeMe...</p>
<form method="post" action="https://www.trademe.co.nz/Members/Login.aspx">
<input type="hidden" name="email" value="[USERID]">
<input type="hidden" name="password" value="[PASSWORD]">
</form>
</body>
</html>
