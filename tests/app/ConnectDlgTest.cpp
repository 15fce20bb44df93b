#include "app/ui/ConnectDlg.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <cstdlib>

#include "support/QtTestSupport.h"
#include "profile/AppProfile.h"
#include "profile/MemoryProfile.h"
#include "app/SystemPortDiscovery.h"
#include "base/Messages.h"
#include "profile/Version.h"
#include "ui/Language.h"

using namespace korva::app;
using namespace korva::base;
using namespace korva::app::ui;
using namespace korva::profile;
using namespace korva::ui;
using korva::test::FakeDiscovery;
using korva::test::MessageRecorder;

namespace {

QStringList Entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
    return out;
}

class ConnectDlgTest : public ::testing::Test {
protected:
    ConnectDlgTest() {
        korva::test::TestApp();
        discovery.serial = {"COM2", "COM10", "COM1"};
        discovery.parallel = {"LPT1"};
    }
    std::unique_ptr<CConnectDlg> Make() { return Make(discovery); }
    std::unique_ptr<CConnectDlg> Make(PortDiscovery& ports) {
        auto dlg = std::make_unique<CConnectDlg>(settings, ports);
        dlg->SetUsbSearchIntervalMs(1);
        dlg->SetMenuRunner([this](QWidget*) {
            ++menuRuns;
            menuSaw.push_back(settings);
            return int(QDialog::Rejected);
        });
        return dlg;
    }
    void Choose(CConnectDlg& dlg, const QString& model) {
        const int index = dlg.ModelList()->findText(model);
        ASSERT_GE(index, 0) << model.toStdString();
        dlg.ModelList()->setCurrentIndex(index);
    }

    korva::port::ConnectionSettings settings;
    FakeDiscovery discovery;
    MessageRecorder messages;
    int menuRuns = 0;
    std::vector<korva::port::ConnectionSettings> menuSaw;
};

}  // namespace

TEST_F(ConnectDlgTest, StartsWithTheVersionTitleAndEverythingButTheModelDisabled) {
    auto dlg = Make();
    EXPECT_EQ(dlg->windowTitle().toStdString(), ConnectWindowTitle());
    EXPECT_TRUE(dlg->windowTitle().endsWith(" E"));
    EXPECT_EQ(Entries(dlg->ModelList()).size(), 12);
    EXPECT_EQ(dlg->ModelList()->currentIndex(), -1);
    EXPECT_EQ(Entries(dlg->BaudList()), QStringList({"115200", "38400", "19200", "9600"}));
    EXPECT_EQ(dlg->BaudList()->currentText(), "115200");
    EXPECT_EQ(Entries(dlg->ParityList()), QStringList({"NONE", "ODD", "EVEN"}));
    EXPECT_EQ(Entries(dlg->DataLengthList()), QStringList({"8 Bits", "7 Bits", "6 Bits", "5 Bits"}));
    EXPECT_EQ(Entries(dlg->FlowList()), QStringList({"H/W", "S/W", "NONE"}));
    EXPECT_EQ(dlg->StopBitList()->currentText(), "1");
    for (QComboBox* list : {dlg->ModelList(), dlg->PortList(), dlg->BaudList(), dlg->ParityList(),
                            dlg->DataLengthList(), dlg->FlowList(), dlg->StopBitList()}) {
        EXPECT_FALSE(list->isEditable());
        EXPECT_EQ(list->isEnabled(), list == dlg->ModelList());
    }
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ConnectDlgTest, ModelListComesFromTheProfile) {
    MemoryProfile profile("[DEVICELIST]\n1=VQM-5146S\n2=ZOB480P\n3=\n4=KORVA20S\n");
    Profile* previous = SetAppProfile(&profile);
    auto dlg = Make();
    SetAppProfile(previous);
    EXPECT_EQ(Entries(dlg->ModelList()), QStringList({"VQM-5146S", "ZOB480P"}));
}

