// "Help", "About", "Developer Info" and the settings submenu's name.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/app_data.h"
#include "app/commands.h"
#include "testlib/fake_ui.h"

using namespace mw;

namespace {

class DialogRecordingUi : public mwtest::FakeUi {
public:
    void OpenDialog(DialogId dialog, int) override { dialogs.push_back(dialog); }
    std::vector<DialogId> dialogs;
};

class HelpAbout : public ::testing::Test {
protected:
    void SetUp() override {
        app.ports.ui = &ui;
        app.ports.shell = &shell;
    }
    DialogRecordingUi ui;
    mwtest::FakeShell shell;
    App app;
};

}  // namespace

TEST_F(HelpAbout, AboutShowsTheVersionTheBuildWasMadeAs) {
    ASSERT_TRUE(ExecuteCommand(app, kCmdAbout));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], std::string("MapwandererCE\n\nBeta Version ") + ProgramVersion());
    EXPECT_NE(std::string(ProgramVersion()), "unknown");
}

TEST_F(HelpAbout, HelpOpensTheProgramsOwnWindowNotTheDesktop) {
    ASSERT_TRUE(ExecuteCommand(app, kCmdHelp));
    EXPECT_EQ(ui.dialogs, std::vector<DialogId>{DialogId::Help});
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(HelpAbout, DeveloperInfoIsOneMessage) {
    app.state.display = DisplayCaps{1, -1, 2, 3, 24};
    ASSERT_TRUE(ExecuteCommand(app, kCmdDeveloperInfo));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Rastercaps 1\nNumcolors -1\nNumreserved 2\nSizepalette 3\nColorres 24");
}

TEST(Menus, SettingsSubmenuIsCalledConfiguration) {
    const MenuNode& file = MenuBar().at(0);
    ASSERT_EQ(file.text, "File");
    std::vector<std::string> submenus;
    for (const MenuNode& n : file.children)
        if (n.kind == MenuNode::Kind::Submenu) submenus.push_back(n.text);
    EXPECT_NE(std::find(submenus.begin(), submenus.end(), "Configuration"), submenus.end());
    EXPECT_EQ(std::find(submenus.begin(), submenus.end(), "Settings"), submenus.end());
}
