#pragma once

// What the program does around its main window: the disclaimer at every start,
// and where the window goes on the screen.

#include <QSize>

#include "text/text.hpp"

class QWidget;

namespace orvu::app {

// The start-up notice: eight lines joined by CR LF, naming the users' chat
// group and the home page's host.
Text disclaimer_text(const Text& chat_group_number, const Text& home_page_address);
Text disclaimer_text();  // with this build's values

// Gives the window a fixed frame of the given outer size, frame included, as
// far as the frame is known; its client area never shrinks below least_client.
void fix_outer_size(QWidget& window, QSize outer, QSize least_client);

void centre_on_screen(QWidget& window);

}  // namespace orvu::app
