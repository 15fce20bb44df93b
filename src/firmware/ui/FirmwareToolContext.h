#pragma once
#include <string>

#include "ui/FilePicker.h"

namespace korva::base {
class Clock;
class CErrorLog;
class Profile;
}  // namespace korva::base
namespace korva::port {
class ByteStream;
class CPorts;
}  // namespace korva::port

namespace korva::firmware::ui {

/// Everything a firmware dialog works on, handed down by the tool menu.
struct FirmwareToolContext {
    /// The port object: settings, device type, and the local port itself.
    port::CPorts& ports;
    /// The TCP link to an Ethernet printer; nullptr when there is none.
    port::ByteStream* ethernet = nullptr;
    base::Profile& profile;
    base::CErrorLog& log;
    base::Clock& clock;
    /// The text of the "DEVICE" box (the menu composes it).
    std::string connectionLabel;
    /// Asks for the firmware image.
    korva::ui::FilePicker pickFile = korva::ui::PickFilesWithDialog;

    /// The stream the engines write to for the current port name.
    port::ByteStream& Stream() const;
};

}  // namespace korva::firmware::ui
