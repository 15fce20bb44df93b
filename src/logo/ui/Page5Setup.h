#pragma once
#include <string>

#include "ui/ElidedLabel.h"
#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoToolContext.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace korva::logo::ui {

/// "Setup": the options that shape conversion and sending (widest printable
/// image, black/white diverging point, gray printing, Star prefix) and the
/// file output. It publishes them to the shared logo options and checks the
/// printer on Apply.
class CPage5Setup : public LogoPage {
    Q_OBJECT
public:
    explicit CPage5Setup(LogoToolContext& context, QWidget* parent = nullptr);

    QString Caption() const override { return QStringLiteral("Setup"); }
    QString HelpTopic() const override { return QStringLiteral("Setup"); }
    void OnSetActive() override;
    bool OnKillActive() override;
    void OnApply() override;

    QCheckBox* PrintToFileBox() const { return m_PrintToFile; }
    QLineEdit* MaxAreaEdit() const { return m_MaxArea; }
    QSlider* ThresholdSlider() const { return m_Slider; }
    QLineEdit* ThresholdEdit() const { return m_Threshold; }
    QCheckBox* GrayBox() const { return m_Gray; }
    QCheckBox* StarBox() const { return m_Star; }
    korva::ui::ElidedLabel* DeviceLabel() const { return m_Device; }

    static constexpr int kMaxAreaDefault = 512;
    static constexpr int kMaxAreaKorva10 = 384;

private:
    void BuildControls();
    void ApplyLabels();
    /// Reads both numbers; false (and the range message) when one is out of range.
    bool ReadNumbers(int& maxArea, int& threshold);
    void OnPrintToFile(bool on);
    void OnGrayPrinting(bool on);
    void OnSliderMoved(int value);
    void OnThresholdEdited(const QString& text);
    void ShowDevice();
    void PublishMaxArea();
    /// The Apply check on a local port: ESC @, GS I 1 and up to 1000 ms for a reply.
    void CheckLocalPrinter();

    LogoToolContext& m_Ctx;
    bool m_Shown = false;
    std::string m_SavedPortName;

    QCheckBox* m_PrintToFile;
    QGroupBox* m_OptionGroup;
    QLabel* m_MaxAreaLabel;
    QLineEdit* m_MaxArea;
    QLabel* m_MaxAreaNote;
    QLabel* m_ThresholdLabel;
    QSlider* m_Slider;
    QLineEdit* m_Threshold;
    QCheckBox* m_Gray;
    QCheckBox* m_Star;
    QGroupBox* m_DeviceGroup;
    korva::ui::ElidedLabel* m_Device;
    QGroupBox* m_AboutGroup;
    QLabel* m_AboutText;
    QLabel* m_Brand;
    QLabel* m_Company;
};

}  // namespace korva::logo::ui
