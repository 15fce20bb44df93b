#pragma once
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/FilePicker.h"
#include "port/PortKind.h"

namespace korva::base {
class Clock;
class CErrorLog;
class Profile;
}  // namespace korva::base
namespace korva::port {
class ByteStream;
class CPorts;
}  // namespace korva::port

namespace korva::logo {
class LogoListEditor;
class LogoNoticeBatch;
struct LogoList;
struct LogoOptions;
}  // namespace korva::logo

namespace korva::logo::ui {

/// The file dialog's filters: "Image files (...)" with every picture format
/// Qt's image plugins read (chosen first), and "Bitmap files (*.bmp)".
QStringList LogoFileFilters();

/// Everything the logo sheet works on, handed down by the tool menu.
struct LogoToolContext {
    LogoList& list;
    LogoOptions& options;
    /// The port object: its port name is switched to "FILE" by the setup
    /// page; it carries local ports and the file output.
    port::CPorts& ports;
    /// The TCP link to an Ethernet printer; nullptr when there is none.
    port::ByteStream* ethernet = nullptr;
    base::Profile& profile;
    base::CErrorLog& log;
    base::Clock& clock;
    /// The text of the "Device" box (the menu composes it).
    std::string connectionLabel;
    /// The port the connection dialog chose: what "Print To File" switched
    /// off returns to, even when the file output was used in between.
    std::string connectionPortName;
    /// Asks for the bitmap files of the selection page.
    korva::ui::FilePicker pickFiles = korva::ui::PickFilesWithDialog;
    /// The list page shown last (ListPage::Marker).
    int pageMarker = 0;

    /// The stream the engines write to for the current port name.
    port::ByteStream& Stream() const;
    port::PortKind Kind() const;
};

/// A list editor of the sheet: files are probed by the bitmap reader and its
/// refusals gathered in `notices`, shown by the caller when its action is over.
std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context, LogoNoticeBatch& notices);

}  // namespace korva::logo::ui
