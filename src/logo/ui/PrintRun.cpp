#include "logo/ui/PrintRun.h"

#include <QString>

#include "logo/ui/Progress.h"
#include "ui/StepDriver.h"

namespace korva::logo::ui {

LogoPrint::Outcome RunLogoPrint(LogoPrint& engine, QWidget* parent,
                                const std::function<void(CProgress&)>& onProgressShown) {
    CProgress progress(QStringLiteral("Printing"), QStringLiteral(" "), parent);
    QObject::connect(&progress, &CProgress::cancelRequested, [&engine] { engine.Cancel(); });
    bool shown = false;

    korva::ui::StepDriver driver([&engine] { return engine.Step(); },
                      [&] {
                          const LogoPrint::State state = engine.GetState();
                          const bool printing =
                              state == LogoPrint::State::Printing || state == LogoPrint::State::Finishing;
                          if (printing && !shown) {
                              shown = true;
                              progress.SetRange(static_cast<int>(engine.Total()));
                              progress.SetPosition(0);
                              progress.open();
                              if (onProgressShown) onProgressShown(progress);
                          }
                          if (shown) {
                              progress.SetStatus(QString::fromStdString(engine.StatusText()));
                              progress.SetPosition(static_cast<int>(engine.Count()));
                          }
                      });
    driver.Run();
    if (progress.isVisible()) progress.done(QDialog::Accepted);
    return engine.GetOutcome();
}

}  // namespace korva::logo::ui
