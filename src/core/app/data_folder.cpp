#include "app/data_folder.h"

namespace mw {

std::string DataFolder(const App& app) {
    return LocalDataFolder(app.settings, app.state.userHome);
}

}  // namespace mw
