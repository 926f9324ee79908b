// "Name Search".
// Rows with an empty handler are not built yet: their menu items are shown
// disabled.
#include "app/app.h"
#include "app/command_table.h"
#include "app/commands.h"

namespace mw {

CommandRows NameCommandRows() {
    return {
        {kCmdNameSearch, "Name Search", CommandKind::Action, {}, {}, {}},
    };
}

}  // namespace mw
