#include "logo/ui/LogoToolContext.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "app/MessageBox.h"
#include "app/Messages.h"
#include "logo/LogoFile.h"
#include "logo/LogoListEditor.h"
#include "port/Ports.h"

namespace korva::logo::ui {

std::vector<std::string> PickBitmapFiles(QWidget* parent, const std::string& start) {
    QFileDialog dialog(parent, QString(), QString::fromStdString(start),
                       QStringLiteral("Bitmap Files(*.bmp)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    std::vector<std::string> picked;
    if (dialog.exec() != QDialog::Accepted) return picked;
    for (const QString& file : dialog.selectedFiles()) picked.push_back(QFile::encodeName(file).toStdString());
    return picked;
}

std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context) {
    auto probe = [](const std::string& path) {
        const BitmapDecodeResult decoded = ProbeLogoFile(path);
        LogoFileInfo info;
        info.error = decoded.error;
        info.width = decoded.bitmap.width;
        info.height = decoded.bitmap.height;
        info.bitsPerPixel = decoded.bitmap.bitsPerPixel;
        return info;
    };
    auto notify = [](int message, LogoNoticeIcon icon) {
        const app::MsgStyle style = icon == LogoNoticeIcon::None ? app::MsgStyle::Ok : app::MsgStyle::OkExclamation;
        app::ShowMessage(app::Message(message), style);
    };
    return std::make_unique<LogoListEditor>(context.list, context.options, probe, notify);
}

port::PortKind LogoToolContext::Kind() const { return port::ClassifyPort(ports.m_PortName); }

port::ByteStream& LogoToolContext::Stream() const {
    if (Kind() == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::logo::ui
