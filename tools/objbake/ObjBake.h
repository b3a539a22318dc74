// Turning a Wavefront OBJ into an sBakedMesh.
//
// Every shape of the file is merged into one mesh; polygons are split into
// triangles, lines and points are left out. A vertex of the result is one
// distinct (position, normal) pair of the OBJ, so faces with their own normals
// keep hard edges. Corners that carry no normal get the normal of their own
// triangle and a vertex of their own: such faces are lit flat. Normals are
// scaled to unit length (a zero normal stays zero). Texture coordinates and
// materials are not carried over.
#pragma once

#include <istream>
#include <string>

#include "tools/objbake/BakedMesh.h"

namespace objbake {

// Reads OBJ text from in. False, with a reason in error, when the text cannot
// be parsed, refers to positions or normals it does not have, or holds no
// triangle. Warnings of the parser (unknown statements) are not errors.
bool bakeObj(std::istream& in, sBakedMesh& mesh, std::string& error);

} // namespace objbake
