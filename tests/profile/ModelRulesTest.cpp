#include "profile/ModelRules.h"

#include <gtest/gtest.h>

#include "KorvaVersion.h"
#include "profile/MemoryProfile.h"
#include "profile/Version.h"
#include "port/DeviceType.h"

using namespace korva::profile;
using namespace korva::base;

TEST(ModelRules, EveryBuiltInModelGetsItsPortKind) {
    const std::vector<std::pair<std::string, int>> expected = {
        {"KORVA20S", kConnectSerial},        {"KORVA20P", kConnectParallel},
        {"KORVA20U-I", kConnectSerialUI},    {"KORVA20U-II", kConnectUsb},
        {"KORVA20IIS", kConnectSerial},      {"KORVA20IIP", kConnectParallel},
        {"KORVA20IIU-I", kConnectSerialUI},  {"KORVA20IIU-II", kConnectUsb},
        {"KORVA20IIE-II", kConnectEthernet}, {"KORVA10P", kConnectParallel},
        {"KORVA10S", kConnectSerial},        {"KORVA10U", kConnectNone},
    };
    ASSERT_EQ(BuiltInModels().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& [model, kind] = expected[i];
        EXPECT_EQ(BuiltInModels()[i], model);
        EXPECT_EQ(PortKindForModel(model, korva::port::ModelClassForModel(model)), kind) << model;
    }
}

TEST(ModelRules, UsbNeedsClassOneOrThree) {
    // A KORVA10 name ending "II" is not a USB printer; it has no port kind.
    EXPECT_EQ(PortKindForModel("KORVA10II", 2), kConnectNone);
    EXPECT_EQ(PortKindForModel("ZOB480-II", 1), kConnectUsb);
    EXPECT_EQ(UsbHardwareIdPrefix(1), "USB\\VID_7F3D&PID_0101");
    EXPECT_EQ(UsbHardwareIdPrefix(3), "USB\\VID_7F3D&PID_0102");
    EXPECT_EQ(UsbHardwareIdPrefix(2), "");
}

TEST(ModelRules, ProfileListStopsAtTheFirstEmptyEntry) {
    MemoryProfile profile("[DEVICELIST]\n1=VQM-5146S\n2=LUN 07IIP\n3=\n4=HX-6040\n");
    EXPECT_EQ(ModelList(profile), (std::vector<std::string>{"VQM-5146S", "LUN 07IIP"}));
    MemoryProfile emptyFirst("[DEVICELIST]\n1=\n2=KORVA20S\n");
    EXPECT_EQ(ModelList(emptyFirst), BuiltInModels());
    EXPECT_EQ(ModelList(MemoryProfile()), BuiltInModels());
}

TEST(ModelRules, BaudListsByClass) {
    EXPECT_EQ(InitialBaudRates(), (std::vector<int>{115200, 38400, 19200, 9600}));
    EXPECT_EQ(BaudRatesForClass(1), (std::vector<int>{115200, 57600, 38400, 19200, 9600}));
    EXPECT_EQ(BaudRatesForClass(3), BaudRatesForClass(1));
    EXPECT_EQ(BaudRatesForClass(2), (std::vector<int>{38400, 19200, 9600}));
}

TEST(ModelRules, ListTextsToNumbers) {
    EXPECT_EQ(LeadingNumber("8 Bits"), 8);
    EXPECT_EQ(LeadingNumber("115200"), 115200);
    EXPECT_EQ(LeadingNumber("Bits"), -1);
    EXPECT_EQ(LeadingNumber(""), -1);
    EXPECT_EQ(LeadingNumber("99999999999999999999"), -1);
    EXPECT_EQ(StopBitsFromText("1"), 0);
    EXPECT_EQ(StopBitsFromText("1.5"), 1);
    EXPECT_EQ(StopBitsFromText("2"), 2);
    EXPECT_EQ(StopBitsFromText("x"), 0);
}

TEST(Version, TitlesCarryTheFourNumbers) {
    const Version v{1, 4, 0, 2};
    EXPECT_EQ(VersionTitle(v), "KorvaTool - Ver 1.4.0.2");
    EXPECT_EQ(ConnectWindowTitle(v), "KorvaTool - Ver 1.4.0.2 E");
    EXPECT_EQ(ErrorLogFirstLine(v), "ERROR LOG : KorvaTool - Ver 1.4.0.2");
    const Version built = ProgramVersion();
    EXPECT_EQ(built.major, KORVA_VERSION_MAJOR);
    EXPECT_EQ(built.revision, KORVA_VERSION_REVISION);
}
