// The data folder's GLSL 1.20 as WebGL 1 takes it (GLSL ES 1.00 under the
// GL emulation, which supplies the fixed-function built-ins): no #version
// line, "flat" (a reserved word there) renamed, high float precision in the
// fragment stage, and the derivative functions switched on where used.
#include "vorn/ShaderDialect.h"

#include <regex>
#include <sstream>

namespace vorn {

std::string shaderTextForContext(GLenum stage, const std::string& text)
{
    // A stage made of several files has a #version line from each.
    std::istringstream lines(text);
    std::string body;
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find_first_not_of(" \t");
        body += first != std::string::npos && line.compare(first, 8, "#version") == 0 ? "" : line;
        body += '\n';
    }
    body = std::regex_replace(body, std::regex("\\bflat\\b"), "flat_");
    std::string header;
    if (stage == GL_FRAGMENT_SHADER) {
        if (std::regex_search(body, std::regex("\\b(dFdx|dFdy|fwidth)\\b")))
            header += "#extension GL_OES_standard_derivatives : enable\n";
        header += "precision highp float;\n";
    }
    return header + body;
}

} // namespace vorn
