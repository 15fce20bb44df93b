#include "firmware/ui/FirmwareToolContext.h"

#include <QFile>
#include <QFileDialog>

#include "port/Ports.h"

namespace korva::firmware::ui {

std::string PickFirmwareFile(QWidget* parent, const QString& filter, const std::string& start) {
    QFileDialog dialog(parent, QString(), QString::fromStdString(start), filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

port::ByteStream& FirmwareToolContext::Stream() const {
    if (port::ClassifyPort(ports.m_PortName) == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::firmware::ui
