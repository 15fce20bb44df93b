#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include "base/MessageBox.h"

namespace korva::ui {
namespace {

base::MsgAnswer RunBox(const std::string& text, const std::string& caption, base::MsgStyle style) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(caption));
    // The message texts carry Windows line ends; a lone '\r' would show as a glyph.
    box.setText(QString::fromStdString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const bool question = style == base::MsgStyle::YesNo || style == base::MsgStyle::YesNoQuestion;
    box.setStandardButtons(question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    switch (style) {
        case base::MsgStyle::OkExclamation: box.setIcon(QMessageBox::Warning); break;
        case base::MsgStyle::OkInformation: box.setIcon(QMessageBox::Information); break;
        case base::MsgStyle::YesNoQuestion: box.setIcon(QMessageBox::Question); break;
        case base::MsgStyle::Ok:
        case base::MsgStyle::YesNo: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return base::MsgAnswer::Yes;
        case QMessageBox::No: return base::MsgAnswer::No;
        case QMessageBox::Ok: return base::MsgAnswer::Ok;
        default: return question ? base::MsgAnswer::No : base::MsgAnswer::Ok;
    }
}

}  // namespace

void InstallQtMessageBox() {
    base::SetMessageHandler([](const std::string& text, const std::string& caption, base::MsgStyle style) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr || QThread::currentThread() == app->thread()) return RunBox(text, caption, style);
        base::MsgAnswer answer = base::MsgAnswer::Cancel;
        QMetaObject::invokeMethod(
            app, [&] { answer = RunBox(text, caption, style); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}

}  // namespace korva::ui
