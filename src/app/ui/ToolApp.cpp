#include "app/ui/ToolApp.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "profile/AppProfile.h"
#include "base/ErrorLog.h"
#include "profile/FileLocations.h"
#include "profile/Globals.h"
#include "profile/IniProfile.h"
#include "profile/ModelRules.h"
#include "base/MessageBox.h"
#include "app/SessionBus.h"
#include "app/SystemPortDiscovery.h"
#include "profile/Version.h"
#include "app/ui/ConnectDlg.h"
#include "ui/Language.h"
#include "app/ui/MenuDlg.h"
#include "ui/QtMessageBox.h"

namespace korva::app::ui {

using namespace korva::profile;
using namespace korva::ui;

bool CToolApp::OpenErrorLog(const std::string& path) {
    MakeFolderFor(path);
    if (base::ErrorLog().OpenLog(path) == 0) {
        if (!base::ErrorLog().Problem().empty())
            std::fprintf(stderr, "korvatool: %s %s: the error log is off\n", path.c_str(),
                         base::ErrorLog().Problem().c_str());
        return false;
    }
    base::ErrorLog().Log("%s", ErrorLogFirstLine().c_str());
    return true;
}

MenuPortHooks CToolApp::PortHooks(port::CPorts& ports) {
    return {[&ports](int tool) { ports.m_CurrentTool = static_cast<uint8_t>(tool); },
            [&ports] {
                if (ports.m_bConnected) ports.ClosePort();
            }};
}

std::vector<std::string> CToolApp::SimulatedPorts() {
    const char* path = std::getenv("KORVA_SIM_PORT");
    if (path == nullptr || *path == '\0') return {};
    return {path};
}

int CToolApp::Run(int& argc, char** argv) {
    UseExistingSessionBus();  // before any library looks for the bus
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KorvaTool"));
    // The desktop entry and the installed icon share this name; from the
    // build tree the theme's printer icon stands in.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvatool.KorvaTool"));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("org.korvatool.KorvaTool"),
        QIcon::fromTheme(QStringLiteral("printer"), QApplication::style()->standardIcon(QStyle::SP_ComputerIcon))));
    base::SetProgramName("KorvaTool");
    InstallQtMessageBox();
    InstallQtTranslation(app);

    // The files live in the working directory only in portable mode
    // (FileLocations.h); nothing is printed on standard output unless asked.
    std::error_code error;
    if (std::filesystem::current_path(error).empty() && error) std::fprintf(stderr, "_getcwd error\n");
    const FileLocations files = ProgramFileLocations(base::ProgramName());
    IniProfile profile(files.profilePath);
    if (!profile.Problem().empty())
        std::fprintf(stderr, "korvatool: %s %s: not read, the built-in settings are used\n",
                     files.profilePath.c_str(), profile.Problem().c_str());
    base::Profile* previousProfile = SetAppProfile(&profile);

    SystemPortDiscovery discovery;
    port::CPorts& ports = Ports();
    port::ConnectionSettings settings = ports.Connection();
    const MenuPortHooks hooks = PortHooks(ports);

    CConnectDlg dialog(settings, discovery);
    dialog.SetExtraSerialPorts(SimulatedPorts());
    dialog.SetMenuRunner([&](QWidget* parent) {
        ports.SetConnection(settings);
        CMenuDlg menu(ports.Connection(), hooks, parent);
        return menu.exec();
    });
    if (OpenErrorLog(files.logPath)) {
        if (profile.SkippedLines() > 0)
            base::ErrorLog().Log("%s: %zu lines not read (damaged, or longer than %zu bytes)",
                                 files.profilePath.c_str(), profile.SkippedLines(), IniFile::kMaxLineBytes);
        if (!profile.GetString("DEVICELIST", std::to_string(kMaxProfileModels + 1)).empty())
            base::ErrorLog().Log("%s: models after the first %d of DEVICELIST are ignored",
                                 files.profilePath.c_str(), kMaxProfileModels);
    }
    dialog.exec();
    if (ports.m_bConnected) ports.ClosePort();

    SetAppProfile(previousProfile);
    base::ErrorLog().Close();
    return 0;
}

}  // namespace korva::app::ui
