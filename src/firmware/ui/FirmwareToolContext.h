#pragma once
#include <QString>
#include <functional>
#include <string>

class QWidget;

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

/// The file-open question: returns the chosen full path, or "" when the user
/// cancelled. `filter` is the dialog's file-type list, `start` the last path.
using FirmwareFilePicker =
    std::function<std::string(QWidget* parent, const QString& filter, const std::string& start)>;

/// The picker the program uses: a QFileDialog for existing files.
std::string PickFirmwareFile(QWidget* parent, const QString& filter, const std::string& start);

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
    FirmwareFilePicker pickFile = PickFirmwareFile;

    /// The stream the engines write to for the current port name.
    port::ByteStream& Stream() const;
};

}  // namespace korva::firmware::ui
