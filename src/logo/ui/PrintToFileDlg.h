#pragma once
#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace korva::logo::ui {

/// "Print to File": asks for the name of the file the printer stream goes
/// into while the port is the file output. OK with an empty name is refused
/// with a message and the dialog stays; Escape ends it without a name.
class PrintToFileDlg : public QDialog {
    Q_OBJECT
public:
    explicit PrintToFileDlg(QWidget* parent = nullptr);

    QString FileName() const;
    QLineEdit* NameEdit() const { return m_Name; }
    QPushButton* OkButton() const { return m_Ok; }

    void accept() override;

private:
    QLineEdit* m_Name;
    QPushButton* m_Ok;
};

/// Runs the dialog modally: the entered name after OK, nothing otherwise.
/// This is what the port object asks when it opens the file output.
std::optional<std::string> AskOutputFileName(QWidget* parent = nullptr);

}  // namespace korva::logo::ui
