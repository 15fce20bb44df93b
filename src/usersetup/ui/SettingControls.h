#pragma once
// One control per user setting, bound to the dialog's settings record: a
// click or a choice updates the record at once, and ShowValues() puts the
// record back into the controls (an empty setting shows no choice).
#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

class QButtonGroup;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace korva::usersetup::ui {

/// Shown where the printer's answer was no value it takes.
inline constexpr const char* kUnknownLabel = "unknown";

/// A radio group: its box, its two buttons (first = index 0).
struct RadioRow {
    QGroupBox* box = nullptr;
    QButtonGroup* group = nullptr;
    std::array<QRadioButton*, 2> buttons{};
};

class SettingControls : public QObject {
    Q_OBJECT
  public:
    SettingControls(UserSettings& settings, const SetupLists& lists, QWidget* parent);

    /// Lays the controls out in two columns.
    void AddTo(QGridLayout* layout);
    /// Shows the record; dependent lists and edits follow the choices.
    void ShowValues();
    /// The caption after the times list follows the bell type (after a bell
    /// choice or a bell reply only).
    void RefreshTimesCaption();
    /// Enables or disables every setting control (the reserved row stays off).
    void SetAllEnabled(bool enabled);
    /// Replaces the labels by the Korean texts.
    void UseKoreanLabels();

    // The controls, for the dialog's reactions and for tests.
    RadioRow paperWidth, paperType, waterMark, cutAdjust, drawerWithCut, cutMode, selfTestDrawer,
        reserved, stopBits;
    QComboBox *columnList, *densityList, *bellList, *timesList, *codePageList, *nvGraphicList,
        *nvUserList, *speedList, *receiveBufferList;
    QSpinBox *imageNumber, *cutLines, *leftMargin;
    QLineEdit* setupCode;
    QLabel *timesCaption, *imageCaption, *linesCaption;
    QGroupBox *bellBox, *codePageBox, *nvGraphicBox, *nvUserBox, *speedBox, *marginBox,
        *receiveBufferBox, *setupCodeBox;

  signals:
    /// A radio button was clicked by the user (row, index of the button).
    void RadioClicked(RadioRow* row, int index);
    void BellTypeChanged();
    /// The NV graphic (true) or NV user (false) size was chosen.
    void NvSizeChanged(bool graphic);

  private:
    RadioRow MakeRadio(const QString& title, const char* first, const char* second, int* field);
    QComboBox* MakeList(const QString& accessibleName, int* field);
    QGroupBox* MakeBox(const QString& title);
    QSpinBox* MakeSpin(int lo, int hi, int* field);
    void ShowRadio(const RadioRow& row, int value);
    void ApplyDependents();
    /// What a control without a value shows for `number`: the printer's own
    /// number outside the list, "unknown", or nothing.
    QString AnswerText(uint8_t number) const;

    UserSettings& m_Settings;
    QWidget* m_Parent;
    bool m_Showing = false;
    bool m_Enabled = true;
};

}  // namespace korva::usersetup::ui
