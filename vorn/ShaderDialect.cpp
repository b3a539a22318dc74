#include "vorn/ShaderDialect.h"

namespace vorn {

std::string shaderTextForContext(GLenum, const std::string& text)
{
    return text;
}

} // namespace vorn
