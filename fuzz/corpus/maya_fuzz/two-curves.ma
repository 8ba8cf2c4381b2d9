//Maya ASCII 2018 scene
//Name: two-curves.ma
requires maya "2018";
createNode transform -n "pair";
	setAttr ".t" -type "double3" 10 0 0 ;
createNode bezierCurve -n "firstShape" -p "pair";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		4
		0 0 0
		0 1 0
		0 2 0
		0 3 0
		;
createNode bezierCurve -n "secondShape" -p "pair";
	setAttr -k off ".v";
	setAttr ".cc" -type "nurbsCurve" 
		3 1 0 no 3
		6 0 0 0 1 1 1
		4
		0 0 0
		0 0 2
		0 0 4
		0 0 6
		;
// End of two-curves.ma