TEST_F(ConnectDlgTest, SerialModelListsSortedPortsAndEnablesEveryList) {
    auto dlg = Make();
    dlg->SetExtraSerialPorts({"/tmp/ttyKORVA", "COM1"});
    Choose(*dlg, "KORVA20S");
    EXPECT_EQ(dlg->ConnectKind(), kConnectSerial);
    EXPECT_EQ(Entries(dlg->PortList()), QStringList({"/tmp/ttyKORVA", "COM1", "COM10", "COM2"}));
    EXPECT_EQ(dlg->PortList()->currentIndex(), 0);
    EXPECT_EQ(Entries(dlg->BaudList()), QStringList({"115200", "57600", "38400", "19200", "9600"}));
    for (QComboBox* list : {dlg->PortList(), dlg->BaudList(), dlg->ParityList(), dlg->DataLengthList(),
                            dlg->FlowList(), dlg->StopBitList()})
        EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(dlg->OkButton()->isEnabled());

    // Class 2 after class 1: three rates from 38400; the other lists keep their choice.
    dlg->ParityList()->setCurrentIndex(2);
    Choose(*dlg, "KORVA10S");
    EXPECT_EQ(Entries(dlg->BaudList()), QStringList({"38400", "19200", "9600"}));
    EXPECT_EQ(dlg->BaudList()->currentText(), "38400");
    EXPECT_EQ(dlg->ParityList()->currentText(), "EVEN");
    Choose(*dlg, "KORVA20U-I");
    EXPECT_EQ(dlg->ConnectKind(), kConnectSerialUI);
}

TEST_F(ConnectDlgTest, ModelsWithoutAPortKindOrAPortCannotBeConfirmed) {
    auto dlg = Make();
    Choose(*dlg, "KORVA10U");
    EXPECT_EQ(dlg->ConnectKind(), kConnectNone);
    EXPECT_FALSE(dlg->OkButton()->isEnabled());

    Choose(*dlg, "KORVA20P");
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
    EXPECT_TRUE(dlg->PortList()->isEnabled());
    EXPECT_FALSE(dlg->BaudList()->isEnabled());

    discovery.serial.clear();
    Choose(*dlg, "KORVA20S");
    EXPECT_EQ(messages.texts, std::vector<std::string>{Message(kMsgNoComPort)});
    EXPECT_EQ(dlg->PortList()->currentIndex(), -1);
    EXPECT_FALSE(dlg->OkButton()->isEnabled());

    discovery.parallel.clear();
    Choose(*dlg, "KORVA10P");
    EXPECT_EQ(messages.texts.back(), Message(kMsgNoLptPort));
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
}

TEST_F(ConnectDlgTest, UnknownModelSaysInvalidDeviceAndDisablesOk) {
    MemoryProfile profile("[DEVICELIST]\n1=KORVA20S\n2=ACME 3000\n");
    Profile* previous = SetAppProfile(&profile);
    auto dlg = Make();
    SetAppProfile(previous);
    Choose(*dlg, "KORVA20S");
    ASSERT_TRUE(dlg->OkButton()->isEnabled());
    Choose(*dlg, "ACME 3000");
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Invalid Device!"});
    EXPECT_EQ(dlg->DeviceKind(), 0);
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
    dlg->accept();
    EXPECT_EQ(menuRuns, 0);
}

TEST_F(ConnectDlgTest, FiveDataBitsLeaveOnlyOneStopBit) {
    auto dlg = Make();
    Choose(*dlg, "KORVA20S");
    dlg->StopBitList()->setCurrentIndex(1);
    dlg->DataLengthList()->setCurrentIndex(dlg->DataLengthList()->findText("5 Bits"));
    EXPECT_EQ(Entries(dlg->StopBitList()), QStringList({"1"}));
    EXPECT_EQ(dlg->StopBitList()->currentText(), "1");
    dlg->DataLengthList()->setCurrentIndex(0);
    EXPECT_EQ(Entries(dlg->StopBitList()), QStringList({"1", "2"}));
    EXPECT_EQ(dlg->StopBitList()->currentText(), "1");
    dlg->StopBitList()->setCurrentIndex(1);
    dlg->DataLengthList()->setCurrentIndex(1);
    EXPECT_EQ(dlg->StopBitList()->currentText(), "2");
}

TEST_F(ConnectDlgTest, UsbSearchTriesSixteenTimesWithDotsThenGivesUp) {
    auto dlg = Make();
    const QString title = dlg->windowTitle();
    std::vector<QString> titles;
    int eventsBetweenAttempts = 0;
    discovery.onUsbAttempt = [&] {
        titles.push_back(dlg->windowTitle());
        // Post an event each time: the next attempt only comes once it has run.
        QTimer::singleShot(0, [&] { ++eventsBetweenAttempts; });
    };
    Choose(*dlg, "KORVA20U-II");
    EXPECT_TRUE(dlg->IsSearchingUsb());
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return !dlg->IsSearchingUsb(); }));

    ASSERT_EQ(titles.size(), 16u);
    EXPECT_EQ(titles.front(), "Searching for the printer");
    EXPECT_EQ(titles.back(), "Searching for the printer" + QString(15, '.'));
    EXPECT_GE(eventsBetweenAttempts, 15);
    EXPECT_EQ(discovery.usbPrefixes.front(), "USB\\VID_7F3D&PID_0101");
    EXPECT_EQ(dlg->windowTitle(), title);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Turn on your USB printer\r\nand Try again."});
    EXPECT_EQ(dlg->ModelList()->currentIndex(), -1);
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
}

