// The user setup dialog under the offscreen platform, against korva-sim on a
// pty, with the message seam recording every box.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <memory>

#include "UserSetupTestSupport.h"
#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "ui/Language.h"
#include "port/ParPortCtl.h"
#include "port/PortFailures.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "support/SimHarness.h"
#include "usersetup/ui/SettingControls.h"
#include "usersetup/ui/UserSetupDlg.h"

namespace korva::usersetup::ui {
namespace {

using test::SimHarness;
using test::SimSetting;

/// Records every box with its caption; questions get the next queued answer (Yes when none).
struct Boxes {
    struct Box {
        std::string text, caption;
    };
    std::vector<Box> shown;
    std::vector<base::MsgAnswer> answers;
    base::MessageHandler previous;
    Boxes() {
        previous = base::SetMessageHandler(
            [this](const std::string& text, const std::string& caption, base::MsgStyle) {
                shown.push_back({text, caption});
                if (answers.empty()) return base::MsgAnswer::Yes;
                const base::MsgAnswer a = answers.front();
                answers.erase(answers.begin());
                return a;
            });
    }
    ~Boxes() { base::SetMessageHandler(previous); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Box& b : shown) out.push_back(b.text);
        return out;
    }
};

class UserSetupDlgTest : public ::testing::Test {
  protected:
    /// The simulator's options; a derived fixture gives it odd answers.
    virtual QStringList SimArgs() const { return {"--serial"}; }

    void SetUp() override {
        test::EnsureQtApp();
        ASSERT_TRUE(sim.Start(SimArgs())) << sim.Error().toStdString();
        ports.m_PortName = sim.SerialPath().toStdString();
        ports.m_BaudRate = 115200;
        ports.m_DataBits = 8;
        ports.m_Parity = port::kParityNone;
        ports.m_FlowControl = port::kFlowNone;
    }

    std::unique_ptr<CUserSetup> Open() {
        UserSetupContext context;
        context.endpoints.kind = port::PortKind::Serial;
        context.endpoints.ports = &ports;
        context.endpoints.parallel = &parallel;
        context.endpoints.log = &log;
        context.lists.receiveBuffers = {"64", "32", "20", "4"};
        context.lists.codePages = {"0|PC437 (USA, Std Europe)", "16|WPC1252 (Windows CP)"};
        context.modelText = "KORVA20 - COM1\r\nBaud : 115200";
        auto dialog = std::make_unique<CUserSetup>(context);
        EXPECT_TRUE(dialog->Connect());
        return dialog;
    }

    /// Everything the printer received on its latest connection.
    QByteArray LastConnectionBytes(const QJsonObject& state) {
        const int count = static_cast<int>(state.value("received").toArray().size());
        return SimHarness::Received(state, count - 1);
    }

    SimHarness sim;
    base::CErrorLog log;
    port::CPorts ports{log};
    port::ParPortCtl parallel{log};
    Boxes boxes;
};

TEST_F(UserSetupDlgTest, OpensEmptyAndAFirstWriteSendsOnlyMarginAndCode) {
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "KorvaTool : User Setup");
    SettingControls& c = dialog->Controls();
    EXPECT_EQ(c.paperWidth.group->checkedId(), -1);
    EXPECT_EQ(c.nvGraphicList->currentIndex(), -1);
    EXPECT_EQ(c.imageNumber->value(), 1);
    EXPECT_EQ(c.setupCode->text(), "0");
    EXPECT_FALSE(c.reserved.box->isEnabled());
    EXPECT_TRUE(c.columnList->isEnabled());

    dialog->SetValueButton()->click();
    QByteArray expected = QByteArray::fromHex(
        "1d2845030001494e"                // enter setup "IN"
        "1d28450a0005fa0000ff0000000004"  // margin 0, setup code 0
        "1d28450400024f5554");            // leave setup "OUT"
    // Then the read that confirms the write: one request per setting.
    for (int setting : {3, 116, 118, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 253, 1,
                        2, 255})
        expected += QByteArray::fromHex("1d2845020006") + char(setting);
    const QJsonObject state =
        sim.WaitForState([&](const QJsonObject& s) { return LastConnectionBytes(s) == expected; });
    EXPECT_EQ(LastConnectionBytes(state).toHex(' ').toStdString(),
              expected.toHex(' ').toStdString());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(dialog->GetValueButton()->isEnabled());
}

