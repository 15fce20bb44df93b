#include "ui/FilePicker.h"

#include <QFile>
#include <QFileDialog>

namespace korva::ui {

std::vector<std::string> PickFilesWithDialog(QWidget* parent, const FileQuestion& question) {
    QFileDialog dialog(parent, QString(), QString::fromStdString(question.start), question.filter);
    dialog.setFileMode(question.several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!question.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(question.defaultSuffix);
    std::vector<std::string> picked;
    if (dialog.exec() != QDialog::Accepted) return picked;
    for (const QString& file : dialog.selectedFiles()) picked.push_back(QFile::encodeName(file).toStdString());
    return picked;
}

std::string PickOneFile(const FilePicker& picker, QWidget* parent, const FileQuestion& question) {
    if (!picker) return {};
    const std::vector<std::string> picked = picker(parent, question);
    return picked.empty() ? std::string() : picked.front();
}

}  // namespace korva::ui