TEST_F(ConnectDlgTest, UsbSearchFindsOneOrRefusesSeveral) {
    auto dlg = Make();
    discovery.usbCounts = {0, 0, 1};
    Choose(*dlg, "KORVA20IIU-II");
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return !dlg->IsSearchingUsb(); }));
    EXPECT_EQ(discovery.usbPrefixes.size(), 3u);
    EXPECT_EQ(discovery.usbPrefixes.back(), "USB\\VID_7F3D&PID_0102");
    EXPECT_EQ(dlg->ConnectKind(), kConnectUsb);
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
    EXPECT_FALSE(dlg->PortList()->isEnabled());
    EXPECT_FALSE(dlg->BaudList()->isEnabled());
    EXPECT_TRUE(messages.texts.empty());
    dlg->accept();
    ASSERT_EQ(menuRuns, 1);
    EXPECT_EQ(menuSaw[0].portName, "USB");
    EXPECT_EQ(menuSaw[0].deviceType, 3);

    discovery.usbPrefixes.clear();
    discovery.usbCounts = {2};
    Choose(*dlg, "KORVA20U-II");
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return !dlg->IsSearchingUsb(); }));
    EXPECT_EQ(discovery.usbPrefixes.size(), 1u);
    EXPECT_EQ(messages.texts,
              std::vector<std::string>{"KorvaTool support only One device.\r\nThere are too many device connected!"});
    EXPECT_FALSE(dlg->OkButton()->isEnabled());
}

// The search with the program's own discovery, on the machine it runs on.
// The device lab (tests/devices) runs it in its guest with USB printer gadgets
// attached to real usblp and says how many: one is taken, two are refused.
TEST_F(ConnectDlgTest, UsbSearchOnThisMachine) {
    const char* attached = std::getenv("KORVA_LAB_USB_PRINTERS");
    if (attached == nullptr) GTEST_SKIP() << "needs the device lab's USB printers";
    const int expected = std::atoi(attached);
    SystemPortDiscovery system;
    auto dlg = Make(system);
    std::vector<int> found;
    QObject::connect(dlg.get(), &CConnectDlg::usbSearchFinished, [&](int count) { found.push_back(count); });
    Choose(*dlg, "KORVA20IIU-II");
    ASSERT_TRUE(korva::test::RunEventsUntil([&] { return !dlg->IsSearchingUsb(); }, 30000));
    ASSERT_EQ(found, std::vector<int>{expected});
    std::printf("usb search found %d printers\n", found[0]);
    if (expected == 1) {
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_EQ(dlg->ConnectKind(), kConnectUsb);
        EXPECT_TRUE(dlg->OkButton()->isEnabled());
    } else {
        EXPECT_EQ(messages.texts,
                  std::vector<std::string>{"KorvaTool support only One device.\r\nThere are too many device connected!"});
        EXPECT_FALSE(dlg->OkButton()->isEnabled());
    }
}

TEST_F(ConnectDlgTest, ChoosingAnotherModelStopsTheUsbSearch) {
    auto dlg = Make();
    dlg->SetUsbSearchIntervalMs(50);
    const QString title = dlg->windowTitle();
    Choose(*dlg, "KORVA20U-II");
    ASSERT_TRUE(dlg->IsSearchingUsb());
    Choose(*dlg, "KORVA20S");
    EXPECT_FALSE(dlg->IsSearchingUsb());
    EXPECT_EQ(dlg->windowTitle(), title);
    korva::test::RunEventsUntil([] { return false; }, 120);
    EXPECT_EQ(discovery.usbPrefixes.size(), 1u);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
}

