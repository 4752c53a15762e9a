#include "config/ConfigPath.h"
#include "config/DataFolders.h"
#include "config/TIniOptions.h"
#include "core/query/NetWhoisLookup.h"
#include "ui/DesktopIdentity.h"
#include "ui/Prompts.h"
#include "ui/TfrmText.h"
#include "ui/TfrmWhoisInfo.h"
#include "ui/TfrmWhoisMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The settings object exists before any window; the main window loads Config.ini into it.
    cvt::TIniOptions IniOptions;
    QApplication application(argc, argv);
    cvt::DesktopIdentity::apply();
    cvt::QtPrompts prompts;
    cvt::MainWindowDeps deps{prompts, IniOptions, [] { return std::make_unique<cvt::NetWhoisLookup>(); },
                             cvt::ConfigPath(), "xdg-open"};
    deps.locateData = [](std::string_view name) { return cvt::dataFolderHolding(name) / name; };
    cvt::TfrmWhoisMain frmWhoisMain(std::move(deps));
    cvt::TfrmText frmText(prompts, &frmWhoisMain);
    cvt::TfrmWhoisInfo frmWhoisInfo(&frmWhoisMain);
    frmWhoisMain.setDialogs(&frmText, &frmWhoisInfo);
    frmWhoisMain.show();
    return application.exec();
}
