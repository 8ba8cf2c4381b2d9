//Maya ASCII 2018 scene
//Name: curve-at-end.ma
requires maya "2018";
createNode transform -n "cut";
createNode bezierCurve -n "cutShape" -p "cut";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		4
		0 0 0
		1 0 0
		2 0 0
		3 0 0