TEST_F(UserSetupDlgTest, GetValueFillsTheControls) {
    auto dialog = Open();
    dialog->GetValueButton()->click();
    ASSERT_TRUE(test::SpinUntil([&] { return dialog->Exchange().AllAnswered(); }));
    SettingControls& c = dialog->Controls();
    EXPECT_TRUE(c.paperWidth.buttons[0]->isChecked());  // 80mm
    EXPECT_FALSE(c.columnList->isEnabled());
    EXPECT_TRUE(c.paperType.buttons[0]->isChecked());  // Black
    EXPECT_FALSE(c.densityList->isEnabled());
    EXPECT_EQ(c.densityList->currentText(), "MEDIUM");
    EXPECT_EQ(c.bellList->currentText(), "QUELM Bell");
    EXPECT_EQ(c.timesList->currentText(), "3");
    EXPECT_EQ(c.timesCaption->text(), "Times");
    EXPECT_EQ(c.codePageList->currentIndex(), 0);
    EXPECT_EQ(c.nvGraphicList->currentText(), "384");
    EXPECT_EQ(c.nvUserList->currentText(), "64");
    EXPECT_EQ(c.speedList->currentText(), "220");
    EXPECT_EQ(c.receiveBufferList->currentText(), "4");
    EXPECT_TRUE(c.stopBits.buttons[0]->isChecked());        // ONE
    EXPECT_TRUE(c.reserved.buttons[0]->isChecked());        // OFF, shown greyed
    EXPECT_TRUE(c.selfTestDrawer.buttons[1]->isChecked());  // Disable
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(UserSetupDlgTest, PaperWidthAndBellCaption) {
    auto dialog = Open();
    SettingControls& c = dialog->Controls();
    c.columnList->setCurrentIndex(0);
    c.paperWidth.buttons[1]->click();  // 58mm always proposes 32 columns
    EXPECT_EQ(c.columnList->currentText(), "32 Column");
    EXPECT_TRUE(c.columnList->isEnabled());
    c.paperWidth.buttons[0]->click();
    EXPECT_FALSE(c.columnList->isEnabled());
    EXPECT_EQ(c.columnList->currentText(), "32 Column");  // shown choice stays
    c.bellList->setCurrentIndex(kMelody2);
    EXPECT_EQ(c.timesCaption->text(), " / 5");
    c.bellList->setCurrentIndex(kOtherBell);
    EXPECT_EQ(c.timesCaption->text(), "Times");
}

TEST_F(UserSetupDlgTest, WaterMarkAndTwoColourExcludeEachOther) {
    auto dialog = Open();
    SettingControls& c = dialog->Controls();
    c.waterMark.buttons[1]->click();  // Enable, paper type still empty: no question
    c.paperType.buttons[0]->click();
    boxes.answers = {base::MsgAnswer::No};
    c.paperType.buttons[1]->click();  // 2Color while the water mark is on
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Notice");
    EXPECT_EQ(
        boxes.shown[0].text,
        "Water mark print is impossible in Two-color print mode.\nDisable water mark function?");
    EXPECT_TRUE(c.paperType.buttons[0]->isChecked());
    EXPECT_FALSE(c.densityList->isEnabled());

    c.paperType.buttons[1]->click();  // Yes this time
    EXPECT_TRUE(c.paperType.buttons[1]->isChecked());
    EXPECT_EQ(c.densityList->currentText(), "MEDIUM");
    EXPECT_TRUE(c.densityList->isEnabled());
    EXPECT_TRUE(c.waterMark.buttons[0]->isChecked());
    EXPECT_FALSE(c.imageNumber->isEnabled());

    boxes.answers = {base::MsgAnswer::No};
    c.waterMark.buttons[1]->click();  // Enable while 2Color, answered No
    EXPECT_EQ(boxes.shown.back().text,
              "Water mark print is impossible in Two-color print mode.\nSelect One-color mode?");
    EXPECT_TRUE(c.waterMark.buttons[0]->isChecked());
    EXPECT_TRUE(c.paperType.buttons[1]->isChecked());
}

TEST_F(UserSetupDlgTest, NvMemoryTotalIsChecked) {
    auto dialog = Open();
    SettingControls& c = dialog->Controls();
    c.nvGraphicList->setCurrentIndex(6);  // 384
    c.nvUserList->setCurrentIndex(0);     // 64: 448 in all, accepted
    EXPECT_TRUE(boxes.shown.empty());
    c.nvUserList->setCurrentIndex(1);  // 128: too much
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "Out of range the MAX NV memory Size!\r\nTotal NV Memory Size 448KB\r\n(NV User "
              "Memory + NV Graphic Memory)");
    EXPECT_EQ(c.nvUserList->currentIndex(), -1);
    EXPECT_EQ(dialog->Settings().nvUser, kEmpty);
    EXPECT_EQ(c.nvGraphicList->currentText(), "384");
}

