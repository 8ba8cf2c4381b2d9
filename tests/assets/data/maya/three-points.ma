//Maya ASCII 2018 scene
//Name: three-points.ma
requires maya "2018";
createNode transform -n "stub";
	setAttr ".t" -type "double3" 1 1 1 ;
createNode bezierCurve -n "stubShape" -p "stub";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 0 0 no 3
		5 0 0 0 1 1
		3
		0 0 0
		1 0 0
		2 0 0
		;
// End of three-points.ma
