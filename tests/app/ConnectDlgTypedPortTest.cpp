// The connection dialog's port list with a typed device path: offered for
// serial and parallel models only, checked at OK, reached by keyboard.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "support/QtTestSupport.h"
#include "base/Messages.h"
#include "app/ui/ConnectDlg.h"
#include "support/PtyPair.h"
#include "support/TestDir.h"

using namespace korva::app;
using namespace korva::base;
using namespace korva::app::ui;
using namespace korva::profile;
using namespace korva::ui;
using korva::test::FakeDiscovery;
using korva::test::MessageRecorder;

namespace {

class TypedPortTest : public ::testing::Test {
  protected:
    TypedPortTest() {
        korva::test::TestApp();
        discovery.serial = {"COM1", "COM2"};
        discovery.parallel = {"LPT1"};
        dlg = std::make_unique<CConnectDlg>(settings, discovery);
        dlg->SetUsbSearchIntervalMs(1);
        dlg->SetMenuRunner([this](QWidget*) {
            menuSaw.push_back(settings);
            return int(QDialog::Rejected);
        });
    }
    void Choose(const QString& model) {
        const int index = dlg->ModelList()->findText(model);
        ASSERT_GE(index, 0) << model.toStdString();
        dlg->ModelList()->setCurrentIndex(index);
    }
    /// Types `text` key by key into the port list's edit field.
    void Type(const QString& text) {
        QLineEdit* edit = dlg->PortList()->lineEdit();
        ASSERT_NE(edit, nullptr);
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }
    void ClearTyped() {
        dlg->PortList()->lineEdit()->selectAll();
        QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(dlg->PortList()->lineEdit(), &erase);
    }
    QStringList Entries() const {
        QStringList out;
        for (int i = 0; i < dlg->PortList()->count(); ++i) out << dlg->PortList()->itemText(i);
        return out;
    }

    korva::port::ConnectionSettings settings;
    FakeDiscovery discovery;
    MessageRecorder messages;
    std::unique_ptr<CConnectDlg> dlg;
    std::vector<korva::port::ConnectionSettings> menuSaw;
    korva::test::PtyPair pty;
};

}  // namespace