TEST_F(UserSetupDlgTest, DefaultThenSetValueWarnsAboutStopBitsOnce) {
    auto dialog = Open();
    boxes.answers = {base::MsgAnswer::Yes};
    dialog->DefaultButton()->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{base::Message(base::kMsgConfirmDefaults)});
    EXPECT_TRUE(dialog->Controls().paperWidth.buttons[0]->isChecked());
    dialog->SetValueButton()->click();
    dialog->SetValueButton()->click();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{base::Message(base::kMsgConfirmDefaults),
                                                       base::Message(base::kMsgStopBitWarning)}));
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 252) == "04"; });
    EXPECT_EQ(SimSetting(state, 2), "7");
    EXPECT_EQ(SimSetting(state, 253), "0");
    EXPECT_EQ(SimSetting(state, 245), "13");
}

TEST_F(UserSetupDlgTest, DefaultAnsweredNoChangesNothing) {
    auto dialog = Open();
    boxes.answers = {base::MsgAnswer::No};
    const UserSettings before = dialog->Settings();
    dialog->DefaultButton()->click();
    EXPECT_EQ(dialog->Settings(), before);
    EXPECT_FALSE(dialog->StopBitsMarked());
}

TEST_F(UserSetupDlgTest, FailedWriteLeavesOnlyClosing) {
    auto dialog = Open();
    dialog->Controls().cutAdjust.buttons[1]->click();
    dialog->Controls().cutLines->setValue(9);
    sim.Stop();
    dialog->SetValueButton()->click();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{std::string(base::Message(base::kMsgWriteFailCheckPower)) +
                                                      "\r\n" + port::kTextHungUp});
    EXPECT_TRUE(dialog->Failed());
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_FALSE(dialog->GetValueButton()->isEnabled());
    EXPECT_FALSE(dialog->SetValueButton()->isEnabled());
    EXPECT_FALSE(dialog->TestButton()->isEnabled());
    EXPECT_TRUE(dialog->ExitButton()->isEnabled());
    EXPECT_FALSE(dialog->Controls().paperWidth.box->isEnabled());
    EXPECT_FALSE(dialog->Controls().setupCodeBox->isEnabled());
    EXPECT_EQ(dialog->Controls().cutLines->value(), 0);
}

TEST_F(UserSetupDlgTest, TestPageIsPrinted) {
    auto dialog = Open();
    dialog->TestButton()->click();
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s.value("cuts").toInt() >= 1; });
    EXPECT_EQ(state.value("cuts").toInt(), 1);
    EXPECT_TRUE(dialog->GetValueButton()->isEnabled());
    EXPECT_TRUE(dialog->DefaultButton()->isEnabled());
}

