//Maya ASCII 2018 scene
//Name: unit-scale.ma
requires maya "2018";
createNode transform -n "flat";
	setAttr ".s" -type "double3" 1 1 1 ;
createNode bezierCurve -n "flatShape" -p "flat";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		4
		0 0 0
		1 2 0
		2 2 1
		3 0 1
		;
// End of unit-scale.ma