TEST_F(TypedPortTest, OnlySerialAndParallelModelsLetAPortBeTyped) {
    EXPECT_FALSE(dlg->PortList()->isEditable());
    const struct {
        const char* model;
        bool editable;
    } steps[] = {{"KORVA20S", true},  {"KORVA20IIE-II", false}, {"KORVA20P", true},
                 {"KORVA10U", false}, {"KORVA20U-I", true},     {"KORVA20U-II", false}};
    discovery.usbCounts = {1};
    for (const auto& step : steps) {
        Choose(step.model);
        EXPECT_EQ(dlg->PortList()->isEditable(), step.editable) << step.model;
        for (QComboBox* list : {dlg->ModelList(), dlg->BaudList(), dlg->ParityList(),
                                dlg->DataLengthList(), dlg->FlowList(), dlg->StopBitList()})
            EXPECT_FALSE(list->isEditable()) << step.model;
    }
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TypedPortTest, ATypedSerialDeviceIsKeptAndNeverJoinsTheList) {
    ASSERT_TRUE(pty.Ok());
    Choose("KORVA20S");
    ClearTyped();
    EXPECT_FALSE(dlg->OkButton()->isEnabled()) << "no port, no OK";
    Type(QString::fromStdString(pty.SlavePath()));
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
    dlg->show();  // the default button answers Return only while it is shown
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg->PortList()->lineEdit(), &enter);
    dlg->hide();
    ASSERT_EQ(menuSaw.size(), 1u) << (messages.texts.empty() ? "" : messages.texts[0]);
    EXPECT_EQ(menuSaw[0].portName, pty.SlavePath());
    EXPECT_EQ(menuSaw[0].baudRate, 115200);
    EXPECT_EQ(Entries(), QStringList({"COM1", "COM2"}));

    // A link to the device (a udev alias, say) is as good; blanks around it are dropped.
    korva::test::TestDir dir;
    const auto link = dir / "ttyPRINTER";
    std::filesystem::create_symlink(pty.SlavePath(), link);
    ClearTyped();
    Type(" " + QString::fromStdString(link.string()) + " ");
    dlg->OkButton()->click();
    ASSERT_EQ(menuSaw.size(), 2u);
    EXPECT_EQ(menuSaw[1].portName, link.string());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TypedPortTest, AnythingButADeviceOfTheKindIsRefusedAtOk) {
    ASSERT_TRUE(pty.Ok());
    korva::test::TestDir dir;
    const std::string file = (dir / "ttyUSB9").string();
    std::ofstream(file) << "not a device";
    Choose("KORVA20S");
    dlg->ParityList()->setCurrentIndex(-1);  // the port is checked before the line settings
    const struct {
        std::string path;
        std::string why;
    } rows[] = {
        {file, ""},
        {"/dev/null", ""},
        {dir.path().string(), ""},
        // Terminals that are never a printer's line say what they are.
        {"/dev/ptmx", " (it is the pseudo-terminal multiplexer; a pty is reached at its /dev/pts/N end)"},
        {"/dev/tty", " (it is the controlling terminal of the program)"},
    };
    for (const auto& row : rows) {
        messages.texts.clear();
        ClearTyped();
        Type(QString::fromStdString(row.path));
        dlg->OkButton()->click();
        EXPECT_EQ(messages.texts,
                  std::vector<std::string>{"'" + row.path + "' is not a serial device" + row.why + "."});
    }
    // Nothing there at all: said so, with what to check, for either kind.
    for (const char* model : {"KORVA20S", "KORVA20P"}) {
        Choose(model);
        for (const std::string path : {"/dev/ttyKORVA-none", "/dev/parport-korva-none"}) {
            messages.texts.clear();
            ClearTyped();
            Type(QString::fromStdString(path));
            dlg->OkButton()->click();
            EXPECT_EQ(messages.texts, std::vector<std::string>{"'" + path + "' does not exist: check the spelling, "
                                                               "or plug the printer in and switch it on."});
        }
    }
    EXPECT_TRUE(menuSaw.empty());
    EXPECT_EQ(settings, korva::port::ConnectionSettings()) << "a refused OK stores nothing";

    // A pty is a serial device, not a parallel one.
    Choose("KORVA20P");
    messages.texts.clear();
    ClearTyped();
    Type(QString::fromStdString(pty.SlavePath()));
    dlg->OkButton()->click();
    EXPECT_EQ(messages.texts,
              std::vector<std::string>{"'" + pty.SlavePath() + "' is not a parallel device."});
    EXPECT_TRUE(menuSaw.empty());
}

// A port another program holds is said at OK, where another can be chosen,
// not later by the tool that opens it.
TEST_F(TypedPortTest, APortAnotherProgramHoldsIsSaidAtOk) {
    ASSERT_TRUE(pty.Ok());
    Choose("KORVA20S");
    ClearTyped();
    Type(QString::fromStdString(pty.SlavePath()));
    const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);  // as a running tool holds it
    dlg->OkButton()->click();
    EXPECT_TRUE(menuSaw.empty());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"'" + pty.SlavePath() + "' cannot be opened: The port is "
                                                       "busy: another program (a print spooler, a terminal) holds it."});
    ::close(holder);
    messages.texts.clear();
    dlg->OkButton()->click();  // let go: the same port is taken
    ASSERT_EQ(menuSaw.size(), 1u);
    EXPECT_EQ(menuSaw[0].portName, pty.SlavePath());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(TypedPortTest, WhatIsTypedIsWhatIsChecked) {
    // A listed name that begins like the typed text must not complete it:
    // "/dev/tty" would otherwise become "/dev/ttyS0" and pass the check.
    discovery.serial = {"/dev/ttyS0"};
    Choose("KORVA20S");
    // A completer works only in the focused field, as the user's typing is.
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return dlg->isActiveWindow(); }));
    dlg->PortList()->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return dlg->PortList()->hasFocus(); }));
    ClearTyped();
    for (const QChar c : QStringLiteral("/dev/tty")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(dlg->PortList(), &press);
    }
    EXPECT_EQ(dlg->PortList()->lineEdit()->text().toStdString(), "/dev/tty");
    dlg->OkButton()->click();
    dlg->hide();
    EXPECT_TRUE(menuSaw.empty());
    EXPECT_EQ(messages.texts, std::vector<std::string>{"'/dev/tty' is not a serial device (it is the "
                                                       "controlling terminal of the program)."});
}

