//Maya ASCII 2018 scene
createNode bezierCurve -n "s";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		2000000000 0 0 0
		1 1 1
4
0 0 0
1 0 0
2 0 0
3 0 0
;
