#include "app/ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include "app/MessageBox.h"

namespace korva::app::ui {
namespace {

MsgAnswer RunBox(const std::string& text, const std::string& caption, MsgStyle style) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(caption));
    // The message texts carry Windows line ends; a lone '\r' would show as a glyph.
    box.setText(QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const bool question = style == MsgStyle::YesNo || style == MsgStyle::YesNoQuestion;
    box.setStandardButtons(question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    switch (style) {
        case MsgStyle::OkExclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgStyle::OkInformation: box.setIcon(QMessageBox::Information); break;
        case MsgStyle::YesNoQuestion: box.setIcon(QMessageBox::Question); break;
        case MsgStyle::Ok:
        case MsgStyle::YesNo: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Ok: return MsgAnswer::Ok;
        default: return question ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

}  // namespace

void InstallQtMessageBox() {
    SetMessageHandler([](const std::string& text, const std::string& caption, MsgStyle style) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr || QThread::currentThread() == app->thread()) return RunBox(text, caption, style);
        MsgAnswer answer = MsgAnswer::Cancel;
        QMetaObject::invokeMethod(
            app, [&] { answer = RunBox(text, caption, style); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}

}  // namespace korva::app::ui
