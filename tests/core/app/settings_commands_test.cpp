#include <gtest/gtest.h>

#include "app/app.h"
#include "app/commands.h"
#include "app/moving_map.h"
#include "app/settings_commands.h"
#include "testlib/fake_ui.h"
#include "testlib/temp_dir.h"

using namespace mw;

namespace {

// Records the dialogs opened and whether the keep-alive timer ran meanwhile;
// `whileOpen` plays the user's part inside the dialog.
class DialogUi : public mwtest::FakeUi {
public:
    void OpenDialog(DialogId dialog, int parameter) override {
        opened.push_back({dialog, parameter});
        keepAliveRanWhileOpen = timers.count(kKeepAliveTimer) > 0;
        repaintsBeforeClose = repaints.size();
        if (whileOpen) whileOpen();
    }
    std::vector<std::pair<DialogId, int>> opened;
    bool keepAliveRanWhileOpen = false;
    std::size_t repaintsBeforeClose = 0;
    std::function<void()> whileOpen;
};

}  // namespace

class SettingsCommands : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.state.programFolder = home.Path();
    }
    mwtest::TempDir home;
    DialogUi ui;
    App app;
};

TEST_F(SettingsCommands, ConfirmWritesTheFileOrKeepsWhatItSays) {
    home.Write(kMainConfigFile, "Position Format,UTM\r\n");
    BeginSettingsDialog(app);
    EXPECT_EQ(app.settings.positionFormat, 2);
    AppSettings values = app.settings;
    values.speedUnit = 2;
    EXPECT_TRUE(ConfirmSettingsDialog(app, kDialogUnits, values));
    EXPECT_EQ(app.settings.speedUnit, 2);
    std::string file = home.Read(kMainConfigFile);
    EXPECT_NE(file.find("\r\nSpeed Unit,2\r\n"), std::string::npos);
    EXPECT_NE(file.find("Position Format,UTM\r\n"), std::string::npos);

    // A folder that does not exist cannot take the file: the values are
    // read back from what the file says.
    app.state.programFolder = home.Path() + "/missing/deeper";
    values.speedUnit = 1;
    EXPECT_FALSE(ConfirmSettingsDialog(app, kDialogUnits, values));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Cannot Save ini File"});
    EXPECT_EQ(app.settings.speedUnit, 0);
}
