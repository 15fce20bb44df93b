#include "logo/ui/UploadRun.h"

#include <QString>

#include "logo/ui/Progress.h"
#include "ui/StepDriver.h"

namespace korva::logo::ui {

NvUpload::Outcome RunUpload(NvUpload& engine, QWidget* parent,
                            const std::function<void(CProgress&)>& onProgressShown) {
    CProgress progress(QStringLiteral("Uploading"), QStringLiteral("Uploading..."), parent);
    QObject::connect(&progress, &CProgress::cancelRequested, [&engine] { engine.Cancel(); });
    bool shown = false;

    korva::ui::StepDriver driver([&engine] { return engine.Step(); },
                      [&] {
                          const UploadProgress& state = engine.Progress();
                          if (state.transferring && !shown) {
                              shown = true;
                              progress.SetRange(state.range);
                              progress.open();  // modal to the sheet, without a blocking loop
                              if (onProgressShown) onProgressShown(progress);
                          }
                          if (shown) {
                              progress.SetStatus(QString::fromStdString(state.status));
                              progress.SetPosition(state.position);
                          }
                          if (!state.transferring && progress.isVisible()) progress.done(QDialog::Accepted);
                      });
    driver.Run();
    if (progress.isVisible()) progress.done(QDialog::Accepted);
    return engine.GetOutcome();
}

}  // namespace korva::logo::ui
