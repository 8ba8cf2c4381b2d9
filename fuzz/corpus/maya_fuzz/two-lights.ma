//Maya ASCII 2018 scene
createNode transform -n "a";
	setAttr ".t" -type "double3" 1 2 3 ;
createNode pointLight -n "l" -p "t";
	setAttr -k off ".v";
	setAttr ".in" 2;
createNode transform -n "b";
	setAttr ".t" -type "double3" 4 5 6 ;
createNode pointLight -n "l" -p "t";
	setAttr -k off ".v";
	setAttr ".in" 2;
createNode lightLinker -s -n "lightLinker1";
	setAttr -s 2 ".lnk";
