<html>
<head><title>VNTM</title></head>
<body></body>
</html>
