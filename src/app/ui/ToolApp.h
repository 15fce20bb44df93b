#pragma once
#include <string>
#include <vector>

#include "app/ui/MenuDlg.h"

namespace korva::app::ui {

/// The application: fixes the profile and the error log in the working
/// directory, then runs the connection dialog as the main window. The
/// program ends when that dialog is cancelled.
class CToolApp {
public:
    /// Runs the whole program; the exit status.
    int Run(int& argc, char** argv);

    /// Creates "error.log" in `directory` and writes its first line; false
    /// when the file cannot be created (logging then stays off).
    static bool OpenErrorLog(const std::string& directory);

    /// Extra serial device paths named by the environment (KORVA_SIM_PORT:
    /// the simulated printer's pty), empty when unset.
    static std::vector<std::string> SimulatedPorts();

    /// The menu's hooks into a port object: the current-tool mark and the
    /// close after the firmware tools.
    static MenuPortHooks PortHooks(port::CPorts& ports);
};

}  // namespace korva::app::ui
