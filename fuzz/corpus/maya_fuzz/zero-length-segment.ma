//Maya ASCII 2018 scene
//Name: zero-length-segment.ma
requires maya "2018";
createNode transform -n "still";
	setAttr ".t" -type "double3" 0 0 0 ;
createNode bezierCurve -n "pauseShape" -p "still";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 3 0 no 3
		12 0 0 0 1 1 1 2 2 2 3 3 3
		10
		0 0 0
		0 0 0
		0 0 0
		0 0 0
		1 0 0
		2 0 0
		3 0 0
		4 0 0
		5 0 0
		6 0 0
		;
// End of zero-length-segment.ma
