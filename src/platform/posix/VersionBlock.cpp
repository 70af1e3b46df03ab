#include "platform/VersionBlock.h"

#include "daxtool_version.h"

namespace dax {

VersionBlock ReadVersionBlock() {
    VersionBlock block;
    block.present = true;
    block.fileVersion = DAXTOOL_FILE_VERSION;
    block.date = DAXTOOL_VERSION_DATE;
    block.legalCopyright = DAXTOOL_LEGAL_COPYRIGHT;
    return block;
}

} // namespace dax
