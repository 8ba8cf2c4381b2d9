#include "tools/content/maya.h"

#include "tools/content/output.h"

#include <sstream>

namespace tessaly::content {

namespace {

std::string numbers(glm::vec3 v) {
  return formatNumber(v.x) + " " + formatNumber(v.y) + " " + formatNumber(v.z);
}

void header(std::ostringstream& out, const std::string& fileName) {
  out << "//Maya ASCII 2008 scene\n"
      << "//Name: " << fileName << "\n"
      << "//Codeset: UTF-8\n"
      << "requires maya \"2008\";\n"
      << "currentUnit -l centimeter -a degree -t film;\n"
      << "fileInfo \"application\" \"maya\";\n"
      << "fileInfo \"product\" \"Tessaly stand-in production (tessaly-content), CC0\";\n";
}

void footer(std::ostringstream& out, const std::string& fileName) {
  out << "select -ne :time1;\n"
      << "\tsetAttr \".o\" 1;\n"
      << "// End of " << fileName << "\n";
}

}  // namespace

std::string mayaCurveFile(const MayaCurve& curve) {
  std::ostringstream out;
  header(out, curve.fileName);
  const std::size_t count = curve.controlPoints.size();
  const std::size_t spans = (count - 1) / 3;
  out << "createNode transform -n \"" << curve.nodeName << "\";\n"
      << "\tsetAttr \".t\" -type \"double3\" " << numbers(curve.translate) << " ;\n"
      << "\tsetAttr \".r\" -type \"double3\" " << numbers(curve.rotate) << " ;\n"
      << "\tsetAttr \".s\" -type \"double3\" " << numbers(curve.scale) << " ;\n"
      << "createNode bezierCurve -n \"" << curve.nodeName << "Shape\" -p \"" << curve.nodeName
      << "\";\n"
      << "\tsetAttr -k off \".v\";\n"
      << "\tsetAttr \".cc\" -type \"nurbsCurve\" \n"
      // Degree, spans, form (open), rational, dimension.
      << "\t\t3 " << spans << " 0 no 3\n";
  // Knots of a Bezier chain: each span boundary three times.
  out << "\t\t" << 3 * spans + 3;
  for (std::size_t k = 0; k <= spans; ++k) {
    out << " " << k << " " << k << " " << k;
  }
  out << "\n\t\t" << count << "\n";
  for (const glm::vec3& p : curve.controlPoints) {
    out << "\t\t" << numbers(p) << "\n";
  }
  out << "\t\t;\n";
  footer(out, curve.fileName);
  return out.str();
}

std::string mayaPointLightFile(const MayaPointLight& light) {
  std::ostringstream out;
  header(out, light.fileName);
  out << "createNode transform -n \"" << light.nodeName << "\";\n"
      << "\tsetAttr \".t\" -type \"double3\" " << numbers(light.position) << " ;\n"
      << "createNode pointLight -n \"" << light.nodeName << "Shape\" -p \"" << light.nodeName
      << "\";\n"
      << "\tsetAttr -k off \".v\";\n"
      << "\tsetAttr \".cl\" -type \"float3\" " << numbers(light.colour) << " ;\n"
      << "\tsetAttr \".in\" " << formatNumber(light.intensity) << ";\n"
      << "\tsetAttr \".urs\" no;\n"
      << "createNode lightLinker -s -n \"lightLinker1\";\n";
  footer(out, light.fileName);
  return out.str();
}

std::string mayaAmbientLightFile(const std::string& fileName, glm::vec3 colour, float intensity) {
  std::ostringstream out;
  header(out, fileName);
  out << "createNode transform -n \"ambientLight1\";\n"
      << "\tsetAttr \".t\" -type \"double3\" 0 12 0 ;\n"
      << "createNode ambientLight -n \"ambientLightShape1\" -p \"ambientLight1\";\n"
      << "\tsetAttr -k off \".v\";\n"
      << "\tsetAttr \".cl\" -type \"float3\" " << numbers(colour) << " ;\n"
      << "\tsetAttr \".in\" " << formatNumber(intensity) << ";\n"
      << "\tsetAttr \".as\" 0.45;\n"
      << "createNode lightLinker -s -n \"lightLinker1\";\n";
  footer(out, fileName);
  return out.str();
}

}  // namespace tessaly::content