TEST_F(TypedPortTest, WithNoPortFoundAPathCanStillBeTyped) {
    ASSERT_TRUE(pty.Ok());
    discovery.serial.clear();
    Choose("KORVA20S");
    EXPECT_EQ(messages.texts, std::vector<std::string>{Message(kMsgNoComPort)});
    EXPECT_TRUE(dlg->PortList()->isEnabled());
    EXPECT_TRUE(dlg->BaudList()->isEnabled());
    EXPECT_EQ(dlg->PortList()->currentText(), "");
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
    Type(QString::fromStdString(pty.SlavePath()));
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
    ClearTyped();
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
    Type(QString::fromStdString(pty.SlavePath()));
    dlg->OkButton()->click();
    ASSERT_EQ(menuSaw.size(), 1u);
    EXPECT_EQ(menuSaw[0].portName, pty.SlavePath());
}

TEST_F(TypedPortTest, TheEditFieldKeepsThePortLabelsNameAndFocus) {
    Choose("KORVA20S");
    QLabel* label = nullptr;
    for (QLabel* each : dlg->findChildren<QLabel*>())
        if (each->buddy() == dlg->PortList()) label = each;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "&PORT");
    EXPECT_EQ(dlg->PortList()->lineEdit()->accessibleName(), "PORT");
    // The label's shortcut focuses its buddy; typing then goes into the edit field.
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return dlg->isActiveWindow(); }));
    dlg->PortList()->setFocus(Qt::ShortcutFocusReason);
    ASSERT_TRUE(
        korva::test::RunEventsUntil([&] { return QApplication::focusWidget() != nullptr; }));
    dlg->PortList()->lineEdit()->selectAll();
    for (const QChar c : QStringLiteral("/dev/rfcomm0")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    }
    EXPECT_EQ(dlg->PortList()->currentText(), "/dev/rfcomm0");
    dlg->hide();
}

TEST_F(TypedPortTest, ALongPathShowsItsStartListedOrTyped) {
    const QString longPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0";
    discovery.serial = {longPath.toStdString(), "COM1"};
    dlg = std::make_unique<CConnectDlg>(settings, discovery);
    Choose("KORVA20S");
    dlg->show();
    auto expectStartShown = [&](const QString& path) {
        QLineEdit* edit = dlg->PortList()->lineEdit();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->cursorPosition(), 0) << edit->text().toStdString();
        // What the field shows begins where the path begins; the tooltip has all of it.
        EXPECT_LT(edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(),
                  edit->fontMetrics().horizontalAdvance(QStringLiteral("/dev")));
        EXPECT_EQ(dlg->PortList()->toolTip(), path);
    };
    for (int pick : {0, 1, 0}) {  // listed first, and picked again from the list
        dlg->PortList()->setCurrentIndex(pick);
        expectStartShown(dlg->PortList()->currentText());
    }
    EXPECT_EQ(dlg->PortList()->currentText(), longPath);

    // Typed: after the field loses the focus (Tab), and when the dialog comes back.
    const QString typed = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-receipt-printer-counter-7";
    dlg->activateWindow();
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return dlg->isActiveWindow(); }));
    dlg->PortList()->setFocus(Qt::TabFocusReason);
    ClearTyped();
    Type(typed);
    ASSERT_GT(dlg->PortList()->lineEdit()->cursorPosition(), 0);
    dlg->OkButton()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return dlg->OkButton()->hasFocus(); }));
    expectStartShown(typed);
    dlg->hide();
    dlg->PortList()->lineEdit()->end(false);
    dlg->show();  // as after "<< Back" from the menu
    expectStartShown(typed);
    dlg->hide();
}
