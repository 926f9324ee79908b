// mwtool config show|defaults, datum list|find: the settings files and the
// datum table exactly as the program reads them from the application home.
#include <iostream>

#include "cli/mwtool.h"
#include "config/settings.h"
#include "geo/datums.h"
#include "support/paths.h"
#include "support/text.h"

namespace {

int ConfigShow(mwtool::Args& args) {
    if (!args.words.empty()) return mwtool::UsageError("config show takes no arguments");
    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    mw::AppSettings settings;
    mw::ReadConfiguration(args.home, datums, settings);
    mw::ViewSettings view;
    mw::ReadViewSettings(args.home, view);
    const auto& keys = mw::AppSettingKeys();
    for (int i = 0; i < mw::kAppSettingsKeyCount; ++i)
        std::cout << keys[i].key << "=" << mw::FormatAppSetting(settings, datums, i) << "\n";
    for (const mw::ViewSettingKey& k : mw::ViewSettingKeys())
        std::cout << k.key << "=" << view.*k.field << "\n";
    return 0;
}

int ConfigDefaults(mwtool::Args& args) {
    if (!args.words.empty()) return mwtool::UsageError("config defaults takes no arguments");
    if (!mw::MakeFolders(args.home)) {
        std::cerr << "mwtool: cannot create " << args.home << "\n";
        return 1;
    }
    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    mw::AppSettings settings;
    mw::ViewSettings view;
    if (const mw::WriteOutcome saved = mw::WriteConfiguration(args.home, datums, settings); !saved) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kCannotSaveIniText, saved) << "\n";
        return 1;
    }
    if (const mw::WriteOutcome saved = mw::SaveViewSettings(args.home, view); !saved) {
        std::cerr << "mwtool: " << mw::WriteFailureText(mw::kCannotSaveViewIniText, saved) << "\n";
        return 1;
    }
    std::cout << mw::JoinPath(args.home, mw::kMainConfigFile) << "\n"
              << mw::JoinPath(args.home, mw::kViewConfigFile) << "\n";
    return 0;
}

int Config(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("config needs show or defaults");
    std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    if (auto opt = args.UnknownOption()) return mwtool::UsageError("unknown option " + *opt);
    if (sub == "show") return ConfigShow(args);
    if (sub == "defaults") return ConfigDefaults(args);
    return mwtool::UsageError("unknown config command '" + sub + "'");
}

int Datum(mwtool::Args& args) {
    if (args.words.empty()) return mwtool::UsageError("datum needs list or find");
    std::string sub = args.words[0];
    args.words.erase(args.words.begin());
    mw::DatumTable datums = mwtool::LoadDatums(args.home);
    if (sub == "list") {
        if (!args.words.empty()) return mwtool::UsageError("datum list takes no arguments");
        for (int i = 0; i < datums.datumCount; ++i) {
            const mw::DatumRecord& r = datums.rows[i];
            std::cout << mw::Format("%d,%s,%d,%d,%d,%d\n", i, r.name.c_str(), r.ellipsoid, r.dx,
                                    r.dy, r.dz);
        }
        return 0;
    }
    if (sub == "find") {
        if (args.words.empty()) return mwtool::UsageError("datum find needs a NAME");
        // A name with spaces may come as several words.
        std::string name;
        for (const auto& w : args.words) name += (name.empty() ? "" : " ") + w;
        std::cout << mw::FindDatumByName(datums, name) << "\n";
        return 0;
    }
    return mwtool::UsageError("unknown datum command '" + sub + "'");
}

}  // namespace

MW_COMMAND("config", "config show|defaults [--home DIR]", Config);
MW_COMMAND("datum", "datum list | datum find NAME [--home DIR]", Datum);