TEST_F(ConnectDlgTest, SerialOkStoresTheLineSettingsAndRunsTheMenu) {
    auto dlg = Make();
    Choose(*dlg, "KORVA20S");
    dlg->PortList()->setCurrentIndex(dlg->PortList()->findText("COM10"));
    dlg->BaudList()->setCurrentIndex(dlg->BaudList()->findText("57600"));
    dlg->DataLengthList()->setCurrentIndex(dlg->DataLengthList()->findText("7 Bits"));
    dlg->ParityList()->setCurrentIndex(1);
    dlg->FlowList()->setCurrentIndex(2);
    dlg->StopBitList()->setCurrentIndex(1);
    dlg->OkButton()->click();
    ASSERT_EQ(menuRuns, 1);
    const auto& s = menuSaw[0];
    EXPECT_EQ(s.portName, "COM10");
    EXPECT_EQ(s.baudRate, 57600);
    EXPECT_EQ(s.dataBits, 7);
    EXPECT_EQ(s.parity, 1);
    EXPECT_EQ(s.flowControl, 3);
    EXPECT_EQ(s.stopBits, 2);
    EXPECT_EQ(s.deviceType, 1);
    EXPECT_EQ(dlg->result(), 0) << "the connection dialog stays open after the menu";
}

TEST_F(ConnectDlgTest, SerialOkChecksEachSettingInOrder) {
    auto dlg = Make();
    Choose(*dlg, "KORVA10S");
    const struct {
        QComboBox* list;
        const char* message;
    } steps[] = {
        {dlg->BaudList(), "Baudrate is not selected!"},
        {dlg->DataLengthList(), "Data length is not selected!"},
        {dlg->ParityList(), "Parity type is not selected!"},
        {dlg->StopBitList(), "Stop Bit is not selected"},
        {dlg->FlowList(), "Flow control is not selected!"},
    };
    // Clear every selection, then restore them one by one: each OK names the next gap.
    for (const auto& step : steps) step.list->setCurrentIndex(-1);
    // Clearing the data length rebuilt the stop bits with nothing chosen.
    ASSERT_EQ(dlg->StopBitList()->currentIndex(), -1);
    for (const auto& step : steps) {
        messages.texts.clear();
        dlg->accept();
        EXPECT_EQ(messages.texts, std::vector<std::string>{step.message});
        EXPECT_EQ(menuRuns, 0);
        EXPECT_EQ(settings, korva::port::ConnectionSettings()) << "a refused OK stores nothing";
        step.list->setCurrentIndex(0);
    }
    messages.texts.clear();
    dlg->accept();
    EXPECT_TRUE(messages.texts.empty());
    ASSERT_EQ(menuRuns, 1);
    EXPECT_EQ(menuSaw[0].deviceType, 2);
    EXPECT_EQ(menuSaw[0].baudRate, 38400);
}

TEST_F(ConnectDlgTest, ParallelAndEthernetKeepThePreviousSerialSettings) {
    auto dlg = Make();
    Choose(*dlg, "KORVA20S");
    dlg->BaudList()->setCurrentIndex(dlg->BaudList()->findText("9600"));
    dlg->accept();
    Choose(*dlg, "KORVA20P");
    dlg->accept();
    ASSERT_EQ(menuRuns, 2);
    EXPECT_EQ(menuSaw[1].portName, "LPT1");
    EXPECT_EQ(menuSaw[1].baudRate, 9600);

    int addressRuns = 0;
    int addressResult = QDialog::Rejected;
    dlg->SetNetAddressRunner([&](QWidget*) {
        ++addressRuns;
        return addressResult;
    });
    Choose(*dlg, "KORVA20IIE-II");
    EXPECT_TRUE(dlg->OkButton()->isEnabled());
    EXPECT_FALSE(dlg->PortList()->isEnabled());
    EXPECT_FALSE(dlg->BaudList()->isEnabled());
    dlg->accept();
    EXPECT_EQ(addressRuns, 1);
    EXPECT_EQ(menuRuns, 2) << "a cancelled address dialog does not open the menu";
    addressResult = QDialog::Accepted;
    dlg->accept();
    ASSERT_EQ(menuRuns, 3);
    EXPECT_EQ(menuSaw[2].portName, "ETHERNET_II");
    EXPECT_EQ(menuSaw[2].deviceType, 3);
    EXPECT_EQ(menuSaw[2].baudRate, 9600);
    EXPECT_EQ(menuSaw[2].ipAddress, "192.168.0.254");
    EXPECT_EQ(menuSaw[2].tcpPort, 6001);
}

