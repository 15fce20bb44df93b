// korvatool: the desktop service utility.
#include "app/ui/ToolApp.h"

int main(int argc, char** argv) {
    korva::app::ui::CToolApp app;
    return app.Run(argc, argv);
}