TEST_F(UserSetupDlgTest, KoreanLabelsAndAccessibleNames) {
    korva::ui::SetKoreanLabelsOverride(true);
    auto dialog = Open();
    korva::ui::SetKoreanLabelsOverride(std::nullopt);
    EXPECT_EQ(dialog->GetValueButton()->text(), QStringLiteral("설정 읽기"));
    EXPECT_EQ(dialog->ExitButton()->text(), QStringLiteral("취소"));
    SettingControls& c = dialog->Controls();
    EXPECT_EQ(c.paperWidth.box->title(), QStringLiteral("용지 폭"));
    EXPECT_EQ(c.cutMode.buttons[1]->text(), QStringLiteral("전체"));
    EXPECT_EQ(c.reserved.box->title(), "Reserved");
    EXPECT_EQ(c.bellList->itemText(0), "QUELM Bell");
    EXPECT_EQ(dialog->windowTitle(), "KorvaTool : User Setup");
    EXPECT_EQ(c.timesCaption->text(), QStringLiteral("회"));
    c.bellList->setCurrentIndex(kMelody1);  // the caption a bell choice sets stays English
    EXPECT_EQ(c.timesCaption->text(), " / 5");

    auto english = Open();
    EXPECT_EQ(english->GetValueButton()->text(), "Get Value");
    EXPECT_EQ(english->Controls().paperWidth.box->title(), "Paper Width && Max. Column");
    // Every edit and list can be found by its label's text.
    for (QWidget* w : english->findChildren<QWidget*>()) {
        if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QAbstractSpinBox*>(w) &&
            !qobject_cast<QLineEdit*>(w))
            continue;
        if (qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;  // a spin box's own line edit
        bool buddy = false;
        for (QLabel* label : english->findChildren<QLabel*>()) buddy = buddy || label->buddy() == w;
        EXPECT_TRUE(buddy || !w->accessibleName().isEmpty()) << w->metaObject()->className();
    }
    EXPECT_EQ(english->Controls().leftMargin->accessibleName(), "Set Left Paper Margin");
    EXPECT_EQ(english->Controls().nvUserList->accessibleName(), "NV User Memory Size");
}

// A printer whose answers lie outside the tool's lists or are no values.
class OddAnswersDlgTest : public UserSetupDlgTest {
  protected:
    QStringList SimArgs() const override {
        return {"--serial",  "--setting", "118=90",  "--setting",      "249=190", "--setting",
                "2=0",       "--setting", "250=600", "--setting",      "251=x",   "--keep-setting",
                "247"};
    }
};

TEST_F(OddAnswersDlgTest, UnknownsShowAsSuchAndNothingNobodyChoseIsWritten) {
    auto dialog = Open();
    dialog->GetValueButton()->click();
    ASSERT_TRUE(test::SpinUntil([&] { return dialog->Exchange().AllAnswered(); }));
    SettingControls& c = dialog->Controls();
    EXPECT_EQ(c.densityList->currentIndex(), -1);
    EXPECT_EQ(c.densityList->placeholderText(), "90");
    EXPECT_EQ(c.speedList->placeholderText(), "190");
    EXPECT_EQ(c.nvGraphicList->currentIndex(), -1);
    EXPECT_EQ(c.nvGraphicList->placeholderText(), "unknown");
    EXPECT_EQ(c.leftMargin->text(), "unknown");
    EXPECT_EQ(c.cutMode.box->toolTip(), "");  // answered "0": Partial
    EXPECT_EQ(c.selfTestDrawer.group->checkedId(), -1);
    EXPECT_EQ(c.selfTestDrawer.box->toolTip(), "unknown");

    // The margin goes into every write: unknown, it stops the write.
    dialog->SetValueButton()->click();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "the printer's margin (setting 250) could not be read from its answer \"600\".\n"
              "Nothing was written; enter a value for it first.");
    EXPECT_FALSE(LastConnectionBytes(sim.State()).contains(QByteArray::fromHex("1d2845030001494e")));

    // With a margin entered, only what was chosen changes; the printer
    // ignores the cut mode, and the read after the write says so.
    c.leftMargin->setValue(3);
    c.cutMode.buttons[1]->click();  // Full Cut
    dialog->SetValueButton()->click();
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 250) == "3"; });
    EXPECT_EQ(SimSetting(state, 118), "90");
    EXPECT_EQ(SimSetting(state, 249), "190");
    EXPECT_EQ(SimSetting(state, 2), "0");
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[1],
              "The printer does not hold what was written:\ncut-mode: written full, the printer "
              "has partial\n");
    EXPECT_EQ(c.cutMode.group->checkedId(), kPartial);  // the controls show what it holds
    EXPECT_TRUE(dialog->SetValueButton()->isEnabled());
}

