#include "usersetup/ui/UserSetupDlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "base/Messages.h"
#include "base/StepEngine.h"
#include "port/PortFailures.h"
#include "ui/Language.h"
#include "ui/StepDriver.h"
#include "usersetup/ReadBackAfterWrite.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/ui/SettingControls.h"
#include "usersetup/ui/UserSetupLabels.h"

namespace korva::usersetup::ui {

namespace {
// After the last reply of an Ethernet read the printer needs a moment
// before the next command.
constexpr int kEthernetSettleMs = 800;
// How long the read after a write waits for every answer.

QString PlainLines(const std::string& text) { return QString::fromStdString(text).remove('\r'); }
}  // namespace

base::MsgAnswer AskNotice(const std::string& text) {
    return base::ShowMessageCaptioned(text, "Notice", base::MsgStyle::YesNo);
}

CUserSetup::CUserSetup(UserSetupContext context, QWidget* parent)
    : QDialog(parent), m_Context(std::move(context)) {
    setWindowTitle(QString::fromUtf8(base::Title(base::kTitleUserSetup)));
    m_Exchange = std::make_unique<UserSetupExchange>(m_Context.endpoints);

    auto* layout = new QVBoxLayout(this);
    m_Heading = new QLabel(Label(kLabelHeading), this);
    layout->addWidget(m_Heading);
    auto* modelBox = new QGroupBox(QStringLiteral("MODEL"), this);
    auto* modelLayout = new QVBoxLayout(modelBox);
    m_Model = new QLabel(PlainLines(m_Context.modelText), modelBox);
    m_Model->setAccessibleName(QStringLiteral("MODEL"));
    modelLayout->addWidget(m_Model);
    layout->addWidget(modelBox);

    // The water mark starts at image 1 and the cut adjustment at 0 lines.
    m_Settings.imageNumber = 1;
    m_Settings.cutLines = 0;
    auto* grid = new QGridLayout;
    m_Controls = new SettingControls(m_Settings, m_Context.lists, this);
    m_Controls->AddTo(grid);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    m_GetValue = new QPushButton(Label(kLabelGetValue), this);
    m_SetValue = new QPushButton(Label(kLabelSetValue), this);
    m_Test = new QPushButton(Label(kLabelTest), this);
    m_Default = new QPushButton(Label(kLabelDefault), this);
    m_Exit = new QPushButton(Label(kLabelExit), this);
    for (QPushButton* b : {m_GetValue, m_SetValue, m_Test, m_Default, m_Exit}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(m_GetValue, &QPushButton::clicked, this, &CUserSetup::OnGetValue);
    connect(m_Exchange.get(), &UserSetupExchange::LinkLost, this, &CUserSetup::OnLinkLost);
    // A read waiting for its answers ends as the last one comes, or the link goes.
    connect(m_Exchange.get(), &UserSetupExchange::AnswersIn, this, &CUserSetup::WakeOperation);
    connect(m_Exchange.get(), &UserSetupExchange::LinkLost, this, &CUserSetup::WakeOperation);
    connect(m_SetValue, &QPushButton::clicked, this, &CUserSetup::OnSetValue);
    connect(m_Test, &QPushButton::clicked, this, &CUserSetup::OnTest);
    connect(m_Default, &QPushButton::clicked, this, &CUserSetup::OnDefault);
    connect(m_Exit, &QPushButton::clicked, this, &CUserSetup::OnExit);
    connect(m_Controls, &SettingControls::RadioClicked, this, &CUserSetup::OnRadio);
    connect(m_Controls, &SettingControls::BellTypeChanged, this, &CUserSetup::OnBellType);
    connect(m_Controls, &SettingControls::NvSizeChanged, this, &CUserSetup::OnNvSize);
    m_Exchange->SetReplyHandler([this](const SettingReply& reply) { OnReply(reply); });

    m_Controls->ShowValues();
    m_GetValue->setEnabled(!m_Exchange->LegacyMode());
    if (korva::ui::UseKoreanLabels()) ApplyKoreanLabels();
}

CUserSetup::~CUserSetup() { m_Exchange->Disconnect(); }

bool CUserSetup::Connect() {
    // The window that opened this one must not start another tool on the
    // same port while the connect runs on the worker.
    QWidget* opener = parentWidget();
    const bool openerWasEnabled = opener && opener->isEnabled();
    if (openerWasEnabled) opener->setEnabled(false);
    m_Exchange->BeginConnect();
    korva::ui::StepDriver driver([this] { return m_Exchange->Step(); }, {});
    driver.Run();
    if (openerWasEnabled) opener->setEnabled(true);
    return m_Exchange->Connected();
}

void CUserSetup::ApplyKoreanLabels() {
    m_Heading->setText(KoreanLabel(kLabelHeading));
    m_GetValue->setText(KoreanLabel(kLabelGetValue));
    m_SetValue->setText(KoreanLabel(kLabelSetValue));
    m_Test->setText(KoreanLabel(kLabelTest));
    m_Default->setText(KoreanLabel(kLabelDefault));
    m_Exit->setText(KoreanLabel(kLabelExit));
    m_Controls->UseKoreanLabels();
}

// --- control reactions ----------------------------------------------------

void CUserSetup::OnRadio(RadioRow* row, int index) {
    SettingControls& c = *m_Controls;
    if (row == &c.paperWidth && index == kWidth58mm)
        m_Settings.column = kColumn32;  // always proposed
    if (row == &c.waterMark && index == kOn) OnWaterMarkEnable();
    if (row == &c.paperType && index == kTwoColor) OnTwoColor();
    if (row == &c.stopBits) m_StopBitsChanged = true;
    c.ShowValues();
}

void CUserSetup::OnWaterMarkEnable() {
    if (m_Settings.paperType != kTwoColor) return;
    const std::string question =
        "Water mark print is impossible in Two-color print mode.\nSelect One-color mode?";
    if (AskNotice(question) == base::MsgAnswer::Yes)
        m_Settings.paperType = kBlack;
    else
        m_Settings.waterMark = kOff;
}

void CUserSetup::OnTwoColor() {
    if (m_Settings.waterMark == kOn) {
        const std::string question =
            "Water mark print is impossible in Two-color print mode.\nDisable water mark function?";
        if (AskNotice(question) != base::MsgAnswer::Yes) {
            m_Settings.paperType = kBlack;
            return;
        }
        m_Settings.waterMark = kOff;
    }
    m_Settings.density = kMedium;
}

void CUserSetup::OnBellType() {
    m_Controls->RefreshTimesCaption();
    m_Controls->ShowValues();
}

void CUserSetup::OnNvSize(bool graphic) {
    if (NvMemoryTotalFits(m_Settings)) return;
    char text[256];
    std::snprintf(text, sizeof text, base::Message(base::kMsgNvMemoryOutOfRange), kMaxNvTotalKb);
    base::ShowMessage(text);
    (graphic ? m_Settings.nvGraphic : m_Settings.nvUser) = kEmpty;
    m_Controls->ShowValues();
}

void CUserSetup::OnLinkLost() {
    if (!m_AwaitingAnswers || m_Failed || m_Exchange->AllAnswered()) return;
    m_AwaitingAnswers = false;
    const std::string detail = port::LinkFaultText(m_Exchange->LinkFaultNow());
    base::ShowMessage(std::string(base::Message(base::kMsgWriteFailCheckPower)) +
                      (detail.empty() ? "" : "\r\n" + detail));
    EnterFailureState();
}

void CUserSetup::OnReply(const SettingReply& reply) {
    if (m_Exchange->AllAnswered()) m_AwaitingAnswers = false;
    // An answer that is no value shows the setting as unknown: refresh for it too.
    if (DecodeReply(reply, m_Settings, m_Context.lists) == DecodeStatus::UnknownSetting) return;
    if (reply.number == kBell) m_Controls->RefreshTimesCaption();
    m_Controls->ShowValues();
    if (reply.number == kSetupCode && m_Exchange->Kind() == port::PortKind::Ethernet) {
        SetButtons(false, false, m_Test->isEnabled(), false, m_Exit->isEnabled());
        QTimer::singleShot(kEthernetSettleMs, this, [this] { EndEthernetSettle(); });
    }
}

void CUserSetup::EndEthernetSettle() {
    if (m_Failed) return;
    // A read still sending its last requests gets its buttons back after it.
    if (m_Busy) {
        QTimer::singleShot(100, this, [this] { EndEthernetSettle(); });
        return;
    }
    SetButtons(true, true, m_Test->isEnabled(), true, m_Exit->isEnabled());
}

// --- buttons ----------------------------------------------------------------

void CUserSetup::WakeOperation() {
    if (m_Driver) m_Driver->Wake();
}

bool CUserSetup::RunOperation() {
    m_Busy = true;
    korva::ui::StepDriver driver([this] { return m_Exchange->Step(); }, {});
    m_Driver = &driver;
    driver.Run();
    m_Driver = nullptr;
    m_Busy = false;
    if (m_Exchange->LastOutcome() == UserSetupExchange::Outcome::Failed) {
        EnterFailureState();
        return false;
    }
    return true;
}

void CUserSetup::OnGetValue() {
    const bool parallel = m_Exchange->Kind() == port::PortKind::Parallel;
    if (parallel) {
        // Until every reply is in, nothing else may go to the printer.
        SetButtons(false, false, false, false, false);
        setCursor(Qt::WaitCursor);
    }
    m_Exchange->BeginRead();
    m_Reading = true;
    m_AwaitingAnswers = true;
    const bool ok = RunOperation();
    // The line may have gone while the requests went out.
    if (ok && m_Exchange->LinkFaultNow() != base::Reason::None) OnLinkLost();
    m_Reading = false;
    if (parallel) {
        unsetCursor();
        if (ok) EnableAfterOperation(true, true);
    }
}

std::vector<uint8_t> CUserSetup::BuildSetValuesNow() {
    if (m_Settings.stopBits != kEmpty && m_StopBitsChanged) {
        base::ShowMessage(base::Message(base::kMsgStopBitWarning));
        m_StopBitsChanged = false;
    }
    PrepareForWrite(m_Settings);
    m_Written = m_Settings;
    m_Command = BuildSetValues(m_Settings, m_Context.lists);
    return m_Command;
}

void CUserSetup::OnSetValue() {
    // A margin or setup code the printer's answer did not give is never
    // written as a stand-in: the user enters it first.
    if (const std::string why = UnwritableSetting(m_Settings); !why.empty()) {
        base::ShowMessage(why + ".\nNothing was written; enter a value for it first.");
        return;
    }
    SetButtons(false, false, false, false, false);
    m_Command.clear();
    m_Exchange->BeginWrite([this] { return BuildSetValuesNow(); });
    const bool written = RunOperation();
    m_Controls->ShowValues();
    if (!written) return;
    if (m_Exchange->Kind() != port::PortKind::File && m_Exchange->Kind() != port::PortKind::OutputFile &&
        !m_Exchange->LegacyMode())
        ReadBackAfterWrite();
    EnableAfterOperation(true, true);
}

void CUserSetup::ReadBackAfterWrite() {
    // The printer's answers to a new read confirm the write; they also fill
    // the controls, so the dialog shows what the printer now holds.
    m_Exchange->SetReadDeadline(kAnswerWaitMs);
    const auto differences = usersetup::ReadBackAfterWrite(
        *m_Exchange,
        [this] {
            m_Exchange->BeginRead();
            return RunOperation();  // failed: the failure state says so
        },
        m_Command, m_Written, m_Settings, m_Context.lists);
    m_Exchange->SetReadDeadline(-1);
    if (!differences || m_Failed || differences->empty()) return;
    base::ShowMessage("The printer does not hold what was written:\n" +
                      DescribeDifferences(*differences));
}

void CUserSetup::OnTest() {
    SetButtons(false, false, m_Test->isEnabled(), false, m_Exit->isEnabled());
    m_Exchange->BeginTest();
    if (RunOperation()) EnableAfterOperation(m_Test->isEnabled(), m_Exit->isEnabled());
}

void CUserSetup::OnDefault() {
    if (base::ShowMessage(base::Message(base::kMsgConfirmDefaults), base::MsgStyle::YesNo) !=
        base::MsgAnswer::Yes)
        return;
    ApplyDefaults(m_Settings, m_Context.lists);
    m_StopBitsChanged = true;
    m_Controls->RefreshTimesCaption();
    m_Controls->ShowValues();
}

void CUserSetup::OnExit() {
    if (!MayClose()) return;
    CloseWhenIdle([this] { accept(); });
}

bool CUserSetup::MayClose() {
    if (!m_Busy) return true;
    return m_Reading;  // a write or test page ends within seconds
}

// A read still running is cancelled between two of its steps, never under one.
void CUserSetup::CloseWhenIdle(std::function<void()> close) {
    auto end = [this, close = std::move(close)] {
        m_Exchange->Cancel();
        m_Exchange->Disconnect();
        close();
    };
    if (m_Driver) {
        m_Driver->Between(std::move(end));
    } else {
        end();
    }
}

void CUserSetup::reject() {
    if (!MayClose()) return;
    CloseWhenIdle([this] { QDialog::reject(); });
}

void CUserSetup::closeEvent(QCloseEvent* event) {
    if (!MayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CUserSetup::SetButtons(bool getValue, bool setValue, bool test, bool defaults, bool exit) {
    m_GetValue->setEnabled(getValue && !m_Exchange->LegacyMode());
    m_SetValue->setEnabled(setValue);
    m_Test->setEnabled(test);
    m_Default->setEnabled(defaults);
    m_Exit->setEnabled(exit);
}

void CUserSetup::EnableAfterOperation(bool test, bool exit) {
    if (m_Failed) return;
    SetButtons(true, true, test, true, exit);
}

void CUserSetup::EnterFailureState() {
    m_Failed = true;
    if (m_Exchange->Kind() != port::PortKind::Parallel) {
        m_Settings.imageNumber = 1;
        m_Settings.cutLines = 0;
    }
    m_Controls->ShowValues();
    m_Controls->SetAllEnabled(false);
    // Only closing the dialog remains; EXIT stays usable for that.
    SetButtons(false, false, false, m_Default->isEnabled(), true);
}

}  // namespace korva::usersetup::ui
