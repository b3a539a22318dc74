// The shaders' text as the context that compiles them takes it. The data
// folder's shaders are GLSL 1.20 for desktop GL, which takes them as they
// are (ShaderDialect.cpp); the web build links its own version that turns
// them into what WebGL takes (web/platform/ShaderDialect.cpp). cShader
// passes every source through here right before compiling it.
#pragma once

#include <GL/glew.h>

#include <string>

namespace vorn {

std::string shaderTextForContext(GLenum stage, const std::string& text);

} // namespace vorn
