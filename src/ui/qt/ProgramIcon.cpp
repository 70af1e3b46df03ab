#include "ui/qt/ProgramIcon.h"

#include "resources/daxtool.xpm"

#include <QPixmap>

namespace dax {

QIcon ProgramIcon() {
    return QIcon(QPixmap(daxtool_xpm));
}

} // namespace dax
