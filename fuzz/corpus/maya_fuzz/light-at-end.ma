//Maya ASCII 2018 scene
//Name: light-at-end.ma
requires maya "2018";
createNode transform -n "lastLight";
	setAttr ".t" -type "double3" 1 2 3 ;
createNode pointLight -n "lastLightShape" -p "lastLight";
	setAttr -k off ".v";
	setAttr ".cl" -type "float3" 0 0 1 ;
	setAttr ".in" 3;
