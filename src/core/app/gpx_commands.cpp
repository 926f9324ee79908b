// GPX import and export.
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace mw {

CommandRows GpxCommandRows() {
    return {

    };
}

}  // namespace mw
