#pragma once

#include <QIcon>
#include <QImage>

namespace orvu::app {

// The program's icon, drawn here rather than shipped as a picture: an open
// book on a teal tile with an arrow pointing down into it. 32-bit with alpha.
QImage paint_program_icon(int size = 128);
QIcon program_icon();

}  // namespace orvu::app
