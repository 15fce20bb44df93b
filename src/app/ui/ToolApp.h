#pragma once
#include <string>
#include <vector>

#include "app/ui/MenuDlg.h"

namespace korva::app::ui {

/// The application: fixes where the profile and the error log live
/// (FileLocations.h), then runs the connection dialog as the main window.
/// The program ends when that dialog is cancelled.
class CToolApp {
public:
    /// Runs the whole program; the exit status.
    int Run(int& argc, char** argv);

    /// Creates the error log at `path` (its folder too) and writes its first
    /// line; false when the file cannot be created (logging then stays off;
    /// a file refused as a link or FIFO is named on standard error).
    static bool OpenErrorLog(const std::string& path);

    /// Extra serial device paths named by the environment (KORVA_SIM_PORT:
    /// the simulated printer's pty), empty when unset.
    static std::vector<std::string> SimulatedPorts();

    /// The menu's hooks into a port object: the current-tool mark and the
    /// close after the firmware tools.
    static MenuPortHooks PortHooks(port::CPorts& ports);
};

}  // namespace korva::app::ui
