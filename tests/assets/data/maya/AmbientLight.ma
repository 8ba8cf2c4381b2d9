//Maya ASCII 2018 scene
//Name: AmbientLight.ma
//Last modified: Sun, Mar 03, 2019 11:24:51 PM
//Codeset: 1252
requires maya "2018";
currentUnit -l centimeter -a degree -t film;
fileInfo "application" "maya";
createNode transform -n "fillLight";
	setAttr ".t" -type "double3" 0 10 0 ;
createNode ambientLight -n "fillLightShape" -p "fillLight";
	setAttr -k off ".v";
	setAttr ".cl" -type "float3" 0.2 0.25 0.30000001 ;
	setAttr ".in" 0.60000002;
createNode lightLinker -s -n "lightLinker1";
	setAttr -s 3 ".lnk";
	setAttr -s 3 ".slnk";
// End of AmbientLight.ma