UserSetupContext ContextFor(port::PortKind kind, const SimHarness& sim, port::ParPortCtl& parallel,
                            port::CPrinterSocket& socket, base::CErrorLog& log) {
    static port::CPorts unused{log};
    UserSetupContext context;
    context.endpoints.kind = kind;
    context.endpoints.ports = &unused;
    context.endpoints.parallel = &parallel;
    context.endpoints.socket = &socket;
    context.endpoints.portName = sim.SerialPath().toStdString();
    context.endpoints.ipAddress = "127.0.0.1";
    context.endpoints.tcpPort = sim.TcpPort();
    context.endpoints.log = &log;
    context.lists.receiveBuffers = {"64", "32", "20", "4"};
    context.lists.codePages = {"0|PC437 (USA, Std Europe)"};
    return context;
}

TEST(UserSetupDlgPorts, ParallelReadHoldsTheButtonsAndShowsTheWaitCursor) {
    test::EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--parallel-status"})) << sim.Error().toStdString();
    base::CErrorLog log;
    port::ParPortCtl parallel(log);
    port::CPrinterSocket socket;
    Boxes boxes;
    CUserSetup dialog(ContextFor(port::PortKind::Parallel, sim, parallel, socket, log));
    ASSERT_TRUE(dialog.Connect());
    bool anyButtonEnabled = true;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    // The first completion check comes 3000 ms after the requests: look before it.
    QTimer::singleShot(500, &dialog, [&] {
        anyButtonEnabled = false;
        for (QPushButton* b : {dialog.GetValueButton(), dialog.SetValueButton(),
                               dialog.TestButton(), dialog.DefaultButton(), dialog.ExitButton()})
            anyButtonEnabled = anyButtonEnabled || b->isEnabled();
        cursor = dialog.cursor().shape();
    });
    dialog.GetValueButton()->click();
    EXPECT_FALSE(anyButtonEnabled);
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(dialog.ExitButton()->isEnabled());
    EXPECT_TRUE(dialog.GetValueButton()->isEnabled());
    EXPECT_TRUE(dialog.Controls().nvGraphicList->currentText() == "384");
    EXPECT_EQ(dialog.Settings().stopBits, kEmpty);  // not asked on a parallel port
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(UserSetupDlgPorts, AParallelReadWithoutAnswersCanBeClosed) {
    test::EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--drop-answer-after", "0"})) << sim.Error().toStdString();
    base::CErrorLog log;
    port::ParPortCtl parallel(log);
    port::CPrinterSocket socket;
    Boxes boxes;
    CUserSetup dialog(ContextFor(port::PortKind::Parallel, sim, parallel, socket, log));
    ASSERT_TRUE(dialog.Connect());
    dialog.show();
    QTimer::singleShot(500, &dialog, [&] { dialog.close(); });  // the close box
    dialog.GetValueButton()->click();  // would ask again every 2000 ms for ever
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Exchange().LastOutcome(), UserSetupExchange::Outcome::Cancelled);
    EXPECT_FALSE(dialog.Exchange().Reader().Running());
    EXPECT_FALSE(parallel.IsOpen());
    EXPECT_TRUE(boxes.shown.empty());
}

