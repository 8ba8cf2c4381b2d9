//Maya ASCII 2018 scene
//Name: Light1.ma
//Last modified: Sun, Mar 03, 2019 11:20:02 PM
//Codeset: 1252
requires maya "2018";
currentUnit -l centimeter -a degree -t film;
fileInfo "application" "maya";
fileInfo "product" "Maya 2018";
createNode transform -n "keyLight";
	setAttr ".t" -type "double3" 3.5 6 -2.25 ;
	setAttr ".r" -type "double3" 0 45 0 ;
	setAttr ".s" -type "double3" 4 4 4 ;
createNode pointLight -n "keyLightShape" -p "keyLight";
	setAttr -k off ".v";
	setAttr ".cl" -type "float3" 1 0.80000001 0.5 ;
	setAttr ".in" 2.5;
createNode lightLinker -s -n "lightLinker1";
	setAttr -s 3 ".lnk";
	setAttr -s 3 ".slnk";
select -ne :time1;
	setAttr ".o" 1;
	setAttr ".unw" 1;
select -ne :defaultLightSet;
	setAttr -s 1 ".dsm";
// End of Light1.ma
