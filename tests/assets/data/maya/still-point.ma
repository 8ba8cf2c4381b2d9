//Maya ASCII 2018 scene
//Name: still-point.ma
requires maya "2018";
createNode transform -n "still";
	setAttr ".t" -type "double3" 5 5 5 ;
createNode bezierCurve -n "pointShape" -p "still";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 2 0 no 3
		9 0 0 0 1 1 1 2 2 2
		7
		0 0 0
		0 0 0
		0 0 0
		0 0 0
		0 0 0
		0 0 0
		0 0 0
		;
// End of still-point.ma