// A parallel printer that takes nothing holds the connect's first write for
// its whole deadline: the window keeps turning meanwhile, the menu that opened
// the dialog takes no second tool, and the printer check is shown at the end.
TEST(UserSetupDlgPorts, StalledParallelConnectKeepsTheWindowTurning) {
    test::EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--stall-after-bytes", "0"})) << sim.Error().toStdString();
    // Another writer fills the line the printer no longer reads and keeps it open.
    const int filler = test::OpenRawTty(sim.SerialPath());
    ASSERT_GE(filler, 0);
    ::fcntl(filler, F_SETFL, ::fcntl(filler, F_GETFL) | O_NONBLOCK);
    // The pty moves written bytes on in the background: full is when it
    // stays full.
    const std::vector<char> block(4096, 'x');
    for (int refusals = 0; refusals < 5;) {
        if (::write(filler, block.data(), block.size()) > 0) {
            refusals = 0;
        } else {
            ++refusals;
            ::usleep(50'000);
        }
    }
    base::CErrorLog log;
    port::ParPortCtl parallel(log);
    port::CPrinterSocket socket;
    Boxes boxes;
    QWidget menu;
    CUserSetup dialog(ContextFor(port::PortKind::Parallel, sim, parallel, socket, log), &menu);

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = -1, longestGap = 0;
    bool menuHeld = true;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (lastTick >= 0) longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        menuHeld = menuHeld && !menu.isEnabled();
    });
    ticker.start(10);
    const bool connected = dialog.Connect();
    ticker.stop();
    ::close(filler);

    EXPECT_FALSE(connected);
    EXPECT_GE(clock.elapsed(), port::ParPortCtl::kWriteWaitMs - 500);  // it did stall
    EXPECT_GT(lastTick, 1000);
    EXPECT_LT(longestGap, 200);
    EXPECT_TRUE(menuHeld);
    EXPECT_TRUE(menu.isEnabled());
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], base::Message(base::kMsgPrinterCheck));
    EXPECT_FALSE(parallel.IsOpen());
}

TEST(UserSetupDlgPorts, EthernetReadFillsTheControlsAndFreesTheButtonsAgain) {
    test::EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    base::CErrorLog log;
    port::ParPortCtl parallel(log);
    port::CPrinterSocket socket;
    Boxes boxes;
    CUserSetup dialog(ContextFor(port::PortKind::Ethernet, sim, parallel, socket, log));
    ASSERT_TRUE(dialog.Connect());
    dialog.GetValueButton()->click();
    ASSERT_TRUE(test::SpinUntil([&] { return dialog.Exchange().AllAnswered(); }));
    EXPECT_EQ(dialog.Controls().speedList->currentText(), "220");
    EXPECT_TRUE(test::SpinUntil([&] { return dialog.SetValueButton()->isEnabled(); }, 3000));
    EXPECT_TRUE(dialog.GetValueButton()->isEnabled());
    EXPECT_TRUE(dialog.DefaultButton()->isEnabled());
    EXPECT_EQ(dialog.Controls().paperWidth.group->checkedId(), kWidth80mm);

    // Another program sets 58 mm with 32 columns while the link stays open;
    // the next Get Value reads it, paper width first.
    const int other = sim.ConnectTcp();
    ASSERT_GE(other, 0);
    ASSERT_TRUE(test::WriteAll(other, test::Bytes("1d2845030001494e 1d28450700050303 00fa0000 "
                                                  "1d28450400024f5554")));
    sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 3) == "3"; });
    ::close(other);
    dialog.GetValueButton()->click();
    ASSERT_TRUE(test::SpinUntil([&] { return dialog.Exchange().AllAnswered(); }));
    EXPECT_EQ(dialog.Controls().paperWidth.group->checkedId(), kWidth58mm);
    EXPECT_EQ(dialog.Controls().columnList->currentText(), "32 Column");
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace korva::usersetup::ui
