//Maya ASCII 2018 scene
createNode bezierCurve -n "s";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		2147483647
0 0 0
1 0 0
;
