#pragma once
// What the firmware dialog tests share: the application, a message recorder,
// a port object on the simulator's pty, a profile and image files on disk.
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "profile/MemoryProfile.h"
#include "firmware/FirmwareImages.h"
#include "firmware/ui/FirmwareToolContext.h"
#include "logo/ui/UiTestEnv.h"
#include "port/Ports.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

namespace korva::test {

class FirmwareDialogTest : public ::testing::Test {
protected:
    FirmwareDialogTest() { TestApp(); }

    /// Points the port object at the simulator's pty, 115200 8N1.
    void UseSimPort(const SimHarness& sim, int deviceType) {
        ports.m_PortName = sim.SerialPath().toStdString();
        ports.m_BaudRate = 115200;
        ports.m_DataBits = 8;
        ports.m_Parity = port::kParityNone;
        ports.m_StopBits = port::kStopBits1;
        ports.m_FlowControl = port::kFlowHardware;
        ports.m_DeviceType = deviceType;
        ports.m_CurrentTool = port::kToolFirmware;
    }

    std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteFile(dir / name, bytes);
        return (dir / name).string();
    }

    static QJsonObject LastFirmware(const QJsonObject& state) {
        const QJsonArray list = state.value("firmware").toArray();
        return list.isEmpty() ? QJsonObject() : list.last().toObject();
    }

    TestDir dir;
    MessageRecorder messages;
    base::CErrorLog log;
    base::RealClock clock;
    profile::MemoryProfile profile;
    port::CPorts ports{log};
    std::string picked;  ///< what the file picker answers
    firmware::ui::FirmwareToolContext context{ports, nullptr, profile, log, clock, "KORVA20 - COM1",
                                              [this](QWidget*, const korva::ui::FileQuestion&) {
                                                  return picked.empty() ? std::vector<std::string>()
                                                                        : std::vector<std::string>{picked};
                                              }};
};

}  // namespace korva::test
