// Maya ASCII 2018 scene
//Name: space-before-maya.ma
requires maya "2018";
createNode transform -n "rail";
	setAttr ".v" yes;
createNode bezierCurve -n "railShape" -p "rail";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		4
		0 0 0
		1 0 0
		2 0 0
		3 0 0
		;
// End of space-before-maya.ma
