// The one include for OpenGL: GLEW's declarations of every entry point.
#pragma once

#include <GL/glew.h>