TEST_F(ConnectDlgTest, AModelChangeKeepsAFittingPortAndShowsOnlyTheRowsItsKindUses) {
    auto dlg = Make();
    auto rowShown = [&](QComboBox* list) {
        for (QLabel* label : dlg->findChildren<QLabel*>()) {
            if (label->buddy() == list) {
                EXPECT_EQ(label->isHidden(), list->isHidden());
            }
        }
        return !list->isHidden();
    };
    const QList<QComboBox*> lineLists{dlg->BaudList(), dlg->ParityList(), dlg->DataLengthList(),
                                      dlg->FlowList(), dlg->StopBitList()};
    Choose(*dlg, "KORVA20S");
    dlg->PortList()->setCurrentIndex(dlg->PortList()->findText("COM2"));
    Choose(*dlg, "KORVA10S");  // serial again: the chosen port still fits
    EXPECT_EQ(dlg->PortList()->currentText(), "COM2");
    EXPECT_TRUE(rowShown(dlg->PortList()));
    for (QComboBox* list : lineLists) EXPECT_TRUE(rowShown(list));

    Choose(*dlg, "KORVA20P");  // parallel: no line settings, no serial port
    EXPECT_EQ(dlg->PortList()->currentText(), "LPT1");
    EXPECT_TRUE(rowShown(dlg->PortList()));
    for (QComboBox* list : lineLists) EXPECT_FALSE(rowShown(list));

    Choose(*dlg, "KORVA20IIE-II");  // Ethernet: neither port nor line
    EXPECT_FALSE(rowShown(dlg->PortList()));
    for (QComboBox* list : lineLists) EXPECT_FALSE(rowShown(list));

    Choose(*dlg, "KORVA20S");  // from another kind: the first port again
    EXPECT_EQ(dlg->PortList()->currentText(), "COM1");
    dlg->PortList()->setEditText("/tmp/ttyTyped");
    Choose(*dlg, "KORVA20U-I");  // a typed path stays too
    EXPECT_EQ(dlg->PortList()->currentText(), "/tmp/ttyTyped");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ConnectDlgTest, KoreanSystemShowsKoreanLabelsButEnglishMessages) {
    SetKoreanLabelsOverride(true);
    auto dlg = Make();
    SetKoreanLabelsOverride(std::nullopt);
    QStringList labels;
    for (QLabel* label : dlg->findChildren<QLabel*>()) labels << label->text();
    // Each with its English mnemonic in the Korean way; the list is named without it.
    for (const char* korean : {"프린터종류(&D)", "포트(&P)", "통신속도(&B)", "패리티(&A)", "테이터 길이(&L)",
                               "플로우 컨트롤(&F)", "스톱 비트(&S)"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(korean))) << korean;
    EXPECT_EQ(dlg->PortList()->accessibleName(), QString::fromUtf8("포트"));
    EXPECT_EQ(dlg->CancelButton()->text(), QString::fromUtf8("취소"));
    EXPECT_EQ(dlg->windowTitle().toStdString(), ConnectWindowTitle());
    dlg->ModelList()->addItem("NOPE");
    dlg->ModelList()->setCurrentIndex(dlg->ModelList()->count() - 1);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Invalid Device!"});
}

TEST_F(ConnectDlgTest, EveryListIsReachedThroughItsLabel) {
    auto dlg = Make();
    QStringList found;
    for (QLabel* label : dlg->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        auto* list = qobject_cast<QComboBox*>(label->buddy());
        ASSERT_NE(list, nullptr) << label->text().toStdString();
        const QString name = QString(label->text()).remove('&');
        found << name;
        EXPECT_EQ(list->accessibleName(), name);
        // Screen readers on Linux name a list by the label related to it.
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(list);
        ASSERT_NE(access, nullptr);
        QStringList labelledBy;
        for (const auto& [other, relation] : access->relations(QAccessible::Label))
            labelledBy << other->text(QAccessible::Name);
        EXPECT_TRUE(labelledBy.contains(label->text()) || labelledBy.contains(name)) << name.toStdString();
        // ... and by its name: the label's words, not the entry shown ("115200").
        EXPECT_EQ(access->text(QAccessible::Name), name);
        EXPECT_EQ(access->text(QAccessible::Value), list->currentText()) << name.toStdString();
        EXPECT_EQ(access->role(), QAccessible::ComboBox);
    }
    found.sort();
    QStringList expected = {"DEVICE", "PORT", "Baudrate", "Parity", "Data Length", "Flow control", "Stop Bit"};
    expected.sort();
    EXPECT_EQ(found, expected);
}
