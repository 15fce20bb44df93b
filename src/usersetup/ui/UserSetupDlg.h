#pragma once
// "KorvaTool : User Setup": reads the printer's user settings, lets the user
// edit them, writes them back, prints the test page or restores the factory
// values. The traffic is the exchange's; this dialog shows and edits.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "base/MessageBox.h"
#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"
#include "usersetup/UserSetupExchange.h"

class QLabel;
class QPushButton;

namespace korva::ui {
class StepDriver;
}

namespace korva::usersetup::ui {

class SettingControls;
struct RadioRow;

struct UserSetupContext {
    SetupEndpoints endpoints;
    SetupLists lists;
    std::string modelText;  ///< the connection label of the tool menu
};

class CUserSetup : public QDialog {
    Q_OBJECT
  public:
    explicit CUserSetup(UserSetupContext context, QWidget* parent = nullptr);
    ~CUserSetup() override;

    /// Opens the connection on a worker while the window keeps turning; false
    /// (after the message) when the dialog must not be shown.
    bool Connect();

    SettingControls& Controls() { return *m_Controls; }
    const UserSettings& Settings() const { return m_Settings; }
    UserSetupExchange& Exchange() { return *m_Exchange; }
    bool Failed() const { return m_Failed; }
    bool StopBitsMarked() const { return m_StopBitsChanged; }
    bool Busy() const { return m_Busy; }
    QPushButton* GetValueButton() const { return m_GetValue; }
    QPushButton* SetValueButton() const { return m_SetValue; }
    QPushButton* TestButton() const { return m_Test; }
    QPushButton* DefaultButton() const { return m_Default; }
    QPushButton* ExitButton() const { return m_Exit; }

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnGetValue();
    void OnSetValue();
    void OnTest();
    void OnDefault();
    void OnExit();
    /// Closing is allowed during a read (which may wait for ever), not during a write.
    bool MayClose();
    void OnRadio(RadioRow* row, int index);
    void OnBellType();
    void OnNvSize(bool graphic);
    void OnReply(const SettingReply& reply);
    /// A hang-up or reset while answers are awaited: no more can come.
    void OnLinkLost();
    void EndEthernetSettle();
    void OnWaterMarkEnable();
    void OnTwoColor();
    std::vector<uint8_t> BuildSetValuesNow();
    void ReadBackAfterWrite();

    /// Runs the exchange's operation on timers; true when it ended well.
    bool RunOperation();
    /// Ends the running operation's wait: what it waits for has come.
    void WakeOperation();
    void CloseWhenIdle(std::function<void()> close);
    void SetButtons(bool getValue, bool setValue, bool test, bool defaults, bool exit);
    void EnableAfterOperation(bool test, bool exit);
    void EnterFailureState();
    void ApplyKoreanLabels();

    UserSetupContext m_Context;
    UserSettings m_Settings;
    UserSettings m_Written;          ///< the record of the last write, as sent
    std::vector<uint8_t> m_Command;  ///< its set-values command
    bool m_StopBitsChanged = false;
    bool m_Failed = false;
    bool m_Busy = false;
    korva::ui::StepDriver* m_Driver = nullptr;  ///< the operation running, if any
    bool m_Reading = false;
    bool m_AwaitingAnswers = false;  ///< a read was sent and not every setting answered
    SettingControls* m_Controls;
    QLabel* m_Heading;
    QLabel* m_Model;
    QPushButton *m_GetValue, *m_SetValue, *m_Test, *m_Default, *m_Exit;
    std::unique_ptr<UserSetupExchange> m_Exchange;  ///< last: it goes first, with its reader
};

/// Asks a Yes/No question captioned "Notice" through the message seam.
base::MsgAnswer AskNotice(const std::string& text);

}  // namespace korva::usersetup::ui
