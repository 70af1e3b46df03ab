#pragma once

#include <QIcon>

namespace dax {

// The program's icon (a printed disc), for the windows and boxes.
QIcon ProgramIcon();

} // namespace dax
